// The import configuration file and the rules of the import dialog's pages.

#include "exchange/ImportConfig.h"
#include "exchange/ImportTable.h"

#include "text/Language.h"
#include "text/MessageIds.h"
#include "text/SystemError.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace velkaro {
namespace {

namespace fs = std::filesystem;

std::string Header(uint8_t version, unsigned n)
{
    std::string s = "ICF_FILE";
    s += static_cast<char>(version);
    s += static_cast<char>(n & 0xFF);
    s += static_cast<char>(n >> 8);
    return s;
}

CImportConfig Sample()
{
    CImportConfig config;
    config.assignment[0] = 2;
    config.assignment[1] = 0;
    config.assignment[5] = 300;
    config.assignment[31] = 7;
    config.characterSet = 1;
    config.onlyNumbers = 1;
    config.skipFirst = 0;
    return config;
}

TEST(ImportConfigFile, WrittenFormIs78BytesAndReadsBack)
{
    CImportConfig config = Sample();
    std::string bytes = SerializeImportConfig(config);
    ASSERT_EQ(bytes.size(), 78u);
    EXPECT_EQ(bytes.substr(0, 11), Header(1, 64));
    EXPECT_EQ(bytes.substr(11, 4), std::string("\x02\x00\x00\x00", 4));
    EXPECT_EQ(bytes.substr(13 + 4, 2), std::string("\xFF\xFF", 2));  // line 3: -1
    EXPECT_EQ(bytes.substr(11 + 10, 2), std::string("\x2C\x01", 2));  // line 5: 300
    EXPECT_EQ(bytes.substr(75), std::string("\x01\x01\x00", 3));

    CImportConfig back;
    ASSERT_TRUE(ParseImportConfig(bytes, back));
    EXPECT_EQ(back, config);
}

TEST(ImportConfigFile, RefusesWrongMagicAndVersion)
{
    SetLanguageOffset(kLangGerman);
    CImportConfig config = Sample();
    std::string good = SerializeImportConfig(CImportConfig());

    std::string lower = good;
    lower.replace(0, 8, "icf_file");
    auto result = ParseImportConfig(lower, config);
    EXPECT_EQ(result.Kind(), OutcomeKind::BadInput);
    EXPECT_EQ(result.Message(), "Falsches Datei-Format");

    EXPECT_EQ(ParseImportConfig("ICF_FIL", config).MessageId(), msg::UnknownFileFormat);

    std::string v2 = good;
    v2[8] = 2;
    result = ParseImportConfig(v2, config);
    EXPECT_EQ(result.Kind(), OutcomeKind::BadInput);
    EXPECT_EQ(result.Message(), "Diese Datei-Version kann das Programm nicht lesen");
    EXPECT_EQ(config, Sample());  // a refused file changes nothing

    // A column below -1 (none) is no column: the file is damaged.
    std::string negative = good;
    negative[11] = '\x00';  // the name line's column: 0x8000
    negative[12] = '\x80';
    result = ParseImportConfig(negative, config);
    EXPECT_EQ(result.MessageId(), msg::UnknownFileFormat);
    EXPECT_EQ(config, Sample());
}

TEST(ImportConfigFile, ShortBlockSetsOnlyItsEntries)
{
    std::string bytes = Header(1, 10);
    for (int i = 0; i < 5; ++i)
        bytes += std::string{ static_cast<char>(i + 10), 0 };
    bytes += std::string("\x01\x00\x01", 3);
    CImportConfig config;
    ASSERT_TRUE(ParseImportConfig(bytes, config));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(config.assignment[i], i + 10);
    for (int i = 5; i < kMaxLines; ++i)
        EXPECT_EQ(config.assignment[i], -1) << i;
    EXPECT_EQ(config.characterSet, 1);
    EXPECT_EQ(config.onlyNumbers, 0);
    EXPECT_EQ(config.skipFirst, 1);
}

TEST(ImportConfigFile, LongBlockIsSkippedAfter64Bytes)
{
    std::string bytes = Header(1, 70);
    for (int i = 0; i < 32; ++i)
        bytes += std::string{ static_cast<char>(i), 0 };
    bytes += std::string(6, '\x55');  // beyond what this program knows
    bytes += std::string("\x00\x01\x01", 3);
    CImportConfig config;
    ASSERT_TRUE(ParseImportConfig(bytes, config));
    for (int i = 0; i < kMaxLines; ++i)
        EXPECT_EQ(config.assignment[i], i);
    EXPECT_EQ(config.characterSet, 0);
    EXPECT_EQ(config.onlyNumbers, 1);
    EXPECT_EQ(config.skipFirst, 1);
}

TEST(ImportConfigFile, FileEndingEarlyKeepsTheRest)
{
    CImportConfig config = Sample();
    std::string bytes = Header(1, 64) + std::string("\x03\x00\x04", 3);  // ends inside entry 1
    ASSERT_TRUE(ParseImportConfig(bytes, config));
    EXPECT_EQ(config.assignment[0], 3);
    EXPECT_EQ(config.assignment[1], 4);  // low byte 4 over the old 0
    EXPECT_EQ(config.assignment[31], 7);
    EXPECT_EQ(config.characterSet, 1);

    // The magic alone: no version to go by, and nothing is changed.
    config = Sample();
    EXPECT_EQ(ParseImportConfig("ICF_FILE", config).MessageId(), msg::UnreadableVersion);
    EXPECT_EQ(config, Sample());
    config = Sample();
    ASSERT_TRUE(ParseImportConfig(std::string("ICF_FILE\x01", 9), config));
    EXPECT_EQ(config, Sample());
}

TEST(ImportConfigFile, FilesRoundTripAndReportErrors)
{
    fs::path dir = fs::temp_directory_path() / "velkaro-icf-test";
    fs::create_directories(dir);
    std::string path = (dir / "a.icf").string();
    ASSERT_TRUE(WriteImportConfig(path, Sample()));
    EXPECT_EQ(fs::file_size(path), 78u);
    CImportConfig back;
    ASSERT_TRUE(ReadImportConfig(path, back));
    EXPECT_EQ(back, Sample());

    const Outcome missing = ReadImportConfig((dir / "none.icf").string(), back);
    EXPECT_EQ(missing.Kind(), OutcomeKind::IoError);
    EXPECT_EQ(missing.Message(), SystemErrorText(ENOENT));

    std::ofstream(path, std::ios::binary) << "ICF_FILE\x02";
    EXPECT_EQ(ReadImportConfig(path, back).MessageId(), msg::UnreadableVersion);

    EXPECT_EQ(WriteImportConfig((dir / "no" / "b.icf").string(), Sample()).Kind(), OutcomeKind::IoError);
    fs::remove_all(dir);
}

CImportTable Titles(std::initializer_list<const char*> titles)
{
    CImportTable table;
    int c = 0;
    for (const char* t : titles)
        table.SetField(t, 0, c++);
    table.SetField("Meier", 1, 0);
    return table;
}

TEST(FieldAssignPage, AutomaticAssignmentMatchesLabelsIgnoringCase)
{
    SetLanguageOffset(kLangGerman);
    CImportTable table = Titles({ "NAME", "telefon", "Ort", "Name", "" , "Zeile 3" });
    CFieldAssignPage page(table.WidestRecord());
    page.AutoAssign(table, nullptr);
    EXPECT_EQ(page.Item(0), 1);
    EXPECT_EQ(page.Item(1), 2);
    EXPECT_EQ(page.Item(2), 0);
    EXPECT_EQ(page.Item(3), 0);  // the name line is taken already
    EXPECT_EQ(page.Item(4), 0);
    EXPECT_EQ(page.Item(5), 5);  // "Zeile 3" labels line 4

    CImportConfig config;
    AutoAssign(table, nullptr, config);
    EXPECT_EQ(config.assignment[0], 0);
    EXPECT_EQ(config.assignment[1], 1);
    EXPECT_EQ(config.assignment[4], 5);
    EXPECT_EQ(config.assignment[2], -1);
}

TEST(FieldAssignPage, FieldNamesCardLabelsTheLines)
{
    SetLanguageOffset(kLangGerman);
    CKarte names;
    names.SetLine(0, ReservedName());
    names.SetLine(2, "Firma");
    CImportTable table = Titles({ "firma", "Name", "Zeile 1" });
    CFieldAssignPage page(3);
    page.AutoAssign(table, &names);
    EXPECT_EQ(page.Item(0), 3);
    EXPECT_EQ(page.Item(1), 1);
    EXPECT_EQ(page.Item(2), 0);  // line 2 is called Firma now
}

// A file exported in one language is assigned in another: the labels shown
// come first, then the standard labels of German, English and French.
TEST(FieldAssignPage, AutomaticAssignmentKnowsTheLabelsOfEveryLanguage)
{
    SetLanguageOffset(kLangEnglish);
    CImportTable table = Titles({ "Nom", "Telefon", "Ort", "zeile 2", "LIGNE 3", "Line 4", "Name" });
    CFieldAssignPage page(table.WidestRecord());
    page.AutoAssign(table, nullptr);
    EXPECT_EQ(page.Item(0), 0);  // the English label "Name" of column 6 comes first
    EXPECT_EQ(page.Item(1), 2);
    EXPECT_EQ(page.Item(2), 0);
    EXPECT_EQ(page.Item(3), 4);
    EXPECT_EQ(page.Item(4), 5);
    EXPECT_EQ(page.Item(5), 6);
    EXPECT_EQ(page.Item(6), 1);

    SetLanguageOffset(kLangGerman);
    CImportTable french = Titles({ "Nom", "Num\xE9ro de t\xE9l\xE9phone" });
    CImportConfig config;
    AutoAssign(french, nullptr, config);
    EXPECT_EQ(config.assignment[0], 0);
    EXPECT_EQ(config.assignment[1], 1);

    // A line the field-names card names answers to that name only.
    CKarte names;
    names.SetLine(0, ReservedName());
    names.SetLine(2, "Firma");
    CImportTable renamed = Titles({ "Line 1", "Nom", "Line 2" });
    CFieldAssignPage structured(3);
    structured.AutoAssign(renamed, &names);
    EXPECT_EQ(structured.Item(0), 0);
    EXPECT_EQ(structured.Item(1), 1);
    EXPECT_EQ(structured.Item(2), 4);
}

TEST(FieldAssignPage, LineByLabelInAnyLanguageOrTheFieldNamesCard)
{
    SetLanguageOffset(kLangFrench);
    EXPECT_EQ(FindLineByLabel("nom", nullptr), 0);
    EXPECT_EQ(FindLineByLabel("Name", nullptr), 0);
    EXPECT_EQ(FindLineByLabel("TELEPHONE NUMBER", nullptr), 1);
    EXPECT_EQ(FindLineByLabel("Zeile 30", nullptr), 31);
    EXPECT_EQ(FindLineByLabel("Zeile 31", nullptr), -1);
    EXPECT_EQ(FindLineByLabel("", nullptr), -1);
    CKarte names;
    names.SetLine(0, ReservedName());
    names.SetLine(3, "Firma");
    EXPECT_EQ(FindLineByLabel("FIRMA", &names), 3);
    EXPECT_EQ(FindLineByLabel("Firma", nullptr), -1);
}

TEST(FieldAssignPage, ChoosingALineTakesItFromTheOtherColumn)
{
    CFieldAssignPage page(4);
    page.Choose(0, 1);
    page.Choose(1, 2);
    EXPECT_EQ(page.PictureFor(1), AssignPicture::Assigned);
    EXPECT_EQ(page.PictureFor(3), AssignPicture::Free);
    EXPECT_EQ(page.PictureFor(0), AssignPicture::None);
    page.Choose(3, 1);
    EXPECT_EQ(page.Item(0), 0);
    EXPECT_EQ(page.Item(3), 1);
    EXPECT_EQ(page.Item(1), 2);

    page.Standard();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(page.Item(i), i + 1);
    page.ClearAll();
    EXPECT_EQ(page.Item(2), 0);

    CFieldAssignPage wide(40);
    wide.Standard();
    EXPECT_EQ(wide.Item(31), 32);
    EXPECT_EQ(wide.Item(32), 0);
}

TEST(FieldAssignPage, ExchangeBothWays)
{
    CFieldAssignPage page(3);
    CImportConfig config;
    config.assignment[0] = 2;
    config.assignment[4] = 2;   // the later line wins
    config.assignment[7] = 9;   // a column the file does not have
    config.assignment[1] = 0;
    page.Exchange(config, 0);
    EXPECT_EQ(page.Item(0), 2);
    EXPECT_EQ(page.Item(1), 0);
    EXPECT_EQ(page.Item(2), 5);

    CImportConfig out = config;
    page.Exchange(out, 1);
    CImportConfig expected;
    expected.assignment[1] = 0;
    expected.assignment[4] = 2;
    EXPECT_EQ(out.assignment, expected.assignment);
}

TEST(FieldAssignPage, ValidateAsksWithoutANameColumn)
{
    SetLanguageOffset(kLangEnglish);
    CFieldAssignPage page(2);
    page.Choose(0, 2);
    test::ScriptedUi ui;
    ui.answers = { MsgAnswer::No, MsgAnswer::Yes };
    CImportConfig config;
    EXPECT_FALSE(page.Validate(config, ui));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text,
              "Warning: You have not assigned a data field to the name line.\nDo you want to load the file, though?");
    EXPECT_EQ(ui.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(ui.shown[0].icon, MsgIcon::Question);
    EXPECT_EQ(page.Item(0), 2);  // the page keeps its state
    EXPECT_TRUE(page.Validate(config, ui));

    page.Choose(1, 1);
    EXPECT_TRUE(page.Validate(config, ui));
    EXPECT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(config.assignment[0], 1);
    SetLanguageOffset(kLangGerman);
}

TEST(ImportSettingsPage, ExchangeCopiesTheOptions)
{
    CImportSettingsPage page;
    CImportConfig config;
    config.skipFirst = 1;
    config.characterSet = 1;
    page.Exchange(config, 0);
    EXPECT_TRUE(page.skipFirst);
    EXPECT_FALSE(page.onlyNumbers);
    EXPECT_EQ(page.characterSet, 1);
    page.onlyNumbers = true;
    page.characterSet = 0;
    EXPECT_TRUE(page.Validate(config));
    EXPECT_EQ(config.onlyNumbers, 1);
    EXPECT_EQ(config.characterSet, 0);
    EXPECT_EQ(config.skipFirst, 1);
}

TEST(ImportConfigPages, SaveAndLoadThroughTheDialogs)
{
    SetLanguageOffset(kLangGerman);
    fs::path dir = fs::temp_directory_path() / "velkaro-icf-pages";
    fs::create_directories(dir);
    std::string path = (dir / "p.icf").string();

    CFieldAssignPage assign(3);
    assign.Choose(2, 1);
    CImportSettingsPage settings;
    settings.skipFirst = true;
    test::ScriptedUi ui;
    ui.files = { path, (dir / "none.icf").string(), path };
    ASSERT_TRUE(SaveConfigFromPages(assign, settings, ui));
    EXPECT_EQ(ui.LastText(), "Import-Konfiguration gespeichert");
    EXPECT_EQ(ui.fileRequests[0].title, "Import-Parameter speichern");

    CFieldAssignPage other(3);
    other.Choose(0, 4);
    CImportSettingsPage otherSettings;
    EXPECT_FALSE(LoadConfigIntoPages(other, otherSettings, ui));  // missing file: pages unchanged
    EXPECT_EQ(other.Item(0), 4);
    ASSERT_TRUE(LoadConfigIntoPages(other, otherSettings, ui));
    EXPECT_EQ(other.Item(0), 0);
    EXPECT_EQ(other.Item(2), 1);
    EXPECT_TRUE(otherSettings.skipFirst);
    EXPECT_EQ(ui.shown.back().text, "Import-Konfiguration geladen");
    EXPECT_EQ(ui.shown.back().icon, MsgIcon::Information);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace velkaro
