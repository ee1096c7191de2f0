// `velkaro table`, run as the built program.

#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <locale.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velkaro {
namespace {

namespace fs = std::filesystem;

using test::CliRun;
using test::ReadAll;

class CliTable : public ::testing::Test {
protected:
    using Run = CliRun;

    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("velkaro-table-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        if (!fs::exists(test::CliBinary()))
            GTEST_SKIP() << "velkaro not built";
    }
    void TearDown() override { fs::remove_all(dir); }

    // The C locale, so the default separators do not depend on the machine.
    Run Velkaro(const std::string& args) { return test::RunCli(dir, args, "LC_ALL=C"); }

    std::string Fixture(const std::string& name)
    {
        return "'" + std::string(VELKARO_SOURCE_DIR) + "/tests/exchange/fixtures/" + name + "'";
    }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return "'" + (dir / name).string() + "'";
    }

    fs::path dir;
};

TEST_F(CliTable, SpreadsheetAsJsonRecordsWithGivenSeparators)
{
    auto run = Velkaro("table " + Fixture("sheetjs_biff8.xls") + " --decimal , --thousands . --date . --lang de");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "[\"Name\",\"Telefon\",\"Betrag\",\"Datum\",\"Anteil\"]\n"
              "[\"M\xC3\xBCller\",\"030 123456\",\"1.234,50\",\"01.01.2000\",\"12,50%\"]\n"
              "[\"\xC3\x96zdemir\",\"0000000042\",\"0,50\",\"15 M\xC3\xA4rz 2021\",\"3,0\"]\n"
              "[\"Zo\xC3\xAB\",\"-005\",\"-1.234.567\",\"123\",\"2,75\"]\n"
              "[\"\",\"\",\"nach L\xC3\xBC" "cke\"]\n");
}

TEST_F(CliTable, SeparatorsDefaultToTheLocale)
{
    auto run = Velkaro("table " + Fixture("sheetjs_biff8.xls") + " --lang en");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"1,234.50\",\"01/01/2000\",\"12.50%\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("15 March 2021"), std::string::npos);
}

bool HaveLocale(const char* name)
{
    locale_t locale = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
    if (locale)
        freelocale(locale);
    return locale != static_cast<locale_t>(0);
}

// The table shows and the import stores a number by the same rule: the
// French narrow no-break space groups as the no-break space of Windows-1252.
TEST_F(CliTable, TableAndImportAgreeOnTheUsersSeparators)
{
    if (!HaveLocale("de_DE.UTF-8") || !HaveLocale("fr_FR.UTF-8"))
        GTEST_SKIP() << "de_DE.UTF-8 or fr_FR.UTF-8 not generated (scripts/install-test-deps.sh makes them)";
    auto german = test::RunCli(dir, "table " + Fixture("sheetjs_biff8.xls"), "LC_ALL=de_DE.UTF-8");
    ASSERT_EQ(german.status, 0) << german.err;
    EXPECT_NE(german.out.find("\"1.234,50\",\"01.01.2000\",\"12,50%\""), std::string::npos) << german.out;

    // Numbers and dates each follow their own category; one that names a
    // missing locale leaves the other alone.
    auto mixed = test::RunCli(dir, "table " + Fixture("sheetjs_biff8.xls"),
                              "LC_NUMERIC=de_DE.UTF-8 LC_TIME=xx_NOWHERE.UTF-8");
    ASSERT_EQ(mixed.status, 0) << mixed.err;
    EXPECT_NE(mixed.out.find("\"1.234,50\",\"01/01/2000\""), std::string::npos) << mixed.out;

    auto french = test::RunCli(dir, "table " + Fixture("sheetjs_biff8.xls"), "LC_ALL=fr_FR.UTF-8");
    ASSERT_EQ(french.status, 0) << french.err;
    EXPECT_NE(french.out.find("\"1\xC2\xA0" "234,50\",\"01/01/2000\""), std::string::npos) << french.out;

    auto import = test::RunCli(dir, "import " + Fixture("sheetjs_biff8.xls") + " --into '" + (dir / "c.itx").string()
                                   + "' --skip-first --map 3=Betrag",
                               "LC_ALL=fr_FR.UTF-8");
    ASSERT_EQ(import.status, 0) << import.err;
    // The telephone has no no-break space: the card holds a blank.
    auto cards = test::RunCli(dir, "cards '" + (dir / "c.itx").string() + "'");
    EXPECT_NE(cards.out.find("\"M\xC3\xBCller\",\"030 123456\",\"1 234,50\""), std::string::npos) << cards.out;
}

TEST_F(CliTable, TextFileDropsEmptyRecordsAndEscapes)
{
    // A double quote that never closes is a character of its line.
    auto run = Velkaro("table " + Write("in.csv", "a;\"b\\c\"\n\"open\nrest;\t\n\n"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "[\"a\",\"b\\\\c\"]\n[\"\\\"open\"]\n[\"rest\",\"\\t\"]\n[\"\"]\n");
}

TEST_F(CliTable, UnicodeTextIsConvertedAndForeignZipContainersAreRefused)
{
    auto unicode = Velkaro("table " + Fixture("libreoffice_utf16.txt"));
    ASSERT_EQ(unicode.status, 0) << unicode.err;
    // Windows-1252 has no Ł and ź: their base letters; nor the emoji: left out.
    EXPECT_EQ(unicode.out,
              "[\"Name\",\"Telefon\",\"Ort\"]\n"
              "[\"M\xC3\xBCller, Hans\",\"030 123456\",\"L\xC3\xB3" "dz\"]\n"
              "[\"\xC3\x86r\xC3\xB8 \xE2\x82\xAC 5\",\"0049 (89) 1;2\",\"Smile\"]\n");
    auto zip = Velkaro("table " + Fixture("no_workbook.zip") + " --lang en");
    EXPECT_EQ(zip.status, 1);
    EXPECT_EQ(zip.err, "velkaro: " + std::string(VELKARO_SOURCE_DIR) + "/tests/exchange/fixtures/no_workbook.zip: Unknown file format\n");
    EXPECT_TRUE(zip.out.empty());
}

TEST_F(CliTable, FailuresGoToStandardErrorWithTheirMessage)
{
    auto empty = Velkaro("table " + Write("empty.csv", "") + " --lang en");
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.err, "velkaro: " + (dir / "empty.csv").string() + ": Empty file\n");
    auto wrong = Velkaro("table " + Write("wrong.xls", "plain text") + " --lang de");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_EQ(wrong.err, "velkaro: " + (dir / "wrong.xls").string() + ": Falsches Datei-Format\n");
    fs::copy_file(std::string(VELKARO_SOURCE_DIR) + "/tests/exchange/fixtures/no_workbook.doc", dir / "letter.xls");
    auto document = Velkaro("table '" + (dir / "letter.xls").string() + "' --lang en");
    EXPECT_EQ(document.status, 1);
    EXPECT_EQ(document.err, "velkaro: " + (dir / "letter.xls").string() + ": Unknown file format\n");
    auto missing = Velkaro("table '" + (dir / "missing.csv").string() + "'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "velkaro: " + (dir / "missing.csv").string() + ": No such file or directory\n");
    // A usage error.
    auto badOption = Velkaro("table " + Fixture("sheetjs_biff8.xls") + " --decimal ,,");
    EXPECT_EQ(badOption.status, 2);
    EXPECT_TRUE(badOption.out.empty());
    EXPECT_NE(badOption.err.find("usage: velkaro table"), std::string::npos) << badOption.err;
}

}  // namespace
}  // namespace velkaro
