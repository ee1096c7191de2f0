// The help of velkaro and of each command, in the user's language: the usage
// line and the example from the command table, what the command does and
// its options explained from the string tables. Printed by `velkaro --help`,
// `velkaro help COMMAND` and `velkaro COMMAND --help`.

#include "Cli.h"
#include "Commands.h"

#include "text/Language.h"
#include "text/MessageIds.h"

namespace velkaro::cli {

std::string CommandHelp(const CommandEntry& command)
{
    std::string text = "usage: velkaro " + UsageLine(command) + "\n\n" + AnsiToUtf8(Text(command.help));
    // The telephone's commands share the port option.
    if (command.usesPort)
        text += AnsiToUtf8(Text(msg::CliHelpPort));
    text += AnsiToUtf8(Text(msg::CliHelpCommon));
    text += "\n" + AnsiToUtf8(Text(msg::CliHelpExample)) + "\n  velkaro " + command.example + "\n";
    return text;
}

std::string GeneralHelp()
{
    std::string text = "usage: velkaro [--lang de|en|fr] [--json] [--quiet] COMMAND [ARGS]\n\n"
        + AnsiToUtf8(Text(msg::CliUsageCommands)) + "\n";
    for (const CommandEntry& command : CommandTable())
        text += "  " + UsageLine(command) + "\n";
    return text + AnsiToUtf8(Text(msg::CliUsageTail));
}

}  // namespace velkaro::cli
