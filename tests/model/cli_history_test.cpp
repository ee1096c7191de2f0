// `velkaro history` and `velkaro restore`, and the copies the command line's
// own replacing steps keep, run as the built program.

#include "model/Archive.h"
#include "model/History.h"

#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace velkaro {
namespace {

namespace fs = std::filesystem;

class CliHistory : public test::CliTest {
protected:
    void WriteCards(const std::string& name, std::initializer_list<const char*> names)
    {
        CCardList list;
        for (const char* n : names) {
            auto card = std::make_unique<CKarte>();
            card->SetLine(0, n);
            list.InsertSorted(std::move(card), false);
        }
        ASSERT_TRUE(SaveCardFile((dir / name).string(), list));
    }
    int CountIn(const std::string& name)
    {
        CCardList list;
        EXPECT_TRUE(LoadCardFile((dir / name).string(), list));
        return list.Count();
    }

};

TEST_F(CliHistory, AConvertOverAFileKeepsItAndRestoreBringsItBack)
{
    WriteCards("book.itx", { "Anna", "Bert", "Carl" });
    WriteCards("one.vlx", { "Zora" });
    const std::string before = test::ReadAll(dir / "book.itx");

    auto run = Velkaro("convert " + Quoted("one.vlx") + " " + Quoted("book.itx"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(CountIn("book.itx"), 1);

    run = Velkaro("history " + Quoted("book.itx"));
    ASSERT_EQ(run.status, 0) << run.err;
    // Number, time, card count, step.
    EXPECT_NE(run.out.find("1  "), std::string::npos);
    EXPECT_NE(run.out.find("  3  Umwandeln\n"), std::string::npos) << run.out;

    run = Velkaro("restore " + Quoted("book.itx") + " 1");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::ReadAll(dir / "book.itx"), before);
    // The state that was replaced is kept too, newest first.
    auto entries = ListHistory((dir / "book.itx").string());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].action, history::Restore);

    run = Velkaro("history " + Quoted("book.itx") + " --json");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.front(), '{');
    EXPECT_NE(run.out.find("Wiederherstellen"), std::string::npos);
}

TEST_F(CliHistory, RestoreRefusesWhatTheListDoesNotHold)
{
    WriteCards("book.itx", { "Anna" });
    EXPECT_EQ(Velkaro("restore " + Quoted("book.itx") + " 0").status, 2);
    EXPECT_EQ(Velkaro("restore " + Quoted("book.itx") + " x").status, 2);
    EXPECT_EQ(Velkaro("restore " + Quoted("book.itx")).status, 2);
    auto run = Velkaro("restore " + Quoted("book.itx") + " 1");
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(run.err.empty());
    EXPECT_EQ(CountIn("book.itx"), 1);
    EXPECT_EQ(Velkaro("history " + Quoted("book.itx")).out, "");
}

TEST_F(CliHistory, AConvertWhoseCopyCannotBeKeptLeavesTheFile)
{
    WriteCards("book.itx", { "Anna", "Bert" });
    WriteCards("one.vlx", { "Zora" });
    std::ofstream(dir / "Verlauf") << "not a folder";
    auto run = Velkaro("convert " + Quoted("one.vlx") + " " + Quoted("book.itx"));
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(run.err.empty());
    EXPECT_EQ(CountIn("book.itx"), 2);
}

}  // namespace
}  // namespace velkaro
