#include "model/Document.h"
#include "model/UndoStack.h"

#include "text/Language.h"
#include "text/MessageIds.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
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
        names.emplace_back(card->Name());
    return names;
}

using V = std::vector<std::string>;

// Makes the change on list and pushes it as one step.
template <typename Change>
void Step(CUndoStack& stack, CCardList& list, StepLabel label, Change change)
{
    CCardSnapshot before = CCardSnapshot::Of(list);
    change();
    stack.Push(std::move(label), CCardChange::Between(std::move(before), list));
}

TEST(UndoStackTest, StepsGoBackAndForthWithTheirLabelsAndANewStepEndsRedo)
{
    CCardList list;
    list.InsertSorted(NewCard("Anna"), false);
    CUndoStack stack;
    EXPECT_FALSE(stack.CanUndo());
    EXPECT_EQ(stack.UndoLabel(), "");

    Step(stack, list, "eins", [&] { list.InsertSorted(NewCard("Bert"), false); });
    Step(stack, list, "zwei", [&] { list.DeleteAllCards(); });

    ASSERT_TRUE(stack.CanUndo());
    EXPECT_EQ(stack.UndoLabel(), "zwei");
    ASSERT_TRUE(stack.Undo(list));
    EXPECT_EQ(Names(list), (V { "Anna", "Bert" }));
    EXPECT_EQ(stack.UndoLabel(), "eins");
    EXPECT_EQ(stack.RedoLabel(), "zwei");
    ASSERT_TRUE(stack.Undo(list));
    EXPECT_EQ(Names(list), V { "Anna" });
    EXPECT_FALSE(stack.CanUndo());

    ASSERT_TRUE(stack.Redo(list));
    EXPECT_EQ(Names(list), (V { "Anna", "Bert" }));
    EXPECT_EQ(stack.RedoLabel(), "zwei");

    Step(stack, list, "drei", [&] { list.InsertSorted(NewCard("Carl"), false); });
    EXPECT_FALSE(stack.CanRedo());
    EXPECT_EQ(stack.UndoLabel(), "drei");
}

TEST(UndoStackTest, TheOldestStepsGoBeyondTheLimit)
{
    CCardList list;
    CUndoStack stack(3);
    for (int i = 0; i < 5; ++i)
        Step(stack, list, std::to_string(i), [&] { list.InsertSorted(NewCard(std::to_string(i)), false); });
    EXPECT_EQ(stack.UndoCount(), 3u);
    ASSERT_TRUE(stack.Undo(list));
    ASSERT_TRUE(stack.Undo(list));
    EXPECT_EQ(stack.UndoLabel(), "2");
    EXPECT_EQ(Names(list), (V { "0", "1", "2" }));
}

TEST(UndoStackTest, ASnapshotKeepsMarksEditedFlagsAndFieldNames)
{
    CCardList list;
    list.InsertSorted(NewCard("Anna"), false);
    list.At(0)->SetMarkByte(1);
    list.At(0)->SetEditedByte(1);
    list.SetFieldNames(NewCard("Feld"));
    CCardSnapshot snapshot = CCardSnapshot::Of(list);
    EXPECT_TRUE(snapshot.SameAs(list));
    list.At(0)->SetEditedByte(0);
    EXPECT_FALSE(snapshot.SameAs(list));

    CCardList other;
    snapshot.RestoreInto(other);
    ASSERT_EQ(other.Count(), 1);
    EXPECT_EQ(other.At(0)->MarkByte(), 1);
    EXPECT_EQ(other.At(0)->EditedByte(), 1);
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
    EXPECT_EQ(doc.Cards().At(0)->MarkByte(), 0);
    CCardList written;
    ASSERT_TRUE(LoadCardFile(working, written));
    EXPECT_EQ(written.At(0)->MarkByte(), 0);
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

// A change made without a step: undo must neither lose it nor take out a
// card it did not put in.
TEST_F(DocumentUndoTest, CardsChangedWithoutAStepAreKeptAndTheStepsGo)
{
    doc.BeginChange("Carl");
    doc.Cards().InsertSorted(NewCard("Carl"), false);
    doc.CommitChange();
    doc.Cards().At(2)->SetLine(1, "0301 1234");
    EXPECT_FALSE(doc.Undo());
    EXPECT_EQ(Names(doc.Cards()), (V { "Anna", "Bert", "Carl" }));
    EXPECT_EQ(doc.Cards().At(2)->GetLine(1), "0301 1234");
    EXPECT_FALSE(doc.CanUndo());
}

// Random changes of every kind, undone and redone in runs, against whole
// copies of every state the cards went through.
class RandomUndoTest : public ::testing::TestWithParam<unsigned> {
protected:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    // Few names, so that renames and inserts meet names in use.
    std::unique_ptr<CKarte> RandomCard()
    {
        auto card = NewCard(std::string { static_cast<char>('A' + Pick(5)), static_cast<char>('a' + Pick(5)) });
        card->SetLine(1 + Pick(3), std::to_string(Pick(1000)));
        card->SetEditedByte(static_cast<uint8_t>(Pick(2)));
        return card;
    }
    CKarte* AnyCard() { return cards.IsEmpty() ? nullptr : cards.At(Pick(cards.Count())); }

    void Change(int kind)
    {
        switch (kind) {
        case 0:  // a line edited in the card window: taken out and filed again
            if (auto card = cards.TakeAt(Pick(cards.Count() + 1))) {
                card->SetLine(2, std::to_string(Pick(1000)));
                card->SetEditedByte(1);
                cards.InsertSorted(std::move(card), false);
            }
            break;
        case 1:  // a rename
            if (auto card = cards.TakeAt(Pick(cards.Count() + 1))) {
                card->SetLine(0, RandomCard()->Name());
                cards.InsertSorted(std::move(card), false);
            }
            break;
        case 2:
            cards.InsertSorted(RandomCard(), false);
            break;
        case 3:
            cards.DeleteCardAt(Pick(cards.Count() + 1));
            break;
        case 4:  // marks, and a mark set and taken back: no step
            for (int i = Pick(4); i > 0; --i)
                if (CKarte* card = AnyCard())
                    card->ToggleMark();
            break;
        case 5:  // the edited flags after a transfer
            for (int i = 0; i < cards.Count(); ++i)
                if (Pick(3) == 0)
                    cards.At(i)->SetEditedByte(static_cast<uint8_t>(Pick(2)));
            break;
        case 6:  // the field-names card set, changed, flagged or gone
            if (Pick(4) == 0)
                cards.TakeFieldNames();
            else if (cards.FieldNames() && Pick(2) == 0)
                cards.FieldNames()->SetEditedByte(cards.FieldNames()->EditedByte() ^ 1);
            else
                cards.SetFieldNames(RandomCard());
            break;
        case 7: {  // an import that replaces cards of the same name
            std::vector<std::unique_ptr<CKarte>> batch;
            for (int i = Pick(8); i > 0; --i)
                batch.push_back(RandomCard());
            cards.InsertAllSorted(std::move(batch), Pick(2) == 1);
            break;
        }
        case 8: {  // a collection read in another order, with equal cards twice
            auto all = cards.TakeAll();
            std::shuffle(all.begin(), all.begin() + Pick(static_cast<int>(all.size()) + 1), rng);
            for (auto& card : all)
                if (Pick(6) != 0) {
                    if (Pick(8) == 0)
                        cards.Append(std::make_unique<CKarte>(*card));
                    cards.Append(std::move(card));
                }
            break;
        }
        case 9:
            cards.DeleteAllCards();
            break;
        }
    }

    std::mt19937 rng { GetParam() };
    CPcxDoc doc;
    CCardList& cards = doc.Cards();
};

TEST_P(RandomUndoTest, UndoAndRedoGiveBackEveryStateExactly)
{
    constexpr std::size_t kLimit = 100;
    std::vector<CCardSnapshot> states { CCardSnapshot::Of(cards) };
    // Weights of the changes in the order of Change(), then undo and redo
    // runs: enough changes between the runs to reach the limit.
    std::discrete_distribution<int> kinds { 3, 2, 5, 2, 2, 1, 1, 2, 1, 0.2, 0.5, 0.5 };
    std::size_t at = 0;
    for (int round = 0; round < 2000; ++round) {
        const int kind = kinds(rng);
        if (kind >= 10) {
            // A run of undos (or redos), as far as the steps reach and one more.
            const bool undo = kind == 10;
            for (int i = Pick(40); i >= 0; --i) {
                const bool possible = undo ? at > 0 : at + 1 < states.size();
                ASSERT_EQ(undo ? doc.Undo() : doc.Redo(), possible) << round;
                if (!possible)
                    break;
                at = undo ? at - 1 : at + 1;
                ASSERT_TRUE(states[at].SameAs(cards)) << round;
            }
        } else {
            doc.BeginChange("x");
            Change(kind);
            doc.CommitChange();
            if (!states[at].SameAs(cards)) {
                states.resize(at + 1);
                states.push_back(CCardSnapshot::Of(cards));
                if (states.size() > kLimit + 1)
                    states.erase(states.begin());
                at = states.size() - 1;
            }
        }
        ASSERT_TRUE(states[at].SameAs(cards)) << round;
        ASSERT_EQ(doc.CanUndo(), at > 0) << round;
        ASSERT_EQ(doc.CanRedo(), at + 1 < states.size()) << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomUndoTest, ::testing::Values(1u, 2u, 3u, 4u));

// A large book: a step keeps what its change touched, not the book.
TEST(UndoMemoryTest, StepsKeepWhatChangedNotTheBook)
{
    constexpr int kBook = 100000;
    CPcxDoc doc;
    auto name = [](int i) {
        std::string digits = std::to_string(1000000 + i);
        return "Name " + digits.substr(1);
    };
    for (int i = 0; i < kBook; ++i) {
        auto card = NewCard(name(i));
        card->SetLine(1, "030 " + std::to_string(4000000 + i));
        card->SetLine(2, "Lange Strasse " + std::to_string(i % 200));
        doc.Cards().Append(std::move(card));
    }
    const CCardSnapshot book = CCardSnapshot::Of(doc.Cards());
    const CUndoStack& steps = doc.UndoStack();

    // A hundred single edits of each kind: a line, a rename across the whole
    // book, a mark, a deletion, a new card.
    for (int i = 0; i < 100; ++i) {
        const std::size_t was = steps.Bytes();
        CCardList& cards = doc.Cards();
        doc.BeginChange("Karte");
        const int at = (i * 997) % cards.Count();
        switch (i % 5) {
        case 0:
            cards.At(at)->SetLine(2, "Kurze Strasse 1");
            break;
        case 1: {
            auto card = cards.TakeAt(at);
            card->SetLine(0, i % 2 ? "Zz" : "Aa");
            cards.InsertSorted(std::move(card), false);
            break;
        }
        case 2:
            cards.At(at)->ToggleMark();
            break;
        case 3:
            cards.DeleteCardAt(at);
            break;
        case 4:
            cards.InsertSorted(NewCard(name(i) + " neu"), false);
            break;
        }
        doc.CommitChange();
        EXPECT_LT(steps.Bytes() - was, 2048u) << i;
    }
    EXPECT_EQ(steps.UndoCount(), 100u);
    EXPECT_LT(steps.Bytes(), std::size_t { 5 } << 20);
    while (doc.CanUndo())
        ASSERT_TRUE(doc.Undo());
    EXPECT_TRUE(book.SameAs(doc.Cards()));

    // The edited flags of every card, set and cleared by a transfer: flags,
    // not cards, at a few bytes a card.
    doc.BeginChange("Gesendet");
    for (int i = 0; i < doc.Cards().Count(); ++i)
        doc.Cards().At(i)->SetEditedByte(1);
    doc.CommitChange();
    EXPECT_LT(steps.Bytes(), std::size_t { 16 } * kBook);
    ASSERT_TRUE(doc.Undo());
    EXPECT_TRUE(book.SameAs(doc.Cards()));
}

}  // namespace
}  // namespace velkaro
