#include "model/Document.h"
#include "model/History.h"

#include "text/Language.h"
#include "text/MessageIds.h"
#include "support/ScriptedUi.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <cstdlib>
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
        names.emplace_back(card->Name());
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

TEST_F(HistoryTest, CopiesAreNumberedWhateverTheClockSaysEarlierNamesAreOlderAndTheOldestGoBeyondThirty)
{
    EXPECT_EQ(KeepHistory(working, history::Import, 0), 0) << "no working file yet: nothing to keep";
    EXPECT_TRUE(ListHistory(working).empty());

    // Two copies an earlier version named by local time.
    const fs::path folder = dir / "Verlauf";
    fs::create_directories(folder);
    std::ofstream(folder / "2026-12-09T14-03-22-2 Empfang.itx") << "old 2";
    std::ofstream(folder / "2026-12-09T14-03-22 Import.itx") << "old 1";
    const std::time_t t = 1796821402;  // 2026-12-09 13:03:22 UTC
    auto keep = [&](int state, const char* action, std::time_t when) {
        std::ofstream(working, std::ios::trunc) << "state " << state;
        ASSERT_EQ(KeepHistory(working, action, when), 0);
    };
    // The clock goes back an hour at every step.
    for (int i = 1; i <= 3; ++i)
        keep(i, history::Receive, t - 3600 * i);
    keep(3, history::Convert, t);  // the newest copy holds this already
    auto entries = ListHistory(working);
    std::vector<std::string> held;
    for (const HistoryEntry& entry : entries)
        held.push_back(ReadAll(entry.path));
    EXPECT_EQ(held, (std::vector<std::string> { "state 3", "state 2", "state 1", "old 2", "old 1" }));
    EXPECT_EQ(fs::path(entries[2].path).filename(), "000001 2026-12-09T12-03-22Z Empfang.itx");
    EXPECT_EQ(entries[3].time, "2026-12-09 14:03:22");
    EXPECT_EQ(entries[3].action, "Empfang");
    // Local time is only shown.
    const char* zone = std::getenv("TZ");
    const std::string before = zone ? zone : "";
    ::setenv("TZ", "JST-9", 1);
    ::tzset();
    EXPECT_EQ(ListHistory(working)[2].time, "2026-12-09 21:03:22");
    zone ? ::setenv("TZ", before.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();

    for (int i = 4; i <= kHistoryKept + 1; ++i)
        keep(i, history::Import, t);
    entries = ListHistory(working);
    ASSERT_EQ(entries.size(), std::size_t(kHistoryKept));
    EXPECT_EQ(ReadAll(entries.front().path), "state " + std::to_string(kHistoryKept + 1));
    EXPECT_EQ(ReadAll(entries.back().path), "state 2") << "the earlier names went first, then the lowest number";
}

TEST_F(HistoryTest, ABackupThatCannotBeReadTakesNoPlaceInTheHistory)
{
    CPcxDoc doc;
    doc.SetUserInterface(&ui);
    Fill(doc, { "Anna" });
    std::ofstream(dir / "broken.vlx") << "no backup";
    CCardList backup;
    backup.Append(std::make_unique<CKarte>());
    backup.At(0)->SetLine(0, "Bert");
    ASSERT_TRUE(SaveCardFile((dir / "good.vlx").string(), backup));
    for (const char* name : { "broken.vlx", "missing.vlx", "good.vlx" }) {
        ui.answers.push_back(MsgAnswer::Ok);  // replace the cards?
        doc.LoadBackupFrom(ui, (dir / name).string());
    }
    EXPECT_EQ(Names(doc.Cards()), (std::vector<std::string> { "Bert" }));
    auto entries = ListHistory(working);
    ASSERT_EQ(entries.size(), 1u) << "only the load that changed the cards";
    CCardList kept;
    ASSERT_TRUE(LoadCardFile(entries[0].path, kept));
    EXPECT_EQ(Names(kept), (std::vector<std::string> { "Anna" }));
    ASSERT_TRUE(doc.Undo());
    EXPECT_FALSE(doc.CanUndo()) << "the failed loads are no undo steps";
}

TEST_F(HistoryTest, TheStartRemovesTheTemporariesOfCopiesCutOff)
{
    const fs::path folder = dir / "Verlauf";
    fs::create_directories(folder);
    const fs::path copy = folder / "000004 2026-12-09T13-03-22Z Import.itx";
    const fs::path leftover = folder / ".000005 2026-12-09T13-04-00Z Empfang.itx.tmp1174-0";
    std::ofstream(copy) << "kept";
    std::ofstream(leftover) << "cut off";
    CPcxDoc doc;
    ASSERT_TRUE(doc.OpenWorkingFile(working, ui));
    EXPECT_FALSE(fs::exists(leftover));
    EXPECT_EQ(ReadAll(copy), "kept");
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
