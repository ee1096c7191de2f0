// What every `velkaro` command shares: its own help with every option and an
// example, exit status 2 for a mistake in the command line, and --json.

#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <unistd.h>

namespace velkaro {
namespace {

namespace fs = std::filesystem;

using test::CliRun;

class CliConventions : public test::CliTest {
protected:
    // Every command, as the program lists them for the shell's completion.
    std::vector<std::string> Commands()
    {
        std::istringstream list(Velkaro("--list-commands").out);
        std::vector<std::string> commands;
        for (std::string name; list >> name;)
            if (name != "help")
                commands.push_back(name);
        EXPECT_GE(commands.size(), 13u);
        return commands;
    }
};

TEST_F(CliConventions, EveryCommandExplainsEachOfItsOptionsWithAnExample)
{
    for (const std::string& command : Commands()) {
        SCOPED_TRACE(command);
        const CliRun viaHelp = Velkaro(std::string("help ") + command);
        const CliRun viaFlag = Velkaro(std::string(command) + " --help");
        EXPECT_EQ(viaHelp.status, 0);
        EXPECT_EQ(viaHelp.err, "");
        EXPECT_EQ(viaHelp.out, viaFlag.out);
        EXPECT_EQ(viaFlag.status, 0);
        EXPECT_EQ(viaHelp.out.rfind(std::string("usage: velkaro ") + command + ' ', 0), 0u) << viaHelp.out;
        const std::string body = viaHelp.out.substr(viaHelp.out.find('\n'));
        const std::set<std::string> options = test::UsageOptions(viaHelp.out);
        EXPECT_TRUE(options.count("--json"));
        // In every language, each option is explained.
        for (const char* lang : { "", "--lang de ", "--lang fr " }) {
            const std::string text = Velkaro(lang + ("help " + command)).out;
            for (const std::string& option : options)
                EXPECT_TRUE(text.find("\n  " + option + ' ') != std::string::npos
                            || text.find("\n  " + option + ", ") != std::string::npos)
                    << lang << option << " is not explained";
        }
        EXPECT_NE(body.find("Example:\n  velkaro " + std::string(command) + ' '), std::string::npos);
        EXPECT_NE(body.find("Exit status: 0 success, 1 failure"), std::string::npos);
    }
}

TEST_F(CliConventions, HelpOfAnUnknownCommandIsAUsageError)
{
    const CliRun run = Velkaro("help frobnicate");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("unknown command 'frobnicate'"), std::string::npos);
}

TEST_F(CliConventions, EveryCommandWithoutItsArgumentsIsAUsageErrorOnStandardError)
{
    for (const std::string& command : Commands()) {
        SCOPED_TRACE(command);
        const CliRun run = Velkaro(command);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage: velkaro " + std::string(command)), std::string::npos) << run.err;
    }
}

TEST_F(CliConventions, JsonGivesEachResultAsOneObject)
{
    {
        std::ofstream csv(dir / "addresses.csv", std::ios::binary);
        csv << "Name;Telefon\nAlt;0301234\nBerg;0407654\n";
    }
    CliRun run = Velkaro("import " + Quoted("addresses.csv") + " --into " + Quoted("cards.itx") + " --skip-first --json");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.rfind("{\"command\":\"import\",\"status\":0,\"ok\":true,", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("\"messages\":[\"2 cards loaded from file\",\"" + (dir / "addresses.csv").string() + "\"]"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << "one object, one line";

    run = Velkaro("cards --json " + Quoted("cards.itx"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"count\":2,\"records\":[{\"edited\":"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"lines\":[\"Alt\",\"0301234\""), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find('\n'), run.out.size() - 1);

    // A failure: the object says so, and the reason is on standard error too.
    run = Velkaro("cards " + Quoted("missing \"file\".itx") + " --json");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.rfind("{\"command\":\"cards\",\"status\":1,\"ok\":false,", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("missing \\\"file\\\".itx could not be opened."), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("could not be opened"), std::string::npos);

    // A mistake in the command line keeps its status 2 and gives no result.
    run = Velkaro("export " + Quoted("cards.itx") + " -o x.csv --format pdf --json");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("--format takes xls, csv, tab, vcf or csv-utf8"), std::string::npos);
}

}  // namespace
}  // namespace velkaro
