#pragma once

// The logic of the card display: which card and page are shown, browsing
// through the collection, and editing a working copy with a caret, a
// selection and the clipboard. No widgets here; the display window paints
// this state and forwards its events.

#include "model/CardList.h"
#include "model/Karte.h"

#include <optional>
#include <string>

namespace velkaro {

struct SelectionState;

// What the editor needs from its window: the messages to the view, the beep,
// the Yes/No questions and the clipboard (plain Windows-1252 text).
class IEditorHost {
public:
    virtual ~IEditorHost() = default;
    virtual void PageChanged(int /*page*/) {}
    virtual void EditingChanged(bool /*editing*/) {}
    // 0 asks for list mode; a character asks for list mode and typed input.
    virtual void ListModeRequested(int /*character*/) {}
    virtual void Beep() {}
    virtual bool AskYesNo(unsigned /*messageId*/) { return false; }
    virtual void SetClipboardText(const std::string& /*text*/) {}
    virtual std::optional<std::string> ClipboardText() { return std::nullopt; }
};

enum class EditorKey { PageUp, PageDown, Left, Right, Up, Down, Home, End, Delete, Backspace, Return };

class CLineEditor {
public:
    explicit CLineEditor(IEditorHost* host = nullptr);
    CLineEditor(const CLineEditor&) = delete;
    CLineEditor& operator=(const CLineEditor&) = delete;

    void SetHost(IEditorHost* host) { m_host = host ? host : &m_nullHost; }
    void SetCardList(CCardList* list);
    CCardList* CardList() const { return m_list; }
    void SetSelection(const SelectionState* selection) { m_selection = selection; }

    // Geometry helpers of the eight rows.
    static int CharWidth(int row);       // 12 on rows 0-1, 8 on rows 2-7
    static int RowMaximum(int row);      // 20 on rows 0-1, 30 on rows 2-7
    static int LineOfRow(int row, int page);
    static void RowAndPageOfLine(int line, int& row, int& page);

    // The left margin follows the client width: (width - 240) / 2, at most 20.
    void SetClientWidth(int width);
    int Margin() const { return m_margin; }
    // The column nearest to x on a row: a click half a character or more past
    // a boundary belongs to the next column.
    int ColumnAt(int x, int row) const;

    // Current card. SetCurrentIndex ends editing and goes to page 1; it is
    // refused for an index outside the collection.
    bool SetCurrentIndex(int index);
    void ClearCurrentIndex();
    int CurrentIndex() const { return m_index; }

    void StartEditing(int column, int row);
    void EndEditing();
    bool IsEditing() const { return m_editing; }

    void SetPage(int page);
    int Page() const { return m_page; }

    // The working copy while editing or when no card of the collection is
    // current; otherwise the collection's card. Never null.
    const CKarte* ShownCard() const;
    CKarte* ShownCard();
    CKarte& WorkingCopy() { return m_work; }
    const CKarte& WorkingCopy() const { return m_work; }

    int CaretColumn() const { return m_column; }
    int CaretRow() const { return m_row; }
    int CaretLine() const { return LineOfRow(m_row, m_page); }
    LinePos CaretPos() const { return { m_column, CaretLine() }; }

    bool HasSelection() const;
    bool HasAnchor() const { return m_anchor.column >= 0; }
    LinePos Anchor() const { return m_anchor; }
    LinePos SelectionStart() const;
    LinePos SelectionEnd() const;
    void ClearSelection() { m_anchor = { -1, 0 }; }

    // Keys and typed characters (Windows-1252).
    void KeyDown(EditorKey key, bool shift, bool ctrl);
    void TypeCharacter(unsigned char c);
    // Row key F1..F8 (row 0..7) in card mode.
    void RowKey(int row, bool shift);

    // Line operations (editing only).
    void InsertLineAtCaret();
    void DeleteCaretLine();
    void InsertLineOnPage();
    void DeleteLineOnPage();

    void DeleteCharacter();
    void DeleteSelection();
    void Copy();
    void Cut();
    void Paste();

    // One mode for the whole program; starts in insert mode.
    bool InsertMode() const { return m_insertMode; }
    void SetInsertMode(bool insert) { m_insertMode = insert; }

    // Mouse, in client coordinates.
    void MouseDown(int x, int y, bool shift);
    void MouseMove(int x, int y);
    void MouseUp() { m_dragging = false; }
    bool IsDragging() const { return m_dragging; }
    void DoubleClick();
    void ContextClick(int x, int y);

private:
    void SetCaret(int column, int row);
    // A move made by a key keeps or extends the selection while Shift is
    // held and clears it otherwise; called before the caret moves.
    void BeginKeyMove(bool shift);
    void ChangePage(int page, bool clearSelection);
    void PlaceAtLine(LinePos pos);
    int NearestColumn(int column, int fromRow, int toRow) const;
    void CaretDown(bool shift);
    void CaretUp(bool shift);
    void MoveToCard(int index);
    bool SelectionWay() const;
    void BrowseKey(EditorKey key);
    void EditKey(EditorKey key, bool shift, bool ctrl);
    void FinishLineOperation();
    int RowAt(int y) const;

    IEditorHost* m_host;
    IEditorHost m_nullHost;
    CCardList* m_list = nullptr;
    const SelectionState* m_selection = nullptr;
    int m_index = -1;
    bool m_editing = false;
    CKarte m_work;
    int m_page = 1;
    int m_column = 0;
    int m_row = 0;
    LinePos m_anchor { -1, 0 };
    bool m_dragging = false;
    bool m_insertMode = true;
    int m_margin = 20;
};

}  // namespace velkaro
