// The delimited text writer and the export command.

#include "exchange/Export.h"
#include "exchange/FileDialogs.h"
#include "exchange/SpreadsheetWriter.h"
#include "exchange/TextWriter.h"

#include "text/Language.h"
#include "model/Selection.h"
#include "support/ScriptedUi.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace velkaro {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;

std::unique_ptr<CKarte> Card(const std::string& name, const std::string& phone = {})
{
    auto card = std::make_unique<CKarte>();
    card->SetLine(0, name);
    if (!phone.empty())
        card->SetLine(1, phone);
    return card;
}

std::string GermanHeader(char sep, bool quote)
{
    std::string q = quote ? "\"" : "";
    std::string line = q + "Name" + q + sep + q + "Telefon" + q;
    for (int i = 1; i <= 30; ++i)
        line += sep + q + "Zeile " + std::to_string(i) + q;
    return line + "\r\n";
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLanguageOffset(kLangGerman);
        dir = fs::temp_directory_path() / ("velkaro-export-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir;
    test::ScriptedUi ui;
};

TEST(DelimitedText, PadsRecordsAndWritesQuotesUnchanged)
{
    CImportTable table;
    table.SetField("a", 0, 0);
    table.SetField("b\"c", 0, 2);
    table.SetField("d", 1, 0);
    EXPECT_EQ(BuildDelimitedText(table, ';', true), "\"a\";\"\";\"b\"c\"\r\n\"d\";\"\";\"\"\r\n");
    EXPECT_EQ(BuildDelimitedText(table, '\t', false), "a\t\tb\"c\r\nd\t\t\r\n");
    EXPECT_EQ(BuildDelimitedText(CImportTable(), ';', true), "");
}

TEST_F(ExportTest, SemicolonExportOfOneCard)
{
    CCardList cards;
    cards.InsertSorted(Card("Meier", "0301"), false);
    ui.files.push_back((dir / "out.csv").string());
    ui.filterIndexes.push_back(kFilterComma);
    auto outcome = OnExport(cards, nullptr, false, ui);
    ASSERT_TRUE(outcome.written);
    EXPECT_EQ(outcome.count, 1);

    std::string expected = GermanHeader(';', true) + "\"Meier\";\"0301\"";
    for (int i = 0; i < 30; ++i)
        expected += ";\"\"";
    expected += "\r\n";
    EXPECT_EQ(ReadAll(dir / "out.csv"), expected);

    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_TRUE(ui.fileRequests[0].save);
    EXPECT_EQ(ui.fileRequests[0].defaultExt, "xls");
    EXPECT_EQ(ui.fileRequests[0].filter,
              "Excel-Dateien (*.xls)|*.xls|Komma-getrennt-Dateien (*.csv)|*.csv|"
              "Tab-getrennt-Dateien (*.txt, *.tab)|*.txt;*.tab|vCard-Dateien (*.vcf)|*.vcf|"
              "CSV UTF-8-Dateien (*.csv)|*.csv|");
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Alle 1 Karten gespeichert in Datei\n" + (dir / "out.csv").string());
    EXPECT_EQ(ui.shown[0].icon, MsgIcon::Information);
}

TEST_F(ExportTest, UmlautPathIsShownInWindows1252)
{
    CCardList cards;
    cards.InsertSorted(Card("Meier"), false);
    const fs::path folder = dir / "M\xC3\xBCller";  // "Müller" as the file system spells it
    fs::create_directories(folder);
    ui.files.push_back((folder / "out.txt").string());
    ui.filterIndexes.push_back(kFilterTab);
    ASSERT_TRUE(OnExport(cards, nullptr, false, ui).written);
    EXPECT_TRUE(fs::exists(folder / "out.txt"));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Alle 1 Karten gespeichert in Datei\n" + dir.string() + "/M\xFCller/out.txt");
}

TEST_F(ExportTest, TabExportAndFieldNamesCard)
{
    CCardList cards;
    cards.InsertSorted(Card("Meier", "0301"), false);
    auto names = Card(ReservedName());
    names->SetLine(1, "Handy");
    cards.SetFieldNames(std::move(names));

    auto outcome = ExportCards(cards, nullptr, true, (dir / "a.txt").string(), kFilterTab, ui);
    ASSERT_TRUE(outcome.written);
    std::string header = GermanHeader('\t', false);
    header.replace(header.find("Telefon"), 7, "Handy");
    EXPECT_EQ(ReadAll(dir / "a.txt"), header + "Meier\t0301" + std::string(30, '\t') + "\r\n");

    // Without the card structure the default labels head the columns.
    ExportCards(cards, nullptr, false, (dir / "b.txt").string(), kFilterTab, ui);
    EXPECT_EQ(ReadAll(dir / "b.txt").substr(0, 20), "Name\tTelefon\tZeile 1");
}

TEST_F(ExportTest, FilterIndexWinsOverTheTypedExtension)
{
    CCardList cards;
    cards.InsertSorted(Card("Meier", "0301"), false);
    ui.files.push_back((dir / "cards.csv").string());
    ui.filterIndexes.push_back(kFilterExcel);
    ASSERT_TRUE(OnExport(cards, nullptr, false, ui).written);
    std::string bytes = ReadAll(dir / "cards.csv");
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x09\x00\x04\x00", 4));  // BOF

    // The table the spreadsheet gets: labels bold, the export's widths.
    CImportTable table = BuildExportTable(CardsToExport(cards, nullptr), nullptr);
    std::vector<uint16_t> widths = { 25, 20, 30, 30, 30, 30, 30, 30 };
    EXPECT_EQ(bytes, CSpreadsheetWriter::Build(table, true, &widths));

    // An index outside the five writes nothing and says nothing.
    ui.shown.clear();
    auto outcome = ExportCards(cards, nullptr, false, (dir / "x.dat").string(), 6, ui);
    EXPECT_FALSE(outcome.written);
    EXPECT_FALSE(fs::exists(dir / "x.dat"));
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(ExportTest, SelectionAsksAndExportsOnlyMatchingCards)
{
    CCardList cards;
    cards.InsertSorted(Card("Meier", "0301"), false);
    cards.InsertSorted(Card("Schmidt", "0401"), false);
    cards.InsertSorted(Card("Obermeier"), false);
    CSelection selection;
    selection.SetSearchText("mei");
    selection.Start(false);

    ui.answers.push_back(MsgAnswer::Cancel);
    EXPECT_FALSE(OnExport(cards, &selection, false, ui).written);
    EXPECT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Selektion eingeschaltet:\nEs werden nur die selektierten Karten exportiert.");
    EXPECT_TRUE(ui.fileRequests.empty());

    ui.answers.push_back(MsgAnswer::Ok);
    ui.files.push_back((dir / "sel.txt").string());
    ui.filterIndexes.push_back(kFilterTab);
    auto outcome = OnExport(cards, &selection, false, ui);
    ASSERT_TRUE(outcome.written);
    EXPECT_EQ(outcome.count, 2);
    std::string text = ReadAll(dir / "sel.txt");
    EXPECT_NE(text.find("\r\nMeier\t"), std::string::npos);
    EXPECT_NE(text.find("\r\nObermeier\t"), std::string::npos);
    EXPECT_EQ(text.find("Schmidt"), std::string::npos);
    EXPECT_EQ(ui.LastText(), "Alle 2 selektierten Karten gespeichert in Datei\n" + (dir / "sel.txt").string());
}

TEST_F(ExportTest, NoCardsAndFailures)
{
    CCardList cards;
    EXPECT_FALSE(OnExport(cards, nullptr, false, ui).written);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Es sind keine Karten vorhanden");
    // The box the backup, printing and sending show for no cards.
    EXPECT_EQ(ui.shown[0].icon, MsgIcon::Warning);
    EXPECT_TRUE(ui.fileRequests.empty());

    cards.InsertSorted(Card("Meier"), false);
    ui.files.push_back(std::nullopt);  // Cancel in the save dialog
    EXPECT_FALSE(OnExport(cards, nullptr, false, ui).written);

    ui.shown.clear();
    auto outcome = ExportCards(cards, nullptr, false, (dir / "no" / "x.csv").string(), kFilterComma, ui);
    EXPECT_FALSE(outcome.written);
    ASSERT_EQ(ui.shown.size(), 1u);  // the error text, no success message
    EXPECT_EQ(ui.shown[0].text.find("Alle"), std::string::npos);
}

TEST(FileDialogs, ImportDialogOffersAllFiles)
{
    SetLanguageOffset(kLangGerman);
    FileRequest open = CardImportExportFileRequest(false);
    EXPECT_FALSE(open.save);
    EXPECT_TRUE(open.fileMustExist);
    EXPECT_EQ(open.filter,
              "Excel-Dateien (*.xls)|*.xls|Komma-getrennt-Dateien (*.csv)|*.csv|"
              "Tab-getrennt-Dateien (*.txt, *.tab)|*.txt;*.tab|Excel-Dateien (*.xlsx)|*.xlsx|"
              "OpenDocument-Dateien (*.ods)|*.ods|vCard-Dateien (*.vcf)|*.vcf|Alle Dateien (*.*)|*.*|");
    // The call list is saved in the three formats of old.
    EXPECT_EQ(ImportExportFileRequest(true).filter,
              "Excel-Dateien (*.xls)|*.xls|Komma-getrennt-Dateien (*.csv)|*.csv|"
              "Tab-getrennt-Dateien (*.txt, *.tab)|*.txt;*.tab|");
    FileRequest icf = ImportConfigFileRequest(true);
    EXPECT_EQ(icf.filter, "Import-Konfiguration-Dateien (*.icf)|*.icf|");
    EXPECT_EQ(icf.title, "Import-Parameter speichern");
    EXPECT_EQ(icf.defaultExt, "icf");
    SetLanguageOffset(kLangEnglish);
    EXPECT_EQ(FilterEntry(Text(34171), "txt", "tab"), "Tab Separated Files (*.txt, *.tab)|*.txt;*.tab|");
    SetLanguageOffset(kLangGerman);
}

}  // namespace
}  // namespace velkaro
