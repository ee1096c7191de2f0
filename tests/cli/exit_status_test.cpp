// What `velkaro` answers when a command cannot do what it says: the exit
// status (1 a failure, 2 a mistake in the command line), the reason naming
// the file, and a card file that is never written over by its own export.

#include "model/Archive.h"

#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace velkaro {
namespace {

namespace fs = std::filesystem;

class CliExitStatus : public test::CliTest {};

TEST_F(CliExitStatus, FailuresAreNeverSuccessAndNameTheirFile)
{
    CCardList list;
    for (const char* name : { "Alt", "Berg" }) {
        auto card = std::make_unique<CKarte>();
        card->SetLine(0, name);
        list.InsertSorted(std::move(card), false);
    }
    ASSERT_TRUE(SaveCardFile((dir / "c.itx").string(), list));
    const std::string cards = test::ReadAll(dir / "c.itx");
    test::WriteAll(dir / "a.csv", "Name;Telefon\nAlt;1\n");
    test::WriteAll(dir / "empty.csv", "");
    test::WriteAll(dir / "bad.itx", "not a card file");
    fs::create_symlink(dir / "c.itx", dir / "link.csv");
    fs::create_hard_link(dir / "c.itx", dir / "hard.csv");

    const std::string d = dir.string() + "/";
    const std::string closedOut = "velkaro: cannot write standard output: Bad file descriptor\n";
    struct Case {
        std::string args;
        std::string redirections;
        int status;
        std::string err;  // a part of standard error ("" for none expected)
        std::string out;
    };
    for (const Case& c : std::vector<Case> {
             // An export never writes over the file it reads, by any of its names.
             { "export @c.itx -o @c.itx --format csv", "", 1, d + "c.itx is the file the cards are read from", "" },
             { "export @c.itx -o @link.csv --format csv", "", 1, d + "link.csv is the file the cards are read from", "" },
             { "export @c.itx -o @hard.csv --format xls", "", 1, d + "hard.csv is the file the cards are read from", "" },
             { "history @nope.itx", "", 1, d + "nope.itx: No such file or directory\n", "" },
             { "history @c.itx", "", 0, "", d + "c.itx has no history: no earlier state of it has been kept.\n" },
             // No line is called so in any language: known before a file is read.
             { "import @a.csv --into @d.itx --map Bogus=1", "", 2, "velkaro: --map: unknown card line \"Bogus\"\n", "" },
             // The archive's own labels count with --structure: known only after it is read.
             { "import @a.csv --into @d.itx --map Bogus=1 --structure", "", 1, "--map: unknown card line \"Bogus\"\n", "" },
             { "table /nonexistent/contacts.csv", "", 1, "/nonexistent/contacts.csv: No such file or directory\n", "" },
             { "table @empty.csv", "", 1, d + "empty.csv: ", "" },
             { "import @empty.csv --into @d.itx", "", 1, d + "empty.csv: ", "" },
             { "cards @bad.itx", "", 1, d + "bad.itx: Unknown file format\n", "" },
             // A message that cannot be printed is a failure; a command with
             // nothing to print does not miss its standard output.
             { "import @a.csv --into @d.itx", ">&-", 1, closedOut, "" },
             { "cards @c.itx --json", ">&-", 1, closedOut, "" },
             { "history @c.itx", ">&- <&-", 1, closedOut, "" },
             { "convert @c.itx @e.itx", ">&- <&-", 0, "", "" },
             { "import @missing.csv --into @d.itx", ">&- 2>&-", 1, "", "" },
         }) {
        // "@" stands for the scratch folder (its name holds no blank).
        std::string args = c.args;
        for (std::size_t at; (at = args.find('@')) != std::string::npos;)
            args.replace(at, 1, d);
        const test::CliRun run = test::RunCli(dir, args, {}, c.redirections);
        EXPECT_EQ(run.status, c.status) << args << ' ' << c.redirections << "\n" << run.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << args << "\n" << run.err;
        EXPECT_EQ(run.out, c.out) << args;
        EXPECT_EQ(test::ReadAll(dir / "c.itx"), cards) << args;
    }
    EXPECT_FALSE(fs::exists(dir / "d.itx.lock"));
}

// A file name that holds terminal controls (retitle the window, ring the
// bell) is printed with them escaped, never raw.
TEST_F(CliExitStatus, ControlCharactersOfNamesAreEscaped)
{
    const std::string name = dir.string() + "/a\x1b]0;owned\x07.csv";
    const test::CliRun run = test::RunCli(dir, "table '" + name + "'", {}, "");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("/a\\x1b]0;owned\\x07.csv: No such file or directory"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\x1b'), std::string::npos);
    EXPECT_EQ(run.err.find('\x07'), std::string::npos);

    // A card file made elsewhere with protocol bytes in a line: read as
    // blanks, and said so.
    CCardList list;
    auto card = std::make_unique<CKarte>();
    card->SetLine(0, "Anna");
    card->SetLine(1, std::string("030\r\x1B\x00\x01" "1", 8));
    list.InsertSorted(std::move(card), false);
    ASSERT_TRUE(SaveCardFile((dir / "c.itx").string(), list));
    const test::CliRun cards = test::RunCli(dir, "cards '" + (dir / "c.itx").string() + "'", {}, "");
    EXPECT_EQ(cards.status, 0);
    EXPECT_NE(cards.out.find("\"030    1\""), std::string::npos) << cards.out;
    EXPECT_NE(cards.err.find("1 cards in"), std::string::npos) << cards.err;
}

}  // namespace
}  // namespace velkaro
