#include "model/Archive.h"
#include "model/AtomicFile.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace velkaro {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::WriteAll;

// A process id that surely ran and has ended.
pid_t EndedProcess()
{
    pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::path(std::getenv("VELKARO_TEST_HOME")) / "atomic" / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
    }

    // The names in the folder, sorted.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir;
};

TEST_F(AtomicFileTest, ReplacesTheContentAndLeavesNoTemporary)
{
    const fs::path file = dir / "cards.itx";
    WriteAll(file, "old content that is longer than the new one");
    ASSERT_EQ(WriteFileAtomically(file.string(), "new"), 0);
    EXPECT_EQ(ReadAll(file), "new");
    EXPECT_EQ(Names(), std::vector<std::string>({ "cards.itx" }));
    // A new file, and an empty content.
    ASSERT_EQ(WriteFileAtomically((dir / "empty").string(), ""), 0);
    EXPECT_TRUE(fs::exists(dir / "empty"));
    EXPECT_EQ(fs::file_size(dir / "empty"), 0u);
}

TEST_F(AtomicFileTest, WritesThroughASymbolicLink)
{
    fs::create_directories(dir / "real");
    const fs::path target = dir / "real" / "cards.itx";
    WriteAll(target, "old cards");
    fs::create_symlink("real/cards.itx", dir / "link.itx");
    fs::create_symlink(dir / "link.itx", dir / "chain.itx");

    ASSERT_EQ(WriteFileAtomically((dir / "chain.itx").string(), "new cards"), 0);
    EXPECT_TRUE(fs::is_symlink(dir / "chain.itx"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.itx"));
    EXPECT_EQ(ReadAll(target), "new cards");
    EXPECT_EQ(fs::read_symlink(dir / "link.itx"), fs::path("real/cards.itx"));

    // A link whose target does not exist yet: the target is created.
    fs::create_symlink("real/later.itx", dir / "dangling.itx");
    ASSERT_EQ(WriteFileAtomically((dir / "dangling.itx").string(), "x"), 0);
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.itx"));
    EXPECT_EQ(ReadAll(dir / "real" / "later.itx"), "x");
}

// A working file with a second name (a hard link, say in a synchronised
// folder): every name gets the new cards, the file stays one file.
TEST_F(AtomicFileTest, WritesThroughAHardLink)
{
    const fs::path file = dir / "w.itx", second = dir / "second.itx";
    WriteAll(file, "old cards");
    ::chmod(file.c_str(), 0640);
    fs::create_hard_link(file, second);
    for (const std::string& cards : { std::string(5000, 'n'), std::string("short") }) {
        ASSERT_EQ(WriteFileAtomically(file.string(), cards), 0);
        EXPECT_EQ(ReadAll(file), cards);
        EXPECT_EQ(ReadAll(second), cards);
    }
    EXPECT_TRUE(fs::equivalent(file, second));
    EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640));
    EXPECT_EQ(Names(), std::vector<std::string>({ "second.itx", "w.itx" }));
}

// A write through killed while it writes into the file: its complete
// content was on disk first, and the next start copies it in.
TEST_F(AtomicFileTest, AWriteThroughKilledMidwayIsFinishedAtTheNextStart)
{
    const fs::path file = dir / "w.itx", second = dir / "second.itx";
    WriteAll(file, std::string(100, 'o'));
    fs::create_hard_link(file, second);
    const std::string cards(300, 'n');
    auto redoOf = [&](pid_t pid) { return dir / (".w.itx.redo" + std::to_string(pid) + "-0"); };
    pid_t child = ::fork();
    if (child == 0) {
        int fd = ::open(redoOf(::getpid()).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        ::flock(fd, LOCK_EX);
        [[maybe_unused]] ssize_t n = ::write(fd, cards.data(), cards.size());
        int target = ::open(file.c_str(), O_WRONLY);
        n = ::write(target, cards.data(), 150);
        ::raise(SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_EQ(ReadAll(second), std::string(150, 'n'));  // a mixture, cut to the old length
    // A write through in progress is left alone.
    const fs::path inProgress = redoOf(::getpid());
    WriteAll(inProgress, "in progress");
    int held = ::open(inProgress.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    EXPECT_EQ(RemoveLeftoverTemporaries(file.string()), 1);
    EXPECT_EQ(ReadAll(file), cards);
    EXPECT_TRUE(fs::equivalent(file, second));
    EXPECT_EQ(Names(), std::vector<std::string>({ inProgress.filename().string(), "second.itx", "w.itx" }));
    ::close(held);
}

// Unmounts the scratch file system a test mounted, whatever the test did.
struct Mounted {
    std::string path;
    ~Mounted() { ::umount2(path.c_str(), MNT_DETACH); }
};

// The new cards fit on the disk once but not beside the old ones: the write
// through stops before the file is touched.
TEST_F(AtomicFileTest, AWriteThroughIntoAFullDiskLeavesTheFileAsItWas)
{
    const fs::path disk = dir / "disk";
    fs::create_directories(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "no small file system to fill (mounting one needs root): " << std::strerror(errno);
    Mounted mounted { disk.string() };
    const std::string old(40 << 10, 'o'), cards(200 << 10, 'n');
    WriteAll(disk / "w.itx", old);
    fs::create_hard_link(disk / "w.itx", disk / "second.itx");
    struct statvfs space {};
    ASSERT_EQ(::statvfs(disk.c_str(), &space), 0);
    const std::uintmax_t room = static_cast<std::uintmax_t>(space.f_bavail) * space.f_frsize;
    WriteAll(disk / "filler", std::string(room - (300 << 10), 'x'));

    EXPECT_EQ(WriteFileAtomically((disk / "w.itx").string(), cards), ENOSPC);
    EXPECT_EQ(ReadAll(disk / "second.itx"), old);
    EXPECT_TRUE(fs::equivalent(disk / "w.itx", disk / "second.itx"));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(disk))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, std::vector<std::string>({ "filler", "second.itx", "w.itx" }));
}

TEST_F(AtomicFileTest, KeepsTheModeAndRefusesAReadOnlyFile)
{
    const fs::path file = dir / "private.itx";
    WriteAll(file, "a");
    ::chmod(file.c_str(), 0640);
    ASSERT_EQ(WriteFileAtomically(file.string(), "b"), 0);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_uid, ::geteuid());

    // Another user's file that root saves stays that user's.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(file.c_str(), 4321, 4322), 0);
        ASSERT_EQ(WriteFileAtomically(file.string(), "b"), 0);
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 4321u);
        EXPECT_EQ(st.st_gid, 4322u);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
    }

    // Read-only: refused even for root, the file as it was, nothing left.
    ::chmod(file.c_str(), 0444);
    EXPECT_EQ(WriteFileAtomically(file.string(), "c"), EACCES);
    EXPECT_EQ(ReadAll(file), "b");
    EXPECT_EQ(Names(), std::vector<std::string>({ "private.itx" }));

    CCardList cards;
    ArchiveResult saved = SaveCardFile(file.string(), cards);
    EXPECT_EQ(saved.error, ArchiveError::FileError);
    EXPECT_NE(saved.message.find("private.itx"), std::string::npos) << saved.message;
    EXPECT_EQ(ReadAll(file), "b");
}

TEST_F(AtomicFileTest, FailedWriteKeepsTheOldFile)
{
    // A folder in the way of the target: nothing is replaced.
    fs::create_directories(dir / "taken");
    EXPECT_EQ(WriteFileAtomically((dir / "taken").string(), "x"), EISDIR);
    EXPECT_TRUE(fs::is_directory(dir / "taken"));
    EXPECT_NE(WriteFileAtomically((dir / "missing" / "f").string(), "x"), 0);
}

TEST_F(AtomicFileTest, RemovesLeftoversButNotAWriteInProgress)
{
    const fs::path file = dir / "Velkaro_Desktop.itx";
    WriteAll(file, "cards");
    const std::string ended = std::to_string(EndedProcess());
    // After a power cut the process ids start again: a leftover may carry
    // the id of a process that runs now. It goes all the same.
    const std::string running = std::to_string(::getppid());
    WriteAll(dir / (".Velkaro_Desktop.itx.tmp" + ended + "-0"), "half");
    WriteAll(dir / (".Velkaro_Desktop.itx.tmp" + running + "-7"), "half");
    // A write in progress holds its temporary.
    const fs::path inProgress = dir / (".Velkaro_Desktop.itx.tmp" + running + "-0");
    WriteAll(inProgress, "in progress");
    int held = ::open(inProgress.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    WriteAll(dir / (".Velkaro_Desktop.itx.tmpnote"), "not ours");
    WriteAll(dir / (".other.itx.tmp" + ended + "-0"), "another file's");

    EXPECT_EQ(RemoveLeftoverTemporaries(file.string()), 2);
    EXPECT_EQ(Names(), std::vector<std::string>({ ".Velkaro_Desktop.itx.tmp" + running + "-0",
                                                  ".Velkaro_Desktop.itx.tmpnote", ".other.itx.tmp" + ended + "-0",
                                                  "Velkaro_Desktop.itx" }));
    EXPECT_EQ(ReadAll(file), "cards");
    ::close(held);
    EXPECT_EQ(RemoveLeftoverTemporaries(file.string()), 1);
}

TEST_F(AtomicFileTest, ASaveKilledMidwayLeavesALeftoverThatTheNextStartRemoves)
{
    const fs::path file = dir / "Velkaro_Desktop.itx";
    WriteAll(file, "old cards");
    // A writer that dies while it holds its temporary, as a killed save.
    pid_t child = ::fork();
    if (child == 0) {
        int fd = ::open((dir / (".Velkaro_Desktop.itx.tmp" + std::to_string(::getpid()) + "-0")).c_str(),
                        O_WRONLY | O_CREAT | O_EXCL, 0600);
        ::flock(fd, LOCK_EX);
        [[maybe_unused]] ssize_t n = ::write(fd, "half", 4);
        ::_exit(0);  // no rename, no clean-up
    }
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(Names().size(), 2u);
    EXPECT_EQ(RemoveLeftoverTemporaries(file.string()), 1);
    EXPECT_EQ(Names(), std::vector<std::string>({ "Velkaro_Desktop.itx" }));
    EXPECT_EQ(ReadAll(file), "old cards");
}

TEST_F(AtomicFileTest, LeftoversBesideALinksTarget)
{
    fs::create_directories(dir / "real");
    fs::create_symlink("real/w.itx", dir / "w.itx");
    const std::string ended = std::to_string(EndedProcess());
    WriteAll(dir / "real" / (".w.itx.tmp" + ended + "-0"), "half");
    EXPECT_EQ(RemoveLeftoverTemporaries((dir / "w.itx").string()), 1);
    EXPECT_TRUE(fs::is_empty(dir / "real"));
}

}  // namespace
}  // namespace velkaro
