// The main frame: fixed geometry and title, the menu of each language
// rebuilt at the switch, the toolbar's order with its tips and prompts, the
// status panes with the port state, command routing and the position stored
// at close.

#include "../support/ScriptedUi.h"

#include "app/Application.h"
#include "app/Help.h"
#include "text/Language.h"
#include "app/MainFrame.h"
#include "settings/QtText.h"
#include "settings/Settings.h"
#include "text/Menus.h"
#include "text/MessageIds.h"
#include "view/DisplayWnd.h"
#include "view/PcxView.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QScreen>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolBar>

#include <memory>

using namespace velkaro;

class MainFrameTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CSettings> settings;
    std::unique_ptr<CPcxApp> app;
    std::unique_ptr<CMainFrame> frame;
    test::ScriptedUi ui;

    QStringList MenuTitles() const
    {
        QStringList titles;
        for (QAction* a : frame->menuBar()->actions())
            titles << a->text();
        return titles;
    }
    QString PaneText(unsigned id) const { return frame->Pane(id)->text(); }

private slots:
    void init()
    {
        ui = test::ScriptedUi();
        SetLanguageOffset(kLangGerman);
        settings = std::make_unique<CSettings>();
        // The scratch folder outlives a run: start from the defaults.
        settings->SetWindowPositionX(kWindowPositionDefault);
        settings->SetWindowPositionY(kWindowPositionDefault);
        app = std::make_unique<CPcxApp>(*settings);
        app->SetUserInterface(&ui);
        frame = std::make_unique<CMainFrame>(*app);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    }
    void cleanup()
    {
        frame.reset();
        app.reset();
        settings.reset();
        SetLanguageOffset(kLangGerman);
    }

    void fixedGeometryAndTitle()
    {
        QCOMPARE(frame->windowTitle(), QStringLiteral("Velkaro Desktop"));
        QCOMPARE(frame->size(), QSize(CMainFrame::kWidth, CMainFrame::kHeight));
        QCOMPARE(frame->minimumSize(), frame->maximumSize());
        QCOMPARE(frame->pos(), QPoint(40, 40));
        QCOMPARE(frame->centralWidget(), static_cast<QWidget*>(frame->View()));
    }

    // A stored position on no screen (a screen that is gone, or 99999 that
    // the store reads back as -31073) puts the window on the nearest
    // screen, whole; a position on a screen is kept.
    void windowOffEveryScreenComesBack()
    {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        for (QPoint stored : { QPoint(-31073, 40), QPoint(99999, 99999), QPoint(40, 30000), QPoint(-5000, -5000) }) {
            frame.reset();
            settings->SetWindowPositionX(stored.x());
            settings->SetWindowPositionY(stored.y());
            frame = std::make_unique<CMainFrame>(*app);
            QVERIFY2(screen.contains(frame->geometry()) || frame->geometry().contains(screen)
                         || screen.intersects(frame->geometry()),
                     qPrintable(QStringLiteral("%1,%2").arg(stored.x()).arg(stored.y())));
            QVERIFY(screen.contains(frame->pos()));
        }
        frame.reset();
        settings->SetWindowPositionX(40);
        settings->SetWindowPositionY(40);
        frame = std::make_unique<CMainFrame>(*app);
        QCOMPARE(frame->pos(), QPoint(40, 40));
    }

    // The window shows the program's icon, at the sizes a task bar asks
    // for, and the desktop entry's name lets docks find the installed one.
    void programIconAndDesktopEntry()
    {
        QVERIFY(!frame->windowIcon().isNull());
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("org.example.velkaro.Desktop"));
        QFile entry(QStringLiteral(VELKARO_SOURCE_DIR "/resources/org.example.velkaro.Desktop.desktop"));
        QVERIFY(entry.exists());
        const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
        for (int size : { 16, 24, 32, 48, 64, 128, 256 })
            QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
        QMessageBox box;
        QVERIFY(!box.windowIcon().isNull());
    }

    void toolbarInItsOrderWithTipsAndPrompts()
    {
        std::vector<unsigned> ids;
        for (QAction* a : frame->ToolBar()->actions())
            ids.push_back(a->isSeparator() ? 0u : a->objectName().mid(7).toUInt());
        const std::vector<unsigned> expected = { 32782, 32783, 0, 57635, 57634, 57637, 0, cmd::Undo, cmd::Redo, 0, 57607, 57609, 0,
                                                 32805, 32807, 32810, 32811, 0, 57666 };
        QCOMPARE(ids, expected);
        QCOMPARE(ToolbarButtons(), expected);
        QAction* exportAction = frame->CommandAction(cmd::Export);
        const std::string prompt = Text(cmd::Export);
        QCOMPARE(exportAction->statusTip(), ToQt(StatusPrompt(prompt)));
        QCOMPARE(exportAction->toolTip(), ToQt(ToolTipText(prompt)));
        QCOMPARE(exportAction->statusTip(), QStringLiteral("Exportiert die Karten in eine Datei"));
        QVERIFY(!exportAction->icon().isNull());
    }

    // The prompt of a hovered menu item or button gives way to "Bereit" once
    // its command has run, also when no "pointer left" notice follows (a
    // help page opened over the window), in each language.
    void statusBarReturnsToReadyAfterAPrompt()
    {
        SetHelpOpener([](const QUrl&) { return true; });
        const struct {
            unsigned language;
            QString ready;
        } cases[] = { { cmd::LanguageGerman, QStringLiteral("Bereit") },
                      { cmd::LanguageEnglish, QStringLiteral("Ready") },
                      { cmd::LanguageFrench, ToQt("Pr\xEAt") } };
        for (const auto& c : cases) {
            frame->Dispatch(c.language);
            for (unsigned id : { cmd::HelpIndex, cmd::NewCard }) {
                const QString prompt = frame->CommandAction(id)->statusTip();
                QStatusTipEvent hover(prompt);
                QApplication::sendEvent(frame.get(), &hover);
                QCOMPARE(frame->MessagePaneText(), prompt);
                frame->Dispatch(id);
                QCOMPARE(frame->MessagePaneText(), c.ready);
            }
        }
        SetHelpOpener({});
    }

    // Toolbar buttons are named by their menu text alone, without the
    // letter mark, the shortcut or the dots, in each language.
    void toolbarButtonsHaveSpeakableNames()
    {
        for (unsigned language : { cmd::LanguageGerman, cmd::LanguageFrench }) {
            frame->Dispatch(language);
            for (QAction* a : frame->ToolBar()->actions()) {
                if (a->isSeparator())
                    continue;
                QWidget* button = frame->ToolBar()->widgetForAction(a);
                const QString name = QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name);
                QVERIFY2(!name.isEmpty() && !name.contains('\t') && !name.contains('&') && !name.endsWith("..."),
                         qPrintable(name));
            }
        }
        QCOMPARE(frame->CommandAction(cmd::Cut)->iconText(), QStringLiteral("Couper"));
    }

    void promptAndTipSplitAtTheLineBreak()
    {
        QCOMPARE(StatusPrompt("status\ntip"), std::string("status"));
        QCOMPARE(ToolTipText("status\ntip"), std::string("tip"));
        QCOMPARE(StatusPrompt("only status"), std::string("only status"));
        QCOMPARE(ToolTipText("only status"), std::string());
        QCOMPARE(ToolTipText("status\n"), std::string());
        QCOMPARE(ToolTipText("s\n" + std::string(100, 'x')).size(), std::size_t(80));
    }

    void menuRebuiltInEnglishAfterTheSwitch()
    {
        QCOMPARE(MenuTitles(), (QStringList { "&Datei", "&Bearbeiten", "&Telefon", "&Optionen", "&Hilfe" }));
        QCOMPARE(frame->CommandAction(cmd::NewCard)->text(), QStringLiteral("&Neue Karte\tCtrl+P"));
        QVERIFY(frame->CommandAction(cmd::LanguageGerman)->isChecked());
        QCOMPARE(frame->MessagePaneText(), QStringLiteral("Bereit"));
        QCOMPARE(frame->CardCountText(), QStringLiteral("0 Karten"));

        frame->Dispatch(cmd::LanguageEnglish);
        QCOMPARE(LanguageOffset(), kLangEnglish);
        QCOMPARE(MenuTitles(), (QStringList { "&File", "&Edit", "&Telephone", "&Options", "&Help" }));
        QCOMPARE(frame->CommandAction(cmd::NewCard)->text(), QStringLiteral("&New card\tCtrl+P"));
        QCOMPARE(frame->CommandAction(cmd::Stop)->text(), QStringLiteral("&Stop\tESC"));
        QVERIFY(frame->CommandAction(cmd::LanguageEnglish)->isChecked());
        QVERIFY(!frame->CommandAction(cmd::LanguageGerman)->isChecked());
        QCOMPARE(frame->MessagePaneText(), QStringLiteral("Ready"));
        QCOMPARE(frame->CardCountText(), QStringLiteral("0 Cards"));
        QCOMPARE(frame->CommandAction(cmd::Export)->statusTip(), QStringLiteral("Export cards to a file"));
        // Every item of the English menu is one of the frame's actions.
        int items = 0;
        for (QAction* top : frame->menuBar()->actions())
            for (QAction* a : top->menu()->actions())
                if (!a->isSeparator()) {
                    QVERIFY(a->parent() == frame.get());
                    ++items;
                }
        QVERIFY(items > 30);

        frame->Dispatch(cmd::LanguageFrench);
        QCOMPARE(MenuTitles().first(), QStringLiteral("&Fichier"));
        QCOMPARE(frame->MessagePaneText(), ToQt("Pr\xEAt"));
        QCOMPARE(frame->CardCountText(), QStringLiteral("0 Fiches"));
    }

    void portPaneFollowsTheTransferMode()
    {
        PortState port;
        frame->SetPortStateProvider([&port] { return port; });
        QCOMPARE(PaneText(cmd::PanePort), QString());
        QVERIFY(!frame->Pane(cmd::PanePort)->isEnabled());

        port = { true, 3, Transfer::Idle };
        frame->OnPortModeChanged();
        QVERIFY(frame->Pane(cmd::PanePort)->isEnabled());
        QCOMPARE(PaneText(cmd::PanePort), QStringLiteral("COM 3 Bereit"));
        port.transferMode = Transfer::Sending;
        frame->OnPortModeChanged();
        QCOMPARE(PaneText(cmd::PanePort), QStringLiteral("COM 3 Senden"));
        port.transferMode = Transfer::ReceivingCallList;
        frame->OnPortModeChanged();
        QCOMPARE(PaneText(cmd::PanePort), QStringLiteral("COM 3 Empfangen"));
        port.transferMode = Transfer::Locked;
        frame->OnPortModeChanged();
        QCOMPARE(PaneText(cmd::PanePort), QString());

        port.transferMode = Transfer::Idle;
        frame->Dispatch(cmd::LanguageFrench);
        QCOMPARE(PaneText(cmd::PanePort), ToQt("COM 3 Pr\xEAt"));
        QCOMPARE(frame->MessagePaneText(), ToQt("Pr\xEAt"));
        frame->Dispatch(cmd::LanguageEnglish);
        QCOMPARE(PaneText(cmd::PanePort), QStringLiteral("COM 3 Ready"));
    }

    void overwritePaneAndCardCount()
    {
        QCOMPARE(PaneText(cmd::PaneOverwrite), QString());
        frame->Dispatch(cmd::ToggleInsert);
        QCOMPARE(PaneText(cmd::PaneOverwrite), QStringLiteral("OVR"));
        frame->Dispatch(cmd::ToggleInsert);
        QCOMPARE(PaneText(cmd::PaneOverwrite), QString());

        auto card = std::make_unique<CKarte>();
        card->SetLine(0, "Anna");
        app->Document().Cards().InsertSorted(std::move(card), false);
        app->Document().UpdateAllViews(UpdateHint::All);
        QCOMPARE(frame->CardCountText(), QStringLiteral("1 Karten"));
    }

    void enableRulesAndCheckMarks()
    {
        frame->UpdateCommandUI();
        QVERIFY(!frame->CommandAction(cmd::Copy)->isEnabled());
        QVERIFY(!frame->CommandAction(cmd::CopyCard)->isEnabled());
        QVERIFY(!frame->CommandAction(cmd::SaveBackup)->isEnabled());
        QVERIFY(frame->CommandAction(cmd::NewCard)->isEnabled());
        QVERIFY(frame->CommandAction(cmd::Selection)->isCheckable());
        QVERIFY(!frame->CommandAction(cmd::Selection)->isChecked());

        frame->View()->SetDialogRunner([](QDialog&) { return true; });
        frame->CommandAction(cmd::Selection)->trigger();
        QVERIFY(frame->View()->Selection().IsActive());
        QVERIFY(frame->CommandAction(cmd::Selection)->isChecked());

        frame->Dispatch(cmd::NewCard);
        QVERIFY(frame->CommandAction(cmd::CopyCard)->isEnabled());
        QVERIFY(frame->CommandAction(cmd::InsertLine)->isEnabled());

        // Text selected in the display and text put on the clipboard switch
        // their commands on at once, by their own notices.
        CDisplayWnd* display = frame->View()->Display();
        QTest::keyClicks(display, "Ab");
        QVERIFY(!frame->CommandAction(cmd::Copy)->isEnabled());
        QTest::keyClick(display, Qt::Key_Left, Qt::ShiftModifier);
        QVERIFY(frame->CommandAction(cmd::Copy)->isEnabled());
        QVERIFY(frame->CommandAction(cmd::Cut)->isEnabled());
        QGuiApplication::clipboard()->clear();
        QVERIFY(!frame->CommandAction(cmd::Paste)->isEnabled());
        QGuiApplication::clipboard()->setText(QStringLiteral("x"));
        QVERIFY(frame->CommandAction(cmd::Paste)->isEnabled());
    }

    void acceleratorsAreBound()
    {
        QCOMPARE(frame->CommandAction(cmd::NewCard)->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
        QCOMPARE(frame->CommandAction(cmd::Stop)->shortcut(), QKeySequence(Qt::Key_Escape));
        QCOMPARE(frame->CommandAction(cmd::Softkey1 + 2)->shortcut(), QKeySequence(QStringLiteral("Ctrl+F3")));
        QCOMPARE(frame->CommandAction(cmd::RowKey1 + 7)->shortcut(), QKeySequence(Qt::Key_F8));
        QCOMPARE(frame->CommandAction(cmd::Cut)->shortcuts().size(), 2);

        // Ctrl+P in the window opens a new card in the display.
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        QTest::keyClick(frame.get(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(frame->View()->Mode(), ViewMode::Card);
        QTest::keyClick(frame->View()->focusWidget() ? frame->View()->focusWidget() : frame.get(), Qt::Key_Escape);
        QCOMPARE(frame->View()->Mode(), ViewMode::List);
    }

    void undoAndRedoNameTheirStepAndFollowTheEnableRules()
    {
        CPcxDoc& doc = app->Document();
        auto card = std::make_unique<CKarte>();
        card->SetLine(0, "Anna");
        doc.Cards().InsertSorted(std::move(card), false);
        frame->UpdateCommandUI();
        QVERIFY(!frame->CommandAction(cmd::Undo)->isEnabled());
        QCOMPARE(frame->CommandAction(cmd::Undo)->text(), QStringLiteral("&R\u00fcckg\u00e4ngig\tCtrl+Z"));

        ui.answers.push_back(MsgAnswer::Ok);
        frame->Dispatch(cmd::DeleteAllCards);
        QCOMPARE(doc.Cards().Count(), 0);
        QVERIFY(frame->CommandAction(cmd::Undo)->isEnabled());
        QVERIFY(!frame->CommandAction(cmd::Redo)->isEnabled());
        QCOMPARE(frame->CommandAction(cmd::Undo)->text(),
                 QStringLiteral("&R\u00fcckg\u00e4ngig: Alle Karten l\u00f6schen\tCtrl+Z"));

        // The keys reach the commands; Ctrl+Y stays the line editor's.
        QCOMPARE(frame->CommandAction(cmd::DeleteLine)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Y")));
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        QTest::keyClick(frame.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(doc.Cards().Count(), 1);
        QCOMPARE(frame->CardCountText(), QStringLiteral("1 Karten"));
        QCOMPARE(frame->CommandAction(cmd::Redo)->text(),
                 QStringLiteral("&Wiederholen: Alle Karten l\u00f6schen\tCtrl+Shift+Z"));
        // The step is named in the language the menu shows now.
        frame->Dispatch(cmd::LanguageEnglish);
        QCOMPARE(frame->CommandAction(cmd::Redo)->text(), QStringLiteral("&Redo: Delete all cards\tCtrl+Shift+Z"));
        QTest::keyClick(frame.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(doc.Cards().Count(), 0);

        // Not while a transfer runs.
        PortState port { true, 1, Transfer::Sending };
        frame->SetPortStateProvider([&port] { return port; });
        frame->UpdateCommandUI();
        QVERIFY(!frame->CommandAction(cmd::Undo)->isEnabled());
        frame->Dispatch(cmd::Undo);
        QCOMPARE(doc.Cards().Count(), 0);
        port.transferMode = Transfer::Idle;

        // Not while a card is edited in the display.
        frame->Dispatch(cmd::NewCard);
        frame->UpdateCommandUI();
        QVERIFY(!frame->CommandAction(cmd::Undo)->isEnabled());
        frame->Dispatch(cmd::Stop);
        frame->UpdateCommandUI();
        QVERIFY(frame->CommandAction(cmd::Undo)->isEnabled());
        frame->Dispatch(cmd::Undo);
        QCOMPARE(doc.Cards().Count(), 1);
    }

    void flowsRegisteredFromOutsideRunAndOthersAreNotAvailable()
    {
        int runs = 0;
        bool allowed = false;
        frame->Commands().Register(cmd::ReceiveCards, { [&runs] { ++runs; }, [&allowed] { return allowed; }, {} });
        frame->UpdateCommandUI();
        QVERIFY(!frame->CommandAction(cmd::ReceiveCards)->isEnabled());
        frame->Dispatch(cmd::ReceiveCards);
        QCOMPARE(runs, 0);
        allowed = true;
        frame->Dispatch(cmd::ReceiveCards);
        QCOMPARE(runs, 1);

        frame->Dispatch(cmd::ReceiveCallList);
        QCOMPARE(ui.shown.size(), std::size_t(1));
        QCOMPARE(ui.shown[0].text, Text(msg::FunctionNotAvailable));
    }

    void positionStoredAtClose()
    {
        frame->move(123, 77);
        frame->close();
        QCOMPARE(settings->WindowPositionX(), frame->pos().x());
        QCOMPARE(settings->WindowPositionY(), frame->pos().y());
    }

    void negativeTopBecomesZero()
    {
        settings->SetWindowPositionX(90);
        settings->SetWindowPositionY(-15);
        CMainFrame other(*app);
        QCOMPARE(other.pos(), QPoint(90, 0));
    }

    void qtButtonsFollowTheLanguage()
    {
        auto yesText = [] {
            QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
            return box.button(QMessageBox::Yes)->text().remove(u'&');
        };
        app->SetLanguage(kLangGerman, true);
        QCOMPARE(yesText(), QStringLiteral("Ja"));
        app->SetLanguage(kLangFrench, false);
        QCOMPARE(yesText(), QStringLiteral("Oui"));
        app->SetLanguage(kLangEnglish, false);
        QCOMPARE(yesText(), QStringLiteral("Yes"));
    }

    void lockPanesFollowTheKeyboard()
    {
        // X11's state: Lock is bit 1, Num Lock Mod2 (bit 4); Shift (bit 0)
        // and the rest do not matter.
        auto locks = LockStatesFromNative(0x13, QStringLiteral("xcb"));
        QVERIFY(locks && locks->caps && locks->num);
        locks = LockStatesFromNative(0x01, QStringLiteral("wayland-egl"));
        QVERIFY(locks && !locks->caps && !locks->num);
        QVERIFY(!LockStatesFromNative(0x12, QStringLiteral("offscreen")));

        auto* caps = frame->findChild<QLabel*>(QStringLiteral("pane%1").arg(cmd::PaneCaps));
        auto* num = frame->findChild<QLabel*>(QStringLiteral("pane%1").arg(cmd::PaneNum));
        QVERIFY(caps && num);
        QCOMPARE(caps->text(), QString());
        frame->SetLockStates({ true, true });
        QCOMPARE(caps->text(), QStringLiteral("UF"));
        QCOMPARE(num->text(), QStringLiteral("NUM"));
        app->SetLanguage(kLangFrench, false);
        QCOMPARE(caps->text(), QStringLiteral("MAJ"));
        frame->SetLockStates({ false, true });
        QCOMPARE(caps->text(), QString());
        QCOMPARE(num->text(), QStringLiteral("NUM"));
    }
};

QTEST_MAIN(MainFrameTest)
#include "tst_mainframe.moc"
