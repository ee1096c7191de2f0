// The table of velkaro's commands and what is read from it: the check of a
// command line and the listings for the shell completion.

#include "Commands.h"

#include "Cli.h"
#include "text/Language.h"
#include "text/MessageIds.h"

#include <glob.h>

#include <algorithm>
#include <iostream>
#include <sstream>

namespace velkaro::cli {

namespace {

constexpr char kCardFiles[] = "itx vlx";
constexpr char kImportFiles[] = "csv txt tab xls xlsx ods vcf vcard";
constexpr char kNameOrders[] = "family given as-is";

const OptionEntry kPortOption { "--port", nullptr, "PORT" };

OptionEntry NameOrderOption()
{
    return { "--name-order", nullptr, "ORDER", kNameOrders };
}

const OptionEntry kSelectOption { "--select", nullptr, "TEXT" };
const OptionEntry kStructureOption { "--structure" };
const OptionEntry kHomeCountryOption { "--home-country", nullptr, "CC" };
const OptionEntry kDryRunOption { "--dry-run" };
const OptionEntry kIntoOption { "--into", nullptr, "FILE", nullptr, kCardFiles };

// The commands on files.
std::vector<CommandEntry> FileCommands()
{
    const OptionEntry sheet { "--sheet", nullptr, "NAME|N" };
    return {
        { "cards", "FILE", msg::CliHelpCards, "cards Velkaro_Desktop.itx", kCardFiles, {} },
        { "convert", "IN OUT", msg::CliHelpConvert, "convert old.vlx new.vlx", kCardFiles, {} },
        { "history", "FILE", msg::CliHelpHistory, "history Velkaro_Desktop.itx", kCardFiles, {} },
        { "restore", "FILE N", msg::CliHelpRestore, "restore Velkaro_Desktop.itx 1", kCardFiles, {} },
        { "import",
          "FILE --into ARCHIVE [--mode add|replace|add-replace] [--config CONFIG.icf] [--map LINE=COLUMN[,...]] "
          "[--sheet NAME|N] [--skip-first] [--only-numbers] [--dos] [--structure] [--name-order family|given|as-is] "
          "[--dialable [--home-country CC] [--outside-line DIGITS]]",
          msg::CliHelpImport,
          "import addresses.csv --into cards.itx --skip-first --map \"Line 1=Ort\"",
          kImportFiles,
          { { "--into", nullptr, "ARCHIVE", nullptr, kCardFiles },
            { "--mode", nullptr, "MODE", "add replace add-replace" },
            { "--config", nullptr, "FILE", nullptr, "icf" },
            { "--map", nullptr, "LINE=COLUMN[,...]" },
            sheet,
            { "--skip-first" },
            { "--only-numbers" },
            { "--dos" },
            kStructureOption,
            NameOrderOption(),
            { "--dialable" },
            kHomeCountryOption,
            { "--outside-line", nullptr, "DIGITS" } } },
        { "export",
          "ARCHIVE -o OUT --format xls|csv|tab|vcf|csv-utf8 [--select TEXT] [--structure]",
          msg::CliHelpExport,
          "export cards.itx -o list.csv --format csv",
          kCardFiles,
          { { "--output", "-o", "OUT", nullptr, "xls csv tab txt vcf" },
            { "--format", nullptr, "FORMAT", "xls csv tab vcf csv-utf8" },
            kSelectOption,
            kStructureOption } },
        { "table",
          "FILE [--sheet NAME|N] [--decimal C] [--thousands C] [--date C] [--name-order family|given|as-is]",
          msg::CliHelpTable,
          "table addresses.xlsx --decimal ,",
          kImportFiles,
          { sheet,
            { "--decimal", nullptr, "C" },
            { "--thousands", nullptr, "C" },
            { "--date", nullptr, "C" },
            NameOrderOption() } },
    };
}

// The commands that talk to the telephone or to a server.
std::vector<CommandEntry> LinkCommands()
{
    const OptionEntry markSent { "--mark-sent" };
    return {
        { "send",
          "FILE [--edited] [--select TEXT] [--no-high-speed] [--mark-sent] [--port PORT]",
          msg::CliHelpSend,
          "send cards.itx --edited --port /dev/ttyUSB0",
          kCardFiles,
          { { "--edited" }, kSelectOption, { "--no-high-speed" }, markSent },
          true },
        { "send-card", "FILE NAME [--mark-sent] [--port PORT]", msg::CliHelpSendCard,
          "send-card cards.itx Alt --port COM1", kCardFiles, { markSent }, true },
        { "dial", "FILE NAME [--port PORT]", msg::CliHelpDial, "dial cards.itx Alt --port /dev/ttyUSB0", kCardFiles,
          {}, true },
        { "receive",
          "--into FILE [--wait SECONDS] [--accept-partial] [--dry-run | --merge] [--port PORT]",
          msg::CliHelpReceive,
          "receive --into cards.itx --wait 120 --port /dev/ttyUSB0",
          nullptr,
          { kIntoOption, { "--wait", nullptr, "SECONDS" }, { "--accept-partial" }, kDryRunOption, { "--merge" } },
          true },
        { "calllist",
          "-o OUT [--since DD.MM.YYYY] [--descending] [--names-from FILE [--home-country CC]] [--port PORT]",
          msg::CliHelpCallList,
          "calllist -o calls.csv --since 01.12.2026 --port 1",
          nullptr,
          { { "--output", "-o", "OUT", nullptr, "xls csv txt tab" },
            { "--since", nullptr, "DD.MM.YYYY" },
            { "--descending" },
            { "--names-from", nullptr, "FILE", nullptr, kCardFiles },
            kHomeCountryOption },
          true },
        { "sync",
          "[--into FILE] [--url URL] [--user USER] [--password-file FILE] [--ca-file FILE] [--addressbook NAME] "
          "[--dry-run] [--send [--port PORT]] [--name-order family|given|as-is]",
          msg::CliHelpSync,
          "sync --into cards.itx --send --port /dev/ttyUSB0",
          nullptr,
          { kIntoOption,
            { "--url", nullptr, "URL" },
            { "--user", nullptr, "USER" },
            { "--password-file", nullptr, "FILE", nullptr, "" },
            { "--ca-file", nullptr, "FILE", nullptr, "" },
            { "--addressbook", nullptr, "NAME" },
            kDryRunOption,
            { "--send" },
            kPortOption,
            NameOrderOption() } },
    };
}

// The command's own options, the port for the telephone's commands, then
// the common ones.
std::vector<OptionEntry> AllOptions(const CommandEntry& command)
{
    std::vector<OptionEntry> all = command.options;
    if (command.usesPort)
        all.push_back(kPortOption);
    all.insert(all.end(), CommonOptions().begin(), CommonOptions().end());
    return all;
}

const OptionEntry* FindOption(const std::vector<OptionEntry>& options, const std::string& name)
{
    for (const OptionEntry& option : options)
        if (name == option.name || (option.alias && name == option.alias))
            return &option;
    return nullptr;
}

std::vector<std::string> Words(const char* text)
{
    std::vector<std::string> words;
    std::istringstream in(text ? text : "");
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

// The serial devices present, for --port.
void PrintSerialDevices()
{
    for (const char* pattern : { "/dev/ttyUSB*", "/dev/ttyACM*", "/dev/ttyS*" }) {
        glob_t found {};
        if (::glob(pattern, 0, nullptr, &found) == 0)
            for (std::size_t i = 0; i < found.gl_pathc; ++i)
                std::cout << found.gl_pathv[i] << '\n';
        ::globfree(&found);
    }
}

// The values of an option (or with option nullptr, of the operands): its
// choices, or its files as patterns.
void PrintValues(const OptionEntry* option, const char* operandFiles)
{
    const char* files = option ? option->files : operandFiles;
    if (option && option->choices) {
        for (const std::string& choice : Words(option->choices))
            std::cout << choice << '\n';
    } else if (option && std::string(option->name) == kPortOption.name) {
        PrintSerialDevices();
    } else if (files && !files[0]) {
        std::cout << "*\n";
    } else if (files) {
        for (const std::string& ext : Words(files))
            std::cout << "*." << ext << '\n';
    }
}

void PrintOptions(const std::vector<OptionEntry>& options)
{
    for (const OptionEntry& option : options) {
        for (const char* name : { option.alias, option.name })
            if (name)
                std::cout << name << (option.value ? std::string(" ") + option.value : std::string()) << '\n';
    }
}

int ListValues(const std::vector<std::string>& args)
{
    if (args.size() < 2 || args.size() > 3)
        return 2;
    if (args[1] == "--lang") {
        PrintValues(FindOption(GlobalOptions(), args[1]), nullptr);
        return FinishOutput();
    }
    const CommandEntry* command = FindCommand(args[1]);
    if (!command)
        return 2;
    const std::vector<OptionEntry> options = AllOptions(*command);
    const OptionEntry* option = args.size() == 3 ? FindOption(options, args[2]) : nullptr;
    if (args.size() == 3 && !option)
        return 2;
    PrintValues(option, command->operandFiles);
    return FinishOutput();
}

}  // namespace

const std::vector<CommandEntry>& CommandTable()
{
    static const std::vector<CommandEntry> table = [] {
        std::vector<CommandEntry> all = FileCommands();
        for (CommandEntry& command : LinkCommands())
            all.push_back(std::move(command));
        return all;
    }();
    return table;
}

const CommandEntry* FindCommand(const std::string& name)
{
    for (const CommandEntry& command : CommandTable())
        if (name == command.name)
            return &command;
    return nullptr;
}

const std::vector<OptionEntry>& CommonOptions()
{
    static const std::vector<OptionEntry> options = {
        { "--json" }, { "--quiet" }, { "--help", "-h" }, { "--lang", nullptr, "LANG", "de en fr" } };
    return options;
}

const std::vector<OptionEntry>& GlobalOptions()
{
    static const std::vector<OptionEntry> options = { { "--lang", nullptr, "LANG", "de en fr" },
                                                     { "--json" },
                                                     { "--quiet" },
                                                     { "--help", "-h" },
                                                     { "--version" } };
    return options;
}

std::vector<std::string> ExportFormats()
{
    const CommandEntry* exportCommand = FindCommand("export");
    return Words(FindOption(exportCommand->options, "--format")->choices);
}

bool NormalizeArguments(const CommandEntry& command, std::vector<std::string>& args, std::string& reason)
{
    const std::vector<OptionEntry> options = AllOptions(command);
    std::vector<std::string> named, operands;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            operands.insert(operands.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        }
        // "-" alone is standard input or output, an operand.
        if (arg.size() < 2 || arg[0] != '-') {
            operands.push_back(arg);
            continue;
        }
        const std::size_t eq = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
        const std::string name = arg.substr(0, eq);
        const OptionEntry* option = FindOption(options, name);
        if (!option) {
            reason = FormatText(msg::CliUnknownOption, name.c_str());
            return false;
        }
        if (!option->value && eq != std::string::npos) {
            reason = FormatText(msg::CliOptionTakesNoValue, name.c_str());
            return false;
        }
        if (option->value && eq == std::string::npos && i + 1 >= args.size()) {
            reason = FormatText(msg::CliOptionNeedsValue, name.c_str(), option->value);
            return false;
        }
        std::string value = eq != std::string::npos ? arg.substr(eq) : std::string();
        if (option->value && eq == std::string::npos)
            value = "=" + args[++i];
        named.push_back(option->name + value);
    }
    named.insert(named.end(), operands.begin(), operands.end());
    args = std::move(named);
    return true;
}

std::string UsageLine(const CommandEntry& command)
{
    return std::string(command.name) + ' ' + command.synopsis + " [--json] [--quiet]";
}

int RunListing(const std::vector<std::string>& args)
{
    if (args.empty())
        return -1;
    if (args[0] == "--list-commands" && args.size() == 1) {
        for (const CommandEntry& command : CommandTable())
            std::cout << command.name << '\n';
        std::cout << "help\n";
        return FinishOutput();
    }
    if (args[0] == "--list-formats" && args.size() == 1) {
        for (const std::string& format : ExportFormats())
            std::cout << format << '\n';
        return FinishOutput();
    }
    if (args[0] == "--list-options" && args.size() <= 2) {
        const CommandEntry* command = args.size() == 2 ? FindCommand(args[1]) : nullptr;
        if (args.size() == 2 && !command)
            return 2;
        PrintOptions(command ? AllOptions(*command) : GlobalOptions());
        return FinishOutput();
    }
    if (args[0] == "--list-values")
        return ListValues(args);
    return -1;
}

}  // namespace velkaro::cli
