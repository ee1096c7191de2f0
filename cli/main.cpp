// velkaro: the command-line companion of Velkaro Desktop.

#include "Cli.h"

#include "app/Cp1252.h"
#include "app/Language.h"

#include <algorithm>
#include <cstdio>
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
    return out == stdout ? 0 : 2;
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

void PrintLine(const std::string& ansiText)
{
    std::cout << AnsiToUtf8(ansiText) << '\n';
}

}  // namespace velkaro::cli

int main(int argc, char** argv)
{
    using namespace velkaro;
    std::vector<std::string> args(argv + 1, argv + argc);

    // Messages and labels default to English on the command line.
    SetLanguageOffset(kLangEnglish);
    std::string lang;
    if (cli::TakeOption(args, "--lang", lang)) {
        if (lang == "de")
            SetLanguageOffset(kLangGerman);
        else if (lang == "en")
            SetLanguageOffset(kLangEnglish);
        else if (lang == "fr")
            SetLanguageOffset(kLangFrench);
        else
            return cli::Fail("unknown language: " + lang + " (de, en or fr)");
    }
    if (cli::TakeFlag(args, "--version")) {
        std::puts("Velkaro Desktop 4.0");
        return 0;
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
        std::printf("usage: velkaro %s %s\n", it->second.name.c_str(), it->second.usage.c_str());
        return 0;
    }
    return it->second.run(args);
}
