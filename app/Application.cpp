#include "Application.h"

#include "app/AboutDialog.h"
#include "app/Demo.h"
#include "settings/Colors.h"
#include "text/Language.h"
#include "app/MainFrame.h"
#include "app/QtUserInterface.h"
#include "settings/QtText.h"
#include "settings/Settings.h"
#include "settings/WorkingFileLock.h"
#include "app/FileCommands.h"
#include "app/RunningCopy.h"
#include "device/ReceptionBlocked.h"
#include "exchange/Contacts.h"
#include "text/MessageIds.h"
#include "view/ViewShared.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMainWindow>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTimer>
#include <QTranslator>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velkaro {

namespace {
// The self-pipe of the exit signals: the handler only writes a byte, the
// event loop reads it and ends the program with its usual writes.
int g_signalPipe[2] = { -1, -1 };

extern "C" void OnExitSignal(int signal)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

// 0 when the folder exists (made if need be) and may be written, else the
// reason as an errno value. A file in the folder's place, even one that
// may be written and run, holds no working file: that is ENOTDIR, as for a
// folder that cannot be made below a file.
int FolderError(const QString& dir)
{
    QDir().mkpath(dir);
    const QByteArray name = QFile::encodeName(dir);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return errno ? errno : ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ENOTDIR;
    if (::access(name.constData(), W_OK | X_OK) != 0)
        return errno ? errno : EACCES;
    return 0;
}

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

CPcxApp::CPcxApp(CSettings& settings)
    : m_settings(settings)
{
    // Every window and dialog carries the program's icon; task bars and
    // docks find the installed desktop entry by this name.
    QApplication::setWindowIcon(ProgramIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.velkaro.Desktop"));
    m_qtUi = std::make_unique<QtUserInterface>([this]() -> QWidget* { return m_frame.get(); });
    m_ui = m_qtUi.get();
}

CPcxApp::~CPcxApp()
{
    if (m_splash)
        delete m_splash.data();
    m_frame.reset();
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
    SetLanguageOffset(m_settings.HasLanguage() ? m_settings.Language() : LanguageOfLocale(kLangGerman));
    InstallQtTranslation(LanguageOffset());
    LoadColors();
    m_portNumber = m_settings.PortCOM();
    m_canSpeedChange = m_settings.CanSpeedChange();
    m_structureActive = m_settings.StructureActive();
    SetContactNameOrder(ParseNameOrder(m_settings.NameOrder()).value_or(NameOrder::Family));

    auto* splash = new CAboutDlg(true, m_settings);
    m_splash = splash;
    splash->show();

    m_dataDir = ChooseDataDirectory();
    m_workingFile = WorkingFileIn(m_dataDir);

    // A second copy on the same working file would write its cards over
    // the first one's: it hands its request to the first one, or tells the
    // user who holds the file, and ends without writing anything.
    m_lock = std::make_unique<CWorkingFileLock>(QFile::encodeName(m_workingFile).toStdString(), kApplicationName);
    const QString lockPath = QFile::decodeName(m_lock->LockPath().c_str());
    if (!*m_lock) {
        m_refused = true;
        m_shutDown = true;
        if (m_splash)
            delete m_splash.data();
        // A copy of this program comes forward with the request instead;
        // anything else holding the file (a velkaro command, a copy that
        // does not answer) is named to the user.
        m_handedOver = CRunningCopy::HandOver(lockPath, m_startBackup);
        if (!m_handedOver) {
            // A backup opened from the file manager is not dropped without
            // a word.
            std::string text = m_lock->Message();
            if (!m_startBackup.isEmpty())
                text += "\n\n" + FormatText(msg::BackupNotHandedOver, FromQt(m_startBackup).c_str());
            m_ui->Message(text, MsgButtons::Ok, MsgIcon::Error);
        }
        m_lock.reset();
        return false;
    }
    m_runningCopy = std::make_unique<CRunningCopy>();
    if (m_runningCopy->Listen(lockPath))
        connect(m_runningCopy.get(), &CRunningCopy::requested, this, &CPcxApp::OnLaterStart);
    // The end of the desktop login: the session may end the program
    // without a further word, so everything is written now.
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(gui, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { SaveExitState(); });

    // Save failures during the run are reported through the same interface.
    m_doc.SetUserInterface(m_ui);
    const bool loaded = m_doc.OpenWorkingFile(QFile::encodeName(m_workingFile).toStdString(), *m_ui);

    m_frame = std::make_unique<CMainFrame>(*this);
    SetLanguage(LanguageOffset(), true);

    if (m_splash) {
        m_splash->raise();
        m_splash->activateWindow();
    }
    m_frame->show();
    if (m_splash) {
        m_splash->raise();
        // The greeting held the keyboard; when it goes, the keys belong to
        // the main window, also where no window manager passes them on.
        connect(m_splash.data(), &QDialog::finished, this, [this] {
            if (m_frame && !QApplication::activeModalWidget())
                m_frame->activateWindow();
            ShowDemoHint(m_frame.get());
        });
    }

    if (m_portStarter)
        m_portStarter(*this);
    if (!m_startBackup.isEmpty()) {
        // Once the main window shows and the event loop runs.
        m_pendingBackups << m_startBackup;
        m_offerScheduled = true;
        QTimer::singleShot(0, this, &CPcxApp::OfferPendingBackups);
    }
    return loaded;
}

void CPcxApp::OnLaterStart(const QString& backup)
{
    if (m_shutDown)
        return;
    // Before the main window stands (a start-up message is open) the
    // request waits with the backup.
    if (m_frame) {
        m_frame->setWindowState(m_frame->windowState() & ~Qt::WindowMinimized);
        m_frame->show();
        m_frame->raise();
        m_frame->activateWindow();
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
    }
    if (backup.isEmpty())
        return;
    m_pendingBackups << backup;
    if (!m_offerScheduled) {
        m_offerScheduled = true;
        QTimer::singleShot(0, this, &CPcxApp::OfferPendingBackups);
    }
}

void CPcxApp::OfferPendingBackups()
{
    m_offerScheduled = false;
    if (m_shutDown || m_pendingBackups.isEmpty())
        return;
    // Not on top of an open window or a running transfer: the backup waits
    // until the user is done with them.
    if (!m_frame || ReceptionBlocked != 0 || QApplication::activeModalWidget()) {
        m_offerScheduled = true;
        QTimer::singleShot(500, this, &CPcxApp::OfferPendingBackups);
        return;
    }
    const QString path = m_pendingBackups.takeFirst();
    LoadBackupFileCommand(m_doc, *m_ui, QFile::encodeName(path).toStdString());
    if (!m_pendingBackups.isEmpty()) {
        m_offerScheduled = true;
        QTimer::singleShot(0, this, &CPcxApp::OfferPendingBackups);
    }
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
    WriteSettings();
    m_frame.reset();
    m_runningCopy.reset();
    m_lock.reset();
}

void CPcxApp::WriteSettings()
{
    SaveColors();
    m_settings.SetLanguage(LanguageOffset());
    m_settings.SetPortCOM(m_portNumber);
    m_settings.SetCanSpeedChange(m_canSpeedChange);
    m_settings.SetStructureActive(m_structureActive);
    m_settings.Flush();
}

void CPcxApp::SaveExitState()
{
    if (!m_started || m_shutDown)
        return;
    // The frame stores its position in its close handler; the event on its
    // own does not close the window.
    if (m_frame && m_frame->isVisible()) {
        QCloseEvent event;
        QCoreApplication::sendEvent(m_frame.get(), &event);
    }
    m_doc.AutoSave(true);
    WriteSettings();
}

void CPcxApp::RequestExit()
{
    m_exitRequested = true;
    if (m_frame && m_frame->isVisible())
        m_frame->close();
    // Ends the main loop and the loops of open modal windows, which then
    // return as if cancelled.
    QCoreApplication::exit(0);
}

void CPcxApp::EndOnSignals()
{
    if (g_signalPipe[0] >= 0)
        return;
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_signalPipe[0] = g_signalPipe[1] = -1;
        return;
    }
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char buffer[16];
        while (::read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        RequestExit();
    });
    struct sigaction action {};
    action.sa_handler = OnExitSignal;
    sigemptyset(&action.sa_mask);
    // Restarted calls keep the rest of the program unaware; after the first
    // signal the default comes back, so a second one ends a stuck program.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int signal : { SIGTERM, SIGINT, SIGHUP })
        ::sigaction(signal, &action, nullptr);
}

int CPcxApp::Run()
{
    Start();
    if (m_refused)
        return m_handedOver ? 0 : 1;
    // An end asked for while a start-up message was open (the main loop did
    // not run yet, so it could not be left): end now, as File > Exit does.
    int result = 0;
    if (m_exitRequested)
        RequestExit();
    else
        result = QApplication::exec();
    Shutdown();
    return result;
}

QString CPcxApp::ChooseDataDirectory()
{
    const QString dir = m_settings.DataDirectoryPath();
    const int error = FolderError(dir);
    if (error == 0)
        return dir;
    // A folder the user cannot write (for example one an administrator set
    // for everyone, or another user's) is not used silently: the user is
    // told and the cards stay in the user's own folder for this run.
    const QString own = CSettings::DefaultDataDirectoryPath();
    if (own == dir || FolderError(own) != 0)
        return dir;  // the saves report their failure
    m_ui->Message(FormatText(msg::DataFolderNotWritable, FromQt(dir).c_str(),
                             FromQt(QString::fromLocal8Bit(std::strerror(error))).c_str(), FromQt(own).c_str()),
                  MsgButtons::Ok, MsgIcon::Warning);
    return own;
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
