#include "view/LineEditor.h"

#include "model/Charset.h"
#include "text/MessageIds.h"
#include "view/ViewShared.h"

#include <algorithm>

namespace velkaro {

namespace {

constexpr int kLastRow = kDisplayRows - 1;

bool Before(LinePos a, LinePos b)
{
    return a.line < b.line || (a.line == b.line && a.column < b.column);
}

}  // namespace

CLineEditor::CLineEditor(IEditorHost* host)
    : m_host(host ? host : &m_nullHost)
{
}

void CLineEditor::SetCardList(CCardList* list)
{
    m_list = list;
    if (!m_list || !m_list->At(m_index))
        m_index = -1;
}

int CLineEditor::CharWidth(int row)
{
    return row < 2 ? kLargeCharWidth : kSmallCharWidth;
}

int CLineEditor::RowMaximum(int row)
{
    return row < 2 ? kShortLineLength : kLongLineLength;
}

int CLineEditor::LineOfRow(int row, int page)
{
    return row < 2 ? row : row + kLinesPerPage * page - kLinesPerPage;
}

void CLineEditor::RowAndPageOfLine(int line, int& row, int& page)
{
    if (line < 2) {
        row = std::max(line, 0);
        page = 1;
        return;
    }
    page = (line - 2) / kLinesPerPage + 1;
    row = (line - 2) % kLinesPerPage + 2;
    if (page > kPages) {
        page = kPages;
        row = kLastRow;
    }
}

void CLineEditor::SetClientWidth(int width)
{
    m_margin = std::min((width - kDisplayTextWidth) / 2, kDisplayMaxMargin);
}

int CLineEditor::ColumnAt(int x, int row) const
{
    int w = CharWidth(row);
    int xp = x - m_margin;
    if (xp < 0)
        return 0;
    int column = xp / w + (2 * (xp % w) >= w ? 1 : 0);
    return std::min(column, RowMaximum(row));
}

int CLineEditor::RowAt(int y) const
{
    if (y < 0)
        return -1;
    int row = y / kRowHeight;
    return row <= kLastRow ? row : -1;
}

bool CLineEditor::SetCurrentIndex(int index)
{
    if (!m_list || !m_list->At(index))
        return false;
    EndEditing();
    m_index = index;
    ChangePage(1, true);
    return true;
}

void CLineEditor::ClearCurrentIndex()
{
    EndEditing();
    m_index = -1;
    ChangePage(1, true);
}

const CKarte* CLineEditor::ShownCard() const
{
    if (m_editing || !m_list)
        return &m_work;
    const CKarte* card = m_list->At(m_index);
    return card ? card : &m_work;
}

CKarte* CLineEditor::ShownCard()
{
    return const_cast<CKarte*>(static_cast<const CLineEditor*>(this)->ShownCard());
}

void CLineEditor::StartEditing(int column, int row)
{
    const CKarte* shown = ShownCard();
    if (shown == &m_work)
        m_work.Clear();  // a new card starts empty
    else
        m_work.CopyFrom(shown);
    m_editing = true;
    m_dragging = false;
    ClearSelection();
    SetCaret(column, row);
    m_host->EditingChanged(true);
}

void CLineEditor::EndEditing()
{
    m_dragging = false;
    ClearSelection();
    if (!m_editing)
        return;
    m_editing = false;
    m_host->EditingChanged(false);
}

void CLineEditor::SetPage(int page)
{
    ChangePage(page, true);
}

void CLineEditor::ChangePage(int page, bool clearSelection)
{
    m_page = std::clamp(page, 1, kPages);
    if (clearSelection)
        ClearSelection();
    // Rows 0-1 hold the name and telephone lines, which are edited on page 1 only.
    if (m_editing && m_page > 1 && m_row < 2) {
        m_column = NearestColumn(m_column, m_row, 2);
        m_row = 2;
    }
    m_host->PageChanged(m_page);
}

void CLineEditor::SetCaret(int column, int row)
{
    row = std::clamp(row, 0, kLastRow);
    if (row < 2 && m_page > 1)
        ChangePage(1, false);
    m_row = row;
    m_column = std::clamp(column, 0, RowMaximum(row));
}

void CLineEditor::PlaceAtLine(LinePos pos)
{
    int row = 0;
    int page = 1;
    RowAndPageOfLine(pos.line, row, page);
    if (page != m_page)
        ChangePage(page, true);
    m_row = row;
    m_column = std::clamp(pos.column, 0, RowMaximum(row));
}

int CLineEditor::NearestColumn(int column, int fromRow, int toRow) const
{
    int x = column * CharWidth(fromRow);
    int w = CharWidth(toRow);
    int c = x / w + (2 * (x % w) >= w ? 1 : 0);
    return std::min(c, RowMaximum(toRow));
}

bool CLineEditor::HasSelection() const
{
    if (!HasAnchor())
        return false;
    LinePos caret = CaretPos();
    return m_anchor.column != caret.column || m_anchor.line != caret.line;
}

LinePos CLineEditor::SelectionStart() const
{
    LinePos caret = CaretPos();
    if (!HasAnchor())
        return caret;
    return Before(m_anchor, caret) ? m_anchor : caret;
}

LinePos CLineEditor::SelectionEnd() const
{
    LinePos caret = CaretPos();
    if (!HasAnchor())
        return caret;
    return Before(m_anchor, caret) ? caret : m_anchor;
}

void CLineEditor::BeginKeyMove(bool shift)
{
    if (shift) {
        if (!HasAnchor())
            m_anchor = CaretPos();
    } else {
        ClearSelection();
    }
}

void CLineEditor::CaretDown(bool shift)
{
    if (m_row == kLastRow && m_page == kPages)
        return;
    BeginKeyMove(shift);
    if (m_row == kLastRow) {
        ChangePage(m_page + 1, false);
        m_row = 2;
    } else {
        m_column = NearestColumn(m_column, m_row, m_row + 1);
        ++m_row;
    }
}

void CLineEditor::CaretUp(bool shift)
{
    if (m_row == 0)
        return;
    BeginKeyMove(shift);
    if (m_row == 2 && m_page > 1) {
        ChangePage(m_page - 1, false);
        m_row = kLastRow;
    } else {
        m_column = NearestColumn(m_column, m_row, m_row - 1);
        --m_row;
    }
}

void CLineEditor::KeyDown(EditorKey key, bool shift, bool ctrl)
{
    if (m_editing)
        EditKey(key, shift, ctrl);
    else
        BrowseKey(key);
}

void CLineEditor::EditKey(EditorKey key, bool shift, bool ctrl)
{
    switch (key) {
    case EditorKey::PageUp:
        ChangePage(m_page - 1, true);
        break;
    case EditorKey::PageDown:
        ChangePage(m_page + 1, true);
        break;
    case EditorKey::Left:
        BeginKeyMove(shift);
        if (m_column > 0)
            --m_column;
        break;
    case EditorKey::Right:
        BeginKeyMove(shift);
        if (m_column < RowMaximum(m_row))
            ++m_column;
        break;
    case EditorKey::Up:
        if (ctrl) {
            if (m_host->AskYesNo(msg::DeleteLineQuestion))
                DeleteLineOnPage();
        } else {
            CaretUp(shift);
        }
        break;
    case EditorKey::Down:
        if (ctrl) {
            if (m_host->AskYesNo(msg::InsertLineQuestion))
                InsertLineOnPage();
        } else {
            CaretDown(shift);
        }
        break;
    case EditorKey::Home:
        BeginKeyMove(shift);
        m_column = 0;
        break;
    case EditorKey::End:
        BeginKeyMove(shift);
        m_column = std::min(m_work.LineLength(CaretLine()), RowMaximum(m_row));
        break;
    case EditorKey::Delete:
        DeleteCharacter();
        break;
    case EditorKey::Backspace:
        if (m_column > 0) {
            BeginKeyMove(shift);
            --m_column;
            DeleteCharacter();
        }
        break;
    case EditorKey::Return:
        if (m_row == kLastRow && m_page == kPages)
            break;
        CaretDown(false);
        m_column = 0;
        break;
    }
}

bool CLineEditor::SelectionWay() const
{
    return m_selection && m_selection->active && m_list;
}

void CLineEditor::MoveToCard(int index)
{
    SetCurrentIndex(index);
}

void CLineEditor::BrowseKey(EditorKey key)
{
    int count = m_list ? m_list->Count() : 0;
    // While a selection is active the card moves skip to the nearest
    // selected card in the direction of the move.
    auto selected = [this](int start, bool forward) {
        int slot = -1;
        int found = m_list->SearchText(m_selection->text, start, forward, &slot, 1);
        return found > 0 ? slot : -1;
    };
    switch (key) {
    case EditorKey::PageUp:
        ChangePage(m_page - 1, true);
        break;
    case EditorKey::PageDown:
    case EditorKey::Right:
        ChangePage(m_page + 1, true);
        break;
    case EditorKey::Left:
        if (m_page == 1)
            m_host->ListModeRequested(0);
        else
            ChangePage(m_page - 1, true);
        break;
    case EditorKey::Up:
        if (SelectionWay()) {
            int i = selected(m_index - 1, false);
            if (i >= 0)
                MoveToCard(i);
        } else if (m_index > 0) {
            MoveToCard(m_index - 1);
        }
        break;
    case EditorKey::Down:
        if (SelectionWay()) {
            int i = selected(m_index + 1, true);
            if (i >= 0)
                MoveToCard(i);
        } else {
            MoveToCard(m_index + 1);
        }
        break;
    case EditorKey::Home:
        if (count == 0)
            break;
        if (SelectionWay()) {
            int i = selected(0, true);
            if (i >= 0)
                MoveToCard(i);
        } else {
            MoveToCard(0);
        }
        break;
    case EditorKey::End:
        if (count == 0)
            break;
        if (SelectionWay()) {
            int i = selected(count - 1, false);
            if (i >= 0)
                MoveToCard(i);
        } else {
            MoveToCard(count - 1);
        }
        break;
    case EditorKey::Delete:
    case EditorKey::Backspace:
    case EditorKey::Return:
        break;
    }
}

void CLineEditor::TypeCharacter(unsigned char c)
{
    if (c < 32)
        return;
    if (!m_editing) {
        m_host->ListModeRequested(c);
        return;
    }
    // The character lands at the start of the selection when there is one;
    // the name must begin with a letter.
    LinePos at = HasSelection() ? SelectionStart() : CaretPos();
    bool allowed = CharOrder(c) != kNotOnTelephone;
    if (allowed && at.line == 0 && at.column == 0)
        allowed = IsNameLetter(c);
    if (!allowed) {
        m_host->Beep();
        return;
    }
    if (HasSelection())
        DeleteSelection();

    int line = CaretLine();
    int maximum = RowMaximum(m_row);
    std::string text(m_work.GetLine(line));
    int length = static_cast<int>(text.size());
    int d = m_column - length;
    if (m_insertMode) {
        if (d > 0)
            text.append(static_cast<std::size_t>(d), ' ');
        if (static_cast<int>(text.size()) >= maximum) {
            m_host->Beep();
            return;
        }
        text.insert(static_cast<std::size_t>(m_column), 1, static_cast<char>(c));
    } else {
        if (m_column >= maximum) {
            m_host->Beep();
            return;
        }
        if (d >= 0)
            text.append(static_cast<std::size_t>(d + 1), ' ');
        text[static_cast<std::size_t>(m_column)] = static_cast<char>(c);
    }
    m_work.SetLine(line, text);
    ClearSelection();
    m_column = std::min(m_column + 1, maximum);
}

void CLineEditor::RowKey(int row, bool shift)
{
    if (row < 0 || row > kLastRow)
        return;
    if (row < 2 && m_page > 1)
        ChangePage(1, true);
    if (!m_editing) {
        StartEditing(0, row);
        return;
    }
    BeginKeyMove(shift);
    SetCaret(0, row);
}

void CLineEditor::DeleteCharacter()
{
    if (!m_editing)
        return;
    if (HasSelection()) {
        DeleteSelection();
        return;
    }
    int line = CaretLine();
    std::string text(m_work.GetLine(line));
    if (m_column >= static_cast<int>(text.size()))
        return;  // lines are never joined
    text.erase(static_cast<std::size_t>(m_column), 1);
    m_work.SetLine(line, text);
}

void CLineEditor::DeleteSelection()
{
    if (!m_editing || !HasSelection())
        return;
    LinePos start = SelectionStart();
    LinePos end = SelectionEnd();
    m_work.DeleteRange(start, end);
    ClearSelection();
    PlaceAtLine(start);
}

void CLineEditor::Copy()
{
    if (!m_editing || !HasSelection())
        return;
    m_host->SetClipboardText(m_work.CopyRange(SelectionStart(), SelectionEnd()));
}

void CLineEditor::Cut()
{
    if (!m_editing || !HasSelection())
        return;
    Copy();
    DeleteSelection();
}

void CLineEditor::Paste()
{
    if (!m_editing)
        return;
    std::optional<std::string> text = m_host->ClipboardText();
    if (!text || text->empty())
        return;
    if (HasSelection())
        DeleteSelection();
    LinePos after = m_work.PasteText(CaretPos(), *text);
    ClearSelection();
    PlaceAtLine(after);
}

void CLineEditor::FinishLineOperation()
{
    ClearSelection();
    m_column = 0;
}

void CLineEditor::InsertLineAtCaret()
{
    if (!m_editing)
        return;
    m_work.InsertLine(CaretLine());
    FinishLineOperation();
}

void CLineEditor::DeleteCaretLine()
{
    if (!m_editing)
        return;
    m_work.DeleteLine(CaretLine());
    FinishLineOperation();
}

void CLineEditor::InsertLineOnPage()
{
    if (!m_editing)
        return;
    // Drop the page's last line first so that the following pages stay put.
    m_work.DeleteLine(LineOfRow(kLastRow, m_page));
    m_work.InsertLine(CaretLine());
    FinishLineOperation();
}

void CLineEditor::DeleteLineOnPage()
{
    if (!m_editing)
        return;
    m_work.DeleteLine(CaretLine());
    m_work.InsertLine(LineOfRow(kLastRow, m_page));
    FinishLineOperation();
}

void CLineEditor::MouseDown(int x, int y, bool shift)
{
    int row = RowAt(y);
    if (row < 0)
        return;
    int column = ColumnAt(x, row);
    if (row < 2 && m_page > 1)
        ChangePage(1, true);
    if (!m_editing) {
        StartEditing(column, row);
        return;
    }
    SetCaret(column, row);
    if (!shift)
        ClearSelection();
    if (!HasAnchor())
        m_anchor = CaretPos();
    m_dragging = true;
}

void CLineEditor::MouseMove(int x, int y)
{
    if (!m_dragging || !m_editing)
        return;
    int row = std::clamp(y < 0 ? 0 : y / kRowHeight, 0, kLastRow);
    if (row < 2 && m_page > 1)
        row = 2;  // the name rows belong to page 1
    m_row = row;
    m_column = ColumnAt(x, row);
}

void CLineEditor::DoubleClick()
{
    if (!m_editing)
        return;
    const std::string_view text = m_work.GetLine(CaretLine());
    int length = static_cast<int>(text.size());
    if (m_column >= length || text[static_cast<std::size_t>(m_column)] == ' ')
        return;
    int start = m_column;
    while (start > 0 && text[static_cast<std::size_t>(start - 1)] != ' ')
        --start;
    int end = m_column;
    while (end < length && text[static_cast<std::size_t>(end)] != ' ')
        ++end;
    m_anchor = { start, CaretLine() };
    m_column = std::min(end, RowMaximum(m_row));
}

void CLineEditor::ContextClick(int x, int y)
{
    if (!m_editing || HasSelection())
        return;
    int row = RowAt(y);
    if (row < 0)
        return;
    int column = ColumnAt(x, row);
    SetCaret(column, row);
    ClearSelection();
}

}  // namespace velkaro
