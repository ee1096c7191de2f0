#pragma once

// The card view: a picture of the telephone's front with its working parts.
// The display (card mode) or the index list (list mode) sits in the screen,
// the softkey bar under it, the row keys F1..F8 beside it, the arrow cross,
// Stop / New card / Selection and the field-name column. The view owns the
// card commands of the Edit menu and the softkey actions; the logic of saving
// and deleting lives in CardCommands, the pieces paint and route.

#include "model/Document.h"
#include "model/UserInterface.h"
#include "model/Selection.h"
#include "view/ViewShared.h"

#include <QAbstractButton>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>

class QDialog;

namespace velkaro {

class CDisplayWnd;
class CFieldNameWnd;
class CIndexWnd;
class CSelectionPanel;
class CSoftkeyBar;

// A key on the telephone body, drawn as vectors.
class CFrontButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Kind { Row, Softkey, Stop, NewCard, Selection, Up, Down, Left, Right };

    CFrontButton(Kind kind, unsigned commandId, QWidget* parent);

    Kind ButtonKind() const { return m_kind; }
    unsigned CommandId() const { return m_command; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind m_kind;
    unsigned m_command;
};

class CPcxView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kListMode = 0;
    static constexpr int kCardMode = 1;

    // Control ids of the children.
    static constexpr int kSoftkeyBarId = 4000;
    static constexpr int kDisplayId = 4001;
    static constexpr int kIndexListId = 4002;
    static constexpr int kFieldNamesId = 4003;

    explicit CPcxView(CPcxDoc* document, QWidget* parent = nullptr);
    ~CPcxView() override;

    CPcxDoc* Document() const { return m_doc; }

    // Message boxes of the card commands; a plain message-box implementation
    // is used until one is set. The view does not own it.
    void SetUserInterface(IUserInterface* ui) { m_ui = ui; }
    IUserInterface& Ui();

    // How modal dialogs are run: exec() unless replaced (tests fill the
    // dialog and answer it). Returns true for OK.
    using DialogRunner = std::function<bool(QDialog&)>;
    void SetDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }

    // Where the Help buttons of the view's dialogs send their topic (the
    // selection dialog's 101).
    void SetHelpHandler(std::function<void(int topic)> help) { m_help = std::move(help); }

    // Where "StructureActive" is read and changed (the application keeps it
    // for the run and writes it at exit); the settings store by default.
    void SetStructureSetting(std::function<int()> get, std::function<void(int)> set);
    int StructureActive() const;

    int ViewMode() const { return m_mode; }
    void SetMode(int mode);
    void OpenCard(int index);

    // Commands routed by id. OnCommand returns false for ids the view does
    // not handle.
    bool HandlesCommand(unsigned id) const;
    bool OnCommand(unsigned id);
    bool IsCommandEnabled(unsigned id) const;
    bool IsCommandChecked(unsigned id) const;

    void PressSoftkey(int cell);
    void DoSoftkeyAction(int code);
    void RowKey(int row);

    void NewCard();
    void Stop();
    void CopyCard();
    void SaveCard();
    void DeleteCard();
    void ToggleMark();
    void OnSelection();
    void OnCardStructure();

    // The document's update notice: hint 0 does what Stop does, hint 1 hands
    // the new collection to the children.
    void OnUpdate(UpdateHint hint, CCardList* list);
    // Shows the field-name column in card mode when it is switched on and
    // the document has field names.
    void LayoutFieldNames();

    CDisplayWnd* Display() const { return m_display; }
    CIndexWnd* IndexList() const { return m_index; }
    CSoftkeyBar* SoftkeyBar() const { return m_softkeys; }
    CFieldNameWnd* FieldNames() const { return m_fieldNames; }
    CSelectionPanel* SelectionPanel() const { return m_selPanel; }
    CFrontButton* Button(unsigned commandId) const;

    CSelection& Selection() { return m_selection; }
    const CSelection& Selection() const { return m_selection; }
    const SelectionState& SharedSelection() const { return m_selState; }

    const ViewResources& Resources() const { return m_res; }
    // Names, tool tips and status prompts of the keys in the current
    // language.
    void ApplyLanguage();

    // Takes the colours of the colour table (after they were loaded).
    void ApplyColors();

    // Where the pieces stand on the telephone.
    QRect ScreenRect() const;   // display and softkey bar
    QRect DisplayRect() const;  // the display's full rectangle
    QRect BodyRect() const;

    QSize sizeHint() const override;

signals:
    // Mode, editing, selection, collection or clipboard changed: the frame
    // updates its command states.
    void stateChanged();
    void insertModeChanged(bool insert);
    // Commands that belong to the frame or to a flow outside the view (the
    // display's context menu, dial from the softkey).
    void commandRequested(unsigned id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void CreateButtons();
    void PlaceChildren();
    void RouteCommand(unsigned id);
    void SyncSelection();
    void CollectionChanged();
    QWidget* ActiveChild() const;
    bool Editing() const;
    bool RunDialog(QDialog& dialog);
    void PaintBody(QPainter& painter);
    void PaintPicture(QPainter& painter, const QRect& rect);
    void PaintSpeaker(QPainter& painter, const QRect& rect);

    CPcxDoc* m_doc;
    int m_viewHandle = 0;
    IUserInterface* m_ui = nullptr;
    std::function<void(int)> m_help;
    std::unique_ptr<IUserInterface> m_defaultUi;
    DialogRunner m_runDialog;
    std::function<int()> m_getStructure;
    std::function<void(int)> m_setStructure;

    ViewResources m_res;
    CSelection m_selection;
    SelectionState m_selState;
    int m_mode = kListMode;
    // Asked of the clipboard when it changes, not at every enable check:
    // another program's clipboard is a round trip to the display server.
    bool m_clipboardHasText = false;

    CSoftkeyBar* m_softkeys = nullptr;
    CDisplayWnd* m_display = nullptr;
    CIndexWnd* m_index = nullptr;
    CFieldNameWnd* m_fieldNames = nullptr;
    CSelectionPanel* m_selPanel = nullptr;
    std::map<unsigned, CFrontButton*> m_buttons;
};

}  // namespace velkaro
