#include "Application.h"

#include "app/AboutDialog.h"
#include "app/Colors.h"
#include "app/Language.h"
#include "app/MainFrame.h"
#include "app/QtUserInterface.h"
#include "app/Settings.h"
#include "device/ReceptionBlocked.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMainWindow>
#include <QTranslator>

namespace velkaro {

namespace {
CPcxApp* g_app = nullptr;

// Qt's own texts (the buttons of the message boxes, the file and print
// dialogs) follow the program's language. Without Qt's translation files
// they stay English; nothing else depends on them.
void InstallQtTranslation(int offset)
{
    static QTranslator* installed = nullptr;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    if (offset == kLangEnglish || !QCoreApplication::instance())
        return;
    auto translator = std::make_unique<QTranslator>();
    const QString name = offset == kLangFrench ? QStringLiteral("qtbase_fr") : QStringLiteral("qtbase_de");
    if (!translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return;
    installed = translator.release();
    QCoreApplication::installTranslator(installed);
}
}  // namespace

CPcxApp::MainFrameFactory CPcxApp::DefaultMainFrame()
{
    return [](CPcxApp& app) -> std::unique_ptr<QMainWindow> { return std::make_unique<CMainFrame>(app); };
}

CPcxApp::CPcxApp(CSettings& settings, MainFrameFactory factory)
    : m_settings(settings)
    , m_factory(std::move(factory))
{
    m_qtUi = std::make_unique<QtUserInterface>([this]() -> QWidget* { return m_frame.get(); });
    m_ui = m_qtUi.get();
    g_app = this;
}

CPcxApp::~CPcxApp()
{
    if (m_splash)
        delete m_splash.data();
    m_frame.reset();
    if (g_app == this)
        g_app = nullptr;
}

CPcxApp* CPcxApp::Instance()
{
    return g_app;
}

void CPcxApp::SetUserInterface(IUserInterface* ui)
{
    m_ui = ui ? ui : m_qtUi.get();
}

IUserInterface& CPcxApp::Ui()
{
    return *m_ui;
}

int CPcxApp::Language() const
{
    return LanguageOffset();
}

QString CPcxApp::HelpFilePathFor(const QString& programPath, int offset)
{
    const QFileInfo info(programPath);
    QString base = info.completeBaseName();
    if (!base.isEmpty())
        base[base.size() - 1] = QChar(offset == kLangFrench ? u'F' : u'P');
    const QString dir = info.path();
    return (dir.isEmpty() || dir == QStringLiteral(".") ? QString() : dir + u'/') + base + QStringLiteral(".HLP");
}

void CPcxApp::SetLanguage(int offset, bool forced)
{
    if (!forced && offset == LanguageOffset())
        return;
    SetLanguageOffset(offset);
    InstallQtTranslation(LanguageOffset());
    m_helpFile = HelpFilePathFor(QCoreApplication::applicationFilePath(), LanguageOffset());
    emit languageChanged(LanguageOffset());
}

bool CPcxApp::Start()
{
    if (m_started)
        return !m_doc.WorkingPath().empty();
    m_started = true;

    // The language is known before any window; menus follow with the frame.
    SetLanguageOffset(m_settings.Language());
    InstallQtTranslation(LanguageOffset());
    LoadColors();
    m_portNumber = m_settings.PortCOM();
    m_canSpeedChange = m_settings.CanSpeedChange();
    m_structureActive = m_settings.StructureActive();

    auto* splash = new CAboutDlg(true, m_settings);
    m_splash = splash;
    splash->show();

    m_dataDir = m_settings.DataDirectoryPath();
    m_workingFile = m_dataDir + (m_dataDir.endsWith(u'/') ? QString() : QStringLiteral("/")) + QString::fromLatin1(kWorkingFileName);

    // Save failures during the run are reported through the same interface.
    m_doc.SetUserInterface(m_ui);
    const bool loaded = m_doc.OpenWorkingFile(QFile::encodeName(m_workingFile).toStdString(), *m_ui);

    m_frame = m_factory(*this);
    SetLanguage(LanguageOffset(), true);

    if (m_splash) {
        m_splash->raise();
        m_splash->activateWindow();
    }
    m_frame->show();
    if (m_splash)
        m_splash->raise();

    if (m_portStarter)
        m_portStarter(*this);
    return loaded;
}

void CPcxApp::Shutdown()
{
    if (m_shutDown || !m_started)
        return;
    m_shutDown = true;
    if (m_splash)
        delete m_splash.data();
    // Closing the frame stores its position.
    if (m_frame && m_frame->isVisible())
        m_frame->close();
    m_doc.AutoSave(true);

    SaveColors();
    m_settings.SetLanguage(LanguageOffset());
    m_settings.SetPortCOM(m_portNumber);
    m_settings.SetCanSpeedChange(m_canSpeedChange);
    m_settings.SetStructureActive(m_structureActive);
    m_settings.Flush();
    m_frame.reset();
}

int CPcxApp::Run()
{
    Start();
    const int result = QApplication::exec();
    Shutdown();
    return result;
}

CAboutDlg* CPcxApp::Splash() const
{
    return m_splash.data();
}

bool CPcxApp::SplashShowing() const
{
    return !m_splash.isNull();
}

void CPcxApp::ShowAbout()
{
    // A transfer the telephone starts meanwhile is read and thrown away.
    ReceptionBlock block;
    CAboutDlg about(false, m_settings, m_frame.get());
    about.exec();
}

}  // namespace velkaro
