// The vCard and CSV UTF-8 exports: exact bytes, the way back through the
// vCard reader and the field assignment, the reading of an independent
// library, and `velkaro export --format vcf|csv-utf8`.

#include "exchange/Export.h"
#include "exchange/FileDialogs.h"
#include "exchange/ImportConfig.h"
#include "exchange/TextWriter.h"
#include "exchange/VCardReader.h"
#include "exchange/VCardWriter.h"

#include "text/Cp1252.h"
#include "text/Language.h"
#include "model/Archive.h"
#include "support/CliRunner.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace velkaro {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;

std::string A(const char* utf8)
{
    return Utf8ToAnsi(utf8);
}

class VCardExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLanguageOffset(kLangGerman);
        dir = fs::temp_directory_path() / ("velkaro-vcard-export-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        // A card structure naming lines in the three languages and one the
        // vCard does not know.
        Structure({ "Mobil", "Courriel", "Company", "Strasse", "PLZ", "Ort", "Notiz", "Fach" });
        auto card = std::make_unique<CKarte>();
        const char* lines[] = { "Müller, Jürgen", "030 123456", "0171 7654321", "j@example.org", "Müller; Söhne",
                                "Hauptstraße 5", "10115", "Berlin", "ruft abends an", "3" };
        for (int k = 0; k < 10; ++k)
            card->SetLine(k, A(lines[k]));
        card->SetLine(12, A("Zwölf"));
        cards.push_back(std::move(card));
    }
    void Structure(std::initializer_list<const char*> labels)
    {
        names = CKarte();
        names.SetLine(0, ReservedName());
        int line = 2;
        for (const char* label : labels)
            names.SetLine(line++, A(label));
    }
    void TearDown() override { fs::remove_all(dir); }

    std::vector<const CKarte*> Chosen() { return { cards[0].get() }; }

    fs::path dir;
    CKarte names;
    std::vector<std::unique_ptr<CKarte>> cards;
};

TEST_F(VCardExport, WritesVersion30WithPropertiesByLabel)
{
    const std::string text = BuildVCards(BuildExportTable(Chosen(), &names));
    EXPECT_EQ(text,
              "BEGIN:VCARD\r\n"
              "VERSION:3.0\r\n"
              "UID:720962ae-0cb7-5aaf-980b-67d2f1ab6b99\r\n"
              "FN;X-VELKARO-LINE=0:M\xC3\xBCller\\, J\xC3\xBCrgen\r\n"
              "N:M\xC3\xBCller\\, J\xC3\xBCrgen;;;;\r\n"
              "TEL;TYPE=VOICE,PREF;X-VELKARO-LINE=1:030 123456\r\n"
              "TEL;TYPE=CELL;X-VELKARO-LINE=2:0171 7654321\r\n"
              "EMAIL;TYPE=INTERNET;X-VELKARO-LINE=3:j@example.org\r\n"
              "ORG;X-VELKARO-LINE=4:M\xC3\xBCller\\; S\xC3\xB6hne\r\n"
              "ADR:;;Hauptstra\xC3\x9F" "e 5;Berlin;;10115;\r\n"
              "NOTE:ruft abends an\\nFach: 3\\nZeile 11: Zw\xC3\xB6lf\r\n"
              "X-VELKARO-TEXT;X-VELKARO-LINE=5:Hauptstra\xC3\x9F" "e 5\r\n"
              "X-VELKARO-TEXT;X-VELKARO-LINE=6:10115\r\n"
              "X-VELKARO-TEXT;X-VELKARO-LINE=7:Berlin\r\n"
              "X-VELKARO-TEXT;X-VELKARO-LINE=8:ruft abends an\r\n"
              "X-VELKARO-TEXT;X-VELKARO-LINE=9:3\r\n"
              "X-VELKARO-TEXT;X-VELKARO-LINE=12:Zw\xC3\xB6lf\r\n"
              "END:VCARD\r\n");

    // A line longer than 75 octets is folded, never inside a character.
    CImportTable table;
    table.SetField("Name", 0, 0);
    table.SetField(A("Eine lange Zeile mit Umlauten äöü, die über fünfündsiebzig Bytes überaus lang ist"), 1, 0);
    const std::string folded =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:fec14590-6005-57f1-8d0f-6564f70b868d\r\n"
        "FN;X-VELKARO-LINE=0:Eine lange Zeile mit Umlauten \xC3\xA4\xC3\xB6\xC3\xBC\\, die \xC3\xBC" "ber f\xC3\xBCnf\r\n"
        " \xC3\xBC" "ndsiebzig Bytes \xC3\xBC" "beraus lang ist\r\n";
    EXPECT_EQ(BuildVCards(table).substr(0, folded.size()), folded);
}

// A line whose own property cannot give it back exactly (blanks around, a
// number with separators, a birthday) keeps the readable property unmarked
// and comes back through X-VELKARO-TEXT; text values are escaped.
TEST_F(VCardExport, LinesThePropertiesCannotCarryGoToOurTextProperty)
{
    CImportTable table;
    const char* labels[] = { "Name", "Telefon", "Zeile 1", "Geburtstag", "E-Mail", "Handy", "Birthday", "Fax" };
    const char* lines[] = { "Meier              1", "030,123;4", " vorn", "5.3.1970", " a@b.de", "0171 1 ",
                            "15.03.1971", "C:\\Fax \"x\"" };
    for (int k = 0; k < 8; ++k) {
        table.SetField(labels[k], 0, k);
        table.SetField(lines[k], 1, k);
    }
    EXPECT_EQ(BuildVCards(table),
              "BEGIN:VCARD\r\nVERSION:3.0\r\n"
              "UID:15eaea2d-666b-5353-bd6a-316c97c57f4d\r\n"
              "FN;X-VELKARO-LINE=0:Meier              1\r\n"
              "N:Meier              1;;;;\r\n"
              "TEL;TYPE=VOICE,PREF:030,123;4\r\n"
              "EMAIL;TYPE=INTERNET:a@b.de\r\n"
              "TEL;TYPE=CELL:0171 1\r\n"
              "TEL;TYPE=FAX:C:\\Fax \"x\"\r\n"
              "BDAY:1970-03-05\r\n"
              "NOTE:Zeile 1: vorn\\nBirthday: 15.03.1971\r\n"
              "X-VELKARO-TEXT;X-VELKARO-LINE=1:030\\,123\\;4\r\n"
              "X-VELKARO-TEXT;X-VELKARO-LINE=2: vorn\r\n"
              "X-VELKARO-TEXT;X-VELKARO-LINE=3:5.3.1970\r\n"
              "X-VELKARO-TEXT;X-VELKARO-LINE=4: a@b.de\r\n"
              "X-VELKARO-TEXT;X-VELKARO-LINE=5:0171 1 \r\n"
              "X-VELKARO-TEXT;X-VELKARO-LINE=6:15.03.1971\r\n"
              "X-VELKARO-TEXT;X-VELKARO-LINE=7:C:\\\\Fax \"x\"\r\n"
              "END:VCARD\r\n");
}

TEST(VCardBirthday, IsoDateWhenTheLineReadsAsADate)
{
    const std::pair<const char*, const char*> cases[] = {
        { "15.03.1970", "1970-03-15" }, { "5.3.1970", "1970-03-05" },  { " 15/03/1970 ", "1970-03-15" },
        { "1970-03-15", "1970-03-15" }, { "19700315", "1970-03-15" },  { "29.02.2000", "2000-02-29" },
        { "15.03.70", nullptr },        { "29.02.1900", nullptr },     { "31.04.1970", nullptr },
        { "15.13.1970", nullptr },      { "15.03/1970", nullptr },     { "1970-3-15", nullptr },
        { "15.03.1970 abends", nullptr }, { "197003150", nullptr },    { "im M\xE4rz", nullptr },
    };
    for (const auto& [line, iso] : cases) {
        const auto date = IsoDateOfLine(line);
        EXPECT_EQ(date.value_or("none"), iso ? iso : "none") << line;
    }
}

// Exported and imported again with the same card structure, every line the
// vCard names comes back to its line.
TEST_F(VCardExport, ImportedAgainTheCardsComeBack)
{
    // The labels in the language of the import's column titles.
    Structure({ "Mobil", "E-Mail", "Firma", "Strasse", "PLZ", "Ort", "Notiz" });
    cards[0]->SetLine(9, "");
    cards[0]->SetLine(12, "");
    CImportTable table;
    ASSERT_TRUE(ReadVCardBytes(BuildVCards(BuildExportTable(Chosen(), &names)), table));
    CImportConfig config;
    AutoAssign(table, &names, config);
    for (int line = 0; line <= 8; ++line) {
        ASSERT_GE(config.assignment[line], 0) << line;
        EXPECT_EQ(table.FieldText(1, config.assignment[line]), cards[0]->GetLine(line)) << line;
    }
}

// What an independent library (Debian python3-vobject) reads from the file.
TEST_F(VCardExport, IndependentLibraryReadsTheCardTexts)
{
    if (std::system("/usr/bin/python3 -c 'import vobject' 2>/dev/null") != 0)
        GTEST_SKIP() << "python3-vobject not installed";
    ASSERT_TRUE(WriteVCardFile((dir / "k.vcf").string(), BuildExportTable(Chosen(), &names)));
    const std::string home = (dir / "home").string();
    const std::string script =
        "import sys, vobject\n"
        "for c in vobject.readComponents(open(sys.argv[1], encoding='utf-8').read()):\n"
        "    print(c.fn.value)\n"
        "    for t in c.contents['tel']: print(','.join(t.params['TYPE']), t.value)\n"
        "    print(c.email.value, '|'.join(c.org.value), c.adr.value.street, c.adr.value.code, c.adr.value.city)\n"
        "    for n in c.contents['note']: print(n.value)\n";
    std::ofstream(dir / "read.py") << script;
    const std::string command = "HOME='" + home + "' XDG_CONFIG_HOME='" + home + "' XDG_CONFIG_DIRS='" + home
        + "' XDG_DATA_HOME='" + home + "' /usr/bin/python3 '" + (dir / "read.py").string() + "' '"
        + (dir / "k.vcf").string() + "' >'" + (dir / "out").string() + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadAll(dir / "out");
    EXPECT_EQ(ReadAll(dir / "out"),
              "Müller, Jürgen\n"
              "VOICE,PREF 030 123456\n"
              "CELL 0171 7654321\n"
              "j@example.org Müller; Söhne Hauptstraße 5 10115 Berlin\n"
              "ruft abends an\n"
              "Fach: 3\n"
              "Zeile 11: Zwölf\n");
}

TEST(CsvUtf8Export, QuotesAsRfc4180WithByteOrderMark)
{
    CImportTable table;
    table.SetField("Name", 0, 0);
    table.SetField("Telefon", 0, 1);
    table.SetField(A("Müller, Jürgen"), 1, 0);
    table.SetField("030 \"Zentrale\"", 1, 1);
    table.SetField(A("Straße"), 2, 0);
    EXPECT_EQ(BuildCsvUtf8(table),
              "\xEF\xBB\xBFName,Telefon\r\n"
              "\"M\xC3\xBCller, J\xC3\xBCrgen\",\"030 \"\"Zentrale\"\"\"\r\n"
              "Stra\xC3\x9F" "e,\r\n");
}

TEST(CardFileDialogs, ImportOffersVCardAndExportAlsoCsvUtf8)
{
    SetLanguageOffset(kLangGerman);
    const FileRequest open = CardImportExportFileRequest(false);
    const FileRequest save = CardImportExportFileRequest(true);
    // The first three entries stay where they are; the call list's own
    // dialog offers only those.
    EXPECT_EQ(open.filter.substr(0, ImportExportFilter(false).size()), ImportExportFilter(false));
    EXPECT_NE(open.filter.find("|vCard-Dateien (*.vcf)|*.vcf|"), std::string::npos);
    EXPECT_EQ(open.filter.find("CSV UTF-8"), std::string::npos);
    EXPECT_EQ(save.filter, ImportExportFilter(false) + "vCard-Dateien (*.vcf)|*.vcf|CSV UTF-8-Dateien (*.csv)|*.csv|");
    EXPECT_EQ(ImportExportFileRequest(true).filter, ImportExportFilter(false));
}

class CliVCardExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("velkaro-cli-vcard-export-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        if (!fs::exists(test::CliBinary()))
            GTEST_SKIP() << "velkaro not built";
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const std::string& name) { return "'" + (dir / name).string() + "'"; }
    fs::path dir;
};

TEST_F(CliVCardExport, ExportWritesVCardAndCsvUtf8AndImportsTheVCardBack)
{
    std::ofstream(dir / "a.csv", std::ios::binary) << "Name;Telefon\n" << A("Jürgen") << ";030 1\nBerg;2\n";
    ASSERT_EQ(test::RunCli(dir, "import " + Path("a.csv") + " --into " + Path("a.itx") + " --skip-first").status, 0);

    test::CliRun run = test::RunCli(dir, "export " + Path("a.itx") + " -o " + Path("a.vcf") + " --format vcf");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string vcf = ReadAll(dir / "a.vcf");
    EXPECT_NE(vcf.find("UID:130be891-47c4-5bf5-ab18-5d36b254df2b\r\nFN;X-VELKARO-LINE=0:J\xC3\xBCrgen\r\n"
                       "N:J\xC3\xBCrgen;;;;\r\nTEL;TYPE=VOICE,PREF;X-VELKARO-LINE=1:030 1\r\n"),
              std::string::npos);
    EXPECT_NE(vcf.find("FN;X-VELKARO-LINE=0:Berg\r\n"), std::string::npos);

    run = test::RunCli(dir, "export " + Path("a.itx") + " -o " + Path("a.csv") + " --format csv-utf8");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadAll(dir / "a.csv").rfind("\xEF\xBB\xBFName,Telephone number,Line 1,Line 2,", 0), 0u);

    run = test::RunCli(dir, "import " + Path("a.vcf") + " --into " + Path("b.itx") + " --skip-first");
    ASSERT_EQ(run.status, 0) << run.err;
    CCardList back;
    ASSERT_TRUE(LoadCardFile((dir / "b.itx").string(), back));
    std::vector<std::string> lines;
    for (const auto& card : back.Cards())
        lines.emplace_back(std::string(card->GetLine(0)) + "|" + std::string(card->GetLine(1)));
    EXPECT_EQ(lines, (std::vector<std::string> { "Berg|2", "J\xFCrgen|030 1" }));

    run = test::RunCli(dir, "export " + Path("a.itx") + " -o " + Path("c.x") + " --format vcard");
    EXPECT_EQ(run.status, 2);
}

}  // namespace
}  // namespace velkaro
