#pragma once

// The one table of velkaro's commands: their operands, their options and the
// values those take. The parser checks a command line against it, the help
// texts are built from it, and the shell completion asks the program for it
// (--list-commands, --list-options, --list-values), so none of them keeps a
// list of its own.

#include <string>
#include <vector>

namespace velkaro::cli {

struct OptionEntry {
    const char* name;               // "--into"
    const char* alias = nullptr;    // "-o", or none
    const char* value = nullptr;    // what follows it ("FILE"), none for a flag
    const char* choices = nullptr;  // the values it takes, blank-separated
    // The extensions of the files it names, blank-separated; "" any file;
    // none when its value is no file.
    const char* files = nullptr;
};

struct CommandEntry {
    const char* name;
    const char* synopsis;  // the usage after the name, options literal
    unsigned help;         // message id: what it does and its options explained
    const char* example;   // a command line, after "velkaro "
    // The extensions of the files its operands name, blank-separated; none
    // for a command without file operands.
    const char* operandFiles;
    std::vector<OptionEntry> options;
    bool usesPort = false;  // the telephone's commands: --port
};

// Every command in the order `velkaro --help` lists them.
const std::vector<CommandEntry>& CommandTable();
// The command of this name, or nullptr.
const CommandEntry* FindCommand(const std::string& name);
// The options every command takes besides its own (--json, --quiet, --help).
const std::vector<OptionEntry>& CommonOptions();
// The options before the command (--lang, --json, --quiet, --help, --version).
const std::vector<OptionEntry>& GlobalOptions();
// The formats export writes (--format).
std::vector<std::string> ExportFormats();

// A command line checked against the command's options: each option by its
// long name, "--name=VALUE" or "--name", then the operands as typed ("-" and
// those after "--" among them). false with the reason (the option named) for
// an unknown option, a missing value or a value given to a flag.
bool NormalizeArguments(const CommandEntry& command, std::vector<std::string>& args, std::string& reason);

// The usage line: "NAME SYNOPSIS [--json] [--quiet]".
std::string UsageLine(const CommandEntry& command);

// The hidden listings the shell completion reads: one item a line.
// --list-commands; --list-options [COMMAND] ("--name" or "--name VALUE");
// --list-values COMMAND [OPTION]: the choices of an option, or the file
// patterns ("*.csv") of an option or of the operands ("*" for any file).
// Returns the exit status, or -1 when args ask for none of them.
int RunListing(const std::vector<std::string>& args);

}  // namespace velkaro::cli
