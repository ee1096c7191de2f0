// The import run with its merge modes, and the import command's flow.

#include "exchange/ImportRun.h"

#include "text/Language.h"
#include "model/Document.h"
#include "model/History.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace velkaro {
namespace {

namespace fs = std::filesystem;

CImportTable Table(std::initializer_list<std::vector<std::string>> records)
{
    CImportTable table;
    int r = 0;
    for (const auto& record : records) {
        for (std::size_t c = 0; c < record.size(); ++c)
            table.SetField(record[c], r, static_cast<int>(c));
        ++r;
    }
    return table;
}

CImportConfig NamePhone()
{
    CImportConfig config;
    config.assignment[0] = 0;
    config.assignment[1] = 1;
    return config;
}

std::vector<std::string> Names(const CCardList& cards)
{
    std::vector<std::string> names;
    for (const auto& card : cards.Cards())
        names.emplace_back(card->Name());
    return names;
}

std::unique_ptr<CKarte> Card(const std::string& name, const std::string& phone = {})
{
    auto card = std::make_unique<CKarte>();
    card->SetLine(0, name);
    card->SetLine(1, phone);
    return card;
}

TEST(ImportRun, FillsCardsByTheAssignment)
{
    CCardList cards;
    CImportConfig config = NamePhone();
    config.assignment[5] = 2;
    auto table = Table({ { "Meier", "0301", "Bern" },
                         { "", "12" },
                         { "1A Autohaus" },
                         { std::string(" ") + std::string(24, 'x'), "+49 (30) 123-45" } });
    EXPECT_EQ(ImportRun(cards, table, config, 0), 4);
    ASSERT_EQ(cards.Count(), 4);
    auto names = Names(cards);
    EXPECT_EQ(names, (std::vector<std::string>{ "A", "A1A Autohaus", "Meier", std::string(19, 'x') }));
    const CKarte* meier = cards.At(cards.FindName("Meier").index);
    EXPECT_EQ(meier->GetLine(1), "0301");
    EXPECT_EQ(meier->GetLine(5), "Bern");
    EXPECT_EQ(meier->EditedByte(), 1);
    // Without the numbers-only option the telephone line keeps its signs.
    EXPECT_EQ(cards.At(3)->GetLine(1), "+49 (30) 123-45");
}

TEST(ImportRun, OnlyNumbersAndDosCharacters)
{
    CCardList cards;
    CImportConfig config = NamePhone();
    config.onlyNumbers = 1;
    config.characterSet = 1;
    auto table = Table({ { "M\x84hler", "+49 (30) 123-45" } });
    ImportRun(cards, table, config, 0);
    ASSERT_EQ(cards.Count(), 1);
    EXPECT_EQ(cards.At(0)->Name(), "M\xE4hler");
    EXPECT_EQ(cards.At(0)->GetLine(1), "+49  30  123 45");
}

TEST(ImportRun, MixNumbersRepeatedNames)
{
    CCardList cards;
    auto table = Table({ { "Meier", "1" }, { "Schulz", "2" } });
    ImportRun(cards, table, NamePhone(), 1);
    EXPECT_EQ(ImportRun(cards, table, NamePhone(), 1), 2);
    EXPECT_EQ(Names(cards), (std::vector<std::string>{ "Meier", "Meier" + std::string(14, ' ') + "1", "Schulz",
                                                       "Schulz" + std::string(13, ' ') + "1" }));
}

TEST(ImportRun, MixReplaceKeepsTheLastRecordOfAName)
{
    CCardList cards;
    cards.InsertSorted(Card("Meier", "old"), false);
    cards.InsertSorted(Card("Alt", "1"), false);
    auto table = Table({ { "Meier", "first" }, { "MEIER", "second" } });
    EXPECT_EQ(ImportRun(cards, table, NamePhone(), 2), 2);
    ASSERT_EQ(cards.Count(), 2);
    EXPECT_EQ(cards.At(0)->Name(), "Alt");
    EXPECT_EQ(cards.At(1)->Name(), "MEIER");
    EXPECT_EQ(cards.At(1)->GetLine(1), "second");
}

TEST(ImportRun, DeleteOldNumbersOnlyNamesRepeatedInTheFile)
{
    CCardList cards;
    cards.InsertSorted(Card("Meier", "old"), false);
    cards.InsertSorted(Card("Zorn"), false);
    auto names = Card(ReservedName());
    names->SetLine(2, "Firma");
    cards.SetFieldNames(std::move(names));
    auto table = Table({ { "Meier", "a" }, { "Meier", "b" } });
    EXPECT_EQ(ImportRun(cards, table, NamePhone(), 0), 2);
    EXPECT_EQ(Names(cards), (std::vector<std::string>{ "Meier", "Meier" + std::string(14, ' ') + "1" }));
    ASSERT_NE(cards.FieldNames(), nullptr);  // the card structure stays
    EXPECT_EQ(cards.FieldNames()->GetLine(2), "Firma");
}

TEST(ImportRun, SkipFirstRecordAndTheFieldNamesCardRule)
{
    CCardList cards;
    CImportConfig config = NamePhone();
    config.assignment[2] = 2;
    config.skipFirst = 1;
    EXPECT_EQ(ImportRun(cards, Table({ { "Name", "Telefon" } }), config, 0), 0);
    EXPECT_TRUE(cards.IsEmpty());

    auto table = Table({ { "Name", "Telefon", "Ort" }, { ReservedName(), "Mobil", "Stadt" }, { "Meier", "1" } });
    EXPECT_EQ(ImportRun(cards, table, config, 1), 2);
    EXPECT_EQ(Names(cards), std::vector<std::string>{ "Meier" });
    ASSERT_NE(cards.FieldNames(), nullptr);
    EXPECT_EQ(cards.FieldNames()->GetLine(1), "Mobil");
    EXPECT_EQ(cards.FieldNames()->GetLine(2), "Stadt");
}

TEST(ImportRun, ReportsProgress)
{
    struct ProgressUi : test::ScriptedUi {
        std::vector<int> steps;
        std::string caption;
        int ended = 0;
        void ProgressBegin(const std::string& c) override { caption = c; }
        void ProgressStep(int perMille) override { steps.push_back(perMille); }
        void ProgressEnd() override { ++ended; }
    } ui;
    SetLanguageOffset(kLangGerman);
    CImportTable table;
    for (int r = 0; r < 120; ++r)
        table.SetField("N" + std::to_string(r), r, 0);
    CCardList cards;
    ImportRun(cards, table, NamePhone(), 0, &ui);
    EXPECT_EQ(ui.caption, "Importieren...");
    EXPECT_EQ(ui.steps, (std::vector<int>{ 0, 416, 833 }));
    EXPECT_EQ(ui.ended, 1);
}

// A user interface with the two import dialogs scripted.
struct ImportUi : test::ScriptedUi {
    std::optional<CImportConfig> config;  // what the dialog hands back; nullopt = Cancel
    bool dialogShown = false;
    CImportConfig offered;
    const CKarte* offeredNames = nullptr;
    std::deque<std::optional<int>> modes;
    std::vector<int> modePresets;

    bool EditImportConfig(const CImportTable&, CImportConfig& c, const CKarte* fieldNames) override
    {
        dialogShown = true;
        offered = c;
        offeredNames = fieldNames;
        if (!config)
            return false;
        c = *config;
        return true;
    }
    std::optional<int> ChooseImportMode(int current) override
    {
        modePresets.push_back(current);
        auto m = modes.front();
        modes.pop_front();
        return m;
    }
};

class ImportCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLanguageOffset(kLangEnglish);
        dir = fs::temp_directory_path() / ("velkaro-import-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        doc.SetWorkingPath((dir / "Velkaro_Desktop.itx").string());
    }
    void TearDown() override
    {
        SetLanguageOffset(kLangGerman);
        fs::remove_all(dir);
    }

    ImportFileReader Reader(CImportTable table)
    {
        return [this, table](const std::string& path, CImportTable& into, IMessageUi&) {
            readPath = path;
            into = table;
            return true;
        };
    }

    fs::path dir;
    CPcxDoc doc;
    ImportUi ui;
    ImportSettings settings;
    std::string readPath;
};

TEST_F(ImportCommandTest, FirstImportAsksNoModeAndSavesTheCards)
{
    ui.files.push_back((dir / "addr.csv").string());
    CImportConfig chosen = NamePhone();
    chosen.skipFirst = 1;
    chosen.onlyNumbers = 1;
    ui.config = chosen;
    settings.mode = 2;
    auto outcome = OnImport(doc, ui, settings, false, Reader(Table({ { "Name", "Telephone number" }, { "Meier", "0-1" } })));
    ASSERT_TRUE(outcome.imported);
    EXPECT_EQ(outcome.count, 1);
    EXPECT_EQ(readPath, (dir / "addr.csv").string());
    // The dialog was offered the automatic assignment.
    EXPECT_EQ(ui.offered.assignment[0], 0);
    EXPECT_EQ(ui.offered.assignment[1], 1);
    EXPECT_TRUE(ui.modePresets.empty());
    EXPECT_TRUE(settings.skipFirst);
    EXPECT_TRUE(settings.onlyNumbers);
    EXPECT_FALSE(settings.dosCharacters);
    EXPECT_EQ(settings.mode, 2);  // not asked, so not changed
    EXPECT_EQ(doc.Cards().At(0)->GetLine(1), "0 1");
    EXPECT_TRUE(fs::exists(dir / "Velkaro_Desktop.itx"));
    EXPECT_EQ(ui.LastText(), "1 cards loaded from file\n" + (dir / "addr.csv").string());
    EXPECT_EQ(ui.shown.back().icon, MsgIcon::Information);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].filter.substr(ui.fileRequests[0].filter.rfind("All")), "All Files (*.*)|*.*|");
}

TEST_F(ImportCommandTest, CancelsLeaveTheCardsAsTheyWere)
{
    doc.Cards().InsertSorted(Card("Meier", "1"), false);
    auto table = Table({ { "Schulz", "2" } });

    ui.files.push_back(std::nullopt);
    EXPECT_FALSE(OnImport(doc, ui, settings, false, Reader(table)).imported);
    EXPECT_TRUE(readPath.empty());

    ui.files.push_back((dir / "a.txt").string());
    ui.config.reset();
    settings.onlyNumbers = true;
    EXPECT_FALSE(OnImport(doc, ui, settings, false, Reader(table)).imported);
    EXPECT_TRUE(settings.onlyNumbers);  // stored only after OK

    ui.files.push_back((dir / "a.txt").string());
    ui.config = NamePhone();
    ui.modes.push_back(std::nullopt);
    settings.mode = 1;
    EXPECT_FALSE(OnImport(doc, ui, settings, false, Reader(table)).imported);
    EXPECT_EQ(ui.modePresets, std::vector<int>{ 1 });
    EXPECT_EQ(Names(doc.Cards()), std::vector<std::string>{ "Meier" });
    EXPECT_FALSE(settings.onlyNumbers);  // the dialog's options were taken
    EXPECT_FALSE(fs::exists(dir / "Velkaro_Desktop.itx"));
}

TEST_F(ImportCommandTest, ChosenModeIsUsedAndKept)
{
    doc.Cards().InsertSorted(Card("Meier", "1"), false);
    ui.files.push_back((dir / "a.txt").string());
    ui.config = NamePhone();
    ui.modes.push_back(2);
    auto outcome = OnImport(doc, ui, settings, false, Reader(Table({ { "Meier", "new" }, { "Zorn", "3" } })));
    ASSERT_TRUE(outcome.imported);
    EXPECT_EQ(settings.mode, 2);
    EXPECT_EQ(Names(doc.Cards()), (std::vector<std::string>{ "Meier", "Zorn" }));
    EXPECT_EQ(doc.Cards().At(0)->GetLine(1), "new");
}

TEST_F(ImportCommandTest, AnImportIsOneUndoStepAndOnlyTheReplacingModesKeepTheOldFile)
{
    doc.Cards().InsertSorted(Card("Meier", "1"), false);
    ASSERT_TRUE(doc.AutoSave(false));
    const std::string working = (dir / "Velkaro_Desktop.itx").string();
    ui.config = NamePhone();

    ui.files.push_back((dir / "a.txt").string());
    ui.modes.push_back(2);
    ASSERT_TRUE(OnImport(doc, ui, settings, false, Reader(Table({ { "Meier", "new" }, { "Zorn", "3" } }))).imported);
    auto kept = ListHistory(working);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].action, "Import");
    EXPECT_EQ(doc.UndoLabel(), "Import of 2 cards");
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(Names(doc.Cards()), std::vector<std::string>{ "Meier" });
    CCardList written;
    ASSERT_TRUE(LoadCardFile(working, written));
    EXPECT_EQ(written.At(0)->GetLine(1), "1");

    // Adding cards replaces none: no copy.
    ui.files.push_back((dir / "a.txt").string());
    ui.modes.push_back(1);
    ASSERT_TRUE(OnImport(doc, ui, settings, false, Reader(Table({ { "Zorn", "3" } }))).imported);
    EXPECT_EQ(ListHistory(working).size(), 1u);
    EXPECT_EQ(doc.UndoLabel(), "Import of 1 cards");
    EXPECT_FALSE(doc.CanRedo());
}

TEST_F(ImportCommandTest, EmptyTableAndFailedReads)
{
    ui.files.push_back((dir / "a.txt").string());
    CImportTable empty;
    EXPECT_FALSE(OnImport(doc, ui, settings, false, Reader(empty)).imported);
    EXPECT_EQ(ui.LastText(), "Empty file");
    EXPECT_FALSE(ui.dialogShown);

    ui.files.push_back((dir / "a.xls").string());
    ImportFileReader failing = [](const std::string&, CImportTable&, IMessageUi&) { return false; };
    ui.shown.clear();
    EXPECT_FALSE(OnImport(doc, ui, settings, false, failing).imported);
    EXPECT_TRUE(ui.shown.empty());  // the reader has spoken
}

// Headings below a title are found and are no card, nor is the title; what
// the cards could not keep is said with the count.
TEST_F(ImportCommandTest, HeadingsBelowATitleAndWhatWasLost)
{
    ui.files.push_back((dir / "club.csv").string());
    auto table = Table({ { "Mitgliederliste 2026" },
                         { "Stand: 1.12." },
                         { "Name", "Ort", "Telephone number" },
                         { "Meier", "Bonn", "0301" },
                         { "", "Kiel", "0402" },
                         { "Schulz-Lindenberg-Hohenstein", "", "0503" } });
    ui.config = std::nullopt;
    EXPECT_FALSE(OnImport(doc, ui, settings, false, Reader(table)).imported);
    EXPECT_EQ(ui.offered.assignment[0], 0);
    EXPECT_EQ(ui.offered.assignment[1], 2);

    ui.files.push_back((dir / "club.csv").string());
    ui.config = ui.offered;
    auto outcome = OnImport(doc, ui, settings, false, Reader(table));
    EXPECT_EQ(outcome.count, 3);
    EXPECT_EQ(outcome.report.cut, 1);
    EXPECT_EQ(outcome.report.nameless, 1);
    EXPECT_EQ(outcome.report.columnsLeftOut, (std::vector<std::string> { "Ort" }));
    EXPECT_EQ(ui.LastText(), "3 cards loaded from file\n" + (dir / "club.csv").string()
                                 + "\n\n1 values were longer than their line and have been cut.\n1 records had no "
                                   "name.\nColumns not imported: Ort");
}

TEST_F(ImportCommandTest, StructureActiveLabelsTheAutomaticAssignment)
{
    auto names = Card(ReservedName());
    names->SetLine(2, "Firma");
    doc.Cards().SetFieldNames(std::move(names));
    ui.files.push_back((dir / "a.txt").string());
    ui.config = NamePhone();
    auto table = Table({ { "firma", "name" }, { "ACME", "Meier" } });
    OnImport(doc, ui, settings, true, Reader(table));
    EXPECT_EQ(ui.offeredNames, doc.Cards().FieldNames());
    EXPECT_EQ(ui.offered.assignment[2], 0);
    EXPECT_EQ(ui.offered.assignment[0], 1);

    ui.files.push_back((dir / "a.txt").string());
    ui.modes.push_back(1);
    OnImport(doc, ui, settings, false, Reader(table));
    EXPECT_EQ(ui.offeredNames, nullptr);
    EXPECT_EQ(ui.offered.assignment[2], -1);
}

TEST_F(ImportCommandTest, DialableNumbersOnlyWhenAskedAndBeforeTheyAreCut)
{
    // What the device link hands over, here the digits of the text.
    std::vector<int> convertedLines;
    const DialableLine digits = [&convertedLines](const std::string& text, int line) {
        convertedLines.push_back(line);
        std::string kept;
        for (char ch : text)
            if (ch >= '0' && ch <= '9')
                kept += ch;
        return kept;
    };
    doc.Cards().InsertSorted(Card("Alt", "+49 30 1"), false);
    const auto table = Table({ { "Name", "Telephone number", "Ort", "Mobil" },
                               { "Meier", "+49 (0) 30 123 456 789 0", "10115 Berlin", "0171 / 123" } });
    CImportConfig chosen = NamePhone();
    chosen.skipFirst = 1;
    chosen.assignment[2] = 2;
    chosen.assignment[3] = 3;
    const auto import = [&](uint8_t dialable, const DialableLine& conversion) {
        ui.files.push_back((dir / "a.csv").string());
        ui.modes.push_back(static_cast<int>(ImportMode::MixReplace));
        ui.config = chosen;
        ui.config->dialable = dialable;
        return OnImport(doc, ui, settings, false, Reader(table), conversion);
    };

    auto outcome = import(0, digits);
    const CKarte* meier = doc.Cards().At(doc.Cards().FindName("Meier").index);
    EXPECT_EQ(meier->GetLine(1), "+49 (0) 30 123 456 7");
    EXPECT_EQ(outcome.report.cut, 1);
    EXPECT_TRUE(convertedLines.empty());
    EXPECT_FALSE(settings.dialable);

    outcome = import(1, digits);
    meier = doc.Cards().At(doc.Cards().FindName("Meier").index);
    EXPECT_EQ(meier->GetLine(1), "490301234567890");
    EXPECT_EQ(meier->GetLine(2), "10115 Berlin");
    EXPECT_EQ(meier->GetLine(3), "0171123");  // a "Mobil" column in an unnamed line
    EXPECT_EQ(outcome.report.cut, 0);
    EXPECT_EQ(convertedLines, (std::vector<int> { 1, 3 }));
    EXPECT_EQ(doc.Cards().At(doc.Cards().FindName("Alt").index)->GetLine(1), "+49 30 1");
    EXPECT_TRUE(settings.dialable);
    // Without the rules the numbers stay as written.
    EXPECT_EQ(import(1, {}).report.cut, 1);
}

}  // namespace
}  // namespace velkaro
