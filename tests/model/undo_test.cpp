#include "model/Document.h"
#include "model/UndoStack.h"

#include "text/Language.h"
#include "text/MessageIds.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace velkaro {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<CKarte> NewCard(const std::string& name)
{
    auto card = std::make_unique<CKarte>();
    card->SetLine(0, name);
    return card;
}

std::vector<std::string> Names(const CCardList& list)
{
    std::vector<std::string> names;
    for (const CKarte* card : list.Cards())
        names.push_back(card->Name());
    return names;
}

using V = std::vector<std::string>;

TEST(UndoStackTest, StepsGoBackAndForthWithTheirLabelsAndANewStepEndsRedo)
{
    CCardList list;
    list.InsertSorted(NewCard("Anna"), false);
    CUndoStack stack;
    EXPECT_FALSE(stack.CanUndo());
    EXPECT_EQ(stack.UndoLabel(), "");

    stack.Push("eins", CCardSnapshot::Of(list));
    list.InsertSorted(NewCard("Bert"), false);
    stack.Push("zwei", CCardSnapshot::Of(list));
    list.DeleteAllCards();

    ASSERT_TRUE(stack.CanUndo());
    EXPECT_EQ(stack.UndoLabel(), "zwei");
    stack.Undo(CCardSnapshot::Of(list)).RestoreInto(list);
    EXPECT_EQ(Names(list), (V { "Anna", "Bert" }));
    EXPECT_EQ(stack.UndoLabel(), "eins");
    EXPECT_EQ(stack.RedoLabel(), "zwei");
    stack.Undo(CCardSnapshot::Of(list)).RestoreInto(list);
    EXPECT_EQ(Names(list), V { "Anna" });
    EXPECT_FALSE(stack.CanUndo());

    stack.Redo(CCardSnapshot::Of(list)).RestoreInto(list);
    EXPECT_EQ(Names(list), (V { "Anna", "Bert" }));
    EXPECT_EQ(stack.RedoLabel(), "zwei");

    stack.Push("drei", CCardSnapshot::Of(list));
    EXPECT_FALSE(stack.CanRedo());
    EXPECT_EQ(stack.UndoLabel(), "drei");
}

TEST(UndoStackTest, TheOldestStepsGoBeyondTheLimit)
{
    CCardList list;
    CUndoStack stack(3);
    for (int i = 0; i < 5; ++i)
        stack.Push(std::to_string(i), CCardSnapshot::Of(list));
    EXPECT_EQ(stack.UndoCount(), 3u);
    stack.Undo(CCardSnapshot::Of(list));
    stack.Undo(CCardSnapshot::Of(list));
    EXPECT_EQ(stack.UndoLabel(), "2");
}

TEST(UndoStackTest, ASnapshotKeepsMarksEditedFlagsAndFieldNames)
{
    CCardList list;
    list.InsertSorted(NewCard("Anna"), false);
    list.At(0)->marked = 1;
    list.At(0)->edited = 1;
    list.SetFieldNames(NewCard("Feld"));
    CCardSnapshot snapshot = CCardSnapshot::Of(list);
    EXPECT_TRUE(snapshot.SameAs(list));
    list.At(0)->edited = 0;
    EXPECT_FALSE(snapshot.SameAs(list));

    CCardList other;
    snapshot.RestoreInto(other);
    ASSERT_EQ(other.Count(), 1);
    EXPECT_EQ(other.At(0)->marked, 1);
    EXPECT_EQ(other.At(0)->edited, 1);
    ASSERT_NE(other.FieldNames(), nullptr);
    EXPECT_EQ(other.FieldNames()->Name(), "Feld");
}

class DocumentUndoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLanguageOffset(kLangGerman);
        dir = fs::temp_directory_path() / ("velkaro-undo-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        working = (dir / "Velkaro_Desktop.itx").string();
        doc.AddView([this](UpdateHint hint, CCardList*) {
            if (hint == UpdateHint::NewList)
                ++newLists;
        });
        for (const char* name : { "Anna", "Bert" })
            doc.Cards().InsertSorted(NewCard(name), false);
        doc.SetWorkingPath(working);
        ASSERT_TRUE(doc.AutoSave(false));
    }
    void TearDown() override { fs::remove_all(dir); }

    V OnDisk() const
    {
        CCardList written;
        EXPECT_TRUE(LoadCardFile(working, written));
        return Names(written);
    }

    // Undoes and redoes the last step, checking the cards and the working
    // file after each.
    void ExpectUndoRedo(const V& before, const V& after, const std::string& label)
    {
        EXPECT_EQ(Names(doc.Cards()), after);
        EXPECT_EQ(OnDisk(), after);
        ASSERT_TRUE(doc.CanUndo());
        EXPECT_EQ(doc.UndoLabel(), label);
        ASSERT_TRUE(doc.Undo());
        EXPECT_EQ(Names(doc.Cards()), before);
        EXPECT_EQ(OnDisk(), before);
        EXPECT_EQ(doc.RedoLabel(), label);
        ASSERT_TRUE(doc.Redo());
        EXPECT_EQ(Names(doc.Cards()), after);
        EXPECT_EQ(OnDisk(), after);
    }

    fs::path dir;
    std::string working;
    CPcxDoc doc;
    test::ScriptedUi ui;
    int newLists = 0;
};

TEST_F(DocumentUndoTest, DeleteAllIsOneStepAndTheViewsGetTheNewList)
{
    ui.answers.push_back(MsgAnswer::Ok);
    doc.OnDeleteAllCards(ui);
    newLists = 0;
    ExpectUndoRedo({ "Anna", "Bert" }, {}, Text(msg::StepDeleteAllCards));
    // The views held pointers into the cards that were replaced.
    EXPECT_EQ(newLists, 2);
}

TEST_F(DocumentUndoTest, LoadingABackupAndTakingReceivedCardsAreUndone)
{
    CPcxDoc other;
    other.Cards().InsertSorted(NewCard("Neu"), false);
    const std::string backup = (dir / "b.vlx").string();
    ASSERT_TRUE(other.Save(backup));
    ui.answers.push_back(MsgAnswer::Ok);
    doc.LoadBackupFrom(ui, backup);
    ExpectUndoRedo({ "Anna", "Bert" }, { "Neu" }, "Sicherung laden");

    auto received = std::make_unique<CCardList>();
    received->Append(NewCard("X1"));
    received->Append(NewCard("X2"));
    received->Append(NewCard("X3"));
    doc.ReplaceCollection(std::move(received));
    ExpectUndoRedo({ "Neu" }, { "X1", "X2", "X3" }, "Empfang von 3 Karten");
}

TEST_F(DocumentUndoTest, AChangeNamedAfterwardsAndAMarkThatIsNotWritten)
{
    doc.BeginChange("");
    doc.Cards().InsertSorted(NewCard("Carl"), false);
    doc.SetChangeLabel("Import von 1 Karten");
    ASSERT_TRUE(doc.AutoSave(false));
    ExpectUndoRedo({ "Anna", "Bert" }, { "Anna", "Bert", "Carl" }, "Import von 1 Karten");

    doc.BeginChange("Markierung");
    doc.Cards().At(0)->ToggleMark();
    doc.CommitChange();
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.Cards().At(0)->marked, 0);
    CCardList written;
    ASSERT_TRUE(LoadCardFile(working, written));
    EXPECT_EQ(written.At(0)->marked, 0);
}

// The menu names a step in the language it shows now, not in the one of the
// moment the step was taken; a fixed text stays as it was given.
TEST_F(DocumentUndoTest, StepNamesFollowTheLanguage)
{
    doc.BeginChange(StepLabel());
    doc.Cards().InsertSorted(NewCard("Carl"), false);
    doc.SetChangeLabel(StepLabel::Counted(msg::StepImport, 1));
    doc.CommitChange();
    doc.BeginChange(StepLabel::Message(msg::StepDeleteAllCards));
    doc.Cards().DeleteAllCards();
    doc.CommitChange();
    EXPECT_EQ(doc.UndoLabel(), Text(msg::StepDeleteAllCards));
    SetLanguageOffset(kLangFrench);
    EXPECT_EQ(doc.UndoLabel(), Text(msg::StepDeleteAllCards));
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.UndoLabel(), "Importation de 1 fiches");
    SetLanguageOffset(kLangEnglish);
    EXPECT_EQ(doc.UndoLabel(), "Import of 1 cards");
    EXPECT_EQ(doc.RedoLabel(), Text(msg::StepDeleteAllCards));
    SetLanguageOffset(kLangGerman);
    EXPECT_EQ(doc.UndoLabel(), "Import von 1 Karten");

    doc.BeginChange("Von Hand");
    doc.Cards().InsertSorted(NewCard("Dora"), false);
    doc.CommitChange();
    SetLanguageOffset(kLangEnglish);
    EXPECT_EQ(doc.UndoLabel(), "Von Hand");
    SetLanguageOffset(kLangGerman);
}

TEST_F(DocumentUndoTest, ACancelledOrFailedChangeIsNoStep)
{
    ui.answers.push_back(MsgAnswer::Cancel);
    doc.OnDeleteAllCards(ui);
    EXPECT_FALSE(doc.CanUndo());

    // A backup that cannot be read leaves the cards and no step.
    ui.answers.push_back(MsgAnswer::Ok);
    doc.LoadBackupFrom(ui, (dir / "missing.vlx").string());
    EXPECT_FALSE(doc.CanUndo());
    doc.BeginChange("nichts");
    ASSERT_TRUE(doc.AutoSave(false));
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_FALSE(doc.Undo());
}

}  // namespace
}  // namespace velkaro
