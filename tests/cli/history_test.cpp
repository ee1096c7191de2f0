// `velkaro history` and `velkaro restore`, and the copies the command line's
// own replacing steps keep, run as the built program.

#include "model/Archive.h"
#include "model/History.h"

#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/mount.h>
#include <sys/statvfs.h>
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
    // count cards, each with a number, so that the count names the state.
    void WriteCount(const std::string& name, int count)
    {
        CCardList list;
        for (int i = 0; i < count; ++i) {
            auto card = std::make_unique<CKarte>();
            card->SetLine(0, "Karte " + std::to_string(100000 + i));
            card->SetLine(1, "030 " + std::to_string(5550000 + i));
            list.Append(std::move(card));
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
    EXPECT_NE(run.out.find("  3  Conversion\n"), std::string::npos) << run.out;

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
    EXPECT_NE(run.out.find("Restore an earlier state"), std::string::npos);
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
    EXPECT_EQ(Velkaro("history " + Quoted("book.itx")).out,
              (dir / "book.itx").string() + " has no history: no earlier state of it has been kept.\n");
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

TEST_F(CliHistory, AClockSetBackLosesNoNewerState)
{
    // Berlin, then New York: the last steps have earlier local times. The
    // POSIX forms of the two zones need no time-zone data.
    const std::string berlin = "TZ='CET-1CEST,M3.5.0,M10.5.0/3'";
    const std::string newYork = "TZ='EST5EDT,M3.2.0,M11.1.0'";
    WriteCards("book.itx", { "Start" });
    constexpr int kSteps = kHistoryKept + 2;
    for (int step = 1; step <= kSteps; ++step) {
        // Step k leaves k + 1 cards and keeps the state before it.
        WriteCount("in.vlx", step + 1);
        auto run = Velkaro("convert " + Quoted("in.vlx") + " " + Quoted("book.itx"),
                           step <= kHistoryKept ? berlin : newYork);
        ASSERT_EQ(run.status, 0) << run.err;
    }
    auto run = Velkaro("history " + Quoted("book.itx"), newYork);
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    std::string line;
    int n = 0;
    while (std::getline(lines, line)) {
        ++n;
        // "N  YYYY-MM-DD hh:mm:ss  COUNT  STEP", newest first.
        const std::string count = line.substr(line.find("  ", line.find(':')) + 2);
        EXPECT_EQ(count, std::to_string(kSteps + 1 - n) + "  Conversion") << line;
    }
    EXPECT_EQ(n, kHistoryKept);
    ASSERT_EQ(Velkaro("restore " + Quoted("book.itx") + " 1", newYork).status, 0);
    EXPECT_EQ(CountIn("book.itx"), kSteps) << "the state before the last step";
}

// Unmounts the scratch file system a test mounted, whatever the test did.
struct Mounted {
    std::string path;
    ~Mounted() { ::umount2(path.c_str(), MNT_DETACH); }
};

TEST_F(CliHistory, AStepIntoAFullDiskLeavesNoTrace)
{
    const fs::path disk = dir / "disk";
    fs::create_directories(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "no small file system to fill (mounting one needs root): " << std::strerror(errno);
    Mounted mounted { disk.string() };
    constexpr int kBig = 5000;
    WriteCount("big.vlx", kBig);
    {
        std::ofstream csv(dir / "big.csv");
        csv << "Name;Telefon\n";
        for (int i = 0; i < kBig; ++i)
            csv << "Name " << i << ";0301234" << i << "\n";
    }
    struct Case {
        const char* what;
        int bookCards;
        std::uintmax_t freeBytes;
        std::string command;
    };
    const std::string convert = "convert " + Quoted("big.vlx") + " " + Quoted("disk/book.itx");
    const std::string import = "import " + Quoted("big.csv") + " --into " + Quoted("disk/book.itx") + " --mode replace";
    const Case cases[] = {
        { "the copy does not fit", 2000, 8 << 10, convert },
        { "the copy fits, the cards do not", 1, 32 << 10, convert },
        { "an import whose cards do not fit", 1, 32 << 10, import },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(disk))
            fs::remove_all(entry.path());
        WriteCount("disk/book.itx", c.bookCards);
        const std::string before = test::ReadAll(disk / "book.itx");
        ASSERT_GT(before.size(), c.bookCards > 1 ? c.freeBytes : 0) << "a book bigger than the room left";
        struct statvfs space {};
        ASSERT_EQ(::statvfs(disk.c_str(), &space), 0);
        const std::uintmax_t room = static_cast<std::uintmax_t>(space.f_bavail) * space.f_frsize;
        ASSERT_GT(room, c.freeBytes);
        std::ofstream(disk / "filler") << std::string(room - c.freeBytes, 'x');
        auto run = Velkaro(c.command);
        EXPECT_EQ(run.status, 1) << run.out << run.err;
        EXPECT_EQ(test::ReadAll(disk / "book.itx"), before);
        EXPECT_FALSE(fs::exists(disk / "Verlauf"));
    }
}

}  // namespace
}  // namespace velkaro
