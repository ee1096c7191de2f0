// The card view's rules without widgets: the parts are a real line editor
// over the document's cards and a record of what the widgets were told.

#include "../support/ScriptedUi.h"

#include "text/Language.h"
#include "text/MessageIds.h"
#include "view/CardViewController.h"
#include "view/SoftkeyCodes.h"

#include <gtest/gtest.h>

using namespace velkaro;

namespace {

class FakeParts : public ICardViewParts {
public:
    CLineEditor editor;
    int softkeySet = -1;
    bool fieldNames = false;
    bool savedNotice = false;
    bool structureActive = true;
    int dials = 0;
    std::string clipboard;

    CLineEditor& Editor() override { return editor; }
    bool ShowCard(int index) override { return editor.SetCurrentIndex(index); }
    void ClearCard() override { editor.ClearCurrentIndex(); }
    void StartEditing() override { editor.StartEditing(0, 0); }
    void EndEditing() override { editor.EndEditing(); }
    void DisplayRowKey(int row, bool shift) override { editor.RowKey(row, shift); }
    void DisplayKey(EditorKey key, bool shift) override { editor.KeyDown(key, shift, false); }
    void ShowPage(int page) override { editor.SetPage(page); }
    void StartSavedNotice() override { savedNotice = true; }
    void StopSavedNotice() override { savedNotice = false; }
    // Without a selection the list's rows are the cards in order.
    int RowToCard(int row) const override { return row < editor.CardList()->Count() ? row : -1; }
    void ListKey(IndexKey) override {}
    void TypeInList(unsigned char) override {}
    void ResetList(bool) override {}
    void ShowSoftkeys(int set) override { softkeySet = set; }
    void ToggleSoftkeys(int) override {}
    void ShowMode(ViewMode) override {}
    void ShowFieldNames(bool show) override { fieldNames = show; }
    void Repaint() override {}
    bool FieldNamesSwitchedOn() const override { return structureActive; }
    void SetClipboardText(const std::string& text) override { clipboard = text; }
    void StateChanged() override {}
    void DialCurrent() override { ++dials; }
};

class CardViewControllerTest : public ::testing::Test {
protected:
    CPcxDoc doc;
    test::ScriptedUi ui;
    FakeParts parts;
    CSelection selection;
    CCardViewController control { &doc, ui, parts, selection };

    void SetUp() override
    {
        SetLanguageOffset(kLangGerman);
        parts.editor.SetCardList(&doc.Cards());
    }
    void AddCard(const char* name)
    {
        auto card = std::make_unique<CKarte>();
        card->SetLine(0, name);
        doc.Cards().InsertSorted(std::move(card), false);
    }
    void TypeName(const char* name)
    {
        for (const char* c = name; *c; ++c)
            parts.editor.TypeCharacter(static_cast<unsigned char>(*c));
    }
};

TEST_F(CardViewControllerTest, SavedNewCardIsOneStepAndOpensBrowsing)
{
    AddCard("Anna");
    control.NewCard();
    EXPECT_EQ(control.Mode(), ViewMode::Card);
    TypeName("Zora");
    control.SoftkeyAction(softkey::Save);

    ASSERT_EQ(doc.Cards().Count(), 2);
    EXPECT_EQ(doc.UndoLabel(), Text(msg::StepNewCard));
    EXPECT_FALSE(control.Editing());
    EXPECT_EQ(parts.editor.CurrentIndex(), 1);
    EXPECT_EQ(parts.softkeySet, softkey::SetBrowse);
    EXPECT_TRUE(parts.savedNotice);
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.Cards().Count(), 1);
}

TEST_F(CardViewControllerTest, RefusedOrDeclinedChangesLeaveNoStep)
{
    AddCard("Meier");
    control.NewCard();
    TypeName("MEIER");
    control.SaveCard();
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, Text(msg::NameExists));
    EXPECT_TRUE(control.Editing());  // the edit goes on

    control.Stop();
    control.RowKey(0, false);
    ui.answers.push_back(MsgAnswer::No);
    control.DeleteCard();
    EXPECT_EQ(doc.Cards().Count(), 1);
    EXPECT_EQ(control.Mode(), ViewMode::Card);
    EXPECT_FALSE(doc.CanUndo());
}

TEST_F(CardViewControllerTest, DeleteAndMarkAreStepsOfTheirOwn)
{
    AddCard("Anna");
    AddCard("Berta");
    control.RowKey(1, false);
    control.SoftkeyAction(softkey::Mark);
    EXPECT_EQ(int(doc.Cards().At(1)->marked), 1);
    EXPECT_EQ(doc.UndoLabel(), Text(msg::StepToggleMark));

    ui.answers.push_back(MsgAnswer::Yes);
    control.SoftkeyAction(softkey::Delete);
    EXPECT_EQ(doc.Cards().Count(), 1);
    EXPECT_EQ(doc.UndoLabel(), Text(msg::StepDeleteCard));
    EXPECT_EQ(control.Mode(), ViewMode::List);
    EXPECT_EQ(parts.softkeySet, softkey::SetList);
}

TEST_F(CardViewControllerTest, ListModeEndsTheEditAndTheCardCommands)
{
    AddCard("Anna");
    control.RowKey(7, false);  // no eighth name
    EXPECT_EQ(control.Mode(), ViewMode::List);
    control.RowKey(0, false);
    control.CopyCard();
    EXPECT_EQ(parts.clipboard, "Anna\r\n");
    control.RowKey(2, false);  // edits row 2 of the card
    EXPECT_TRUE(control.Editing());

    control.ListModeRequested(0);
    EXPECT_EQ(control.Mode(), ViewMode::List);
    EXPECT_FALSE(parts.editor.IsEditing());
    EXPECT_EQ(control.ShownCard(), nullptr);
    parts.clipboard.clear();
    control.CopyCard();
    EXPECT_EQ(parts.clipboard, "");
}

TEST_F(CardViewControllerTest, FieldNameColumnOnlyInCardModeWithStructureAndNames)
{
    AddCard("Anna");
    CKarte structure;
    structure.SetLine(0, ReservedName());
    structure.SetLine(2, "Firma");
    control.ChangeCardStructure(structure);
    ASSERT_TRUE(doc.Cards().FieldNames());
    EXPECT_EQ(doc.UndoLabel(), Text(msg::StepCardStructure));
    EXPECT_FALSE(parts.fieldNames);

    control.OpenCard(0);
    EXPECT_TRUE(parts.fieldNames);
    EXPECT_FALSE(selection.IsAllowed());
    parts.structureActive = false;
    control.LayoutFieldNames();
    EXPECT_FALSE(parts.fieldNames);
    EXPECT_TRUE(selection.IsAllowed());
}

}  // namespace
