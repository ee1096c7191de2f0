// The serial port dialog and the port pane of the main window: the port
// list, the probe that keeps the dialog open, choosing, keeping and closing
// the port, Cancel, and the pane following the transfer mode.

#include "tst_transfer_support.h"

#include "app/Application.h"
#include "text/Language.h"
#include "app/MainFrame.h"
#include "app/TransferCommands.h"
#include "device/ComPort.h"
#include "text/Menus.h"
#include "text/MessageIds.h"
#include "view/PcxView.h"
#include "view/PortDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace velkaro;
using namespace velkaro::transfertest;

namespace {

constexpr int kPort = 5;

struct PortRunner {
    std::function<void(CPortDlg&)> fill;
    int runs = 0;
    int probes = 0;
    bool stayedOpen = false;

    int operator()(QDialog& dialog)
    {
        auto* port = qobject_cast<CPortDlg*>(&dialog);
        if (!port)
            return QDialog::Rejected;
        ++runs;
        port->SetProbe([this](int n, std::string* error) {
            ++probes;
            return CComPort::ProbePort(n, error);
        });
        dialog.show();
        if (fill)
            fill(*port);
        return dialog.result();
    }
};

void AddCards(CPcxDoc& doc, int count)
{
    for (int i = 0; i < count; ++i) {
        auto card = std::make_unique<CKarte>();
        card->SetLine(0, FormatString("Name %03i", i));
        card->SetLine(1, "0800 123");
        doc.Cards().InsertSorted(std::move(card), false);
    }
}

}  // namespace

class PortTest : public QObject {
    Q_OBJECT
private slots:
    void init() { SetLanguageOffset(kLangGerman); }

    void portListShowsDevices()
    {
        CSettings::Instance().WriteString(section::Ports, "COM9", "/dev/velkaro-test-line");
        TestUi ui;
        CPortDlg dialog(9, false, 0, ui);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), ToQt(Text(dlg::Port)));
        QComboBox* combo = dialog.PortCombo();
        QCOMPARE(combo->count(), 21);
        QCOMPARE(combo->itemText(0), QStringLiteral("----"));
        for (int n = 1; n <= 20; ++n)
            QVERIFY(combo->itemText(n).startsWith(QStringLiteral("COM%1 ").arg(n)));
        QCOMPARE(combo->currentIndex(), 9);
        QCOMPARE(combo->itemText(9), QStringLiteral("COM9  (/dev/velkaro-test-line)"));
        QVERIFY(combo->itemText(1).startsWith(QStringLiteral("COM1  (/dev/ttyS0")));
        QVERIFY(!dialog.HighSpeedBox()->isChecked());
        QCOMPARE(dialog.HighSpeedBox()->text(), ToQt(Text(ctl::HighSpeedAllowed)));
        Shot(&dialog, QStringLiteral("port-dialog"));

        // A description the system gives is shown with the device.
        std::map<QString, QString> known { { QStringLiteral("/dev/velkaro-test-line"), QStringLiteral("USB Serial") } };
        QCOMPARE(CPortDlg::PortItemText(9, known), QStringLiteral("COM9  (/dev/velkaro-test-line: USB Serial)"));
        CSettings::Instance().WriteString(section::Ports, "COM9", "");
        QCOMPARE(CPortDlg::PortItemText(9, {}), QStringLiteral("COM9  (/dev/ttyUSB4)"));
    }

    void probeFailureKeepsDialogOpen()
    {
        CSettings::Instance().WriteString(section::Ports, "COM7", "/nonexistent/velkaro-line");
        TestUi ui;
        ui.shotPrefix = QStringLiteral("port-probe");
        CPortDlg dialog(0, true, 0, ui);
        dialog.show();
        dialog.PortCombo()->setCurrentIndex(7);
        dialog.accept();
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(ui.shown.size(), std::size_t(1));
        QVERIFY(ui.shown[0].text.find("COM7") != std::string::npos);
        QVERIFY(ui.shown[0].text.find("/nonexistent/velkaro-line") != std::string::npos);
        QVERIFY(ui.shown[0].text.rfind(FormatText(msg::PortOpenError, 7, "").substr(0, 20), 0) == 0);
        // "----" needs no probe.
        dialog.PortCombo()->setCurrentIndex(0);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(ui.shown.size(), std::size_t(1));
        CSettings::Instance().WriteString(section::Ports, "COM7", "");
    }

    void chooseKeepAndClosePort()
    {
        SimTelephone phone(kPort, {});
        CPcxDoc doc;
        TestUi ui;
        CTransferCommands transfers(doc, ui);
        transfers.StartPort(0, true);
        QVERIFY(!transfers.Port().IsOpen());
        PortRunner runner;
        transfers.SetDialogRunner(std::ref(runner));
        QSignalSpy changed(&transfers, &CTransferCommands::portChanged);

        // The telephone's port, high speed off.
        int shownIndex = -1;
        runner.fill = [&](CPortDlg& d) {
            shownIndex = d.PortIndex();
            d.PortCombo()->setCurrentIndex(kPort);
            d.HighSpeedBox()->setChecked(false);
            d.accept();
        };
        transfers.PortSettings();
        QCOMPARE(shownIndex, 0);
        QCOMPARE(runner.probes, 1);
        QVERIFY(transfers.Port().IsOpen());
        QCOMPARE(transfers.Port().PortNumber(), kPort);
        QVERIFY(!transfers.Port().HighSpeedAllowedFlag());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(ReceptionBlocked, 0);

        // The open port again: no probe, and the line stays as it is.
        phone.Command("sync");
        const long setUps = phone.Status("lineChanges");
        runner.fill = [&](CPortDlg& d) {
            shownIndex = d.PortIndex();
            QVERIFY(!d.HighSpeedBox()->isChecked());
            d.HighSpeedBox()->setChecked(true);
            d.accept();
        };
        transfers.PortSettings();
        QCOMPARE(shownIndex, kPort);
        QCOMPARE(runner.probes, 1);
        QVERIFY(transfers.Port().IsOpen());
        QVERIFY(transfers.Port().HighSpeedAllowedFlag());
        phone.Command("sync");
        QCOMPARE(phone.Status("lineChanges"), setUps);

        // Cancel changes neither the port nor the speed choice.
        runner.fill = [&](CPortDlg& d) {
            d.PortCombo()->setCurrentIndex(0);
            d.HighSpeedBox()->setChecked(false);
            d.reject();
        };
        transfers.PortSettings();
        QVERIFY(transfers.Port().IsOpen());
        QVERIFY(transfers.Port().HighSpeedAllowedFlag());

        // "----" closes the port.
        runner.fill = [&](CPortDlg& d) {
            d.PortCombo()->setCurrentIndex(0);
            d.accept();
        };
        transfers.PortSettings();
        QVERIFY(!transfers.Port().IsOpen());
        QCOMPARE(transfers.Port().PortNumber(), 0);
        QVERIFY(ui.shown.empty());
    }

    void paneFollowsPortAndTransfer()
    {
        SimTelephone phone(kPort, {});
        CSettings settings;
        CPcxApp app(settings);
        TestUi ui;
        ui.answers = { MsgAnswer::Yes };
        app.SetUserInterface(&ui);
        AddCards(app.Document(), 30);
        CMainFrame frame(app);
        frame.show();
        CTransferCommands transfers(app.Document(), ui, [&frame]() -> QWidget* { return &frame; });
        transfers.AttachToFrame(frame);
        transfers.StartPort(kPort, true);

        QLabel* pane = frame.Pane(cmd::PanePort);
        QCOMPARE(pane->text(), ToQt(FormatText(msg::PortPaneReady, kPort)));
        QVERIFY(pane->isEnabled());
        // No call list yet: "Anrufliste zeigen" is off.
        frame.UpdateCommandUI();
        QVERIFY(!frame.CommandAction(cmd::ShowCallList)->isEnabled());
        // The shown card goes to the telephone only from card mode.
        QVERIFY(!frame.CommandAction(cmd::SendCurrent)->isEnabled());
        frame.View()->RowKey(0);
        QVERIFY(frame.CommandAction(cmd::SendCurrent)->isEnabled());
        QVERIFY(frame.CommandAction(cmd::DialCurrent)->isEnabled());
        frame.View()->Stop();
        QVERIFY(!frame.CommandAction(cmd::DialCurrent)->isEnabled());

        // The menu command runs the send; the pane shows it meanwhile.
        QString during;
        connect(&transfers, &CTransferCommands::sendProgress, this, [&](int sent) {
            if (sent > 0 && during.isEmpty()) {
                during = pane->text();
                Shot(&frame, QStringLiteral("frame-sending"));
            }
        });
        frame.Dispatch(cmd::SendAll);
        QCOMPARE(during, ToQt(FormatText(msg::PortPaneSending, kPort)));
        QCOMPARE(pane->text(), ToQt(FormatText(msg::PortPaneReady, kPort)));
        QVERIFY(ui.Saw(FormatText(msg::SentCardCount, 30)));

        // A received call list switches "Anrufliste zeigen" on.
        transfers.SetDialogRunner([](QDialog& d) {
            d.accept();
            return d.result();
        });
        QSignalSpy finished(&transfers.Receiver(), &CReceiveHandler::ReceptionFinished);
        frame.Dispatch(cmd::ReceiveCallList);
        QVERIFY(finished.wait(10000));
        QVERIFY(frame.CommandAction(cmd::ShowCallList)->isEnabled());

        // "----": the pane goes blank and off.
        transfers.SetDialogRunner([](QDialog& d) {
            qobject_cast<CPortDlg*>(&d)->PortCombo()->setCurrentIndex(0);
            d.accept();
            return d.result();
        });
        frame.Dispatch(cmd::PortSettings);
        QVERIFY(!transfers.Port().IsOpen());
        QCOMPARE(pane->text(), QString());
        QVERIFY(!pane->isEnabled());
        frame.close();
    }

    void installOpensPortAtStart()
    {
        SimTelephone phone(kPort, {});
        CSettings settings;
        settings.SetPortCOM(kPort);
        settings.SetCanSpeedChange(0);
        CPcxApp app(settings);
        TestUi ui;
        app.SetUserInterface(&ui);
        CTransferCommands::Install(app);
        app.Start();
        auto* transfers = app.MainFrame()->findChild<CTransferCommands*>();
        QVERIFY(transfers);
        QVERIFY(transfers->Port().IsOpen());
        QCOMPARE(transfers->Port().PortNumber(), kPort);
        QVERIFY(!transfers->Port().HighSpeedAllowedFlag());
        auto* frame = qobject_cast<CMainFrame*>(app.MainFrame());
        QVERIFY(frame);
        QCOMPARE(frame->Pane(cmd::PanePort)->text(), ToQt(FormatText(msg::PortPaneReady, kPort)));
        Shot(frame, QStringLiteral("frame-port-ready"));

        // The choice made in the dialog is what the program stores at exit.
        transfers->SetDialogRunner([](QDialog& d) {
            auto* dialog = qobject_cast<CPortDlg*>(&d);
            dialog->HighSpeedBox()->setChecked(true);
            dialog->PortCombo()->setCurrentIndex(0);
            dialog->accept();
            return dialog->result();
        });
        frame->Dispatch(cmd::PortSettings);
        QCOMPARE(app.PortNumber(), 0);
        QCOMPARE(app.CanSpeedChange(), 1);
        app.Shutdown();
        QCOMPARE(settings.PortCOM(), 0);
        QCOMPARE(settings.CanSpeedChange(), 1);
    }
};

QTEST_MAIN(PortTest)
#include "tst_port.moc"
