// velkaro: the command-line companion of Velkaro Desktop.

#include "Cli.h"

#include "text/Cp1252.h"
#include "text/Language.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>

namespace velkaro::cli {

namespace {

std::map<std::string, CliCommand>& Commands()
{
    static std::map<std::string, CliCommand> commands;
    return commands;
}

int Usage(std::FILE* out)
{
    std::fprintf(out, "usage: velkaro [--lang de|en|fr] COMMAND [ARGS]\n\ncommands:\n");
    for (const auto& [name, command] : Commands())
        std::fprintf(out, "  %s %s\n", name.c_str(), command.usage.c_str());
    std::fprintf(out, "\n  --help     this text\n  --version  the program version\n");
    return out == stdout ? FinishOutput() : 2;
}

}  // namespace

CliRegistration::CliRegistration(CliCommand command)
{
    auto name = command.name;
    Commands().emplace(std::move(name), std::move(command));
}

bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name && i + 1 < args.size()) {
            value = args[i + 1];
            args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
            return true;
        }
        if (args[i].rfind(name + "=", 0) == 0) {
            value = args[i].substr(name.size() + 1);
            args.erase(args.begin() + static_cast<long>(i));
            return true;
        }
    }
    return false;
}

bool TakeFlag(std::vector<std::string>& args, const std::string& name)
{
    auto it = std::find(args.begin(), args.end(), name);
    if (it == args.end())
        return false;
    args.erase(it);
    return true;
}

int Fail(const std::string& ansiMessage)
{
    std::cerr << AnsiToUtf8(ansiMessage) << std::endl;
    return 1;
}

int UsageError(const std::string& usageLine)
{
    std::cerr << "usage: velkaro " << usageLine << std::endl;
    return 2;
}

int UsageError(const std::string& reason, const std::string& usageLine)
{
    std::cerr << "velkaro: " << reason << '\n';
    return UsageError(usageLine);
}

int FinishOutput()
{
    errno = 0;
    std::cout.flush();
    if (std::cout && std::fflush(stdout) == 0)
        return 0;
    const int error = errno ? errno : EIO;
    std::cerr << "velkaro: cannot write standard output: " << std::strerror(error) << std::endl;
    return 1;
}

namespace {

// The language of the user's messages: LC_ALL, LC_MESSAGES or LANG, the
// first that is set, as the C library picks it; English for anything but
// German and French.
int LanguageOfEnvironment()
{
    for (const char* name : { "LC_ALL", "LC_MESSAGES", "LANG" }) {
        const char* value = std::getenv(name);
        if (!value || !value[0])
            continue;
        const std::string setting = value;
        if (setting.rfind("de", 0) == 0)
            return kLangGerman;
        if (setting.rfind("fr", 0) == 0)
            return kLangFrench;
        return kLangEnglish;
    }
    return kLangEnglish;
}

}  // namespace

void PrintLine(const std::string& ansiText)
{
    std::cout << AnsiToUtf8(ansiText) << '\n';
}

}  // namespace velkaro::cli

int main(int argc, char** argv)
{
    using namespace velkaro;
    std::vector<std::string> args(argv + 1, argv + argc);

    // Messages and labels follow the user's language unless --lang says.
    SetLanguageOffset(cli::LanguageOfEnvironment());
    std::string lang;
    if (cli::TakeOption(args, "--lang", lang)) {
        if (lang == "de")
            SetLanguageOffset(kLangGerman);
        else if (lang == "en")
            SetLanguageOffset(kLangEnglish);
        else if (lang == "fr")
            SetLanguageOffset(kLangFrench);
        else
            return cli::UsageError("unknown language: " + lang + " (de, en or fr)", "[--lang de|en|fr] COMMAND [ARGS]");
    }
    if (cli::TakeFlag(args, "--version")) {
        std::cout << "Velkaro Desktop 4.0\n";
        return cli::FinishOutput();
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help")
        return cli::Usage(args.empty() ? stderr : stdout);

    auto& commands = cli::Commands();
    auto it = commands.find(args[0]);
    if (it == commands.end()) {
        std::fprintf(stderr, "velkaro: unknown command '%s'\n", args[0].c_str());
        return cli::Usage(stderr);
    }
    args.erase(args.begin());
    if (cli::TakeFlag(args, "--help")) {
        std::cout << "usage: velkaro " << it->second.name << ' ' << it->second.usage << '\n';
        return cli::FinishOutput();
    }
    return it->second.run(args);
}
