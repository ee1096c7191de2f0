// The manual page and the bash completion cannot drift from the program:
// every command, option and export format that `velkaro --help` and
// `velkaro help COMMAND` name is documented in velkaro(1) and offered by the
// completion.

#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace velkaro {
namespace {

namespace fs = std::filesystem;

class CliDocumentation : public test::CliTest {
protected:
    // The commands `velkaro --help` lists: the first word of each indented
    // line between "commands:" and the blank line after them.
    std::vector<std::string> Commands()
    {
        std::istringstream help(Velkaro("--help").out);
        std::vector<std::string> commands;
        std::string line;
        while (std::getline(help, line) && line != "commands:") {
        }
        while (std::getline(help, line) && line.rfind("  ", 0) == 0)
            commands.push_back(line.substr(2, line.find(' ', 2) - 2));
        return commands;
    }

    // The options the usage line of `velkaro help COMMAND` names.
    std::set<std::string> Options(const std::string& command)
    {
        return test::UsageOptions(Velkaro("help " + command).out);
    }

    // The formats as the usage line of export names them: "xls|csv|...".
    std::string FormatsText()
    {
        const std::string usage = Velkaro("help export").out;
        std::smatch formats;
        return std::regex_search(usage, formats, std::regex("--format ([a-z0-9|-]+)")) ? formats[1].str() : "";
    }
    std::set<std::string> Formats()
    {
        std::set<std::string> names;
        std::istringstream list(std::regex_replace(FormatsText(), std::regex("\\|"), " "));
        for (std::string format; list >> format;)
            names.insert(format);
        return names;
    }

    // What the completion offers for the words typed (the last one being
    // completed), with the program of the build tree first on PATH and
    // bash-completion's helpers stubbed: _filedir offers the scratch
    // folder's files of the pattern.
    std::set<std::string> Completion(const std::string& words)
    {
        const fs::path script = dir / "complete.sh";
        test::WriteAll(script,
                       "_init_completion() { cur=${COMP_WORDS[COMP_CWORD]}; prev=${COMP_WORDS[COMP_CWORD-1]};"
                       " words=(\"${COMP_WORDS[@]}\"); cword=$COMP_CWORD; }\n"
                       "_filedir() { local pattern=${1:-*}; shopt -s extglob nullglob; COMPREPLY=($cur*.$pattern);"
                       " [ \"$pattern\" = \"*\" ] && COMPREPLY=($cur*); }\n"
                       ". '" VELKARO_SOURCE_DIR "/resources/completion/velkaro'\n"
                       "COMP_WORDS=(velkaro "
                           + words + "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _velkaro; printf '%s\\n' \"${COMPREPLY[@]}\"\n");
        const std::string home = (dir / "home").string();
        const std::string command = "cd '" + dir.string() + "' && HOME='" + home + "' XDG_CONFIG_HOME='" + home
            + "/.config' XDG_CONFIG_DIRS='" + home + "/xdg' XDG_DATA_HOME='" + home + "/.local/share' PATH='"
            + test::CliBinary().parent_path().string() + ":/usr/bin:/bin' bash '" + script.string() + "' > '"
            + (dir / "offered").string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << words;
        std::istringstream offered(test::ReadAll(dir / "offered"));
        std::set<std::string> items;
        for (std::string item; offered >> item;)
            items.insert(item);
        return items;
    }
};

TEST_F(CliDocumentation, ManualPageNamesEveryCommandOptionAndFormat)
{
    const std::string page = test::ReadAll(VELKARO_SOURCE_DIR "/resources/man/velkaro.1.scd");
    const std::vector<std::string> commands = Commands();
    ASSERT_GE(commands.size(), 13u);
    std::map<std::string, std::set<std::string>> options;
    std::map<std::string, std::size_t> commandsTaking;
    for (const std::string& command : commands)
        for (const std::string& option : options[command] = Options(command))
            ++commandsTaking[option];
    for (const std::string& command : commands) {
        // A command's entry: its synopsis line and its paragraph.
        const std::size_t at = page.find("\n*" + command + "* ");
        ASSERT_NE(at, std::string::npos) << command << " is not described";
        const std::string entry = page.substr(at, page.find("\n\n*", at + 1) - at);
        // What every command takes is described once, among the options.
        for (const std::string& option : options[command])
            EXPECT_NE((commandsTaking[option] == commands.size() ? page : entry).find("*" + option + "*"),
                      std::string::npos)
                << command << ' ' << option;
    }
    // The formats as export's usage line gives them.
    EXPECT_GE(Formats().size(), 5u);
    EXPECT_NE(page.find("*--format* " + FormatsText()), std::string::npos) << FormatsText();
}

TEST_F(CliDocumentation, CompletionOffersWhatTheProgramTakes)
{
    const std::vector<std::string> commands = Commands();
    const std::set<std::string> offered = Completion("''");
    for (const std::string& command : commands) {
        EXPECT_TRUE(offered.count(command)) << command;
        const std::set<std::string> options = Completion(command + " -");
        for (const std::string& option : Options(command))
            EXPECT_TRUE(options.count(option)) << command << ' ' << option;
    }
    EXPECT_EQ(Completion("export x.itx --format ''"), Formats());

    // Files by what the command reads: vCards for import and table.
    for (const char* name : { "a.vcf", "b.csv", "c.itx", "d.txt" })
        test::WriteAll(dir / name, "");
    EXPECT_EQ(Completion("import ''"), (std::set<std::string> { "a.vcf", "b.csv", "d.txt" }));
    EXPECT_EQ(Completion("--lang de cards ''"), (std::set<std::string> { "c.itx" }));
    EXPECT_EQ(Completion("import x.csv --into ''"), (std::set<std::string> { "c.itx" }));
}

}  // namespace
}  // namespace velkaro
