// `velkaro table` and `velkaro import` over .xlsx and .ods workbooks, run as
// the built program.

#include "text/Cp1252.h"
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

class CliWorkbook : public test::CliTest {
protected:
    test::CliRun Velkaro(const std::string& args) { return CliTest::Velkaro(args, "LC_ALL=C"); }

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

};

using Rows = std::vector<std::vector<std::string>>;

// RFC 4180 records, as LibreOffice and SheetJS write them.
Rows ParseCsv(const std::string& text)
{
    Rows rows(1);
    std::string field;
    bool quoted = false;
    auto endField = [&] {
        rows.back().push_back(field);
        field.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            endField();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            endField();
            rows.emplace_back();
        } else {
            field += c;
        }
    }
    if (!field.empty() || !rows.back().empty())
        endField();
    else
        rows.pop_back();
    return rows;
}

// The JSON rows of `velkaro table`: arrays of strings.
Rows ParseJsonRows(const std::string& text)
{
    Rows rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        rows.emplace_back();
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] != '"')
                continue;
            std::string field;
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] != '\\') {
                    field += line[i];
                    continue;
                }
                char e = line[++i];
                if (e == 'n')
                    field += '\n';
                else if (e == 't')
                    field += '\t';
                else if (e == 'r')
                    field += '\r';
                else if (e == 'u') {
                    unsigned v = std::stoul(line.substr(i + 1, 4), nullptr, 16);
                    i += 4;
                    if (v < 0x80) {
                        field += static_cast<char>(v);
                    } else if (v < 0x800) {
                        field += static_cast<char>(0xC0 | v >> 6);
                        field += static_cast<char>(0x80 | (v & 0x3F));
                    } else {
                        field += static_cast<char>(0xE0 | v >> 12);
                        field += static_cast<char>(0x80 | (v >> 6 & 0x3F));
                        field += static_cast<char>(0x80 | (v & 0x3F));
                    }
                } else
                    field += e;
            }
            rows.back().push_back(field);
        }
    }
    return rows;
}

void DropTrailingEmpty(Rows& rows)
{
    for (auto& row : rows)
        while (!row.empty() && row.back().empty())
            row.pop_back();
    while (!rows.empty() && rows.back().empty())
        rows.pop_back();
}

// Every workbook reads field for field as the program that wrote it reads
// it (in English forms, as the readings were made).
TEST_F(CliWorkbook, TableReadsEachWorkbookAsItsMakerDoes)
{
    for (const char* name : { "libreoffice.xlsx", "libreoffice.ods", "sheetjs.xlsx", "sheetjs_sst.xlsx", "sheetjs.ods" }) {
        std::string file(name);
        std::string reading = file;
        reading[reading.find('.')] = '_';
        std::ifstream in(std::string(VELKARO_SOURCE_DIR) + "/tests/exchange/fixtures/" + reading + ".csv",
                         std::ios::binary);
        std::ostringstream csv;
        csv << in.rdbuf();
        Rows expected = ParseCsv(csv.str());
        if (file == "libreoffice.xlsx") {
            // Calc recalculates the formula it could not save; the file
            // holds the error value of its last calculation.
            ASSERT_EQ(expected[3][4], "Err:510");
            expected[3][4] = "#VALUE!";
        }
        auto run = Velkaro("table " + Copy(name, name) + " --decimal . --thousands , --date / --lang en");
        ASSERT_EQ(run.status, 0) << name << run.err;
        Rows actual = ParseJsonRows(run.out);
        DropTrailingEmpty(expected);
        DropTrailingEmpty(actual);
        ASSERT_EQ(actual.size(), expected.size()) << name;
        for (std::size_t r = 0; r < expected.size(); ++r)
            EXPECT_EQ(actual[r], expected[r]) << name << " row " << r;
    }
}

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
            mueller = card;
        zoe = zoe || card->GetLine(0) == "Zoe";  // the telephone has no ë
    }
    ASSERT_NE(mueller, nullptr);
    EXPECT_EQ(mueller->GetLine(1), "030 123456");
    EXPECT_EQ(mueller->GetLine(2), "1234.5");
    EXPECT_TRUE(zoe);
}

// --sheet names a sheet of the workbook; one it lacks fails with the list,
// a value no sheet can have is a mistake in the command line.
TEST_F(CliWorkbook, SheetOptionChoosesTheSheetOrNamesThem)
{
    const std::string xls = Copy("libreoffice_sheets.xls", "mappe.xls");
    const std::string into = " --into '" + (dir / "c.itx").string() + "'";
    const struct {
        std::string args;
        int status;
        std::string out;  // the first line
        std::string err;  // its beginning
    } cases[] = {
        { "table " + xls, 0, "[\"Name\",\"Mobil\",\"Festnetz\",\"Fax\",\"Zentrale\",\"Geburtstag\",\"Saldo\"]\n", "" },
        { "table " + xls + " --sheet Weitere", 0, "[\"Drittes Blatt\"]\n", "" },
        { "table " + xls + " --sheet=1", 0, "[\"Versteckt\",\"nicht lesen\"]\n", "" },
        { "table " + xls + " --sheet Fehlt", 1, "",
          "velkaro: " + (dir / "mappe.xls").string() + ": The workbook has no sheet \"Fehlt\". Its sheets: 1 Versteckt (hidden), 2 Kontakte, 3 Weitere\n" },
        { "table " + xls + " --sheet 'a:b'", 2, "", "velkaro: --sheet takes" },
        { "table " + xls + " --sheet ''", 2, "", "velkaro: --sheet takes" },
        { "import " + xls + into + " --sheet 4", 1, "", "" },
        { "import " + Copy("sheetjs.ods", "a.csv") + " --sheet Zweites --map Name=1" + into, 0, "", "" },
    };
    for (const auto& c : cases) {
        auto run = Velkaro(c.args);
        EXPECT_EQ(run.status, c.status) << c.args << run.err;
        EXPECT_EQ(FirstLines(run.out, 1).substr(0, c.out.size()), c.out) << c.args;
        EXPECT_EQ(run.err.substr(0, c.err.size()), c.err) << c.args;
    }
    // The import read the second sheet of the .ods: one card.
    CCardList list;
    ASSERT_TRUE(LoadCardFile((dir / "c.itx").string(), list));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Cards()[0]->GetLine(0), "Zweites Blatt");
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
    EXPECT_EQ(damaged.err, "velkaro: " + (dir / "halb.xlsx").string() + ": The workbook is damaged and cannot be read.\n");
    auto foreign = Velkaro("table " + Copy("no_workbook.zip", "archiv.xlsx") + " --lang de");
    EXPECT_EQ(foreign.status, 1);
    EXPECT_EQ(foreign.err, "velkaro: " + (dir / "archiv.xlsx").string() + ": Falsches Datei-Format\n");
}

}  // namespace
}  // namespace velkaro
