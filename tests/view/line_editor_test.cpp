// The display's editing logic without a window: keys, typing at the line
// limits, selections, the clipboard, line operations, mouse placement and
// browsing through the collection.

#include "model/CardList.h"
#include "text/MessageIds.h"
#include "view/LineEditor.h"
#include "view/ViewShared.h"
#include "support/Cards.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace velkaro;
using test::Card;

namespace {

struct FakeHost : IEditorHost {
    int beeps = 0;
    std::vector<int> pages;
    std::vector<bool> editing;
    std::vector<int> listRequests;
    std::vector<unsigned> questions;
    bool answer = false;
    std::optional<std::string> clipboard;

    void PageChanged(int page) override { pages.push_back(page); }
    void EditingChanged(bool e) override { editing.push_back(e); }
    void ListModeRequested(int c) override { listRequests.push_back(c); }
    void Beep() override { ++beeps; }
    bool AskYesNo(unsigned id) override
    {
        questions.push_back(id);
        return answer;
    }
    void SetClipboardText(const std::string& text) override { clipboard = text; }
    std::optional<std::string> ClipboardText() override { return clipboard; }
};

void Type(CLineEditor& e, const std::string& text)
{
    for (unsigned char c : text)
        e.TypeCharacter(c);
}

class LineEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        editor.SetClientWidth(280);  // margin 20
        editor.SetCardList(&list);
    }
    // A new, empty card being edited at (column, row).
    void EditNew(int column = 0, int row = 0)
    {
        editor.ClearCurrentIndex();
        editor.StartEditing(column, row);
    }
    void EditCard(std::vector<std::string> lines)
    {
        int at = list.InsertSorted(Card(std::move(lines)), false);
        ASSERT_TRUE(editor.SetCurrentIndex(at));
        editor.StartEditing(0, 0);
    }
    std::string Line(int i) { return std::string(editor.WorkingCopy().GetLine(i)); }

    FakeHost host;
    CCardList list;
    CLineEditor editor { &host };
};

}  // namespace

TEST(LineEditorGeometry, RowsPagesAndLines)
{
    EXPECT_EQ(CLineEditor::LineOfRow(0, 3), 0);
    EXPECT_EQ(CLineEditor::LineOfRow(1, 5), 1);
    EXPECT_EQ(CLineEditor::LineOfRow(2, 1), 2);
    EXPECT_EQ(CLineEditor::LineOfRow(7, 1), 7);
    EXPECT_EQ(CLineEditor::LineOfRow(2, 2), 8);
    EXPECT_EQ(CLineEditor::LineOfRow(7, 5), 31);
    for (int line = 0; line < 32; ++line) {
        int row = 0;
        int page = 0;
        CLineEditor::RowAndPageOfLine(line, row, page);
        EXPECT_EQ(CLineEditor::LineOfRow(row, page), line) << line;
        if (line >= 2) {
            EXPECT_GE(row, 2);
        }
    }
}

TEST(LineEditorGeometry, MarginFollowsWidthAndStopsAtTwenty)
{
    CLineEditor e;
    e.SetClientWidth(260);
    EXPECT_EQ(e.Margin(), 10);
    e.SetClientWidth(261);
    EXPECT_EQ(e.Margin(), 10);
    e.SetClientWidth(400);
    EXPECT_EQ(e.Margin(), 20);
}

TEST(LineEditorGeometry, HalfCharacterPastABoundaryRoundsUp)
{
    CLineEditor e;
    e.SetClientWidth(280);
    // Large rows: 12 pixels a character.
    EXPECT_EQ(e.ColumnAt(20 + 3 * 12 + 5, 0), 3);
    EXPECT_EQ(e.ColumnAt(20 + 3 * 12 + 6, 0), 4);
    // Small rows: 8 pixels.
    EXPECT_EQ(e.ColumnAt(20 + 3 * 8 + 3, 4), 3);
    EXPECT_EQ(e.ColumnAt(20 + 3 * 8 + 4, 4), 4);
    // Left of the text and far right are clamped.
    EXPECT_EQ(e.ColumnAt(5, 0), 0);
    EXPECT_EQ(e.ColumnAt(600, 0), 20);
    EXPECT_EQ(e.ColumnAt(600, 3), 30);
}

TEST_F(LineEditorTest, NameMustBeginWithALetter)
{
    EditNew();
    Type(editor, "1");
    Type(editor, " ");
    editor.TypeCharacter(0xE9);  // e acute: in the table, but no name letter
    editor.TypeCharacter(0xC9);  // E acute: not on the telephone
    EXPECT_EQ(host.beeps, 4);
    EXPECT_EQ(Line(0), "");
    EXPECT_EQ(editor.CaretColumn(), 0);
    Type(editor, "M1");
    EXPECT_EQ(Line(0), "M1");
    EXPECT_EQ(host.beeps, 4);
}

TEST_F(LineEditorTest, ControlCodesAreIgnoredSilentlyOthersOutsideTheTableBeep)
{
    EditNew(0, 2);
    editor.TypeCharacter(9);
    editor.TypeCharacter(27);
    EXPECT_EQ(host.beeps, 0);
    editor.TypeCharacter('[');
    editor.TypeCharacter(0x7F);
    EXPECT_EQ(host.beeps, 2);
    Type(editor, "1");  // digits are fine off the name's first column
    EXPECT_EQ(Line(2), "1");
}

TEST_F(LineEditorTest, InsertAfterTheEndPadsWithBlanks)
{
    EditCard({ "Abc", "", "abc" });
    editor.RowKey(2, false);
    for (int i = 0; i < 8; ++i)
        editor.KeyDown(EditorKey::Right, false, false);
    Type(editor, "x");
    EXPECT_EQ(Line(2), "abc     x");
    EXPECT_EQ(editor.CaretColumn(), 9);
}

TEST_F(LineEditorTest, FullNameLineInBothModes)
{
    EditCard({ "Abcdefghijklmnopqrst" });
    ASSERT_EQ(Line(0).size(), 20u);
    editor.KeyDown(EditorKey::End, false, false);
    EXPECT_EQ(editor.CaretColumn(), 20);
    editor.KeyDown(EditorKey::Home, false, false);
    editor.KeyDown(EditorKey::Right, false, false);
    Type(editor, "X");  // insert mode: full
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(Line(0), "Abcdefghijklmnopqrst");

    editor.SetInsertMode(false);
    for (int i = 0; i < 18; ++i)
        editor.KeyDown(EditorKey::Right, false, false);
    ASSERT_EQ(editor.CaretColumn(), 19);
    Type(editor, "Z");
    EXPECT_EQ(Line(0), "AbcdefghijklmnopqrsZ");
    EXPECT_EQ(editor.CaretColumn(), 20);
    Type(editor, "Y");
    EXPECT_EQ(host.beeps, 2);
    EXPECT_EQ(Line(0), "AbcdefghijklmnopqrsZ");
}

TEST_F(LineEditorTest, OverwriteAfterTheEndPads)
{
    EditNew(0, 3);
    editor.SetInsertMode(false);
    Type(editor, "ab");
    editor.KeyDown(EditorKey::Home, false, false);
    Type(editor, "X");
    EXPECT_EQ(Line(3), "Xb");
    editor.KeyDown(EditorKey::End, false, false);
    editor.KeyDown(EditorKey::Right, false, false);
    editor.KeyDown(EditorKey::Right, false, false);
    Type(editor, "y");
    EXPECT_EQ(Line(3), "Xb  y");
    // Row 3 ends at column 30.
    for (int i = 0; i < 40; ++i)
        editor.KeyDown(EditorKey::Right, false, false);
    EXPECT_EQ(editor.CaretColumn(), 30);
    Type(editor, "z");
    EXPECT_EQ(host.beeps, 1);
}

TEST_F(LineEditorTest, TrailingBlankIsNotStoredButTheCaretMoves)
{
    EditNew();
    Type(editor, "Ab ");
    EXPECT_EQ(Line(0), "Ab");
    EXPECT_EQ(editor.CaretColumn(), 3);
    Type(editor, "c");
    EXPECT_EQ(Line(0), "Ab c");
}

TEST_F(LineEditorTest, DeleteAndBackspaceNeverJoinLines)
{
    EditCard({ "Abc", "123" });
    editor.KeyDown(EditorKey::Backspace, false, false);  // column 0
    EXPECT_EQ(Line(0), "Abc");
    editor.KeyDown(EditorKey::End, false, false);
    editor.KeyDown(EditorKey::Delete, false, false);  // at the end
    EXPECT_EQ(Line(0), "Abc");
    EXPECT_EQ(Line(1), "123");
    editor.KeyDown(EditorKey::Backspace, false, false);
    EXPECT_EQ(Line(0), "Ab");
    EXPECT_EQ(editor.CaretColumn(), 2);
    editor.KeyDown(EditorKey::Home, false, false);
    editor.KeyDown(EditorKey::Delete, false, false);
    EXPECT_EQ(Line(0), "b");
}

TEST_F(LineEditorTest, ReturnGoesToTheNextRowAndNeverSplits)
{
    EditCard({ "Abc", "123" });
    editor.KeyDown(EditorKey::Right, false, false);
    editor.KeyDown(EditorKey::Return, false, false);
    EXPECT_EQ(editor.CaretRow(), 1);
    EXPECT_EQ(editor.CaretColumn(), 0);
    EXPECT_EQ(Line(0), "Abc");
    for (int i = 0; i < 6; ++i)
        editor.KeyDown(EditorKey::Return, false, false);
    EXPECT_EQ(editor.CaretRow(), 7);
    editor.KeyDown(EditorKey::Return, false, false);
    EXPECT_EQ(editor.Page(), 2);
    EXPECT_EQ(editor.CaretRow(), 2);
}

TEST_F(LineEditorTest, DownOnTheLastRowOfPageFiveDoesNothing)
{
    EditNew(0, 2);
    editor.SetPage(5);
    editor.RowKey(7, false);
    editor.KeyDown(EditorKey::Right, false, false);
    editor.KeyDown(EditorKey::Down, true, false);
    EXPECT_EQ(editor.Page(), 5);
    EXPECT_EQ(editor.CaretRow(), 7);
    EXPECT_FALSE(editor.HasSelection());
    editor.KeyDown(EditorKey::Return, false, false);
    EXPECT_EQ(editor.CaretRow(), 7);
    EXPECT_EQ(editor.CaretColumn(), 1);
}

TEST_F(LineEditorTest, UpAndDownKeepTheScreenPosition)
{
    EditNew(10, 1);
    editor.KeyDown(EditorKey::Down, false, false);
    EXPECT_EQ(editor.CaretRow(), 2);
    EXPECT_EQ(editor.CaretColumn(), 15);  // 10 x 12 / 8
    editor.KeyDown(EditorKey::Right, false, false);
    editor.KeyDown(EditorKey::Up, false, false);
    EXPECT_EQ(editor.CaretRow(), 1);
    EXPECT_EQ(editor.CaretColumn(), 11);  // 16 x 8 = 128, nearest to 132 of 12-wide columns
    editor.KeyDown(EditorKey::Up, false, false);
    editor.KeyDown(EditorKey::Up, false, false);
    EXPECT_EQ(editor.CaretRow(), 0);
}

TEST_F(LineEditorTest, PagesClampAndKeepTheCaretOffTheNameRows)
{
    EditNew(5, 0);
    editor.KeyDown(EditorKey::PageDown, false, false);
    EXPECT_EQ(editor.Page(), 2);
    EXPECT_GE(editor.CaretRow(), 2);
    for (int i = 0; i < 6; ++i)
        editor.KeyDown(EditorKey::PageDown, false, false);
    EXPECT_EQ(editor.Page(), 5);
    EXPECT_EQ(host.pages.back(), 5);
    // Up from row 2 of page 5 goes to row 7 of page 4.
    editor.RowKey(2, false);
    editor.KeyDown(EditorKey::Up, false, false);
    EXPECT_EQ(editor.Page(), 4);
    EXPECT_EQ(editor.CaretRow(), 7);
    // A row key for the name rows goes back to page 1.
    editor.RowKey(0, false);
    EXPECT_EQ(editor.Page(), 1);
    EXPECT_EQ(editor.CaretRow(), 0);
}

TEST_F(LineEditorTest, ShiftExtendsTheSelectionOtherMovesClearIt)
{
    EditCard({ "Meier Hans", "0123" });
    editor.KeyDown(EditorKey::Right, true, false);
    editor.KeyDown(EditorKey::Right, true, false);
    editor.KeyDown(EditorKey::Right, true, false);
    ASSERT_TRUE(editor.HasSelection());
    EXPECT_EQ(editor.SelectionStart().column, 0);
    EXPECT_EQ(editor.SelectionEnd().column, 3);
    editor.Copy();
    EXPECT_EQ(host.clipboard.value_or(""), "Mei");
    editor.KeyDown(EditorKey::Right, false, false);
    EXPECT_FALSE(editor.HasSelection());

    // Over two lines: each piece ends in CR LF.
    editor.KeyDown(EditorKey::Home, false, false);
    editor.KeyDown(EditorKey::Right, false, false);
    editor.KeyDown(EditorKey::Down, true, false);
    editor.Copy();
    EXPECT_EQ(host.clipboard.value_or(""), "eier Hans\r\n0\r\n");
    editor.Cut();
    EXPECT_EQ(Line(0), "M123");
    EXPECT_EQ(editor.CaretRow(), 0);
    EXPECT_EQ(editor.CaretColumn(), 1);
}

TEST_F(LineEditorTest, TypingReplacesTheSelection)
{
    EditCard({ "Meier" });
    editor.KeyDown(EditorKey::Right, false, false);
    editor.KeyDown(EditorKey::End, true, false);
    Type(editor, "a");
    EXPECT_EQ(Line(0), "Ma");
    // A selection from the name's first column only takes a letter.
    editor.KeyDown(EditorKey::Home, true, false);
    Type(editor, "7");
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(Line(0), "Ma");
}

TEST_F(LineEditorTest, PasteSplitsAtLineBreaksAndPlacesTheCaretAfter)
{
    EditCard({ "Abc", "", "left right" });
    editor.RowKey(2, false);
    for (int i = 0; i < 5; ++i)
        editor.KeyDown(EditorKey::Right, false, false);
    host.clipboard = std::string("one\r\ntwo\nthree");
    editor.Paste();
    EXPECT_EQ(Line(2), "left one");
    EXPECT_EQ(Line(3), "two");
    EXPECT_EQ(Line(4), "threeright");
    EXPECT_EQ(editor.CaretRow(), 4);
    EXPECT_EQ(editor.CaretColumn(), 5);

    // Nothing on the clipboard: nothing happens.
    host.clipboard.reset();
    editor.Paste();
    EXPECT_EQ(Line(4), "threeright");
}

TEST_F(LineEditorTest, PasteOntoTheLastPageMovesTheCaretThere)
{
    EditNew(0, 2);
    editor.SetPage(5);
    editor.RowKey(6, false);
    host.clipboard = std::string("a\r\nb\r\nc");
    editor.Paste();
    // Lines 30 and 31 hold a and b; c falls off the card.
    EXPECT_EQ(Line(30), "a");
    EXPECT_EQ(Line(31), "b");
    EXPECT_EQ(editor.Page(), 5);
    EXPECT_EQ(editor.CaretRow(), 7);
}

TEST_F(LineEditorTest, LineOperationsOnAFullCard)
{
    std::vector<std::string> lines;
    lines.push_back("Name");
    lines.push_back("123");
    for (int i = 2; i < 32; ++i)
        lines.push_back("line " + std::to_string(i));
    EditCard(lines);

    // Insert at the caret drops line 31.
    editor.RowKey(3, false);
    editor.InsertLineAtCaret();
    EXPECT_EQ(Line(3), "");
    EXPECT_EQ(Line(4), "line 3");
    EXPECT_EQ(Line(31), "line 30");
    EXPECT_EQ(editor.WorkingCopy().LineCount(), 32);
    editor.DeleteCaretLine();
    EXPECT_EQ(Line(3), "line 3");
    EXPECT_EQ(Line(30), "line 30");
    EXPECT_EQ(Line(31), "");  // the dropped line does not come back

    // On page 2 (lines 8..13), only that page changes.
    CKarte before;
    before.CopyFrom(&editor.WorkingCopy());
    editor.SetPage(2);
    editor.RowKey(4, false);  // line 10
    editor.InsertLineOnPage();
    EXPECT_EQ(Line(10), "");
    EXPECT_EQ(Line(11), before.GetLine(10));
    EXPECT_EQ(Line(13), before.GetLine(12));
    for (int i = 0; i < 32; ++i) {
        if (i < 8 || i > 13) {
            EXPECT_EQ(Line(i), before.GetLine(i)) << i;
        }
    }
    editor.DeleteLineOnPage();
    EXPECT_EQ(Line(10), before.GetLine(10));
    EXPECT_EQ(Line(12), before.GetLine(12));
    EXPECT_EQ(Line(13), "");
    EXPECT_EQ(Line(14), before.GetLine(14));
    EXPECT_EQ(editor.CaretColumn(), 0);
}

TEST_F(LineEditorTest, CtrlUpAndDownAskFirst)
{
    EditCard({ "Abc", "1", "a", "b" });
    editor.RowKey(2, false);
    host.answer = false;
    editor.KeyDown(EditorKey::Down, false, true);
    EXPECT_EQ(host.questions.back(), msg::InsertLineQuestion);
    EXPECT_EQ(Line(2), "a");
    host.answer = true;
    editor.KeyDown(EditorKey::Down, false, true);
    EXPECT_EQ(Line(2), "");
    EXPECT_EQ(Line(3), "a");
    editor.KeyDown(EditorKey::Up, false, true);
    EXPECT_EQ(host.questions.back(), msg::DeleteLineQuestion);
    EXPECT_EQ(Line(2), "a");
    EXPECT_EQ(editor.CaretRow(), 2);
}

TEST_F(LineEditorTest, MouseClickDragAndDoubleClick)
{
    EditCard({ "Abc", "", "Hotel Sonne Berlin" });
    // Row 2, between "Hotel" and "Sonne": columns are 8 wide from x = 20.
    editor.MouseDown(20 + 8 * 8 + 4, 2 * 20 + 5, false);
    EXPECT_EQ(editor.CaretRow(), 2);
    EXPECT_EQ(editor.CaretColumn(), 9);
    EXPECT_TRUE(editor.IsDragging());
    editor.MouseMove(20 + 8 * 14, 2 * 20 + 5);
    editor.MouseUp();
    EXPECT_FALSE(editor.IsDragging());
    EXPECT_EQ(editor.SelectionStart().column, 9);
    EXPECT_EQ(editor.SelectionEnd().column, 14);

    editor.MouseDown(20 + 8 * 8, 2 * 20 + 5, false);
    editor.MouseUp();
    editor.DoubleClick();
    EXPECT_EQ(editor.SelectionStart().column, 6);
    EXPECT_EQ(editor.SelectionEnd().column, 11);

    // After the text, or on a blank: no word.
    editor.MouseDown(20 + 8 * 25, 2 * 20 + 5, false);
    editor.DoubleClick();
    EXPECT_FALSE(editor.HasSelection());
    editor.MouseDown(20 + 8 * 5, 2 * 20 + 5, false);
    editor.DoubleClick();
    EXPECT_FALSE(editor.HasSelection());

    // Below the eighth row nothing happens.
    editor.MouseDown(30, 165, false);
    EXPECT_EQ(editor.CaretColumn(), 5);
}

TEST_F(LineEditorTest, ShiftClickExtendsFromTheAnchor)
{
    EditCard({ "Abcdef" });
    editor.MouseDown(20 + 12, 5, false);
    editor.MouseUp();
    editor.MouseDown(20 + 12 * 4, 5, true);
    editor.MouseUp();
    EXPECT_EQ(editor.SelectionStart().column, 1);
    EXPECT_EQ(editor.SelectionEnd().column, 4);
}

TEST_F(LineEditorTest, ClickWhileBrowsingStartsEditingThere)
{
    list.InsertSorted(Card({ "Anna", "1" }), false);
    ASSERT_TRUE(editor.SetCurrentIndex(0));
    editor.SetPage(3);
    editor.MouseDown(20 + 12 * 2, 25, false);  // row 1 on page 3: page 1 first
    EXPECT_TRUE(editor.IsEditing());
    EXPECT_EQ(editor.Page(), 1);
    EXPECT_EQ(editor.CaretRow(), 1);
    EXPECT_EQ(editor.CaretColumn(), 2);
    EXPECT_EQ(Line(0), "Anna");
    EXPECT_EQ(host.editing.back(), true);
}

TEST_F(LineEditorTest, StartEditingCopiesAndANewCardStartsEmpty)
{
    list.InsertSorted(Card({ "Anna", "1", "x" }, 1), false);
    ASSERT_TRUE(editor.SetCurrentIndex(0));
    editor.StartEditing(0, 0);
    EXPECT_EQ(Line(2), "x");
    EXPECT_EQ(editor.WorkingCopy().MarkByte(), 1);
    Type(editor, "B");
    EXPECT_EQ(list.At(0)->Name(), "Anna");  // the collection's card is untouched

    editor.ClearCurrentIndex();
    EXPECT_FALSE(editor.IsEditing());
    editor.StartEditing(0, 0);
    EXPECT_EQ(editor.WorkingCopy().LineCount(), 0);
    EXPECT_EQ(editor.WorkingCopy().MarkByte(), 0);
    EXPECT_EQ(editor.CurrentIndex(), -1);
}

TEST_F(LineEditorTest, BrowsingKeys)
{
    for (const char* name : { "Anna", "Berta", "Carl", "Dora" })
        list.InsertSorted(Card({ name }), false);
    ASSERT_TRUE(editor.SetCurrentIndex(1));
    editor.KeyDown(EditorKey::Down, false, false);
    EXPECT_EQ(editor.CurrentIndex(), 2);
    editor.KeyDown(EditorKey::End, false, false);
    EXPECT_EQ(editor.CurrentIndex(), 3);
    editor.KeyDown(EditorKey::Down, false, false);
    EXPECT_EQ(editor.CurrentIndex(), 3);
    editor.KeyDown(EditorKey::Home, false, false);
    EXPECT_EQ(editor.CurrentIndex(), 0);
    editor.KeyDown(EditorKey::Up, false, false);
    EXPECT_EQ(editor.CurrentIndex(), 0);

    editor.KeyDown(EditorKey::Right, false, false);
    EXPECT_EQ(editor.Page(), 2);
    editor.KeyDown(EditorKey::Down, false, false);  // a card move shows page 1
    EXPECT_EQ(editor.Page(), 1);
    editor.KeyDown(EditorKey::Right, false, false);
    editor.KeyDown(EditorKey::Left, false, false);
    EXPECT_TRUE(host.listRequests.empty());
    editor.KeyDown(EditorKey::Left, false, false);
    ASSERT_EQ(host.listRequests.size(), 1u);
    EXPECT_EQ(host.listRequests[0], 0);

    editor.TypeCharacter('m');
    EXPECT_EQ(host.listRequests.back(), 'm');
    EXPECT_EQ(editor.ShownCard()->Name(), "Berta");
}

TEST_F(LineEditorTest, CardMovesFollowTheSelection)
{
    for (const char* name : { "Anna Hotel", "Berta", "Carl Hotel", "Dora", "Emil hotel", "Fritz" })
        list.InsertSorted(Card({ name }), false);
    SelectionState selection;
    selection.active = true;
    selection.text = "hotel";
    editor.SetSelection(&selection);

    editor.KeyDown(EditorKey::End, false, false);
    EXPECT_EQ(editor.CurrentIndex(), 4);
    editor.KeyDown(EditorKey::Up, false, false);
    EXPECT_EQ(editor.CurrentIndex(), 2);
    editor.KeyDown(EditorKey::Up, false, false);
    EXPECT_EQ(editor.CurrentIndex(), 0);
    editor.KeyDown(EditorKey::Up, false, false);
    EXPECT_EQ(editor.CurrentIndex(), 0);
    editor.KeyDown(EditorKey::Down, false, false);
    EXPECT_EQ(editor.CurrentIndex(), 2);
    editor.KeyDown(EditorKey::Down, false, false);
    editor.KeyDown(EditorKey::Down, false, false);
    EXPECT_EQ(editor.CurrentIndex(), 4);
    ASSERT_TRUE(editor.SetCurrentIndex(5));
    editor.KeyDown(EditorKey::Home, false, false);
    EXPECT_EQ(editor.CurrentIndex(), 0);
}

TEST_F(LineEditorTest, SetCurrentIndexRefusesOutsideTheCollection)
{
    list.InsertSorted(Card({ "Anna" }), false);
    EXPECT_FALSE(editor.SetCurrentIndex(1));
    EXPECT_FALSE(editor.SetCurrentIndex(-1));
    EXPECT_TRUE(editor.SetCurrentIndex(0));
}
