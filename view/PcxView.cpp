#include "PcxView.h"

#include "settings/QtText.h"
#include "settings/Settings.h"
#include "device/ReceptionBlocked.h"
#include "text/Language.h"
#include "text/Menus.h"
#include "text/MessageIds.h"
#include "view/CardStructureDlg.h"
#include "view/DisplayWnd.h"
#include "view/FieldNameWnd.h"
#include "view/IndexWnd.h"
#include "view/SelectionDlg.h"
#include "view/SelectionPanel.h"
#include "view/SoftkeyBar.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMetaMethod>

namespace velkaro {

namespace {

bool Between(unsigned id, unsigned first, unsigned last)
{
    return id >= first && id <= last;
}

bool ShiftHeld()
{
    return QGuiApplication::keyboardModifiers() & Qt::ShiftModifier;
}

}  // namespace

CPcxView::CPcxView(CPcxDoc* document, IMessageUi& ui, std::function<void(int topic)> help, QWidget* parent)
    : CPhoneBody(parent)
    , m_doc(document)
    , m_help(std::move(help))
    , m_control(document, ui, *this, m_selection)
{
    setObjectName(QStringLiteral("cardView"));
    setFocusPolicy(Qt::StrongFocus);
    CreateChildren();
    ConnectChildren();
    CreateButtons();
    connect(this, &CPhoneBody::keyClicked, this, &CPcxView::RouteCommand);
    ApplyLanguage();
    PlaceChildren();

    // Start: list mode, the display hidden.
    m_display->hide();
    m_fieldNames->hide();
    m_index->show();
    m_softkeys->show();
    m_softkeys->SetSet(softkey::SetList);
    setFocusProxy(m_index);

    if (m_doc)
        m_viewHandle = m_doc->AddView([this](UpdateHint hint, CCardList* newList) { OnUpdate(hint, newList); });
}

CPcxView::~CPcxView()
{
    if (m_doc && m_viewHandle)
        m_doc->RemoveView(m_viewHandle);
    m_selection.onChanged = nullptr;
}

void CPcxView::CreateChildren()
{
    CCardList* list = m_doc ? &m_doc->Cards() : nullptr;

    // Children in the order of their control ids.
    m_softkeys = new CSoftkeyBar(this);
    m_softkeys->setObjectName(QStringLiteral("softkeyBar"));
    m_display = new CDisplayWnd(this);
    m_display->setObjectName(QStringLiteral("display"));
    m_index = new CIndexWnd(this);
    m_index->setObjectName(QStringLiteral("indexList"));
    m_fieldNames = new CFieldNameWnd(this);
    m_fieldNames->setObjectName(QStringLiteral("fieldNames"));
    m_selPanel = new CSelectionPanel(&m_selection, this);

    m_softkeys->SetResources(&m_res);
    m_softkeys->SetDisplay(&m_display->Editor());
    m_display->SetResources(&m_res);
    m_display->SetCardList(list);
    m_display->SetSelection(&m_selState);
    m_index->SetResources(&m_res);
    m_index->SetCardList(list);
    m_index->SetSelection(&m_selState);
    m_fieldNames->SetResources(&m_res);
    m_fieldNames->SetCardList(list);
    m_fieldNames->SetDisplay(&m_display->Editor());
    m_selPanel->SetResources(&m_res);
}

void CPcxView::ConnectChildren()
{
    m_selection.onChanged = [this] { SyncSelection(); };

    connect(m_display, &CDisplayWnd::pageChanged, this, [this](int) {
        m_softkeys->update();
        if (m_fieldNames->isVisible())
            m_fieldNames->update();
        emit stateChanged();
    });
    connect(m_display, &CDisplayWnd::editingChanged, this, [this](bool editing) {
        if (Mode() == ViewMode::Card)
            m_softkeys->SetSet(editing ? softkey::SetEdit : softkey::SetBrowse);
        emit stateChanged();
    });
    connect(m_display, &CDisplayWnd::listModeRequested, this,
            [this](int character) { m_control.ListModeRequested(character); });
    connect(m_display, &CDisplayWnd::commandRequested, this, [this](int id) { RouteCommand(static_cast<unsigned>(id)); });
    connect(m_display, &CDisplayWnd::insertModeChanged, this, &CPcxView::insertModeChanged);
    connect(m_index, &CIndexWnd::rowClicked, this, [this](int row) { RowKey(row); });
    connect(m_index, &CIndexWnd::selectionEnded, this, [this] {
        if (m_selection.IsActive())
            m_selection.End();
    });
    connect(m_softkeys, &CSoftkeyBar::cellPressed, this, [this](int cell) { DoSoftkeyAction(m_softkeys->ActionCode(cell)); });
    m_clipboardHasText = CDisplayWnd::ClipboardHasText();
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        m_clipboardHasText = CDisplayWnd::ClipboardHasText();
        emit stateChanged();
    });
}

void CPcxView::SetStructureSetting(std::function<int()> get, std::function<void(int)> set)
{
    m_getStructure = std::move(get);
    m_setStructure = std::move(set);
    LayoutFieldNames();
}

int CPcxView::StructureActive() const
{
    return m_getStructure ? m_getStructure() : CSettings::Instance().StructureActive();
}

void CPcxView::ApplyLanguage()
{
    NameKeys();
    m_fieldNames->setAccessibleName(ToQt(Text(msg::AccFieldNames)));
}

void CPcxView::PlaceChildren()
{
    const QRect d = DisplayRect();
    m_display->setGeometry(d);
    m_index->setGeometry(d);
    m_fieldNames->setGeometry(d.left(), d.top(), kFieldNameWidth, d.height());
    m_softkeys->setGeometry(SoftkeyBarRect());
    PlaceKeys(*m_softkeys);
    const QRect panel = TopPanelRect();
    m_selPanel->move(panel.left() + 4, panel.top() + (panel.height() - m_selPanel->height()) / 2);
}

QWidget* CPcxView::ActiveChild() const
{
    return Mode() == ViewMode::Card ? static_cast<QWidget*>(m_display) : static_cast<QWidget*>(m_index);
}

void CPcxView::RowKey(int row)
{
    m_control.RowKey(row, ShiftHeld());
}

void CPcxView::PressSoftkey(int cell)
{
    m_softkeys->PressCell(cell);
}

// ---------------------------------------------------------------------------
// The widgets as the controller sees them.

CLineEditor& CPcxView::Editor()
{
    return m_display->Editor();
}

bool CPcxView::ShowCard(int index)
{
    return m_display->SetCurrentIndex(index);
}

void CPcxView::ClearCard()
{
    m_display->ClearCurrentIndex();
}

void CPcxView::StartEditing()
{
    m_display->StartEditing(0, 0);
}

void CPcxView::EndEditing()
{
    m_display->EndEditing();
}

void CPcxView::DisplayRowKey(int row, bool shift)
{
    m_display->RowKey(row, shift);
}

void CPcxView::DisplayKey(EditorKey key, bool shift)
{
    m_display->PressKey(key, shift);
}

void CPcxView::ShowPage(int page)
{
    m_display->SetPage(page);
}

void CPcxView::StartSavedNotice()
{
    m_display->StartSavedNotice(CDisplayWnd::kSavedNoticeMs);
}

void CPcxView::StopSavedNotice()
{
    m_display->StopSavedNotice();
}

int CPcxView::RowToCard(int row) const
{
    return m_index->RowToCard(row);
}

void CPcxView::ListKey(IndexKey key)
{
    m_index->KeyDown(key);
}

void CPcxView::TypeInList(unsigned char c)
{
    m_index->TypeCharacter(c);
}

void CPcxView::ResetList(bool forSelection)
{
    if (forSelection)
        m_index->ResetForSelection();
    else
        m_index->Reset();
}

void CPcxView::ShowSoftkeys(int set)
{
    m_softkeys->SetSet(set);
}

void CPcxView::ToggleSoftkeys(int stateSet)
{
    m_softkeys->Toggle(stateSet);
}

void CPcxView::ShowMode(ViewMode mode)
{
    QWidget* active = ActiveChild();
    QWidget* other = mode == ViewMode::Card ? static_cast<QWidget*>(m_index) : static_cast<QWidget*>(m_display);
    setFocusProxy(active);
    active->show();
    other->hide();
    if (hasFocus() || active->window()->isActiveWindow())
        active->setFocus();
    update();
}

void CPcxView::ShowFieldNames(bool show)
{
    const QRect d = DisplayRect();
    m_display->setGeometry(show ? d.adjusted(kFieldNameWidth, 0, 0, 0) : d);
    m_fieldNames->setVisible(show);
    if (show)
        m_fieldNames->update();
}

void CPcxView::Repaint()
{
    m_display->update();
    m_index->update();
    m_softkeys->update();
    if (m_fieldNames->isVisible())
        m_fieldNames->update();
}

bool CPcxView::FieldNamesSwitchedOn() const
{
    return StructureActive() != 0;
}

void CPcxView::SetClipboardText(const std::string& text)
{
    QGuiApplication::clipboard()->setText(ToQt(text));
}

void CPcxView::StateChanged()
{
    emit stateChanged();
}

void CPcxView::DialCurrent()
{
    RouteCommand(cmd::DialCurrent);
}

// ---------------------------------------------------------------------------
// Selection and card structure.

void CPcxView::SyncSelection()
{
    m_selState.active = m_selection.IsActive();
    m_selState.permanent = m_selection.IsPermanent();
    m_selState.text = m_selection.SearchText();
    m_selPanel->Sync();
    emit stateChanged();
}

bool CPcxView::RunDialog(QDialog& dialog)
{
    ReceptionBlock block;
    if (m_runDialog)
        return m_runDialog(dialog);
    return dialog.exec() == QDialog::Accepted;
}

void CPcxView::OnSelection()
{
    if (m_selection.IsActive()) {
        m_control.EndSelection();
        return;
    }
    CSelectionDlg dialog(m_selection.SearchText(), false, this);
    if (m_help)
        dialog.SetHelpHandler(m_help);
    if (RunDialog(dialog))
        m_control.StartSelection(dialog.SearchText(), dialog.Permanent());
}

void CPcxView::OnCardStructure()
{
    if (!m_doc)
        return;
    CCardStructureDlg dialog(m_doc->Cards().FieldNames(), StructureActive() != 0, this);
    if (!RunDialog(dialog))
        return;
    if (m_setStructure)
        m_setStructure(dialog.Active() ? 1 : 0);
    else
        CSettings::Instance().SetStructureActive(dialog.Active() ? 1 : 0);
    m_control.ChangeCardStructure(dialog.Structure().WorkingCopy());
}

void CPcxView::OnUpdate(UpdateHint hint, CCardList* list)
{
    if (hint == UpdateHint::All) {
        Stop();
        update();
    } else if (hint == UpdateHint::NewList && list) {
        m_display->SetCardList(list);
        m_index->SetCardList(list);
        m_fieldNames->SetCardList(list);
    }
}

// ---------------------------------------------------------------------------
// Commands.

void CPcxView::RouteCommand(unsigned id)
{
    static const QMetaMethod signal = QMetaMethod::fromSignal(&CPcxView::commandRequested);
    if (isSignalConnected(signal))
        emit commandRequested(id);
    else
        OnCommand(id);
}

bool CPcxView::HandlesCommand(unsigned id) const
{
    switch (id) {
    case cmd::ToggleInsert:
    case cmd::InsertLine:
    case cmd::DeleteLine:
    case cmd::InsertLineOnPage:
    case cmd::DeleteLineOnPage:
    case cmd::Copy:
    case cmd::Cut:
    case cmd::Paste:
    case cmd::CopyCard:
    case cmd::NewCard:
    case cmd::Stop:
    case cmd::Selection:
    case cmd::CardStructure:
        return true;
    default:
        return Between(id, cmd::ArrowUp, cmd::ArrowLeft) || Between(id, cmd::Softkey1, cmd::Softkey1 + 6)
            || Between(id, cmd::RowKey1, cmd::RowKey1 + 11);
    }
}

bool CPcxView::OnCommand(unsigned id)
{
    if (!HandlesCommand(id))
        return false;
    if (!IsCommandEnabled(id))
        return true;
    const bool shift = ShiftHeld();
    switch (id) {
    case cmd::ToggleInsert: m_display->ToggleInsertMode(); break;
    case cmd::InsertLine: m_display->InsertLineAtCaret(); break;
    case cmd::DeleteLine: m_display->DeleteCaretLine(); break;
    case cmd::InsertLineOnPage: m_display->InsertLineOnPage(); break;
    case cmd::DeleteLineOnPage: m_display->DeleteLineOnPage(); break;
    case cmd::Copy: m_display->Copy(); break;
    case cmd::Cut: m_display->Cut(); break;
    case cmd::Paste: m_display->Paste(); break;
    case cmd::CopyCard: m_control.CopyCard(); break;
    case cmd::NewCard: NewCard(); break;
    case cmd::Stop: Stop(); break;
    case cmd::Selection: OnSelection(); break;
    case cmd::CardStructure: OnCardStructure(); break;
    case cmd::ArrowUp: m_control.ArrowKey(EditorKey::Up, shift); break;
    case cmd::ArrowDown: m_control.ArrowKey(EditorKey::Down, shift); break;
    case cmd::ArrowRight: m_control.ArrowKey(EditorKey::Right, shift); break;
    case cmd::ArrowLeft: m_control.ArrowKey(EditorKey::Left, shift); break;
    default:
        if (Between(id, cmd::Softkey1, cmd::Softkey1 + 6))
            PressSoftkey(static_cast<int>(id - cmd::Softkey1));
        else if (Between(id, cmd::RowKey1, cmd::RowKey1 + 11))
            RowKey(static_cast<int>(id - cmd::RowKey1));  // 32924.. do nothing
        break;
    }
    emit stateChanged();
    return true;
}

bool CPcxView::IsCommandEnabled(unsigned id) const
{
    const bool cardMode = Mode() == ViewMode::Card;
    const bool editing = Editing();
    switch (id) {
    case cmd::InsertLine:
    case cmd::DeleteLine:
    case cmd::InsertLineOnPage:
    case cmd::DeleteLineOnPage:
        return editing;
    case cmd::Copy:
    case cmd::Cut:
        return editing && m_display->HasSelection();
    case cmd::Paste:
        return editing && m_clipboardHasText;
    case cmd::CopyCard:
    case cmd::SendCurrent:
    case cmd::DialCurrent:
        return cardMode;
    case cmd::Undo:
    case cmd::Redo:
    case cmd::RestoreHistory:
        // While a card is edited the keys belong to the line editor, and the
        // edit refers to a card an undo could take away.
        return !editing;
    case cmd::SaveBackup:
        return m_doc && m_doc->CanSaveBackup();
    case cmd::SendAll:
        return m_doc && m_doc->CanSendAll();
    case cmd::SendEdited:
        return m_doc && m_doc->CanSendEdited();
    default:
        return true;
    }
}

bool CPcxView::IsCommandChecked(unsigned id) const
{
    return id == cmd::Selection && m_selection.IsActive();
}

void CPcxView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    ActiveChild()->setFocus();
}

}  // namespace velkaro
