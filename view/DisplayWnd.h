#pragma once

// The telephone's display in the card view: eight rows, the upper two in a
// large font, a card of up to 32 lines shown as five pages. Browsing shows a
// card of the collection; editing works on the window's own working copy.
// The logic lives in CLineEditor; this window paints it and forwards events.

#include "view/LineEditor.h"
#include "view/ViewShared.h"

#include <QBasicTimer>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QMenu;

namespace velkaro {

class CDisplayWnd : public QWidget, private IEditorHost {
    Q_OBJECT
public:
    explicit CDisplayWnd(QWidget* parent = nullptr);
    ~CDisplayWnd() override;

    static constexpr int kSavedNoticeTimer = 4;
    static constexpr int kSavedNoticeMs = 2000;

    void SetResources(const ViewResources* resources);
    void SetCardList(CCardList* list);
    void SetSelection(const SelectionState* selection);

    bool SetCurrentIndex(int index);
    void ClearCurrentIndex();
    int CurrentIndex() const { return m_editor.CurrentIndex(); }

    void StartEditing(int column, int row);
    void EndEditing();
    bool IsEditing() const { return m_editor.IsEditing(); }

    void SetPage(int page);
    int Page() const { return m_editor.Page(); }

    // Never null: the working copy while editing or for a new card.
    const CKarte* ShownCard() const { return m_editor.ShownCard(); }
    CKarte* ShownCard() { return m_editor.ShownCard(); }
    const CKarte& WorkingCopy() const { return m_editor.WorkingCopy(); }

    // The view's arrow buttons and row keys.
    void PressKey(EditorKey key, bool shift = false, bool ctrl = false);
    void RowKey(int row, bool shift = false);

    void InsertLineAtCaret();
    void DeleteCaretLine();
    void InsertLineOnPage();
    void DeleteLineOnPage();

    void Copy();
    void Cut();
    void Paste();
    bool HasSelection() const { return m_editor.HasSelection(); }
    static bool ClipboardHasText();

    // The "...gespeichert!" notice in the lower left corner for ms milliseconds.
    void StartSavedNotice(int ms = kSavedNoticeMs);
    void StopSavedNotice();
    bool IsSavedNoticeShown() const { return m_savedNotice.isActive(); }

    // One mode for the whole program; starts in insert mode.
    bool InsertMode() const { return m_editor.InsertMode(); }
    void SetInsertMode(bool insert);
    void ToggleInsertMode() { SetInsertMode(!InsertMode()); }

    CLineEditor& Editor() { return m_editor; }
    const CLineEditor& Editor() const { return m_editor; }

    // Yes/No questions ("Zeile einfügen?", "Zeile löschen?"); a message box
    // unless replaced (tests answer them).
    using AskFunction = std::function<bool(unsigned messageId)>;
    void SetAskFunction(AskFunction ask) { m_ask = std::move(ask); }

    // The context menu's command ids in order, 0 for a separator, as it would
    // be shown now.
    std::vector<unsigned> ContextMenuCommands() const;
    // The item text of a command; by default the current language's main
    // menu text, for inserting and deleting a line on the page the tool-tip
    // part of their prompts.
    static QString ContextMenuText(unsigned commandId);

    QSize sizeHint() const override;

signals:
    void pageChanged(int page);
    void editingChanged(bool editing);
    void listModeRequested(int character);      // 0 or a typed character
    void commandRequested(unsigned commandId);  // a context menu command
    void insertModeChanged(bool insert);
    // Text was selected or the selection went: Copy and Cut follow.
    void textSelectionChanged();
    void beeped();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // Repaints and tells an assistive program what changed.
    void Refresh();
    // IEditorHost
    void PageChanged(int page) override;
    void EditingChanged(bool editing) override;
    void ListModeRequested(int character) override;
    void Beep() override;
    bool AskYesNo(unsigned messageId) override;
    void SetClipboardText(const std::string& text) override;
    std::optional<std::string> ClipboardText() override;

    const ViewResources& Res() const { return m_resources ? *m_resources : DefaultViewResources(); }
    void UpdateCursorShape();
    void RestartCaretBlink();
    void ShowContextMenu(const QPoint& globalPos);
    void PaintRowText(QPainter& painter, int row, std::string_view text, const QFont& font, int y) const;
    void PaintSelection(QPainter& painter) const;
    void PaintSavedNotice(QPainter& painter) const;
    // The clipboard and line keys typed in the display; false for others.
    bool EditShortcut(int key, bool shift, bool ctrl);
    static std::optional<EditorKey> EditorKeyOf(int key);

    CLineEditor m_editor;
    const ViewResources* m_resources = nullptr;
    AskFunction m_ask;
    QBasicTimer m_savedNotice;
    QBasicTimer m_caretBlink;
    bool m_caretOn = true;
    bool m_hasCaret = false;  // the caret exists while editing with the focus
};

}  // namespace velkaro
