#pragma once

// The subcommands of `velkaro`. Each subsystem registers its own in its own
// file (cmd_*.cpp) with a static CliRegistration.

#include "app/Cp1252.h"
#include "app/WorkingFileLock.h"

#include <string>
#include <vector>

namespace velkaro::cli {

struct CliCommand {
    std::string name;
    std::string usage;  // one line for --help, after the name
    // args: the arguments after the subcommand name, global options removed.
    int (*run)(std::vector<std::string>& args);
};

struct CliRegistration {
    explicit CliRegistration(CliCommand command);
};

// Takes "--name VALUE" (or "--name=VALUE") out of args.
bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value);
// Takes the flag "--name" out of args.
bool TakeFlag(std::vector<std::string>& args, const std::string& name);
// Error on standard error (Windows-1252 text is converted to UTF-8); returns 1.
int Fail(const std::string& ansiMessage);
// Writes Windows-1252 text to standard output as UTF-8, with a newline.
void PrintLine(const std::string& ansiText);

}  // namespace velkaro::cli
