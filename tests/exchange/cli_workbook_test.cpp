// `velkaro table` and `velkaro import` over .xlsx and .ods workbooks, run as
// the built program.

#include "app/Cp1252.h"
#include "model/Archive.h"

#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace velkaro {
namespace {

namespace fs = std::filesystem;

class CliWorkbook : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("velkaro-workbook-cli-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        if (!fs::exists(test::CliBinary()))
            GTEST_SKIP() << "velkaro not built";
    }
    void TearDown() override { fs::remove_all(dir); }

    test::CliRun Velkaro(const std::string& args) { return test::RunCli(dir, args, "LC_ALL=C"); }

    // The fixture copied under another name.
    std::string Copy(const std::string& fixture, const std::string& as)
    {
        fs::copy_file(std::string(VELKARO_SOURCE_DIR) + "/tests/exchange/fixtures/" + fixture, dir / as);
        return "'" + (dir / as).string() + "'";
    }

    static std::string FirstLines(const std::string& text, int n)
    {
        std::size_t at = 0;
        for (int i = 0; i < n && at != std::string::npos; ++i)
            at = text.find('\n', at + 1);
        return text.substr(0, at == std::string::npos ? text.size() : at + 1);
    }

    fs::path dir;
};

TEST_F(CliWorkbook, TableShowsLibreOfficeWorkbooksAsCalcShowsThem)
{
    const std::string expected = "[\"Name\",\"Telefon\",\"Betrag\",\"Datum\",\"Anteil\",\"\",\"Notiz\"]\n"
                                 "[\"M\xC3\xBCller\",\"030 123456\",\"1.234,50\",\"01.01.2000\",\"12,50%\",\"\",\"Stra\xC3\x9F" "e 5\"]\n"
                                 "[\"\xC3\x96zdemir\",\"0000000042\",\"0,50\",\"15. M\xC3\xA4rz 2021\",\"3,0\",\"\",\"\xC3\x84rger & \xC3\x96l\"]\n";
    for (const char* name : { "libreoffice.xlsx", "libreoffice.ods" }) {
        auto run = Velkaro("table " + Copy(name, name) + " --decimal , --thousands . --date . --lang de");
        ASSERT_EQ(run.status, 0) << name << run.err;
        EXPECT_EQ(FirstLines(run.out, 3), expected) << name;
    }
}

TEST_F(CliWorkbook, ImportMapsTheColumnsOfAWorkbookUnderAnyName)
{
    // An .ods saved as .csv is still read as a workbook.
    auto run = Velkaro("import " + Copy("sheetjs.ods", "adressen.csv") + " --into '" + (dir / "c.itx").string()
                       + "' --skip-first --map 3=Betrag");
    ASSERT_EQ(run.status, 0) << run.err;
    CCardList list;
    ASSERT_TRUE(LoadCardFile((dir / "c.itx").string(), list));
    ASSERT_EQ(list.Count(), 4);  // the row "nach Lücke" too, as from any source
    const CKarte* mueller = nullptr;
    bool zoe = false;
    for (const auto& card : list.Cards()) {
        if (card->GetLine(0) == Utf8ToAnsi("Müller"))
            mueller = card.get();
        zoe = zoe || card->GetLine(0) == "Zoe";  // the telephone has no ë
    }
    ASSERT_NE(mueller, nullptr);
    EXPECT_EQ(mueller->GetLine(1), "030 123456");
    EXPECT_EQ(mueller->GetLine(2), "1234.5");
    EXPECT_TRUE(zoe);
}

TEST_F(CliWorkbook, DamagedAndForeignContainersFailOnStandardError)
{
    std::ifstream in(std::string(VELKARO_SOURCE_DIR) + "/tests/exchange/fixtures/sheetjs.xlsx", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    std::ofstream(dir / "halb.xlsx", std::ios::binary) << bytes.str().substr(0, bytes.str().size() / 2);
    auto damaged = Velkaro("table '" + (dir / "halb.xlsx").string() + "' --lang en");
    EXPECT_EQ(damaged.status, 1);
    EXPECT_EQ(damaged.out, "");
    EXPECT_EQ(damaged.err, "The workbook is damaged and cannot be read.\n");
    auto foreign = Velkaro("table " + Copy("no_workbook.zip", "archiv.xlsx") + " --lang de");
    EXPECT_EQ(foreign.status, 1);
    EXPECT_EQ(foreign.err, "Falsches Datei-Format\n");
}

}  // namespace
}  // namespace velkaro
