#include "CardViewController.h"

#include "model/CardStructure.h"
#include "model/Charset.h"
#include "text/Menus.h"
#include "text/MessageIds.h"
#include "view/CardCommands.h"
#include "view/SoftkeyCodes.h"

namespace velkaro {

CChangeScope::CChangeScope(CPcxDoc* doc, StepLabel label)
    : m_doc(doc)
{
    if (m_doc)
        m_doc->BeginChange(std::move(label));
}

CChangeScope::~CChangeScope()
{
    if (m_doc)
        m_doc->CommitChange();
}

void CChangeScope::Save()
{
    if (m_doc)
        m_doc->AutoSave(false);
    m_doc = nullptr;
}

CCardViewController::CCardViewController(CPcxDoc* doc, IMessageUi& ui, ICardViewParts& parts, CSelection& selection)
    : m_doc(doc)
    , m_ui(ui)
    , m_parts(parts)
    , m_selection(selection)
{
}

bool CCardViewController::Editing() const
{
    return m_mode == ViewMode::Card && m_parts.Editor().IsEditing();
}

CKarte* CCardViewController::ShownCard()
{
    return m_mode == ViewMode::Card ? m_parts.Editor().ShownCard() : nullptr;
}

void CCardViewController::SetMode(ViewMode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    m_selection.Allow(true);
    if (mode == ViewMode::Card) {
        m_parts.ShowSoftkeys(softkey::SetBrowse);
        LayoutFieldNames();
    } else {
        // Leaving card mode drops an edit in progress.
        if (m_parts.Editor().IsEditing())
            m_parts.EndEditing();
        m_parts.StopSavedNotice();
        m_parts.ShowSoftkeys(softkey::SetList);
        m_parts.ShowFieldNames(false);
    }
    m_parts.ShowMode(mode);
    m_parts.StateChanged();
}

void CCardViewController::LayoutFieldNames()
{
    const bool show = m_mode == ViewMode::Card && m_doc && ShowsFieldNameColumn(m_parts.FieldNamesSwitchedOn(), m_doc->Cards());
    m_parts.ShowFieldNames(show);
    m_selection.Allow(!show);
}

void CCardViewController::OpenCard(int index)
{
    if (m_parts.ShowCard(index)) {
        SetMode(ViewMode::Card);
        m_parts.ShowSoftkeys(softkey::SetBrowse);
    }
    m_parts.Repaint();
    m_parts.StateChanged();
}

void CCardViewController::RowKey(int row, bool shift)
{
    if (row < 0 || row >= kActiveRowKeys)
        return;
    if (m_mode == ViewMode::Card) {
        m_parts.DisplayRowKey(row, shift);
        return;
    }
    const int card = m_parts.RowToCard(row);
    if (card >= 0)
        OpenCard(card);
}

void CCardViewController::ArrowKey(EditorKey key, bool shift)
{
    if (m_mode == ViewMode::Card)
        m_parts.DisplayKey(key, shift);
    else if (key == EditorKey::Up || key == EditorKey::Down)
        m_parts.ListKey(key == EditorKey::Up ? IndexKey::Up : IndexKey::Down);
}

void CCardViewController::NewCard()
{
    SetMode(ViewMode::Card);
    m_parts.ClearCard();
    m_parts.StartEditing();
    m_parts.Repaint();
    m_parts.StateChanged();
}

void CCardViewController::RestartList()
{
    // The list starts over, so that no row points past the end.
    m_parts.ResetList(false);
    if (m_selection.IsActive())
        m_parts.ResetList(true);
}

void CCardViewController::Stop()
{
    SetMode(ViewMode::List);
    m_selection.EndIfNotPermanent();
    RestartList();
    m_parts.StateChanged();
}

void CCardViewController::CopyCard()
{
    if (const CKarte* card = ShownCard())
        m_parts.SetClipboardText(card->CopyCardText());
}

void CCardViewController::CollectionChanged()
{
    m_parts.Repaint();
    m_parts.StateChanged();
}

void CCardViewController::SaveCard()
{
    if (!Editing() || !m_doc)
        return;
    const int index = m_parts.Editor().CurrentIndex();
    CChangeScope change(m_doc, StepLabel::Message(m_doc->Cards().At(index) ? msg::StepSaveCard : msg::StepNewCard));
    const SaveCardResult result = velkaro::SaveCard(m_doc->Cards(), m_parts.Editor().WorkingCopy(), index, m_ui);
    if (!result.saved)
        return;
    change.Save();
    CollectionChanged();
    OpenCard(result.newIndex);
    m_parts.StartSavedNotice();
}

void CCardViewController::DeleteCard()
{
    if (m_mode != ViewMode::Card || !m_doc)
        return;
    CChangeScope change(m_doc, StepLabel::Message(msg::StepDeleteCard));
    if (!velkaro::DeleteCard(m_doc->Cards(), m_parts.Editor().CurrentIndex(), m_ui))
        return;
    m_parts.ClearCard();
    SetMode(ViewMode::List);
    RestartList();
    change.Save();
    CollectionChanged();
}

void CCardViewController::ToggleMark()
{
    if (CKarte* card = ShownCard()) {
        // The mark is not written at once, but it is a step of its own.
        CChangeScope change(m_doc, StepLabel::Message(msg::StepToggleMark));
        card->ToggleMark();
    }
    m_parts.Repaint();
    m_parts.StateChanged();
}

void CCardViewController::SoftkeyAction(int code)
{
    switch (code) {
    case softkey::More: m_parts.ToggleSoftkeys(m_parts.Editor().IsEditing() ? softkey::SetEdit : softkey::SetBrowse); break;
    case softkey::List: SetMode(ViewMode::List); break;
    case softkey::Dial: m_parts.DialCurrent(); break;
    case softkey::Delete: DeleteCard(); break;
    case softkey::Save: SaveCard(); break;
    case softkey::Mark: ToggleMark(); break;
    default:
        if (code >= softkey::Page1 && code <= softkey::Page5)
            m_parts.ShowPage(code - softkey::Page1 + 1);
        break;
    }
}

void CCardViewController::ListModeRequested(int character)
{
    if (character == 0) {
        SetMode(ViewMode::List);
    } else if (IsNameLetter(static_cast<unsigned char>(character))) {
        SetMode(ViewMode::List);
        m_parts.TypeInList(static_cast<unsigned char>(character));
    }
}

void CCardViewController::EndSelection()
{
    m_selection.End();
    m_parts.ResetList(false);
}

void CCardViewController::StartSelection(const std::string& text, bool permanent)
{
    m_selection.SetSearchText(text);
    m_selection.Start(permanent);
    m_parts.ResetList(true);
    SetMode(ViewMode::List);
}

void CCardViewController::ChangeCardStructure(const CKarte& structure)
{
    if (!m_doc)
        return;
    {
        CChangeScope change(m_doc, StepLabel::Message(msg::StepCardStructure));
        if (ApplyCardStructure(m_doc->Cards(), structure))
            change.Save();
    }
    LayoutFieldNames();
    m_parts.Repaint();
    m_parts.StateChanged();
}

}  // namespace velkaro
