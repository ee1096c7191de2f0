#pragma once

// The application object: starts the program (settings, language, colours,
// splash window, data directory, working file, main window) and ends it
// (working file and settings written). It owns the run-time language and the
// one document.

#include "model/Document.h"
#include "model/UserInterface.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QMainWindow;

namespace velkaro {

class CAboutDlg;
class CRunningCopy;
class CSettings;
class CWorkingFileLock;
class QtUserInterface;

inline constexpr const char* kApplicationName = "Velkaro Desktop";

class CPcxApp : public QObject {
    Q_OBJECT
public:
    explicit CPcxApp(CSettings& settings);
    ~CPcxApp() override;

    // The user interface of the command flows; by default message boxes and
    // file dialogs. Tests hand in a scripted one before Start.
    void SetUserInterface(IUserInterface* ui);
    IUserInterface& Ui();

    // Start-up; false when the working file could not be loaded (the run
    // goes on with an empty document that never writes over it) or when
    // another running program holds it (Refused()).
    bool Start();
    // Shut-down: closes the splash and the main window (which stores its
    // position), writes the working file and the settings. Runs once.
    void Shutdown();
    // Start, the event loop, Shutdown; without the event loop when another
    // program holds the working file: 0 when the copy of this program that
    // holds it took over this start's request, else 1.
    int Run();

    // A backup (absolute path) to offer for loading once the main window
    // shows, as File > Load backup offers it; given before Start. When
    // another copy of this program runs on the working file, it is asked to
    // offer it instead.
    void OfferBackupAtStart(const QString& path) { m_startBackup = path; }

    // True when Start found the working file held by another running
    // program: the user was told (or that program, a copy of this one,
    // came forward with this start's request), nothing was loaded, and
    // nothing of this run is written (neither the working file nor the
    // settings).
    bool Refused() const { return m_refused; }
    bool HandedOver() const { return m_handedOver; }
    // Ends the program as File > Exit does: the main window closes (and
    // stores its position), the event loop and any modal window's loop end,
    // and Run writes the working file and the settings.
    void RequestExit();
    // SIGTERM, SIGINT and SIGHUP (a shutdown, Ctrl+C, a closed terminal)
    // call RequestExit from the event loop; a second signal ends at once.
    void EndOnSignals();
    // The writes of the exit without ending: window position, working file,
    // colours and settings. For the end of the desktop login, when the
    // session may end the program without further notice.
    void SaveExitState();

    // Language offset 0, 256 or 512. Not forced, the same offset does nothing.
    void SetLanguage(int offset, bool forced);
    int Language() const;
    // The help file: the program's path with ".HLP", the last character of
    // the base name 'P' (German, English) or 'F' (French).
    QString HelpFilePath() const { return m_helpFile; }
    static QString HelpFilePathFor(const QString& programPath, int offset);

    // The About command: the About window, modal.
    void ShowAbout();
    // The splash window while it shows, else nullptr.
    CAboutDlg* Splash() const;
    bool SplashShowing() const;

    CPcxDoc& Document() { return m_doc; }
    CSettings& Settings() { return m_settings; }
    QMainWindow* MainFrame() const { return m_frame.get(); }
    // The data directory and the working file as determined at start-up
    // (the document's working path is emptied when the file could not be
    // loaded; this one stays).
    const QString& DataDirectory() const { return m_dataDir; }
    const QString& WorkingFile() const { return m_workingFile; }

    // Values that the serial part takes over: read at start, written at exit.
    int PortNumber() const { return m_portNumber; }
    void SetPortNumber(int port) { m_portNumber = port; }
    int CanSpeedChange() const { return m_canSpeedChange; }
    void SetCanSpeedChange(int on) { m_canSpeedChange = on; }
    int StructureActive() const { return m_structureActive; }
    void SetStructureActive(int on) { m_structureActive = on; }

    // Called at the end of start-up, once the main window shows: opens the
    // serial port when one is chosen.
    void SetPortStarter(std::function<void(CPcxApp&)> starter) { m_portStarter = std::move(starter); }

signals:
    // After every change of the language (and once, forced, at start-up):
    // the frame replaces its menu and redraws.
    void languageChanged(int offset);

private:
    CSettings& m_settings;
    CPcxDoc m_doc;
    std::unique_ptr<QtUserInterface> m_qtUi;
    IUserInterface* m_ui = nullptr;
    std::unique_ptr<QMainWindow> m_frame;
    QPointer<CAboutDlg> m_splash;
    std::function<void(CPcxApp&)> m_portStarter;
    QString m_dataDir;
    QString m_workingFile;
    QString m_helpFile;
    int m_portNumber = 0;
    int m_canSpeedChange = 1;
    int m_structureActive = 1;
    std::unique_ptr<CWorkingFileLock> m_lock;
    bool m_started = false;
    bool m_shutDown = false;
    bool m_refused = false;
    bool m_handedOver = false;
    bool m_exitRequested = false;  // by a signal or the end of the login

    QString ChooseDataDirectory();
    void WriteSettings();
    // A later start asked for this copy: to the front, and the backup it
    // gave offered once no window or transfer is busy.
    void OnLaterStart(const QString& backup);
    void OfferPendingBackups();

    QString m_startBackup;
    std::unique_ptr<CRunningCopy> m_runningCopy;
    QStringList m_pendingBackups;
    bool m_offerScheduled = false;
};

}  // namespace velkaro
