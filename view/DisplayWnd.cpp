#include "view/DisplayWnd.h"

#include "text/Language.h"
#include "settings/QtText.h"
#include "text/Menus.h"
#include "text/MessageIds.h"
#include "exchange/Transliteration.h"
#include "view/Accessibility.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>

#include <algorithm>

namespace velkaro {

namespace {

// Text of the large rows starts at the row's top, of the small rows 3 pixels
// lower, as on the telephone.
int TextTop(int row)
{
    return row < 2 ? kRowHeight * row + kLargeTextTop : kRowHeight * row + kSmallTextTop;
}

int TextHeight(int row)
{
    return row < 2 ? kLargeTextHeight : kSmallTextHeight;
}

// The part of a prompt string after its line break.
QString AfterLineBreak(const std::string& prompt)
{
    auto pos = prompt.find('\n');
    return pos == std::string::npos ? QString() : ToQt(prompt.substr(pos + 1));
}

}  // namespace

CDisplayWnd::CDisplayWnd(QWidget* parent)
    : QWidget(parent)
    , m_editor(this)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_editor.SetClientWidth(width());
    InstallAccessibleInterfaces();
}

bool CDisplayWnd::event(QEvent* event)
{
    const bool hadSelection = m_editor.HasSelection();
    const bool handled = QWidget::event(event);
    if (m_editor.HasSelection() != hadSelection)
        emit textSelectionChanged();
    // Typing, the caret keys and the mouse change the text, the caret or the
    // selection that a screen reader follows.
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        NotifyDisplayChanged(this);
        break;
    default:
        break;
    }
    return handled;
}

CDisplayWnd::~CDisplayWnd()
{
    m_editor.SetHost(nullptr);
}

QSize CDisplayWnd::sizeHint() const
{
    return { kDisplayTextWidth + 2 * kDisplayMaxMargin, kDisplayHeight };
}

void CDisplayWnd::SetResources(const ViewResources* resources)
{
    m_resources = resources;
    update();
}

void CDisplayWnd::SetCardList(CCardList* list)
{
    m_editor.SetCardList(list);
    update();
}

void CDisplayWnd::SetSelection(const SelectionState* selection)
{
    m_editor.SetSelection(selection);
}

void CDisplayWnd::Refresh()
{
    update();
    NotifyDisplayChanged(this);
}

bool CDisplayWnd::SetCurrentIndex(int index)
{
    bool done = m_editor.SetCurrentIndex(index);
    UpdateCursorShape();
    Refresh();
    return done;
}

void CDisplayWnd::ClearCurrentIndex()
{
    m_editor.ClearCurrentIndex();
    UpdateCursorShape();
    Refresh();
}

void CDisplayWnd::StartEditing(int column, int row)
{
    if (isVisible())
        setFocus(Qt::OtherFocusReason);
    m_editor.StartEditing(column, row);
    m_hasCaret = hasFocus() || !isVisible();
    RestartCaretBlink();
    UpdateCursorShape();
    Refresh();
}

void CDisplayWnd::EndEditing()
{
    m_editor.EndEditing();
    m_hasCaret = false;
    m_caretBlink.stop();
    UpdateCursorShape();
    Refresh();
}

void CDisplayWnd::SetPage(int page)
{
    m_editor.SetPage(page);
    Refresh();
}

void CDisplayWnd::PressKey(EditorKey key, bool shift, bool ctrl)
{
    StopSavedNotice();
    m_editor.KeyDown(key, shift, ctrl);
    RestartCaretBlink();
    UpdateCursorShape();
    Refresh();
}

void CDisplayWnd::RowKey(int row, bool shift)
{
    StopSavedNotice();
    bool wasEditing = m_editor.IsEditing();
    m_editor.RowKey(row, shift);
    if (!wasEditing && m_editor.IsEditing()) {
        if (isVisible())
            setFocus(Qt::OtherFocusReason);
        m_hasCaret = true;
    }
    RestartCaretBlink();
    UpdateCursorShape();
    Refresh();
}

void CDisplayWnd::InsertLineAtCaret()
{
    m_editor.InsertLineAtCaret();
    Refresh();
}

void CDisplayWnd::DeleteCaretLine()
{
    m_editor.DeleteCaretLine();
    Refresh();
}

void CDisplayWnd::InsertLineOnPage()
{
    m_editor.InsertLineOnPage();
    Refresh();
}

void CDisplayWnd::DeleteLineOnPage()
{
    m_editor.DeleteLineOnPage();
    Refresh();
}

void CDisplayWnd::Copy()
{
    m_editor.Copy();
}

void CDisplayWnd::Cut()
{
    m_editor.Cut();
    Refresh();
}

void CDisplayWnd::Paste()
{
    m_editor.Paste();
    Refresh();
}

bool CDisplayWnd::ClipboardHasText()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard && !clipboard->text().isEmpty();
}

void CDisplayWnd::StartSavedNotice(int ms)
{
    m_savedNotice.start(ms, this);
    update();
}

void CDisplayWnd::StopSavedNotice()
{
    if (!m_savedNotice.isActive())
        return;
    m_savedNotice.stop();
    update();
}

void CDisplayWnd::SetInsertMode(bool insert)
{
    if (insert == m_editor.InsertMode())
        return;
    m_editor.SetInsertMode(insert);
    emit insertModeChanged(insert);
}

// --- IEditorHost -----------------------------------------------------------

void CDisplayWnd::PageChanged(int page)
{
    update();
    NotifyDisplayChanged(this);
    emit pageChanged(page);
}

void CDisplayWnd::EditingChanged(bool editing)
{
    if (!editing) {
        m_hasCaret = false;
        m_caretBlink.stop();
    }
    UpdateCursorShape();
    update();
    emit editingChanged(editing);
}

void CDisplayWnd::ListModeRequested(int character)
{
    emit listModeRequested(character);
}

void CDisplayWnd::Beep()
{
    QApplication::beep();
    emit beeped();
}

bool CDisplayWnd::AskYesNo(unsigned messageId)
{
    if (m_ask)
        return m_ask(messageId);
    QString title = QGuiApplication::applicationDisplayName();
    return QMessageBox::question(this, title, ToQt(Text(messageId)), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes)
        == QMessageBox::Yes;
}

void CDisplayWnd::SetClipboardText(const std::string& text)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(ToQt(text));
}

std::optional<std::string> CDisplayWnd::ClipboardText()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return std::nullopt;
    QString text = clipboard->text();
    if (text.isEmpty())
        return std::nullopt;
    // Characters the telephone lacks are transliterated (other scripts to
    // Latin, typographic signs to plain ones); the card's paste splits at
    // CR LF and at lone LF and maps the rest to the telephone's characters.
    const QByteArray utf8 = text.toUtf8();
    return ReadableForDeviceFromUtf8({ utf8.constData(), static_cast<std::size_t>(utf8.size()) });
}

// --- events ------------------------------------------------------------------

void CDisplayWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_editor.SetClientWidth(width());
}

bool CDisplayWnd::focusNextPrevChild(bool)
{
    return false;  // Tab is no way out of the display
}

bool CDisplayWnd::EditShortcut(int key, bool shift, bool ctrl)
{
    const bool ctrlOnly = ctrl && !shift;
    std::function<void()> edit;
    if (key == Qt::Key_Insert && !shift && !ctrl)
        edit = [this] { ToggleInsertMode(); };
    else if ((key == Qt::Key_Insert || key == Qt::Key_C) && ctrlOnly)
        edit = [this] { Copy(); };
    else if ((key == Qt::Key_Insert && shift && !ctrl) || (key == Qt::Key_V && ctrlOnly))
        edit = [this] { Paste(); };
    else if ((key == Qt::Key_Delete && shift && !ctrl) || (key == Qt::Key_X && ctrlOnly))
        edit = [this] { Cut(); };
    else if (key == Qt::Key_N && ctrlOnly)
        edit = [this] { InsertLineAtCaret(); };
    else if (key == Qt::Key_Y && ctrlOnly)
        edit = [this] { DeleteCaretLine(); };
    if (!edit)
        return false;
    StopSavedNotice();
    edit();
    return true;
}

std::optional<EditorKey> CDisplayWnd::EditorKeyOf(int key)
{
    switch (key) {
    case Qt::Key_PageUp: return EditorKey::PageUp;
    case Qt::Key_PageDown: return EditorKey::PageDown;
    case Qt::Key_Left: return EditorKey::Left;
    case Qt::Key_Right: return EditorKey::Right;
    case Qt::Key_Up: return EditorKey::Up;
    case Qt::Key_Down: return EditorKey::Down;
    case Qt::Key_Home: return EditorKey::Home;
    case Qt::Key_End: return EditorKey::End;
    case Qt::Key_Delete: return EditorKey::Delete;
    case Qt::Key_Backspace: return EditorKey::Backspace;
    case Qt::Key_Return:
    case Qt::Key_Enter: return EditorKey::Return;
    default: return std::nullopt;
    }
}

void CDisplayWnd::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool shift = mods & Qt::ShiftModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    const int key = event->key();

    // The clipboard and line keys work here too when no menu shortcut took
    // them first.
    if (!alt && EditShortcut(key, shift, ctrl))
        return;

    const std::optional<EditorKey> editorKey = EditorKeyOf(key);
    if (editorKey && !alt) {
        PressKey(*editorKey, shift, ctrl);
        return;
    }

    const QString text = event->text();
    if (ctrl || alt || text.isEmpty()) {
        event->ignore();  // Esc, Ctrl+P, Ctrl+S, F-keys: the view's
        return;
    }
    StopSavedNotice();
    bool handled = false;
    for (char32_t u : text.toUcs4()) {
        if (u < 32)
            continue;
        int b = UnicodeToCp1252(u);
        if (b < 0) {
            // Not even Windows-1252: the telephone has no such character.
            if (m_editor.IsEditing())
                Beep();
            handled = true;
            continue;
        }
        m_editor.TypeCharacter(static_cast<unsigned char>(b));
        handled = true;
    }
    if (!handled) {
        event->ignore();
        return;
    }
    RestartCaretBlink();
    update();
}

void CDisplayWnd::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        StopSavedNotice();
        bool wasEditing = m_editor.IsEditing();
        m_editor.MouseDown(p.x(), p.y(), event->modifiers() & Qt::ShiftModifier);
        if (m_editor.IsEditing()) {
            m_hasCaret = true;
            if (!wasEditing)
                UpdateCursorShape();
        }
        RestartCaretBlink();
        update();
        return;
    }
    if (event->button() == Qt::RightButton) {
        setFocus(Qt::MouseFocusReason);
        m_editor.ContextClick(p.x(), p.y());
        update();
        ShowContextMenu(event->globalPosition().toPoint());
        return;
    }
    QWidget::mousePressEvent(event);
}

void CDisplayWnd::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_editor.IsDragging())
        return;
    const QPoint p = event->position().toPoint();
    m_editor.MouseMove(p.x(), p.y());
    RestartCaretBlink();
    update();
}

void CDisplayWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_editor.MouseUp();
}

void CDisplayWnd::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    // The second press of a double click places the caret like any press,
    // then the word around it is selected.
    const QPoint p = event->position().toPoint();
    StopSavedNotice();
    m_editor.MouseDown(p.x(), p.y(), false);
    m_editor.MouseUp();
    m_editor.DoubleClick();
    if (m_editor.IsEditing())
        m_hasCaret = true;
    RestartCaretBlink();
    UpdateCursorShape();
    update();
}

void CDisplayWnd::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    if (m_editor.IsEditing()) {
        m_hasCaret = true;
        RestartCaretBlink();
        update();
    }
}

void CDisplayWnd::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    // The context menu is the display's own window: the caret stays.
    if (event->reason() == Qt::PopupFocusReason)
        return;
    m_editor.MouseUp();
    if (m_hasCaret) {
        m_hasCaret = false;
        m_caretBlink.stop();
        update();
    }
}

void CDisplayWnd::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_savedNotice.timerId()) {
        m_savedNotice.stop();
        update();
        return;
    }
    if (event->timerId() == m_caretBlink.timerId()) {
        m_caretOn = !m_caretOn;
        update();
        return;
    }
    QWidget::timerEvent(event);
}

void CDisplayWnd::RestartCaretBlink()
{
    m_caretOn = true;
    if (!m_editor.IsEditing() || !m_hasCaret) {
        m_caretBlink.stop();
        return;
    }
    int flash = QApplication::cursorFlashTime();
    if (flash > 0)
        m_caretBlink.start(flash / 2, this);
    else
        m_caretBlink.stop();
}

void CDisplayWnd::UpdateCursorShape()
{
    if (m_editor.IsEditing())
        setCursor(Qt::IBeamCursor);
    else
        unsetCursor();
}

// --- context menu ----------------------------------------------------------

std::vector<unsigned> CDisplayWnd::ContextMenuCommands() const
{
    std::vector<unsigned> ids;
    if (m_editor.IsEditing()) {
        bool any = false;
        if (m_editor.HasSelection()) {
            ids.push_back(cmd::Cut);
            ids.push_back(cmd::Copy);
            any = true;
        }
        if (ClipboardHasText()) {
            ids.push_back(cmd::Paste);
            any = true;
        }
        if (any)
            ids.push_back(0);
        ids.push_back(cmd::InsertLine);
        ids.push_back(cmd::DeleteLine);
        ids.push_back(cmd::InsertLineOnPage);
        ids.push_back(cmd::DeleteLineOnPage);
        ids.push_back(0);
    }
    ids.push_back(cmd::CopyCard);
    ids.push_back(cmd::NewCard);
    ids.push_back(cmd::Stop);
    return ids;
}

QString CDisplayWnd::ContextMenuText(unsigned commandId)
{
    if (commandId == cmd::InsertLineOnPage || commandId == cmd::DeleteLineOnPage)
        return AfterLineBreak(Text(commandId));
    return ToQt(MenuItemText(commandId));
}

void CDisplayWnd::ShowContextMenu(const QPoint& globalPos)
{
    QMenu menu(this);
    for (unsigned id : ContextMenuCommands()) {
        if (id == 0) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(ContextMenuText(id));
        action->setData(id);
    }
    QAction* chosen = menu.exec(globalPos);
    if (chosen)
        emit commandRequested(chosen->data().toUInt());
}

// --- painting --------------------------------------------------------------

void CDisplayWnd::PaintRowText(QPainter& painter, int row, std::string_view text, const QFont& font, int y) const
{
    // Cell by cell, so that the columns stand where the caret and the mouse
    // expect them whatever face the platform gives for the fixed font.
    painter.setFont(font);
    const QFontMetrics fm(font);
    const int w = CLineEditor::CharWidth(row);
    const int maximum = CLineEditor::RowMaximum(row);
    const int x0 = m_editor.Margin();
    const int n = std::min(static_cast<int>(text.size()), maximum);
    for (int i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
        if (c == ' ')
            continue;
        QString s(QChar(static_cast<char16_t>(Cp1252ToUnicode(c))));
        int cx = x0 + i * w + (w - fm.horizontalAdvance(s)) / 2;
        painter.drawText(cx, BaselineIn(fm, y, TextHeight(row)), s);
    }
}

void CDisplayWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const ViewResources& res = Res();
    const CKarte* card = m_editor.ShownCard();
    const int page = m_editor.Page();
    const bool marked = card->IsMarked();
    const int m = m_editor.Margin();

    painter.fillRect(rect(), res.Color(kColorCardGround));

    // The name and telephone band.
    QRect band(0, 0, width(), 2 * kRowHeight);
    QColor bandText = res.Color(kColorCardFont);
    if (page > 1) {
        painter.fillRect(band, res.Color(kColorCardGroundPage));
        bandText = marked ? res.Color(kColorListPrivat) : res.Color(kColorCardGround);
    } else if (marked) {
        painter.fillRect(band, res.Color(kColorListPrivat));
    }

    painter.setPen(res.Color(kColorCardLine));
    for (int r = 0; r < kDisplayRows; ++r)
        painter.drawLine(0, kRowHeight * (r + 1), width(), kRowHeight * (r + 1));

    painter.setPen(bandText);
    PaintRowText(painter, 0, card->GetLine(0), res.large, TextTop(0));
    PaintRowText(painter, 1, card->GetLine(1), res.large, TextTop(1));
    painter.setPen(res.Color(kColorCardFont));
    for (int r = 2; r < kDisplayRows; ++r)
        PaintRowText(painter, r, card->GetLine(CLineEditor::LineOfRow(r, page)), res.small, TextTop(r));

    if (m_editor.IsEditing() && m_editor.HasSelection())
        PaintSelection(painter);

    // The page digit right of the text on pages 2-5.
    if (page > 1 && width() - (m + kDisplayTextWidth) > 20) {
        painter.setFont(res.bold);
        painter.setPen(res.Color(kColorPageNumber));
        const QFontMetrics fm(res.bold);
        painter.drawText(width() - 20, fm.ascent(), QString::number(page));
    }

    // The caret.
    if (m_editor.IsEditing() && m_hasCaret && m_caretOn) {
        int row = m_editor.CaretRow();
        int x = m + m_editor.CaretColumn() * CLineEditor::CharWidth(row);
        QRect caret = row < 2 ? QRect(x, kRowHeight * row, 2, 20) : QRect(x, kRowHeight * row + 2, 2, 16);
        painter.save();
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.fillRect(caret, Qt::white);
        painter.restore();
    }

    if (m_savedNotice.isActive())
        PaintSavedNotice(painter);
    DrawFocusFrame(painter, *this);
}

// The selection, inverted row by row.
void CDisplayWnd::PaintSelection(QPainter& painter) const
{
    const int page = m_editor.Page();
    const int m = m_editor.Margin();
    const LinePos start = m_editor.SelectionStart();
    const LinePos end = m_editor.SelectionEnd();
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    for (int r = 0; r < kDisplayRows; ++r) {
        if (r < 2 && page > 1)
            continue;
        int line = CLineEditor::LineOfRow(r, page);
        if (line < start.line || line > end.line)
            continue;
        int w = CLineEditor::CharWidth(r);
        int x0 = line == start.line ? m + start.column * w : m;
        int x1 = line == end.line ? m + end.column * w : m + kDisplayTextWidth;
        if (x1 > x0)
            painter.fillRect(QRect(x0, kRowHeight * r, x1 - x0, kRowHeight), Qt::white);
    }
    painter.restore();
}

// "...gespeichert!"
void CDisplayWnd::PaintSavedNotice(QPainter& painter) const
{
    const ViewResources& res = Res();
    const QString notice = ToQt(Text(msg::SavedNotice));
    const QFontMetrics fm(res.small);
    const int textWidth = fm.horizontalAdvance(notice);
    const int textHeight = fm.height();
    QRect box(10, height() - 10 - (textHeight + 8), textWidth + 16, textHeight + 8);
    painter.fillRect(box, Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.setFont(res.small);
    painter.drawText(box.left() + 8, box.top() + 4 + fm.ascent(), notice);
}

}  // namespace velkaro
