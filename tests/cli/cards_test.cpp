// `velkaro cards` and `velkaro convert`, run as the built program.

#include "model/Archive.h"

#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace velkaro {
namespace {

namespace fs = std::filesystem;

using test::CliRun;
using test::ReadAll;

void WriteAll(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

class CliCards : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("velkaro-cli-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        if (!fs::exists(test::CliBinary()))
            GTEST_SKIP() << "velkaro not built";
    }
    void TearDown() override { fs::remove_all(dir); }

    CliRun Velkaro(const std::string& args) { return test::RunCli(dir, args); }

    std::string Quoted(const std::string& name) { return "'" + (dir / name).string() + "'"; }

    fs::path dir;
};

// Version 11: Zora, then Müller and MÜLLER (to be numbered), then the
// field-names card, in the order an older program left them.
const std::string kVersion11(
    "\x12\x0C\x04\x21\x19\x02\x61\x00\x0B\x04\x00"
    "\xFF\xFF\x02\x00\x06\x00" "CKarte" "\x00\x01\x03\x00\x04" "Zora" "\x00\x00"
    "\x01\x80\x01\x00\x01\x00\x06" "M\xfcller"
    "\x01\x80\x00\x00\x01\x00\x06" "M\xdcLLER"
    "\x01\x80\x00\x00\x02\x00\x14\xe5\xe5\xe5\xe5\xe5\xe5\xe5\xe5\xe5\xe5\xe5\xe5\xe5\xe5\xe5\xe5\xe5\xe5\xe5\xe5\x05" "Mobil",
    11 + 6 + 6 + 5 + 4 + 2 + 7 + 6 + 7 + 6 + 7 + 20 + 1 + 5);

TEST_F(CliCards, PrintsEveryCardWithItsStoredLines)
{
    WriteAll(dir / "old.vlx", kVersion11);
    CliRun run = Velkaro("cards " + Quoted("old.vlx"));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string reserved = "\xc3\xa5\xc3\xa5\xc3\xa5\xc3\xa5\xc3\xa5\xc3\xa5\xc3\xa5\xc3\xa5\xc3\xa5\xc3\xa5"
                                 "\xc3\xa5\xc3\xa5\xc3\xa5\xc3\xa5\xc3\xa5\xc3\xa5\xc3\xa5\xc3\xa5\xc3\xa5\xc3\xa5";
    EXPECT_EQ(run.out,
              "{\"edited\":1,\"marked\":0,\"lines\":[\"M\xc3\xbcller\"]}\n"
              "{\"edited\":0,\"marked\":0,\"lines\":[\"M\xc3\x9cLLER             1\"]}\n"
              "{\"edited\":0,\"marked\":1,\"lines\":[\"Zora\",\"\",\"\"]}\n"
              "{\"edited\":0,\"marked\":0,\"lines\":[\"" + reserved + "\",\"Mobil\"]}\n");
}

TEST_F(CliCards, ConvertWritesAsTheWorkingFileIsWritten)
{
    WriteAll(dir / "old.vlx", kVersion11);
    CliRun run = Velkaro("convert " + Quoted("old.vlx") + " " + Quoted("new.itx"));
    ASSERT_EQ(run.status, 0) << run.err;

    CCardList list;
    ASSERT_TRUE(ReadArchive(kVersion11, list));
    std::string expected = WriteArchive(list);
    EXPECT_EQ(ReadAll(dir / "new.itx"), expected);
    EXPECT_EQ(static_cast<unsigned char>(expected[8]), 12);

    // Version 12 goes through unchanged.
    run = Velkaro("convert " + Quoted("new.itx") + " " + Quoted("again.itx"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadAll(dir / "again.itx"), expected);
}

TEST_F(CliCards, UnreadableFileFails)
{
    WriteAll(dir / "bad.vlx", std::string("\x12\x0C\x04\x21\x19\x02\x61\x00\x0D\x00\x00", 11));
    CliRun run = Velkaro("cards " + Quoted("bad.vlx"));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.err, "velkaro: " + (dir / "bad.vlx").string() + ": Unknown file format\n");

    run = Velkaro("--lang de cards " + Quoted("absent.vlx"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("konnte nicht ge\xc3\xb6""ffnet werden"), std::string::npos) << run.err;

    run = Velkaro("convert " + Quoted("bad.vlx") + " " + Quoted("out.vlx"));
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(fs::exists(dir / "out.vlx"));
}

TEST_F(CliCards, FileOfReferencesToOneCardIsDamaged)
{
    // One card of 1000 empty lines, then 3000 references to it: a few
    // kilobytes that would become three million lines.
    std::string bytes("\x12\x0C\x04\x21\x19\x02\x61\x00\x0C\xB9\x0B" "\xFF\xFF\x02\x00\x06\x00" "CKarte"
                      "\x00\x00\xE8\x03",
                      11 + 12 + 4);
    bytes.append(1000, '\0');
    for (int i = 0; i < 3000; ++i)
        bytes.append("\x02\x00", 2);
    WriteAll(dir / "bomb.vlx", bytes);
    CliRun run = Velkaro("cards " + Quoted("bomb.vlx"));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.err, "velkaro: " + (dir / "bomb.vlx").string() + " has an unexpected format.\n");
}

}  // namespace
}  // namespace velkaro
