#include "MainFrame.h"

#include "app/Application.h"
#include "app/FileCommands.h"
#include "app/SyncCommands.h"
#include "app/SyncRunner.h"
#include "app/Help.h"
#include "text/Language.h"
#include "settings/QtText.h"
#include "settings/Settings.h"
#include "device/ReceptionBlocked.h"
#include "text/Menus.h"
#include "text/MessageIds.h"
#include "view/DisplayWnd.h"
#include "view/MenuItemAccessible.h"
#include "view/PcxView.h"
#include "view/Printing.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <set>

namespace velkaro {

namespace {

int LanguageOfCommand(unsigned id)
{
    return id == cmd::LanguageEnglish ? kLangEnglish : id == cmd::LanguageFrench ? kLangFrench : kLangGerman;
}

// The toolbar pictures, 16 x 15, drawn as vectors: a sheet of paper, an
// arrow and a handset are the pieces most of them share.
class CIconPainter {
public:
    explicit CIconPainter(QPainter& painter) : p(painter) {}

    void Page(QRectF r)
    {
        p.setPen(QPen(kInk, 1.0));
        p.setBrush(kPaper);
        p.drawRect(r);
        p.setPen(QPen(QColor(140, 140, 170), 0.8));
        for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 2.5)
            p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
    }
    void Arrow(QPointF from, QPointF to, QColor colour)
    {
        p.setPen(QPen(colour, 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(from, to);
        QPointF d = to - from;
        qreal len = std::hypot(d.x(), d.y());
        QPointF u = d / len;
        QPointF n(-u.y(), u.x());
        QPainterPath head;
        head.moveTo(to + u * 1.5);
        head.lineTo(to - u * 3.5 + n * 3);
        head.lineTo(to - u * 3.5 - n * 3);
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPath(head);
    }
    void Handset(QPointF c)
    {
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawRoundedRect(QRectF(c.x() - 5, c.y() - 1, 10, 5), 1.5, 1.5);
        p.setPen(QPen(kInk, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(c.x() - 5, c.y() - 5, 10, 7), 20 * 16, 140 * 16);
    }

    // The pictures of the File and Edit menus' buttons.
    void FileOrEdit(unsigned id);
    // The pictures of the Telephone and Help menus' buttons.
    void PhoneOrHelp(unsigned id);

    QPainter& p;
    static inline const QColor kInk { 40, 40, 48 };
    static inline const QColor kPaper { 255, 255, 250 };
    static inline const QColor kBlue { 40, 90, 190 };
    static inline const QColor kGreen { 30, 140, 60 };
};

void CIconPainter::FileOrEdit(unsigned id)
{
    switch (id) {
    case cmd::Export:
        Page(QRectF(1.5, 1.5, 8, 11));
        Arrow(QPointF(7, 9), QPointF(14.5, 9), kGreen);
        break;
    case cmd::Import:
        Page(QRectF(6.5, 1.5, 8, 11));
        Arrow(QPointF(0.5, 9), QPointF(9, 9), kBlue);
        break;
    case cmd::Cut:
        p.setPen(QPen(kInk, 1.2));
        p.drawLine(QPointF(5, 1), QPointF(10, 10));
        p.drawLine(QPointF(11, 1), QPointF(6, 10));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kBlue, 1.4));
        p.drawEllipse(QPointF(5, 12), 2.4, 2.4);
        p.drawEllipse(QPointF(11, 12), 2.4, 2.4);
        break;
    case cmd::Copy:
        Page(QRectF(1.5, 1.5, 8, 9));
        Page(QRectF(6.5, 4.5, 8, 9));
        break;
    case cmd::Paste:
        p.setBrush(QColor(170, 120, 60));
        p.setPen(QPen(kInk, 1.0));
        p.drawRoundedRect(QRectF(1.5, 2.5, 10, 11.5), 1, 1);
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(4, 1, 5, 3));
        Page(QRectF(7.5, 6.5, 7, 8));
        break;
    case cmd::Undo:
    case cmd::Redo: {
        // A bent arrow: back to the left for undo, on to the right for redo.
        const bool back = id == cmd::Undo;
        p.setPen(QPen(kBlue, 2.0, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(4, 4, 9, 9), 90 * 16, (back ? -180 : 180) * 16);
        Arrow(QPointF(8.5, 4), back ? QPointF(3.5, 4) : QPointF(13.5, 4), kBlue);
        break;
    }
    case cmd::Print:
        Page(QRectF(4.5, 0.5, 7, 6));
        p.setPen(QPen(kInk, 1.0));
        p.setBrush(QColor(180, 180, 185));
        p.drawRoundedRect(QRectF(1.5, 6, 13, 6), 1.5, 1.5);
        p.setBrush(kPaper);
        p.drawRect(QRectF(4.5, 10, 7, 4.5));
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen);
        p.drawEllipse(QPointF(12.5, 8), 0.9, 0.9);
        break;
    case cmd::PrintPreview:
        Page(QRectF(1.5, 0.5, 9, 13));
        p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11, 10), QPointF(14.5, 13.5));
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(200, 230, 255, 200));
        p.drawEllipse(QPointF(9, 8), 3.2, 3.2);
        break;
    default:
        break;
    }
}

void CIconPainter::PhoneOrHelp(unsigned id)
{
    switch (id) {
    case cmd::SendAll:
        Page(QRectF(0.5, 4.5, 6, 8));
        Page(QRectF(2.5, 2.5, 6, 8));
        Arrow(QPointF(8, 7), QPointF(14.5, 7), kGreen);
        Handset(QPointF(12, 12));
        break;
    case cmd::SendCurrent:
        Page(QRectF(1.5, 2.5, 7, 9));
        Arrow(QPointF(8, 7), QPointF(14.5, 7), kGreen);
        Handset(QPointF(12, 12));
        break;
    case cmd::ReceiveCallList:
        Handset(QPointF(5, 4));
        Arrow(QPointF(4, 7), QPointF(4, 14), kBlue);
        Page(QRectF(8.5, 4.5, 7, 10));
        break;
    case cmd::ShowCallList:
        Page(QRectF(2.5, 1.5, 11, 13));
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        for (int i = 0; i < 4; ++i)
            p.drawRect(QRectF(4, 4 + i * 2.5, 2, 1.2));
        break;
    case cmd::HelpIndex: {
        p.setPen(QPen(kBlue.darker(130), 1));
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(8, 7.5), 6.5, 6.5);
        QFont f(QStringLiteral("Arial"));
        f.setBold(true);
        f.setPixelSize(11);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(1, 1, 14, 13), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    default:
        break;
    }
}

QIcon ToolIcon(unsigned id)
{
    QPixmap pixmap(32, 30);
    pixmap.setDevicePixelRatio(2.0);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(CIconPainter::kInk, 1.0));
    CIconPainter painter(p);
    painter.FileOrEdit(id);
    painter.PhoneOrHelp(id);
    p.end();
    return QIcon(pixmap);
}

// The commands a frame offers: those of the menus, the accelerators and the
// toolbar.
std::vector<unsigned> AllCommands()
{
    std::set<unsigned> ids;
    auto walk = [&ids](const std::vector<MenuItem>& items, auto& self) -> void {
        for (const MenuItem& item : items) {
            if (item.IsPopup())
                self(item.items, self);
            else if (item.id)
                ids.insert(item.id);
        }
    };
    walk(MainMenu(kLangGerman), walk);
    for (const Accelerator& a : Accelerators())
        ids.insert(a.id);
    for (unsigned id : ToolbarButtons())
        if (id)
            ids.insert(id);
    return { ids.begin(), ids.end() };
}

}  // namespace

CMainFrame::CMainFrame(CPcxApp& app)
    : m_app(app)
{
    setObjectName(QStringLiteral("mainFrame"));
    // The title shows the program alone, never the document name.
    setWindowTitle(QString::fromLatin1(kApplicationName));
    // No sizing border: the telephone picture has one size.
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    setFixedSize(kWidth, kHeight);
    setWindowIcon(ProgramIcon());
    int x = m_app.Settings().WindowPositionX();
    int y = m_app.Settings().WindowPositionY();
    move(OnNearestScreen(QRect(QPoint(x, y < 0 ? 0 : y), size())));
    m_normalPos = pos();

    m_view = new CPcxView(&m_app.Document(), m_app.Ui(), [](int topic) { ShowHelpForId(topic); }, m_commands, this);
    m_view->SetStructureSetting([this] { return m_app.StructureActive(); },
                                [this](int on) { m_app.SetStructureActive(on); });
    setCentralWidget(m_view);

    RegisterCommands();
    CreateActions();
    CreateToolBar();
    CreateStatusBar();
    BuildMenu();
    // Import, export, backups and deleting all cards.
    AttachFileCommands(*this, m_app);
    // The address-book account and the sync; the sync's runner comes later.
    AttachSyncCommands(*this, m_app, std::make_shared<CSyncRunner>(m_app.Document(), m_app.Settings(), m_app.Ui()));
    // A manual that cannot be opened is reported over this window.
    QPointer<CMainFrame> self(this);
    SetHelpParent([self]() -> QWidget* { return self.data(); });

    connect(m_view, &CPcxView::stateChanged, this, [this] {
        UpdateCommandUI();
        RefreshStatusPanes();
    });
    connect(m_view, &CPcxView::insertModeChanged, this, &CMainFrame::RefreshStatusPanes);
    connect(&m_app, &CPcxApp::languageChanged, this, [this](int) { ApplyLanguage(); });
    m_viewHandle = m_app.Document().AddView([this](UpdateHint, CCardList*) {
        RefreshStatusPanes();
        UpdateCommandUI();
    });
    // The caps and num panes learn the lock states from the key events.
    qApp->installEventFilter(this);

    ApplyLanguage();
    m_view->setFocus();
}

CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
    m_app.Document().RemoveView(m_viewHandle);
}

QAction* CMainFrame::ActionFor(unsigned id)
{
    auto it = m_actions.find(id);
    if (it != m_actions.end())
        return it->second;
    auto* action = new QAction(this);
    action->setObjectName(QStringLiteral("command%1").arg(id));
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, id] { Dispatch(id); });
    addAction(action);
    m_actions[id] = action;
    return action;
}

QAction* CMainFrame::CommandAction(unsigned id) const
{
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::CreateActions()
{
    for (unsigned id : AllCommands())
        ActionFor(id);
    // Accelerators: several keys may lead to one command.
    std::map<unsigned, QList<QKeySequence>> keys;
    for (const Accelerator& a : Accelerators())
        keys[a.id].append(QKeySequence(QString::fromLatin1(a.key), QKeySequence::PortableText));
    for (auto& [id, sequences] : keys)
        ActionFor(id)->setShortcuts(sequences);
    for (unsigned id : { cmd::LanguageGerman, cmd::LanguageEnglish, cmd::LanguageFrench, cmd::Selection })
        ActionFor(id)->setCheckable(true);
    for (unsigned id : ToolbarButtons())
        if (id)
            ActionFor(id)->setIcon(ToolIcon(id));
}

void CMainFrame::BuildMenu()
{
    // The menu of the current language (resource 128, 129 or 130) replaces
    // the old one; the actions stay, so accelerators and toolbar keep working.
    menuBar()->clear();
    auto addItems = [this](QMenu* menu, const std::vector<MenuItem>& items, auto& self) -> void {
        for (const MenuItem& item : items) {
            if (item.IsSeparator()) {
                menu->addSeparator();
            } else if (item.IsPopup()) {
                QMenu* sub = menu->addMenu(ToQt(item.text));
                self(sub, item.items, self);
            } else {
                QAction* action = ActionFor(item.id);
                action->setText(ToQt(item.text));
                // The toolbar button's name for screen readers: the menu
                // text without its letter mark, shortcut and dots.
                QString name = MenuItemName(ToQt(item.text));
                if (name.endsWith(QStringLiteral("...")))
                    name.chop(3);
                action->setIconText(name);
                menu->addAction(action);
            }
        }
    };
    for (const MenuItem& popup : MainMenu(LanguageOffset())) {
        QMenu* menu = menuBar()->addMenu(ToQt(popup.text));
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
        addItems(menu, popup.items, addItems);
    }
}

void CMainFrame::CreateToolBar()
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setIconSize(QSize(16, 15));
    m_toolBar->setMovable(true);
    m_toolBar->setFloatable(true);
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (unsigned id : ToolbarButtons()) {
        if (id == 0)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(ActionFor(id));
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(false);
    auto addPane = [this, bar](unsigned id) {
        auto* pane = new QLabel(this);
        pane->setObjectName(QStringLiteral("pane%1").arg(id));
        pane->setTextFormat(Qt::PlainText);  // the port pane names a device path
        pane->setAlignment(Qt::AlignCenter);
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        bar->addPermanentWidget(pane);
        m_panes[id] = pane;
    };
    for (unsigned id : { cmd::PaneCardCount, cmd::PanePort, cmd::PaneOverwrite, cmd::PaneCaps, cmd::PaneNum })
        addPane(id);
    // The message pane shows "Bereit" whenever no prompt is shown.
    connect(bar, &QStatusBar::messageChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            statusBar()->showMessage(ToQt(Text(msg::Ready)));
    });
}

QLabel* CMainFrame::Pane(unsigned id) const
{
    auto it = m_panes.find(id);
    return it == m_panes.end() ? nullptr : it->second;
}

QString CMainFrame::CardCountText() const
{
    return Pane(cmd::PaneCardCount)->text();
}

QString CMainFrame::MessagePaneText() const
{
    return statusBar()->currentMessage();
}

void CMainFrame::ApplyLanguage()
{
    BuildMenu();
    // Prompts and tool tips: the parts of text(id) before and after the
    // first line break.
    for (auto& [id, action] : m_actions) {
        const std::string prompt = Text(id);
        action->setStatusTip(ToQt(StatusPrompt(prompt)));
        action->setToolTip(ToQt(ToolTipText(prompt)));
    }
    // The panes are sized by their resource strings, the widest text each
    // must hold.
    for (unsigned id : { cmd::PaneCardCount, cmd::PanePort, cmd::PaneOverwrite, cmd::PaneCaps, cmd::PaneNum }) {
        QLabel* pane = Pane(id);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(ToQt(Text(id))) + 12);
    }
    statusBar()->showMessage(ToQt(Text(msg::Ready)));
    NameBars();
    RefreshStatusPanes();
    UpdateCommandUI();
    // Softkey labels and texts of the front are language-dependent.
    m_view->ApplyLanguage();
    m_view->update();
    for (QWidget* child : m_view->findChildren<QWidget*>())
        child->update();
}

// Names for a screen reader of the parts that show no text of their own.
void CMainFrame::NameBars()
{
    menuBar()->setAccessibleName(ToQt(Text(msg::AccMenuBar)));
    m_toolBar->setAccessibleName(ToQt(Text(msg::AccToolBar)));
    // The button that shows the toolbar's hidden buttons when it is short.
    for (auto* more : m_toolBar->findChildren<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(ToQt(Text(msg::AccMoreButtons)));
}

void CMainFrame::SetPortStateProvider(std::function<PortState()> provider)
{
    m_portState = std::move(provider);
    RefreshStatusPanes();
}

void CMainFrame::OnPortModeChanged()
{
    RefreshStatusPanes();
    UpdateCommandUI();
}

void CMainFrame::RefreshStatusPanes()
{
    Pane(cmd::PaneCardCount)->setText(ToQt(m_app.Document().StatusCountText()));
    PortState port = m_portState ? m_portState() : PortState {};
    QLabel* portPane = Pane(cmd::PanePort);
    portPane->setText(ToQt(PortPaneText(port)));
    portPane->setEnabled(port.open);
    // Overwrite mode: "OVR"; insert mode leaves the pane blank.
    bool insert = m_view->Display()->InsertMode();
    Pane(cmd::PaneOverwrite)->setText(insert ? QString() : ToQt(Text(cmd::PaneOverwrite)));
    // The lock panes: blank while the lock is off (and until the first key
    // press told the state).
    Pane(cmd::PaneCaps)->setText(m_locks.caps ? ToQt(Text(cmd::PaneCaps)) : QString());
    Pane(cmd::PaneNum)->setText(m_locks.num ? ToQt(Text(cmd::PaneNum)) : QString());
}

void CMainFrame::SetLockStates(LockStates locks)
{
    if (locks.caps == m_locks.caps && locks.num == m_locks.num)
        return;
    m_locks = locks;
    RefreshStatusPanes();
}

void CMainFrame::UpdateCommandUI()
{
    UpdateUndoTexts();
    for (auto& [id, action] : m_actions) {
        const bool enabled = m_commands.IsEnabled(id);
        if (action->isEnabled() != enabled)
            action->setEnabled(enabled);
        if (action->isCheckable())
            action->setChecked(m_commands.IsChecked(id));
    }
}

void CMainFrame::UpdateUndoTexts()
{
    // The items name the step they take back or make again; a name's own
    // "&" is no letter mark.
    auto text = [](unsigned withName, unsigned alone, const std::string& label, const char* key) {
        std::string shown = label.empty() ? Text(alone) : FormatText(withName, label.c_str());
        QString item = QStringLiteral("&") + ToQt(shown).replace(QLatin1Char('&'), QStringLiteral("&&"));
        return item + QLatin1Char('\t') + QLatin1String(key);
    };
    const CPcxDoc& doc = m_app.Document();
    if (QAction* undo = CommandAction(cmd::Undo))
        undo->setText(text(msg::UndoMenu, msg::UndoNothing, doc.UndoLabel(), "Ctrl+Z"));
    if (QAction* redo = CommandAction(cmd::Redo))
        redo->setText(text(msg::RedoMenu, msg::RedoNothing, doc.RedoLabel(), "Ctrl+Shift+Z"));
}

void CMainFrame::RegisterCommands()
{
    for (unsigned id : { cmd::LanguageGerman, cmd::LanguageEnglish, cmd::LanguageFrench })
        m_commands.Register(id, { [this, id] { m_app.SetLanguage(LanguageOfCommand(id), false); }, {},
                                  [id] { return LanguageOfCommand(id) == LanguageOffset(); } });
    m_commands.Register(cmd::Exit, { [this] { close(); }, {}, {} });
    m_commands.Register(cmd::HelpIndex, { [this] { ShowHelp(); }, {}, {} });
    m_commands.Register(cmd::About, { [this] {
                                         ReceptionBlock block;
                                         m_app.ShowAbout();
                                     },
                                      {}, {} });
    // Print, print preview and printer set-up share one printer for the run.
    auto* printing = new CPrinting(m_app.Document(), m_view->Selection(), m_app.Ui(),
                                   [this] { return m_app.StructureActive(); }, this);
    printing->setObjectName(QStringLiteral("printing"));
    m_commands.Register(cmd::Print, { [this, printing] { printing->Print(this); }, {}, {} });
    m_commands.Register(cmd::PrintPreview, { [this, printing] { printing->PrintPreview(this); }, {}, {} });
    m_commands.Register(cmd::PrintSetup, { [this, printing] { printing->PrintSetup(this); }, {}, {} });
    // Undo and redo never talk to the telephone, but a transfer that runs
    // works on the cards as they are. While a card is edited the keys belong
    // to the line editor, and the edit refers to a card an undo could take
    // away.
    auto mayUndo = [this] {
        return !m_view->Editing() && (!m_portState || m_portState().transferMode == Transfer::Idle);
    };
    m_commands.Register(cmd::Undo, { [this] { m_app.Document().Undo(); },
                                     [this, mayUndo] { return m_app.Document().CanUndo() && mayUndo(); }, {} });
    m_commands.Register(cmd::Redo, { [this] { m_app.Document().Redo(); },
                                     [this, mayUndo] { return m_app.Document().CanRedo() && mayUndo(); }, {} });
    // A command whose flow this build does not carry.
    m_commands.SetUnknownCommandHandler([this](unsigned) {
        m_app.Ui().Message(Text(msg::FunctionNotAvailable), MsgButtons::Ok, MsgIcon::Information);
    });
    m_commands.SetAfterDispatch([this] {
        UpdateCommandUI();
        RefreshStatusPanes();
        ShowReady();
    });
}

QPoint CMainFrame::OnNearestScreen(const QRect& window)
{
    // A stored position may come from a screen that is gone, or be a value
    // the settings store could not hold (99999 reads back as -31073): a
    // window that would lie on no screen goes to the nearest one, whole.
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return window.topLeft();
    for (QScreen* screen : screens)
        if (screen->availableGeometry().intersects(window))
            return window.topLeft();
    auto distance = [&window](const QRect& area) {
        const QPoint c = window.center();
        const int dx = std::max({ area.left() - c.x(), 0, c.x() - area.right() });
        const int dy = std::max({ area.top() - c.y(), 0, c.y() - area.bottom() });
        return static_cast<long long>(dx) * dx + static_cast<long long>(dy) * dy;
    };
    QRect nearest = screens.front()->availableGeometry();
    for (QScreen* screen : screens)
        if (distance(screen->availableGeometry()) < distance(nearest))
            nearest = screen->availableGeometry();
    const int x = std::clamp(window.left(), nearest.left(), std::max(nearest.left(), nearest.right() - window.width() + 1));
    const int y = std::clamp(window.top(), nearest.top(), std::max(nearest.top(), nearest.bottom() - window.height() + 1));
    return { x, y };
}

void CMainFrame::ShowReady()
{
    // A command chosen from a menu or a button leaves its prompt behind when
    // the pointer never comes back to say it left (a help page or dialog
    // opened over it): once the command has run, the pane says "Bereit".
    statusBar()->showMessage(ToQt(Text(msg::Ready)));
}

void CMainFrame::ShowHelp()
{
    // The manual at the main window's section, in the current language.
    velkaro::ShowHelp(QString::fromLatin1(help::Start));
}

void CMainFrame::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
        m_normalPos = pos();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // The restored position, also when the window is closed minimised.
    QPoint pos = (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) ? m_normalPos : this->pos();
    m_app.Settings().SetWindowPositionX(pos.x());
    m_app.Settings().SetWindowPositionY(pos.y());
    QMainWindow::closeEvent(event);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        // A key event carries the modifier state from before the key: the
        // release of Caps Lock shows what its press did, and the panes catch
        // up with a lock switched off by the next key.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (auto locks = LockStatesFromNative(key->nativeModifiers(), QGuiApplication::platformName()))
            SetLockStates(*locks);
    }
    return QMainWindow::eventFilter(watched, event);
}

std::optional<LockStates> LockStatesFromNative(std::uint32_t nativeModifiers, const QString& platformName)
{
    if (platformName != QLatin1String("xcb") && !platformName.startsWith(QLatin1String("wayland")))
        return std::nullopt;
    constexpr std::uint32_t kLockMask = 1u << 1;
    constexpr std::uint32_t kMod2Mask = 1u << 4;
    return LockStates { (nativeModifiers & kLockMask) != 0, (nativeModifiers & kMod2Mask) != 0 };
}

}  // namespace velkaro
