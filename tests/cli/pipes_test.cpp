// `velkaro` in a pipeline: "-" for standard input and output, inputs that can
// be read only once, "--", options it does not take, --quiet, the shape of
// its errors, and its help and the system's reasons in the user's language.

#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <locale.h>
#include <sys/stat.h>

namespace velkaro {
namespace {

namespace fs = std::filesystem;

using test::CliRun;

class CliPipes : public test::CliTest {
protected:
    void SetUp() override
    {
        test::CliTest::SetUp();
        test::WriteAll(dir / "a.csv", "Name;Telefon\nAlt;0301234\nBerg;0407654\n");
    }
    std::string Fixture(const std::string& name) const
    {
        return "'" VELKARO_SOURCE_DIR "/tests/exchange/fixtures/" + name + "'";
    }
    CliRun Piped(const std::string& feed, const std::string& args) { return test::RunCliPiped(dir, feed, args); }
};

// Whatever the input's kind, read from a pipe it reads as the file does:
// the kind is known by the content.
TEST_F(CliPipes, TableReadsStandardInputAndPipesAsTheFile)
{
    for (const std::string& file : { Quoted("a.csv"), Fixture("libreoffice.xlsx"), Fixture("libreoffice.ods"),
                                    Fixture("libreoffice_biff8.xls"), Fixture("contacts/android.vcf") }) {
        SCOPED_TRACE(file);
        const CliRun expected = Velkaro("table " + file + " --decimal . --thousands , --date /");
        ASSERT_EQ(expected.status, 0) << expected.err;
        ASSERT_FALSE(expected.out.empty());
        for (const std::string& args : { std::string("table -"), std::string("table /dev/stdin") }) {
            const CliRun run = Piped("cat " + file + " |", args + " --decimal . --thousands , --date /");
            EXPECT_EQ(run.status, 0) << args << run.err;
            EXPECT_EQ(run.out, expected.out) << args;
        }
    }
    // A named pipe (as bash's <(...) gives one), read once.
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const CliRun fifo = Piped("cat " + Quoted("a.csv") + " >" + Quoted("fifo") + " &", "table " + Quoted("fifo"));
    EXPECT_EQ(fifo.status, 0) << fifo.err;
    EXPECT_EQ(fifo.out, "[\"Name\",\"Telefon\"]\n[\"Alt\",\"0301234\"]\n[\"Berg\",\"0407654\"]\n");
}

TEST_F(CliPipes, ImportCardsAndExportJoinAPipeline)
{
    CliRun run = Piped("cat " + Quoted("a.csv") + " |", "import - --into " + Quoted("c.itx") + " --skip-first");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "2 cards loaded from file\nstandard input\n");

    run = Piped("cat " + Quoted("c.itx") + " |", "cards -");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"lines\":[\"Berg\",\"0407654\"]"), std::string::npos) << run.out;

    // Standard output carries the export alone, byte for byte the file's.
    ASSERT_EQ(Velkaro("export " + Quoted("c.itx") + " -o " + Quoted("file.vcf") + " --format vcf").status, 0);
    const std::string file = test::ReadAll(dir / "file.vcf");
    for (const char* out : { "-", "/dev/stdout" }) {
        run = Piped("", "export " + Quoted("c.itx") + " -o " + out + " --format vcf");
        EXPECT_EQ(run.status, 0) << out << run.err;
        EXPECT_EQ(run.out, file) << out;
        EXPECT_FALSE(fs::exists(dir / "-"));
    }
}

TEST_F(CliPipes, CommandLineMistakesNameTheOption)
{
    test::WriteAll(dir / "-dash.csv", "Name\nAlt\n");
    struct Case {
        std::string args;
        int status;
        std::string errStart;
        std::string out;
    };
    for (const Case& c : std::vector<Case> {
             { "import a.csv --into c.itx --skip-frist", 2, "velkaro: unknown option --skip-frist\nusage: velkaro import ", "" },
             { "--verbose table a.csv", 2, "velkaro: unknown option --verbose\n", "" },
             { "table a.csv --sheet", 2, "velkaro: --sheet takes a value: NAME|N\n", "" },
             { "cards c.itx --json=yes", 2, "velkaro: --json takes no value\n", "" },
             // After "--" a name that begins with a dash is a file.
             { "table -- -dash.csv", 0, "", "[\"Name\"]\n[\"Alt\"]\n" },
             { "--json table -- -dash.csv", 0, "", "{\"command\":\"table\",\"status\":0,\"ok\":true,\"count\":2," },
         }) {
        const CliRun run = Piped("", c.args);
        EXPECT_EQ(run.status, c.status) << c.args << run.err;
        EXPECT_EQ(run.err.substr(0, c.errStart.size()), c.errStart) << c.args;
        EXPECT_EQ(run.out.substr(0, c.out.size()), c.out) << c.args;
    }
}

// Every command's failure is one line: the program, the file, the reason.
TEST_F(CliPipes, FailuresSayProgramFileAndReasonOnOneLine)
{
    ASSERT_EQ(Velkaro("import " + Quoted("a.csv") + " --into " + Quoted("c.itx")).status, 0);
    const std::string missing = "/nonexistent/contacts";
    for (const std::string& args :
         { "table " + missing + ".csv", "cards " + missing + ".itx", "import " + missing + ".csv --into c.itx",
           "export " + missing + ".itx -o x.csv --format csv", "convert " + missing + ".itx x.itx",
           "history " + missing + ".itx", "export c.itx -o " + missing + ".csv --format csv" }) {
        const CliRun run = Piped("", args);
        EXPECT_EQ(run.status, 1) << args;
        EXPECT_EQ(run.out, "") << args;
        EXPECT_EQ(run.err.rfind("velkaro: " + missing, 0), 0u) << args << "\n" << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << args << "\n" << run.err;
    }
    EXPECT_EQ(Piped("", "table " + missing + ".csv").err, "velkaro: " + missing + ".csv: No such file or directory\n");
    // A card file never written over keeps no history: said, not failed.
    const CliRun history = Piped("", "history c.itx");
    EXPECT_EQ(history.status, 0);
    EXPECT_EQ(history.out, "c.itx has no history: no earlier state of it has been kept.\n");
}

TEST_F(CliPipes, QuietLeavesOnlyErrorsAndData)
{
    for (const char* where : { "--quiet import a.csv --into c.itx", "import a.csv --into c.itx --quiet" }) {
        const CliRun run = Piped("", where);
        EXPECT_EQ(run.status, 0) << where << run.err;
        EXPECT_EQ(run.out, "") << where;
        EXPECT_EQ(run.err, "") << where;
    }
    EXPECT_EQ(Piped("", "--quiet export c.itx -o x.csv --format csv").out, "");
    EXPECT_NE(Piped("", "--quiet cards c.itx").out, "");
    const CliRun failed = Piped("", "--quiet table missing.csv");
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, "velkaro: missing.csv: No such file or directory\n");
}

// A bare port number is COMn: a number out of range is a mistake in the
// command line, one in range gets as far as the card's name.
TEST_F(CliPipes, PortIsANumberOrCom)
{
    ASSERT_EQ(Velkaro("import " + Quoted("a.csv") + " --into " + Quoted("c.itx")).status, 0);
    for (const auto& [port, status] : std::vector<std::pair<std::string, int>> {
             { "3", 1 }, { "COM3", 1 }, { "20", 1 }, { "0", 2 }, { "21", 2 }, { "COM21", 2 } }) {
        const CliRun run = Piped("", "dial c.itx Nobody --port " + port);
        EXPECT_EQ(run.status, status) << port << run.err;
    }
}

bool LocaleInstalled(const char* name)
{
    locale_t locale = ::newlocale(LC_MESSAGES_MASK, name, nullptr);
    if (locale)
        ::freelocale(locale);
    return locale != nullptr;
}

TEST_F(CliPipes, HelpAndSystemReasonsInTheUsersLanguage)
{
    struct Case {
        std::string environment;
        std::string args;
        std::string part;
    };
    for (const Case& c : std::vector<Case> {
             { "LANG=de_DE.UTF-8", "help import", "\nOptionen:\n  FILE  " },
             { "LANG=fr_FR.UTF-8", "table --help", "\nOptions :\n  FILE  " },
             { "", "--lang de --help", "\nBefehle:\n  cards FILE" },
             { "LANG=de_DE.UTF-8", "table /nonexistent.csv", "velkaro: /nonexistent.csv: Datei oder Verzeichnis nicht gefunden\n" },
             { "LANG=fr_FR.UTF-8", "table a.csv --bogus", "velkaro: option inconnue --bogus\n" },
         }) {
        // The system's reasons are translated where the locale is installed.
        if (c.part.find("Datei oder") != std::string::npos && !LocaleInstalled("de_DE.UTF-8"))
            continue;
        const CliRun run = Velkaro(c.args, c.environment);
        EXPECT_NE((run.out + run.err).find(c.part), std::string::npos) << c.args << "\n" << run.out << run.err;
    }
}

}  // namespace
}  // namespace velkaro
