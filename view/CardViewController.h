#pragma once

// The card view's rules, free of widgets: list mode or card mode, opening,
// starting, saving, deleting and marking cards, the softkey actions, the row
// and arrow keys, Stop, the selection and the card structure. Each change to
// the cards is one undo step. The widgets come in through ICardViewParts and
// show what the controller decides; CPcxView joins the two.

#include "model/Document.h"
#include "model/MessageUi.h"
#include "model/Selection.h"
#include "view/IndexList.h"
#include "view/LineEditor.h"

#include <string>

namespace velkaro {

enum class ViewMode { List, Card };

// One change to the cards as one undo step: begins with the step's name and
// commits when the scope ends. A change that left the cards as they were
// (refused, answered No) makes no step. Save ends it by writing the working
// file, which commits as well. A null document: nothing is recorded.
class CChangeScope {
public:
    CChangeScope(CPcxDoc* doc, StepLabel label);
    ~CChangeScope();
    CChangeScope(const CChangeScope&) = delete;
    CChangeScope& operator=(const CChangeScope&) = delete;

    void Save();

private:
    CPcxDoc* m_doc;
};

// What the controller asks of the widgets.
class ICardViewParts {
public:
    virtual ~ICardViewParts() = default;

    // The display: the line editor holds the card shown and the edit.
    virtual CLineEditor& Editor() = 0;
    virtual bool ShowCard(int index) = 0;
    virtual void ClearCard() = 0;
    virtual void StartEditing() = 0;  // a new card, caret at the start
    virtual void EndEditing() = 0;
    virtual void DisplayRowKey(int row, bool shift) = 0;
    virtual void DisplayKey(EditorKey key, bool shift) = 0;
    virtual void ShowPage(int page) = 0;
    virtual void StartSavedNotice() = 0;
    virtual void StopSavedNotice() = 0;

    // The index list.
    virtual int RowToCard(int row) const = 0;
    virtual void ListKey(IndexKey key) = 0;
    virtual void TypeInList(unsigned char c) = 0;
    virtual void ResetList(bool forSelection) = 0;

    // The softkey bar.
    virtual void ShowSoftkeys(int set) = 0;
    virtual void ToggleSoftkeys(int stateSet) = 0;

    // The child of the mode in front, the field-name column beside the
    // display, a repaint after the cards changed.
    virtual void ShowMode(ViewMode mode) = 0;
    virtual void ShowFieldNames(bool show) = 0;
    virtual void Repaint() = 0;

    // "StructureActive": whether the field-name column is switched on.
    virtual bool FieldNamesSwitchedOn() const = 0;
    virtual void SetClipboardText(const std::string& text) = 0;
    // Mode, editing, selection or cards changed: command states follow.
    virtual void StateChanged() = 0;
    // The softkey's dial goes to the telephone, outside the view.
    virtual void DialCurrent() = 0;
};

class CCardViewController {
public:
    CCardViewController(CPcxDoc* doc, IMessageUi& ui, ICardViewParts& parts, CSelection& selection);

    ViewMode Mode() const { return m_mode; }
    // A card is open in the display and being edited.
    bool Editing() const;
    // The card the display shows in card mode, else null.
    CKarte* ShownCard();

    void SetMode(ViewMode mode);
    void OpenCard(int index);
    // F1..F8: opens the row's card in list mode, edits the row in card mode.
    void RowKey(int row, bool shift);
    void ArrowKey(EditorKey key, bool shift);
    void NewCard();
    void Stop();
    void CopyCard();
    void SaveCard();
    void DeleteCard();
    void ToggleMark();
    void SoftkeyAction(int code);
    // The display gave up the keys: 0 back to the list, a letter types on
    // in the list.
    void ListModeRequested(int character);

    // The selection command: a running selection ends, else the dialog's
    // text and permanence start one.
    void EndSelection();
    void StartSelection(const std::string& text, bool permanent);
    // The card structure dialog's result, one undo step.
    void ChangeCardStructure(const CKarte& structure);
    // The field-name column shows in card mode when it is switched on and
    // the document has field names; meanwhile the selection may not show.
    void LayoutFieldNames();

private:
    void CollectionChanged();
    void RestartList();

    CPcxDoc* m_doc;
    IMessageUi& m_ui;
    ICardViewParts& m_parts;
    CSelection& m_selection;
    ViewMode m_mode = ViewMode::List;
};

}  // namespace velkaro
