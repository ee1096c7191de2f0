#include "PlainMainWindow.h"

#include "app/Application.h"
#include "text/Language.h"
#include "settings/QtText.h"
#include "settings/Settings.h"
#include "text/Menus.h"
#include "text/MessageIds.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

namespace velkaro {

namespace {

const char* const kCommandProperty = "velkaroCommand";

bool IsLanguageCommand(unsigned id)
{
    return id == cmd::LanguageGerman || id == cmd::LanguageEnglish || id == cmd::LanguageFrench;
}

int LanguageOfCommand(unsigned id)
{
    return id == cmd::LanguageEnglish ? kLangEnglish : id == cmd::LanguageFrench ? kLangFrench : kLangGerman;
}

}  // namespace

CPlainMainWindow::CPlainMainWindow(CPcxApp& app)
    : m_app(app)
{
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(QString::fromLatin1(kApplicationName));
    // No sizing border: the telephone picture has one size.
    setFixedSize(kWidth, kHeight);
    int x = m_app.Settings().WindowPositionX();
    int y = m_app.Settings().WindowPositionY();
    move(x, y < 0 ? 0 : y);

    auto* body = new QLabel(this);
    body->setAlignment(Qt::AlignCenter);
    body->setAutoFillBackground(true);
    setCentralWidget(body);

    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("pane32769"));
    m_count->setMinimumWidth(100);
    statusBar()->addPermanentWidget(m_count);
    statusBar()->setSizeGripEnabled(false);
    // The message pane shows "Ready" whenever no prompt is shown.
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            statusBar()->showMessage(ToQt(Text(msg::Ready)));
    });

    m_viewHandle = m_app.Document().AddView([this](UpdateHint, CCardList*) { RefreshStatus(); });
    connect(&m_app, &CPcxApp::languageChanged, this, [this](int) {
        BuildMenu();
        RefreshStatus();
        statusBar()->showMessage(ToQt(Text(msg::Ready)));
    });
    BuildMenu();
    RefreshStatus();
}

CPlainMainWindow::~CPlainMainWindow()
{
    m_app.Document().RemoveView(m_viewHandle);
}

QString CPlainMainWindow::CardCountText() const
{
    return m_count->text();
}

QAction* CPlainMainWindow::CommandAction(unsigned id) const
{
    for (QAction* action : findChildren<QAction*>())
        if (action->property(kCommandProperty).toUInt() == id)
            return action;
    return nullptr;
}

void CPlainMainWindow::BuildMenu()
{
    menuBar()->clear();
    for (QAction* old : findChildren<QAction*>())
        if (old->property(kCommandProperty).isValid())
            old->deleteLater();
    auto* languages = new QActionGroup(menuBar());

    auto addItems = [&](QMenu* menu, const std::vector<MenuItem>& items, auto& self) -> void {
        for (const MenuItem& item : items) {
            if (item.IsSeparator()) {
                menu->addSeparator();
                continue;
            }
            if (item.IsPopup()) {
                self(menu->addMenu(ToQt(item.text)), item.items, self);
                continue;
            }
            QAction* action = menu->addAction(ToQt(item.text));
            action->setProperty(kCommandProperty, item.id);
            const std::string prompt = Text(item.id);
            action->setStatusTip(ToQt(StatusPrompt(prompt)));
            action->setToolTip(ToQt(ToolTipText(prompt)));
            const unsigned id = item.id;
            if (IsLanguageCommand(id)) {
                action->setCheckable(true);
                action->setChecked(LanguageOfCommand(id) == m_app.Language());
                languages->addAction(action);
            }
            // The rest of the commands come with the card view.
            action->setEnabled(IsLanguageCommand(id) || id == cmd::About || id == cmd::Exit);
            connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        }
    };
    for (const MenuItem& popup : MainMenu(m_app.Language())) {
        QMenu* menu = menuBar()->addMenu(ToQt(popup.text));
        addItems(menu, popup.items, addItems);
    }
}

void CPlainMainWindow::RefreshStatus()
{
    m_count->setText(ToQt(FormatText(msg::CardCountPane, static_cast<int>(m_app.Document().Cards().Count()))));
}

void CPlainMainWindow::OnCommand(unsigned id)
{
    if (IsLanguageCommand(id))
        m_app.SetLanguage(LanguageOfCommand(id), false);
    else if (id == cmd::About)
        m_app.ShowAbout();
    else if (id == cmd::Exit)
        close();
}

void CPlainMainWindow::closeEvent(QCloseEvent* event)
{
    // The restored position, also when the window is closed minimised.
    QPoint pos = this->pos();
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))
        pos = normalGeometry().topLeft() - (geometry().topLeft() - this->pos());
    m_app.Settings().SetWindowPositionX(pos.x());
    m_app.Settings().SetWindowPositionY(pos.y());
    QMainWindow::closeEvent(event);
}

}  // namespace velkaro
