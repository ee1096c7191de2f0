#pragma once

// The subcommands of `velkaro`. What each takes is in the command table
// (Commands.h); each subsystem registers how it runs in its own file
// (cmd_*.cpp) with a static CliRegistration.

#include "Commands.h"

#include "text/Cp1252.h"
#include "settings/WorkingFileLock.h"

#include <string>
#include <vector>

namespace velkaro::cli {

struct CliCommand {
    std::string name;
    // args: the arguments after the subcommand name, global options removed.
    int (*run)(std::vector<std::string>& args);
};

struct CliRegistration {
    explicit CliRegistration(CliCommand command);
};

// The registered command of this name, or nullptr.
const CliCommand* RegisteredCommand(const std::string& name);

// Takes "--name VALUE" (or "--name=VALUE") out of args.
bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value);
// Takes the flag "--name" out of args.
bool TakeFlag(std::vector<std::string>& args, const std::string& name);
// Windows-1252 text as UTF-8 for a terminal: control characters (of a file
// or card name) written as \xHH escapes, line breaks and tabs kept.
std::string ForTerminal(const std::string& ansiText);
// Error on standard error, one line after "velkaro: " (Windows-1252 text is
// converted to UTF-8); returns 1.
int Fail(const std::string& ansiMessage);
// A reader's message about the file at path (as typed), after the file's
// name when it does not name it already; "cannot read" and the name when
// the reader said nothing.
std::string NamingFile(const std::string& path, const std::string& ansiMessage);
// Fail with NamingFile's text: every read failure names its file.
int FailReading(const std::string& path, const std::string& ansiMessage);
// Whether two paths name one existing file, through symbolic and hard links
// (the same device and inode).
bool SameFile(const std::string& a, const std::string& b);
// A usage error: "usage: velkaro " and the command's usage line on standard
// error; returns 2. Commands check their arguments with it before they open
// a file or a port.
int UsageError(const std::string& usageLine);
// A usage error with its reason first ("velkaro: " + reason, then the usage
// line); returns 2.
int UsageError(const std::string& reason, const std::string& usageLine);
// Why a --sheet value names no sheet of any workbook (import, table).
inline constexpr char kSheetOptionUsage[] =
    "--sheet takes a sheet's name or its number from 1; a name holds none of : \\ / ? * [ ]";
// Flushes standard output; when that fails (a full disk, a closed pipe), says
// so with the system's reason on standard error and returns 1, else 0.
int FinishOutput();
// The help of one command: its usage, what it does, every option, the exit
// status and an example, in the user's language (UTF-8).
std::string CommandHelp(const CommandEntry& command);
// The usage of velkaro: every command's usage line and the global options.
std::string GeneralHelp();
// Runs the command with its output and messages gathered into one JSON
// object on standard output (the messages also go to standard error; a
// usage error, status 2, prints no object); returns the command's exit status.
int RunAsJson(const CliCommand& command, std::vector<std::string>& args);
// Whether --json was given: a command with lists to give prints them as
// one JSON object instead of its message lines.
bool JsonOutput();
void SetJsonOutput(bool on);
// A result of the command's own for --json, beside the messages: the name
// and its value, already JSON.
void AddJsonResult(const std::string& name, const std::string& json);
// Takes --name-order family|given|as-is out of args and makes it the order
// contacts' names are built in; without it, the setting NameOrder. false with
// the reason when the value is none of the three.
bool TakeNameOrder(std::vector<std::string>& args, std::string& reason);
// Says on standard error that cards of the file held control characters,
// read as blanks (nothing when there were none).
void ReportControlCharacters(const std::string& path, int cards);
// Sends the edited cards of the card file to the telephone, as `send FILE
// --edited` does, and marks them as sent when the line showed the telephone
// (its answer to the speed offer, or a modem line); port as --port takes it,
// empty for the desktop program's port. Returns the exit status.
int SendEditedCards(const std::string& path, const std::string& port);
// Writes Windows-1252 text to standard output as UTF-8, with a newline.
void PrintLine(const std::string& ansiText);
// Whether --quiet was given: no success messages, no progress; errors and
// the data a command is run for still appear.
bool Quiet();
void SetQuiet(bool on);
// A success message: PrintLine unless --quiet.
void Say(const std::string& ansiText);

}  // namespace velkaro::cli
