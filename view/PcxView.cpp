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

namespace velkaro {

namespace {

bool ShiftHeld()
{
    return QGuiApplication::keyboardModifiers() & Qt::ShiftModifier;
}

}  // namespace

CPcxView::CPcxView(CPcxDoc* document, IMessageUi& ui, std::function<void(int topic)> help,
                   CCommandRegistry& commands, QWidget* parent)
    : CPhoneBody(parent)
    , m_doc(document)
    , m_help(std::move(help))
    , m_commands(commands)
    , m_control(document, ui, *this, m_selection)
{
    setObjectName(QStringLiteral("cardView"));
    setFocusPolicy(Qt::StrongFocus);
    CreateChildren();
    ConnectChildren();
    CreateButtons();
    connect(this, &CPhoneBody::keyClicked, this, [this](unsigned id) { m_commands.Dispatch(id); });
    RegisterCommands();
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
            m_fieldNames->Refresh();
        emit stateChanged();
    });
    connect(m_display, &CDisplayWnd::editingChanged, this, [this](bool editing) {
        if (Mode() == ViewMode::Card)
            m_softkeys->SetSet(editing ? softkey::SetEdit : softkey::SetBrowse);
        emit stateChanged();
    });
    connect(m_display, &CDisplayWnd::listModeRequested, this,
            [this](int character) { m_control.ListModeRequested(character); });
    connect(m_display, &CDisplayWnd::commandRequested, this, [this](unsigned id) { m_commands.Dispatch(id); });
    connect(m_display, &CDisplayWnd::textSelectionChanged, this, &CPcxView::stateChanged);
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
    setAccessibleName(ToQt(Text(msg::AccPhone)));
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
        m_fieldNames->Refresh();
}

void CPcxView::Repaint()
{
    m_display->update();
    m_index->update();
    m_softkeys->update();
    if (m_fieldNames->isVisible())
        m_fieldNames->Refresh();
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
    m_commands.Dispatch(cmd::DialCurrent);
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

void CPcxView::RegisterCommands()
{
    auto add = [this](unsigned id, std::function<void()> run, std::function<bool()> enabled = {}) {
        m_commands.Register(id, { std::move(run), std::move(enabled), {} });
    };
    auto editing = [this] { return Editing(); };
    auto selected = [this] { return Editing() && m_display->HasSelection(); };
    add(cmd::ToggleInsert, [this] { m_display->ToggleInsertMode(); });
    add(cmd::InsertLine, [this] { m_display->InsertLineAtCaret(); }, editing);
    add(cmd::DeleteLine, [this] { m_display->DeleteCaretLine(); }, editing);
    add(cmd::InsertLineOnPage, [this] { m_display->InsertLineOnPage(); }, editing);
    add(cmd::DeleteLineOnPage, [this] { m_display->DeleteLineOnPage(); }, editing);
    add(cmd::Copy, [this] { m_display->Copy(); }, selected);
    add(cmd::Cut, [this] { m_display->Cut(); }, selected);
    add(cmd::Paste, [this] { m_display->Paste(); }, [this] { return Editing() && m_clipboardHasText; });
    add(cmd::CopyCard, [this] { m_control.CopyCard(); }, [this] { return Mode() == ViewMode::Card; });
    add(cmd::NewCard, [this] { NewCard(); });
    add(cmd::Stop, [this] { Stop(); });
    m_commands.Register(cmd::Selection, { [this] { OnSelection(); }, {}, [this] { return m_selection.IsActive(); } });
    add(cmd::CardStructure, [this] { OnCardStructure(); });
    const std::pair<unsigned, EditorKey> arrows[] = { { cmd::ArrowUp, EditorKey::Up },
                                                      { cmd::ArrowDown, EditorKey::Down },
                                                      { cmd::ArrowLeft, EditorKey::Left },
                                                      { cmd::ArrowRight, EditorKey::Right } };
    for (const auto& [id, key] : arrows)
        add(id, [this, key = key] { m_control.ArrowKey(key, ShiftHeld()); });
    for (int i = 0; i < kSoftkeyCount; ++i)
        add(cmd::Softkey1 + static_cast<unsigned>(i), [this, i] { PressSoftkey(i); });
    // The two spare keys above the display do nothing.
    for (int i = 0; i < kRowKeyCount; ++i)
        add(cmd::RowKey1 + static_cast<unsigned>(i), [this, i] { RowKey(i); });
}

void CPcxView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    ActiveChild()->setFocus();
}

}  // namespace velkaro
