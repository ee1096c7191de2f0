#pragma once

// The card view: a picture of the telephone's front with its working parts.
// The display (card mode) or the index list (list mode) sits in the screen,
// the softkey bar under it, the row keys F1..F8 beside it, the arrow cross,
// Stop / New card / Selection and the field-name column. The view owns the
// card commands of the Edit menu and the softkey actions; the logic of saving
// and deleting lives in CardCommands, the pieces paint and route.

#include "model/Document.h"
#include "model/MessageUi.h"
#include "model/Selection.h"
#include "view/CardViewController.h"
#include "view/CommandRegistry.h"
#include "view/PhoneBody.h"

#include <functional>

class QDialog;

namespace velkaro {

class CDisplayWnd;
class CFieldNameWnd;
class CIndexWnd;
class CSelectionPanel;
class CSoftkeyBar;

class CPcxView : public CPhoneBody, private ICardViewParts {
    Q_OBJECT
public:
    // Control ids of the children.
    static constexpr int kSoftkeyBarId = 4000;
    static constexpr int kDisplayId = 4001;
    static constexpr int kIndexListId = 4002;
    static constexpr int kFieldNamesId = 4003;

    // ui shows the card commands' questions and refusals, help the topic
    // of a dialog's Help button (the selection dialog's 101); the view
    // registers its commands into commands and sends its keys and its
    // context menu there. The view owns none of them.
    CPcxView(CPcxDoc* document, IMessageUi& ui, std::function<void(int topic)> help, CCommandRegistry& commands,
             QWidget* parent = nullptr);
    ~CPcxView() override;

    CPcxDoc* Document() const { return m_doc; }

    // How modal dialogs are run: exec() unless replaced (tests fill the
    // dialog and answer it). Returns true for OK.
    using DialogRunner = std::function<bool(QDialog&)>;
    void SetDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }

    // Where "StructureActive" is read and changed (the application keeps it
    // for the run and writes it at exit); the settings store by default.
    void SetStructureSetting(std::function<int()> get, std::function<void(int)> set);
    int StructureActive() const;

    ViewMode Mode() const { return m_control.Mode(); }
    bool Editing() const { return m_control.Editing(); }
    // The card shown in card mode, else null.
    CKarte* ShownCard() { return m_control.ShownCard(); }
    void SetMode(ViewMode mode) { m_control.SetMode(mode); }
    void OpenCard(int index) { m_control.OpenCard(index); }

    void PressSoftkey(int cell);
    void DoSoftkeyAction(int code) { m_control.SoftkeyAction(code); }
    void RowKey(int row);

    void NewCard() { m_control.NewCard(); }
    void Stop() { m_control.Stop(); }
    void SaveCard() { m_control.SaveCard(); }
    void DeleteCard() { m_control.DeleteCard(); }
    void ToggleMark() { m_control.ToggleMark(); }
    void OnSelection();
    void OnCardStructure();

    // The document's update notice: hint 0 does what Stop does, hint 1 hands
    // the new collection to the children.
    void OnUpdate(UpdateHint hint, CCardList* list);
    // Shows the field-name column in card mode when it is switched on and
    // the document has field names.
    void LayoutFieldNames() { m_control.LayoutFieldNames(); }

    CDisplayWnd* Display() const { return m_display; }
    CIndexWnd* IndexList() const { return m_index; }
    CSoftkeyBar* SoftkeyBar() const { return m_softkeys; }
    CFieldNameWnd* FieldNames() const { return m_fieldNames; }
    CSelectionPanel* SelectionPanel() const { return m_selPanel; }

    CSelection& Selection() { return m_selection; }
    const CSelection& Selection() const { return m_selection; }
    const SelectionState& SharedSelection() const { return m_selState; }

    // Names, tool tips and status prompts of the keys and the field-name
    // column in the current language.
    void ApplyLanguage();

signals:
    // Mode, editing, selection, collection or clipboard changed: the frame
    // updates its command states.
    void stateChanged();
    void insertModeChanged(bool insert);

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    void CreateChildren();
    void ConnectChildren();
    void PlaceChildren();
    void RegisterCommands();
    void SyncSelection();
    QWidget* ActiveChild() const;
    bool RunDialog(QDialog& dialog);

    // ICardViewParts
    CLineEditor& Editor() override;
    bool ShowCard(int index) override;
    void ClearCard() override;
    void StartEditing() override;
    void EndEditing() override;
    void DisplayRowKey(int row, bool shift) override;
    void DisplayKey(EditorKey key, bool shift) override;
    void ShowPage(int page) override;
    void StartSavedNotice() override;
    void StopSavedNotice() override;
    int RowToCard(int row) const override;
    void ListKey(IndexKey key) override;
    void TypeInList(unsigned char c) override;
    void ResetList(bool forSelection) override;
    void ShowSoftkeys(int set) override;
    void ToggleSoftkeys(int stateSet) override;
    void ShowMode(ViewMode mode) override;
    void ShowFieldNames(bool show) override;
    void Repaint() override;
    bool FieldNamesSwitchedOn() const override;
    void SetClipboardText(const std::string& text) override;
    void StateChanged() override;
    void DialCurrent() override;

    CPcxDoc* m_doc;
    int m_viewHandle = 0;
    std::function<void(int)> m_help;
    CCommandRegistry& m_commands;
    DialogRunner m_runDialog;
    std::function<int()> m_getStructure;
    std::function<void(int)> m_setStructure;

    CSelection m_selection;
    SelectionState m_selState;
    CCardViewController m_control;
    // Asked of the clipboard when it changes, not at every enable check:
    // another program's clipboard is a round trip to the display server.
    bool m_clipboardHasText = false;

    CSoftkeyBar* m_softkeys = nullptr;
    CDisplayWnd* m_display = nullptr;
    CIndexWnd* m_index = nullptr;
    CFieldNameWnd* m_fieldNames = nullptr;
    CSelectionPanel* m_selPanel = nullptr;
};

}  // namespace velkaro
