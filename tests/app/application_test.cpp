#include "app/AboutDialog.h"
#include "app/Application.h"
#include "text/Language.h"
#include "app/MainFrame.h"
#include "settings/QtText.h"
#include "app/QtUserInterface.h"
#include "app/RunningCopy.h"
#include "model/Archive.h"
#include "model/CardList.h"
#include "settings/Settings.h"
#include "settings/WorkingFileLock.h"
#include "text/MessageIds.h"
#include "support/Files.h"
#include "support/ScratchConfig.h"
#include "support/ScriptedUi.h"
#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace velkaro;

namespace {

using test::ReadAll;
using test::WriteAll;

const std::string kMagic("\x12\x0C\x04\x21\x19\x02\x61\x00", 8);

// One card: name Ab, number 1.
const std::string kOneCard = kMagic + std::string("\x0C\x01\x00\xFF\xFF\x02\x00\x06\x00", 9) + "CKarte"
    + std::string("\x00\x00\x02\x00\x02", 5) + "Ab" + std::string("\x01", 1) + "1";

class ApplicationTest : public test::ScratchConfigTest {
protected:
    ApplicationTest()
        : ScratchConfigTest("app")
    {
    }
    static void SetUpTestSuite() { test::StartOffscreenApplication(); }

    void SetUp() override
    {
        ScratchConfigTest::SetUp();
        dataDir = root / "data" / "Velkaro";
        workingFile = dataDir / "Velkaro_Desktop.itx";
        // The machine-wide data directory, pointing at a folder not made yet.
        QSettings sys(QString::fromStdString(SystemIni().string()), QSettings::IniFormat);
        sys.setValue("Settings/DataDirectory", QString::fromStdString(dataDir.string()));
    }

    void TearDown() override
    {
        SetLanguageOffset(kLangGerman);
        ScratchConfigTest::TearDown();
    }

    static CMainFrame* Frame(CPcxApp& app) { return qobject_cast<CMainFrame*>(app.MainFrame()); }

    fs::path dataDir, workingFile;
    test::ScriptedUi ui;
};

TEST_F(ApplicationTest, StartsWithoutAWorkingFileAndWritesItAtExit)
{
    CSettings settings;
    {
        CPcxApp app(settings);
        app.SetUserInterface(&ui);
        EXPECT_TRUE(app.Start());
        EXPECT_TRUE(ui.shown.empty());
        EXPECT_TRUE(fs::is_directory(dataDir));  // created for the working file
        EXPECT_FALSE(fs::exists(workingFile));
        EXPECT_EQ(app.Document().WorkingPath(), workingFile.string());
        EXPECT_TRUE(app.Document().Cards().IsEmpty());

        // The splash shows and goes after four seconds.
        ASSERT_TRUE(app.SplashShowing());
        EXPECT_TRUE(app.Splash()->isVisible());
        bool timed = false;
        for (QTimer* t : app.Splash()->findChildren<QTimer*>())
            timed |= t->isSingleShot() && t->isActive() && t->interval() == CAboutDlg::kSplashMilliseconds;
        EXPECT_TRUE(timed);
        EXPECT_EQ(app.Splash()->findChild<QLabel*>("ctl1030")->text(), "Version " VELKARO_VERSION);

        CMainFrame* frame = Frame(app);
        ASSERT_NE(frame, nullptr);
        EXPECT_TRUE(frame->isVisible());
        EXPECT_EQ(frame->windowTitle(), "Velkaro Desktop");
        EXPECT_EQ(frame->size(), QSize(650, 450));
        EXPECT_EQ(frame->pos(), QPoint(40, 40));
        EXPECT_EQ(frame->CardCountText(), "0 Karten");
        EXPECT_EQ(frame->statusBar()->currentMessage(), "Bereit");

        app.Shutdown();
        EXPECT_FALSE(app.SplashShowing());
    }
    // An empty collection: the header and a count of 0.
    EXPECT_EQ(ReadAll(workingFile), kMagic + std::string("\x0C\x00\x00", 3));
    CSettings after;
    EXPECT_EQ(after.Language(), 0);
    EXPECT_EQ(after.PortCOM(), 99);
    EXPECT_EQ(after.CanSpeedChange(), 1);
    EXPECT_EQ(after.StructureActive(), 1);
    EXPECT_EQ(after.WindowPositionX(kWindowPositionUnknown), 40);
    EXPECT_EQ(after.WindowPositionY(kWindowPositionUnknown), 40);
}

TEST_F(ApplicationTest, DamagedWorkingFileIsKeptAsideAndTheRunSavesAsUsual)
{
    const std::string damaged = kMagic + std::string("\x0C\x05\x00\xFF\xFF\x02\x00", 7);  // cut short
    const std::string other = "PK\x03\x04 not a card file";
    for (const std::string& content : { damaged, other }) {
        fs::remove_all(dataDir);
        WriteAll(workingFile, content);
        ui.shown.clear();
        CSettings settings;
        {
            CPcxApp app(settings);
            app.SetUserInterface(&ui);
            EXPECT_TRUE(app.Start());
            ASSERT_EQ(ui.shown.size(), 1u);
            EXPECT_NE(ui.shown[0].text.find(".damaged-"), std::string::npos) << ui.shown[0].text;
            EXPECT_EQ(ui.shown[0].buttons, MsgButtons::Ok);
            EXPECT_EQ(app.Document().WorkingPath(), workingFile.string());
            EXPECT_TRUE(app.Document().Cards().IsEmpty());
            EXPECT_EQ(Frame(app)->CardCountText(), "0 Karten");
            app.Shutdown();
        }
        // The damaged file beside the fresh one, as it was.
        int aside = 0;
        for (const auto& entry : fs::directory_iterator(dataDir)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("Velkaro_Desktop.itx.damaged-", 0) == 0) {
                ++aside;
                EXPECT_EQ(ReadAll(entry.path()), content);
            }
        }
        EXPECT_EQ(aside, 1);
        EXPECT_EQ(ReadAll(workingFile), kMagic + std::string("\x0C\x00\x00", 3));
        EXPECT_EQ(ui.shown.size(), 1u);
    }
}

TEST_F(ApplicationTest, LoadsTheWorkingFileInTheStoredLanguage)
{
    WriteAll(workingFile, kOneCard);
    CSettings settings;
    settings.SetLanguage(kLangEnglish);
    settings.SetPortCOM(3);
    settings.SetWindowPositionX(100);
    settings.SetWindowPositionY(-20);
    settings.Flush();
    {
        CPcxApp app(settings);
        app.SetUserInterface(&ui);
        ASSERT_TRUE(app.Start());
        EXPECT_EQ(LanguageOffset(), kLangEnglish);
        EXPECT_EQ(app.PortNumber(), 3);
        ASSERT_EQ(app.Document().Cards().Count(), 1);
        CMainFrame* frame = Frame(app);
        EXPECT_EQ(frame->CardCountText(), "1 Cards");
        EXPECT_EQ(frame->statusBar()->currentMessage(), "Ready");
        EXPECT_EQ(frame->pos(), QPoint(100, 0));  // a negative top becomes 0

        // The language commands switch at once.
        QAction* french = frame->CommandAction(32823);
        ASSERT_NE(french, nullptr);
        EXPECT_TRUE(french->isEnabled());
        french->trigger();
        EXPECT_EQ(LanguageOffset(), kLangFrench);
        frame = Frame(app);
        EXPECT_EQ(frame->CardCountText(), "1 Fiches");
        EXPECT_EQ(frame->statusBar()->currentMessage(), ToQt("Pr\xEAt"));
        EXPECT_TRUE(frame->CommandAction(32823)->isChecked());
        EXPECT_TRUE(app.HelpFilePath().endsWith("F.HLP"));
        app.SetPortNumber(4);
        app.Shutdown();
    }
    EXPECT_EQ(ReadAll(workingFile), kOneCard);  // the same cards, written back
    CSettings after;
    EXPECT_EQ(after.Language(), kLangFrench);
    EXPECT_EQ(after.PortCOM(), 4);
}

TEST_F(ApplicationTest, SecondCopyOnTheSameWorkingFileTellsWhoHoldsItAndWritesNothing)
{
    WriteAll(workingFile, kOneCard);
    CWorkingFileLock first(workingFile.string(), "velkaro");
    ASSERT_TRUE(first);
    CSettings settings;
    {
        CPcxApp app(settings);
        app.SetUserInterface(&ui);
        EXPECT_FALSE(app.Start());
        EXPECT_TRUE(app.Refused());
        ASSERT_EQ(ui.shown.size(), 1u);
        const std::string& text = ui.shown[0].text;
        EXPECT_EQ(text.rfind("Die Arbeitsdatei " + workingFile.string() + " wird bereits", 0), 0u) << text;
        EXPECT_NE(text.find("Prozess " + std::to_string(::getpid())), std::string::npos) << text;
        EXPECT_EQ(app.MainFrame(), nullptr);
        EXPECT_FALSE(app.SplashShowing());
        app.Shutdown();
    }
    settings.Flush();
    EXPECT_EQ(ReadAll(workingFile), kOneCard);
    EXPECT_EQ(ReadAll(UserIni()).find("[Colors]"), std::string::npos);
}

// A later start's request reaches the copy that listens, whatever the
// backup's name; what is not such a request is dropped.
TEST_F(ApplicationTest, RunningCopyCarriesALaterStartsRequest)
{
    const QString lock = QString::fromStdString((dataDir / "Velkaro_Desktop.itx.lock").string());
    const QString other = QString::fromStdString((root / "andere" / "Velkaro_Desktop.itx.lock").string());
    EXPECT_NE(CRunningCopy::SocketPath(lock), CRunningCopy::SocketPath(other));
    // Nobody listens: no hand-over, and no long wait for it.
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(CRunningCopy::HandOver(lock, QString()));
    EXPECT_LT(clock.elapsed(), 2000);

    // A socket left by a copy that crashed is taken over.
    {
        QLocalServer left;
        ASSERT_TRUE(left.listen(CRunningCopy::SocketPath(lock)));
    }
    std::ofstream(CRunningCopy::SocketPath(lock).toStdString()) << "";
    CRunningCopy copy;
    ASSERT_TRUE(copy.Listen(lock));
    QStringList asked;
    QObject::connect(&copy, &CRunningCopy::requested, [&](const QString& backup) { asked << backup; });
    auto handOver = [&](const QString& backup) {
        std::future<bool> done = std::async(std::launch::async, [&] { return CRunningCopy::HandOver(lock, backup); });
        while (done.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return done.get();
    };
    const QString odd = QString::fromUtf8("/tmp/Sicherung 100% \xC3\xBC\nneu.vlx");
    EXPECT_TRUE(handOver(odd));
    EXPECT_TRUE(handOver(QString()));
    EXPECT_EQ(asked, QStringList({ odd, QString() }));

    for (const QByteArray& garbage : { QByteArray("GET / HTTP/1.0\n"), QByteArray("velkaro-desktop format c:\n"),
                                       QByteArray(20000, 'x') }) {
        QLocalSocket socket;
        socket.connectToServer(CRunningCopy::SocketPath(lock));
        ASSERT_TRUE(socket.waitForConnected(2000));
        socket.write(garbage);
        socket.flush();
        QElapsedTimer wait;
        wait.start();
        while (socket.state() == QLocalSocket::ConnectedState && wait.elapsed() < 2000) {
            QCoreApplication::processEvents();
            socket.waitForDisconnected(10);
        }
        EXPECT_NE(socket.state(), QLocalSocket::ConnectedState) << garbage.left(30).constData();
        EXPECT_EQ(socket.readAll(), QByteArray()) << garbage.left(30).constData();
    }
    EXPECT_EQ(asked.size(), 2);
}

// The copies meet only in a folder no other user can enter: another user
// who binds the name first would take over a later start's backup. Without
// such a folder there is no hand-over, and a later start says that its
// backup was not loaded.
TEST_F(ApplicationTest, RunningCopiesMeetOnlyInAPrivateFolder)
{
    struct Restored {
        std::string runtime = std::getenv("XDG_RUNTIME_DIR"), cache = std::getenv("XDG_CACHE_HOME");
        ~Restored()
        {
            setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
            setenv("XDG_CACHE_HOME", cache.c_str(), 1);
        }
    } restored;
    // Short: a socket's path has room for 107 bytes.
    const fs::path cache = fs::path(std::getenv("VELKARO_TEST_HOME")) / "pc";
    fs::remove_all(cache);
    setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    const fs::path own = cache / "velkaro-desktop";
    const QString lock = QString::fromStdString((dataDir / "Velkaro_Desktop.itx.lock").string());
    auto folderOf = [&] { return fs::path(CRunningCopy::SocketPath(lock).toStdString()).parent_path(); };
    auto runtimeAs = [&](fs::perms mode, uid_t owner) {
        fs::remove_all(root / "run");
        fs::create_directories(root / "run");
        fs::permissions(root / "run", mode, fs::perm_options::replace);
        if (owner != ::geteuid() && ::chown((root / "run").c_str(), owner, owner) != 0)
            return false;
        setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
        return true;
    };
    ASSERT_TRUE(runtimeAs(fs::perms::owner_all, ::geteuid()));
    EXPECT_EQ(folderOf(), root / "run");
    EXPECT_FALSE(fs::exists(own));
    ASSERT_TRUE(runtimeAs(fs::perms::all, ::geteuid()));
    EXPECT_EQ(folderOf(), own);
    EXPECT_EQ(fs::status(own).permissions(), fs::perms::owner_all);
    if (::geteuid() == 0 && runtimeAs(fs::perms::owner_all, 65534)) {
        EXPECT_EQ(folderOf(), own);  // another user's
    }
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(folderOf(), own);

    // The program's folder opened to others: no hand-over at all.
    fs::permissions(own, fs::perms::all, fs::perm_options::replace);
    EXPECT_EQ(CRunningCopy::SocketPath(lock), QString());
    CRunningCopy copy;
    EXPECT_FALSE(copy.Listen(lock));
    EXPECT_FALSE(CRunningCopy::HandOver(lock, QString()));

    fs::create_directories(dataDir);
    CWorkingFileLock first(workingFile.string(), "velkaro");
    ASSERT_TRUE(first);
    CSettings settings;
    {
        CPcxApp app(settings);
        app.SetUserInterface(&ui);
        app.OfferBackupAtStart(QStringLiteral("/tmp/Sicherung.vlx"));
        EXPECT_FALSE(app.Start());
        EXPECT_FALSE(app.HandedOver());
        ASSERT_EQ(ui.shown.size(), 1u);
        const std::string& text = ui.shown[0].text;
        EXPECT_EQ(text.rfind("Die Arbeitsdatei ", 0), 0u) << text;
        const std::string notLoaded = "\n\nDie Sicherheitskopie /tmp/Sicherung.vlx ist nicht geladen worden.";
        EXPECT_EQ(text.substr(text.size() - std::min(text.size(), notLoaded.size())), notLoaded) << text;
    }
}

// The program started again with a backup (a double-click in the file
// manager) while it runs: the running copy offers the backup, and the new
// one ends at once, without a word and with status 0.
TEST_F(ApplicationTest, ALaterStartIsHandedToTheRunningCopy)
{
    const std::string desktop = std::string(VELKARO_BINARY_DIR) + "/app/velkaro-desktop";
    if (::access(desktop.c_str(), X_OK) != 0)
        GTEST_SKIP() << "velkaro-desktop is not built";
    WriteAll(workingFile, kOneCard);
    const fs::path backup = root / "Sicherung vom Montag.vlx";
    {
        CCardList two;
        for (const char* name : { "Alt", "Berg" }) {
            auto card = std::make_unique<CKarte>();
            card->SetLine(0, name);
            two.InsertSorted(std::move(card), false);
        }
        ASSERT_TRUE(SaveCardFile(backup.string(), two));
    }
    CSettings settings;
    CPcxApp app(settings);
    app.SetUserInterface(&ui);
    ASSERT_TRUE(app.Start());
    ui.answers.push_back(MsgAnswer::Ok);

    QProcess later;
    later.setProcessChannelMode(QProcess::MergedChannels);
    later.start(QString::fromStdString(desktop), { QString::fromStdString(backup.string()) });
    ASSERT_TRUE(later.waitForStarted(10000));
    QElapsedTimer clock;
    clock.start();
    while ((later.state() != QProcess::NotRunning || app.Document().Cards().Count() != 2) && clock.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        later.waitForFinished(10);
    }
    EXPECT_EQ(later.state(), QProcess::NotRunning);
    EXPECT_EQ(later.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(later.exitCode(), 0);
    // Nothing but the test platform's notes about what it cannot do.
    for (const QByteArray& line : later.readAll().split('\n'))
        EXPECT_TRUE(line.trimmed().isEmpty() || line.startsWith("This plugin does not support")) << line.constData();
    ASSERT_EQ(app.Document().Cards().Count(), 2);
    EXPECT_EQ(app.Document().Cards().At(0)->Name(), "Alt");
    // As File > Load backup: the question before the stored card goes, then
    // what was loaded from where.
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].text, Text(msg::ConfirmReplaceCards));
    EXPECT_EQ(ui.shown[1].text, FormatText(msg::CardsLoadedFromFile, 2, backup.string().c_str()));
    app.Shutdown();
}

TEST_F(ApplicationTest, ALockLeftByAnEndedProgramDoesNotStopTheStart)
{
    // A lock file whose process is gone (a crash, a power cut).
    pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    fs::create_directories(dataDir);
    WriteAll(dataDir / "Velkaro_Desktop.itx.lock", std::to_string(child) + "\nvelkaro-desktop\n\n");
    CSettings settings;
    CPcxApp app(settings);
    app.SetUserInterface(&ui);
    EXPECT_TRUE(app.Start());
    EXPECT_FALSE(app.Refused());
    EXPECT_TRUE(ui.shown.empty()) << ui.LastText();
    app.Shutdown();
}

// Qt's lock leaves a removal lock when it is killed while it takes over a
// lock whose holder has ended; the next program to take the lock removes
// it, unless a running program holds it.
TEST_F(ApplicationTest, RemovalLockOfAKilledProgramGoesAtTheNextLock)
{
    fs::create_directories(dataDir);
    const QString removal = QString::fromStdString((dataDir / "Velkaro_Desktop.itx.lock.rmlock").string());
    pid_t child = ::fork();
    if (child == 0) {
        QLockFile held(removal);
        held.tryLock(0);
        ::raise(SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_TRUE(fs::exists(removal.toStdString()));
    {
        CWorkingFileLock lock(workingFile.string(), "velkaro");
        ASSERT_TRUE(lock);
        EXPECT_FALSE(fs::exists(removal.toStdString()));
    }
    QLockFile running(removal);
    ASSERT_TRUE(running.tryLock(0));
    CWorkingFileLock lock(workingFile.string(), "velkaro");
    ASSERT_TRUE(lock);
    EXPECT_TRUE(fs::exists(removal.toStdString()));
}

TEST_F(ApplicationTest, DataFolderThatCannotBeWrittenIsReportedAndTheUsersOwnIsUsed)
{
    // An administrator's value the user cannot write (even root cannot
    // make a folder below a file), or a file where the folder should be,
    // one that may be written and run, also behind a link.
    WriteAll(root / "blocker", "x");
    WriteAll(root / "program", "#!/bin/sh\n");
    fs::permissions(root / "program", fs::perms::owner_all, fs::perm_options::replace);
    fs::create_symlink(root / "program", root / "program-link");
    const fs::path own = fs::path(FromQt(CSettings::DefaultDataDirectoryPath()));
    for (const fs::path& blocked : { root / "blocker" / "Velkaro", root / "program", root / "program-link" }) {
        SCOPED_TRACE(blocked.string());
        {
            QSettings sys(QString::fromStdString(SystemIni().string()), QSettings::IniFormat);
            sys.setValue("Settings/DataDirectory", QString::fromStdString(blocked.string()));
        }
        fs::remove_all(own);
        ui.shown.clear();
        CSettings settings;
        {
            CPcxApp app(settings);
            app.SetUserInterface(&ui);
            EXPECT_TRUE(app.Start());
            ASSERT_EQ(ui.shown.size(), 1u);
            const std::string& text = ui.shown[0].text;
            EXPECT_EQ(text.rfind("Der Datenordner " + blocked.string() + " kann nicht beschrieben werden", 0), 0u) << text;
            EXPECT_NE(text.find(own.string()), std::string::npos) << text;
            EXPECT_EQ(app.Document().WorkingPath(), (own / "Velkaro_Desktop.itx").string());
            // The run in the user's own folder is protected as any other.
            EXPECT_TRUE(fs::exists(own / "Velkaro_Desktop.itx.lock"));
            app.Shutdown();
        }
        EXPECT_TRUE(fs::exists(own / "Velkaro_Desktop.itx"));
    }
    EXPECT_EQ(ReadAll(root / "program"), "#!/bin/sh\n");
}

TEST_F(ApplicationTest, SaveExitStateWritesEverythingWhileRunning)
{
    CSettings settings;
    CPcxApp app(settings);
    app.SetUserInterface(&ui);
    ASSERT_TRUE(app.Start());
    auto card = std::make_unique<CKarte>();
    card->SetLine(0, "Ab");
    card->SetLine(1, "1");
    app.Document().Cards().InsertSorted(std::move(card), false);
    app.SetLanguage(kLangEnglish, false);
    app.SaveExitState();
    EXPECT_TRUE(app.MainFrame()->isVisible());
    EXPECT_EQ(ReadAll(workingFile), kOneCard);
    const std::string ini = ReadAll(UserIni());
    EXPECT_NE(ini.find("Language=256"), std::string::npos) << ini;
    EXPECT_NE(ini.find("WindowPositionX=40"), std::string::npos) << ini;
    app.Shutdown();
}

TEST_F(ApplicationTest, ExitRequestEndsAnOpenModalWindowAndWritesAsFileExit)
{
    CSettings settings;
    {
        CPcxApp app(settings);
        app.SetUserInterface(&ui);
        ASSERT_TRUE(app.Start());
        app.MainFrame()->move(123, 77);
        bool boxEnded = false;
        int answer = -2;
        // A question is open when the request comes (as a signal would).
        QTimer::singleShot(0, &app, [&] {
            QTimer::singleShot(0, &app, [&app] { app.RequestExit(); });
            QMessageBox box(QMessageBox::Warning, "Velkaro Desktop", "?", QMessageBox::Ok | QMessageBox::Cancel,
                            app.MainFrame());
            answer = box.exec();
            boxEnded = true;
        });
        // Only a guard against a hung test.
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(2); });
        guard.start(30000);
        EXPECT_EQ(QApplication::exec(), 0);
        EXPECT_TRUE(boxEnded);
        EXPECT_NE(answer, QMessageBox::Ok);  // not taken as a yes
        EXPECT_FALSE(app.MainFrame()->isVisible());
        app.Shutdown();
    }
    EXPECT_EQ(ReadAll(workingFile), kMagic + std::string("\x0C\x00\x00", 3));
    CSettings after;
    EXPECT_EQ(after.WindowPositionX(kWindowPositionUnknown), 123);
    EXPECT_EQ(after.WindowPositionY(kWindowPositionUnknown), 77);
}

TEST(ApplicationParts, HelpFileName)
{
    EXPECT_EQ(CPcxApp::HelpFilePathFor("/usr/bin/velkarod", kLangGerman), "/usr/bin/velkaroP.HLP");
    EXPECT_EQ(CPcxApp::HelpFilePathFor("/usr/bin/velkarod", kLangEnglish), "/usr/bin/velkaroP.HLP");
    EXPECT_EQ(CPcxApp::HelpFilePathFor("C/VELKAROD.EXE", kLangFrench), "C/VELKAROF.HLP");
}

TEST(ApplicationParts, SplashPosition)
{
    const QRect screen(0, 0, 1000, 800);
    // Centred over the main window's future place when both are stored.
    EXPECT_EQ(CAboutDlg::SplashPosition(QSize(266, 150), 40, 40, screen), QPoint(240, 190));
    EXPECT_EQ(CAboutDlg::SplashPosition(QSize(266, 150), 5000, 40, screen), QPoint(367, 325));
    EXPECT_EQ(CAboutDlg::SplashPosition(QSize(266, 150), 40, 5000, screen), QPoint(367, 325));
}

TEST(ApplicationParts, FileFiltersForQt)
{
    EXPECT_EQ(QtUserInterface::QtFilters("Velkaro Desktop-Dateien (*.vlx)|*.vlx|Alle Dateien (*.*)|*.*||"),
              QStringList({ "Velkaro Desktop-Dateien (*.vlx)", "Alle Dateien (*.*)" }));
    EXPECT_EQ(QtUserInterface::QtFilters("Tab-getrennt-Dateien (*.txt, *.tab)|*.txt;*.tab|"),
              QStringList({ "Tab-getrennt-Dateien (*.txt *.tab)" }));
    EXPECT_EQ(QtUserInterface::QtFilters("Excel-Dateien (*.xls)|*.xls|"), QStringList({ "Excel-Dateien (*.xls)" }));
    EXPECT_TRUE(QtUserInterface::QtFilters("").isEmpty());
}

TEST(SplashPosition, HandEditedWindowPositionsStillPlaceTheSplash)
{
    const QRect screen(0, 0, 1000, 800);
    EXPECT_EQ(velkaro::CAboutDlg::SplashPosition(QSize(266, 150), INT_MAX, INT_MIN, screen), QPoint(INT_MAX, INT_MIN + 150));
    EXPECT_EQ(velkaro::CAboutDlg::SplashPosition(QSize(266, 150), INT_MIN, 2147483600, screen), QPoint(INT_MIN + 200, INT_MAX));
}

}  // namespace
