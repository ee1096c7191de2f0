#include "model/Document.h"
#include "model/History.h"

#include "text/Language.h"
#include "text/MessageIds.h"
#include "support/ScriptedUi.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace velkaro {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;

std::vector<std::string> Names(const CCardList& list)
{
    std::vector<std::string> names;
    for (const CKarte* card : list.Cards())
        names.push_back(card->Name());
    return names;
}

class HistoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLanguageOffset(kLangGerman);
        dir = fs::temp_directory_path() / ("velkaro-history-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        working = (dir / "Velkaro_Desktop.itx").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    // A document on the working file holding the given cards, written.
    void Fill(CPcxDoc& doc, std::initializer_list<const char*> names)
    {
        for (const char* name : names) {
            auto card = std::make_unique<CKarte>();
            card->SetLine(0, name);
            doc.Cards().InsertSorted(std::move(card), false);
        }
        doc.SetWorkingPath(working);
        ASSERT_TRUE(doc.AutoSave(false));
    }

    fs::path dir;
    std::string working;
    test::ScriptedUi ui;
};

TEST_F(HistoryTest, CopiesAreNamedByTimeAndStepListedNewestFirstAndTheOldestGoBeyondThirty)
{
    EXPECT_EQ(KeepHistory(working, history::Import, 0), 0) << "no working file yet: nothing to keep";
    EXPECT_TRUE(ListHistory(working).empty());

    CPcxDoc doc;
    Fill(doc, { "Anna" });
    const std::string bytes = ReadAll(working);
    std::tm when {};
    when.tm_year = 126;
    when.tm_mon = 11;
    when.tm_mday = 9;
    when.tm_hour = 14;
    when.tm_min = 3;
    when.tm_sec = 22;
    when.tm_isdst = -1;
    const std::time_t t = std::mktime(&when);
    ASSERT_EQ(KeepHistory(working, history::Import, t), 0);
    ASSERT_EQ(KeepHistory(working, history::DeleteAll, t), 0);
    const fs::path first = dir / "Verlauf" / "2026-12-09T14-03-22 Import.itx";
    ASSERT_TRUE(fs::exists(first));
    EXPECT_EQ(ReadAll(first), bytes);

    auto entries = ListHistory(working);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].action, "Alle Karten loeschen");
    EXPECT_EQ(entries[1].action, "Import");
    EXPECT_EQ(entries[1].time, "2026-12-09 14:03:22");
    EXPECT_EQ(entries[1].path, first.string());

    for (int i = 1; i <= 30; ++i)
        ASSERT_EQ(KeepHistory(working, history::Receive, t + i), 0);
    entries = ListHistory(working);
    ASSERT_EQ(entries.size(), std::size_t(kHistoryKept));
    EXPECT_FALSE(fs::exists(first));
    EXPECT_EQ(entries.back().action, "Empfang");
}

TEST_F(HistoryTest, AFailedCopyStopsTheStepWithAMessage)
{
    CPcxDoc doc;
    doc.SetUserInterface(&ui);
    Fill(doc, { "Anna", "Bert" });
    const std::string bytes = ReadAll(working);
    // The history folder cannot be made: a file has its name.
    std::ofstream(dir / "Verlauf") << "x";

    ui.answers.push_back(MsgAnswer::Ok);
    doc.OnDeleteAllCards(ui);
    EXPECT_EQ(doc.Cards().Count(), 2);
    EXPECT_EQ(ReadAll(working), bytes);
    ASSERT_FALSE(ui.shown.empty());
    EXPECT_EQ(ui.shown.back().text.rfind(FormatText(msg::HistoryWriteFailed, "").substr(0, 20), 0), 0u);

    auto received = std::make_unique<CCardList>();
    received->Append(std::make_unique<CKarte>());
    received->At(0)->SetLine(0, "Neu");
    EXPECT_FALSE(doc.ReplaceCollection(std::move(received)));
    EXPECT_EQ(Names(doc.Cards()), (std::vector<std::string> { "Anna", "Bert" }));
    EXPECT_FALSE(doc.CanUndo());
}

TEST_F(HistoryTest, AfterARestartTheHistoryBringsTheCardsBackAsOneUndoableStep)
{
    {
        CPcxDoc before;
        Fill(before, { "Anna", "Bert" });
        ui.answers.push_back(MsgAnswer::Ok);
        before.OnDeleteAllCards(ui);
    }
    CPcxDoc doc;
    ASSERT_TRUE(doc.OpenWorkingFile(working, ui));
    EXPECT_TRUE(doc.Cards().IsEmpty());
    auto entries = ListHistory(working);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].action, history::DeleteAll);

    ASSERT_TRUE(doc.RestoreHistory(ui, entries[0].path));
    EXPECT_EQ(Names(doc.Cards()), (std::vector<std::string> { "Anna", "Bert" }));
    CCardList written;
    ASSERT_TRUE(LoadCardFile(working, written));
    EXPECT_EQ(Names(written), (std::vector<std::string> { "Anna", "Bert" }));
    EXPECT_EQ(doc.UndoLabel(), Text(msg::StepRestore));
    ASSERT_TRUE(doc.Undo());
    EXPECT_TRUE(doc.Cards().IsEmpty());
}

}  // namespace
}  // namespace velkaro
