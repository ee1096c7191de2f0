// Export, import-configuration and call-list files are written whole or not
// at all: a write that fails midway leaves the file that was there.

#include "exchange/FileAccess.h"
#include "exchange/ImportTable.h"
#include "exchange/TextWriter.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <sys/stat.h>

namespace velkaro {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;

class OutputFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::path(std::getenv("VELKARO_TEST_HOME")) / "output"
            / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    fs::path dir;
};

// Files may grow to `limit` bytes only while this lives: a write beyond
// fails as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit cut = m_old;
        cut.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &cut);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
};

TEST_F(OutputFileTest, AWriteThatFailsMidwayKeepsTheOldFile)
{
    const fs::path file = dir / "export.txt";
    const std::string good(1000, 'g');
    ASSERT_TRUE(WriteWholeFile(file.string(), good));
    {
        FileSizeLimit full(100);
        EXPECT_EQ(WriteWholeFile(file.string(), std::string(5000, 'n')).Kind(), OutcomeKind::IoError);
    }
    EXPECT_EQ(ReadAll(file), good);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(OutputFileTest, ALinkIsWrittenThroughAndAReadOnlyFileRefused)
{
    fs::create_directories(dir / "real");
    fs::create_symlink("real/calls.txt", dir / "calls.txt");
    CImportTable table;
    table.SetField("Anna", 0, 0);
    table.SetField("123", 0, 1);
    const std::string bytes = BuildDelimitedText(table, ';', true);
    ASSERT_TRUE(WriteDelimitedText((dir / "calls.txt").string(), table, ';', true));
    EXPECT_TRUE(fs::is_symlink(dir / "calls.txt"));
    EXPECT_EQ(ReadAll(dir / "real" / "calls.txt"), bytes);

    ::chmod((dir / "real" / "calls.txt").c_str(), 0444);
    const std::string error = WriteWholeFile((dir / "calls.txt").string(), "other").Message();
    EXPECT_NE(error.find("ermission"), std::string::npos) << error;
    EXPECT_EQ(ReadAll(dir / "real" / "calls.txt"), bytes);
}

// The one whole-file reader of the exchange formats: the whole file, or as
// much as the caller allows, and what went wrong otherwise.
TEST_F(OutputFileTest, WholeFileIsReadUpToTheLimit)
{
    const fs::path file = dir / "data.bin";
    std::string content(200000, 'x');
    content[0] = '\0';
    content[199999] = 'z';
    std::ofstream(file, std::ios::binary) << content;

    std::string bytes = "left over";
    FileReadResult read = LoadWholeFile(file.string(), bytes, content.size() + 1);
    EXPECT_TRUE(read);
    EXPECT_EQ(bytes, content);

    read = LoadWholeFile(file.string(), bytes, 70000);
    EXPECT_TRUE(read);
    EXPECT_EQ(bytes, content.substr(0, 70000));

    read = LoadWholeFile((dir / "missing.bin").string(), bytes, 100);
    EXPECT_EQ(read.status, FileReadResult::Status::NotOpened);
    EXPECT_EQ(read.error, ENOENT);
    EXPECT_TRUE(bytes.empty());
    const Outcome missing = ReadWholeFile((dir / "missing.bin").string(), bytes, 100);
    EXPECT_EQ(missing.Kind(), OutcomeKind::IoError);
    EXPECT_EQ(missing.Message(), SystemErrorText(ENOENT));
}

}  // namespace
}  // namespace velkaro
