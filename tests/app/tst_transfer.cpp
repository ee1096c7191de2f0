// The transfer windows against a simulated telephone on a pseudo-terminal:
// a whole send with its progress and the success question, a cancelled
// send, a reception with and without consent, a locked telephone (also
// refusing a send), the receive command's notice.

#include "tst_transfer_support.h"

#include "text/Language.h"
#include "app/QtUserInterface.h"
#include "app/TransferCommands.h"
#include "model/Archive.h"
#include "text/MessageIds.h"
#include "view/ReceiveProgressDlg.h"
#include "view/SendProgressDlg.h"

#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <thread>

using namespace velkaro;
using namespace velkaro::transfertest;

namespace {

constexpr int kPort = 3;

void FillCards(CPcxDoc& doc, int count, int extraLines)
{
    for (int i = 0; i < count; ++i) {
        auto card = std::make_unique<CKarte>();
        card->SetLine(0, FormatString("Kunde %04i", i));
        card->SetLine(1, FormatString("0711 %06i", i * 7));
        for (int l = 0; l < extraLines; ++l)
            card->SetLine(2 + l, FormatString("Zeile %i der Karte %i mit Text", l, i));
        card->SetEditedByte(1);
        doc.Cards().InsertSorted(std::move(card), false);
    }
}

int EditedCount(const CPcxDoc& doc)
{
    int n = 0;
    for (int i = 0; i < doc.Cards().Count(); ++i)
        n += doc.Cards().At(i)->EditedByte() == 1 ? 1 : 0;
    return n;
}

// A transfer with the real windows: the simulated telephone on COM<kPort>,
// a shown main window that owns the real message boxes and the progress
// windows, a document, and the transfer commands with the port open.
struct WindowedLine {
    explicit WindowedLine(std::vector<std::string> args)
        : phone(kPort, std::move(args))
        , ui([this] { return &mainWindow; })
        , transfers(doc, ui, [this] { return &mainWindow; })
    {
        mainWindow.resize(400, 300);
        mainWindow.show();
        ui.SetUseNativeDialogs(false);
        transfers.StartPort(kPort, true);
    }

    SimTelephone phone;
    QWidget mainWindow;
    QtUserInterface ui;
    CPcxDoc doc;
    CTransferCommands transfers;
};

// Answers the real message boxes as they come up, the first after
// firstDelay ms and the others after delay ms: Yes where there is one,
// else OK. Keeps each box's text and parent.
class BoxAnswerer : public QObject {
public:
    explicit BoxAnswerer(int firstDelay = 100, int delay = 100)
    {
        connect(&m_poll, &QTimer::timeout, this, [this, firstDelay, delay] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || box == m_current)
                return;
            m_current = box;
            texts << box->text();
            parents << box->parentWidget();
            QPointer<QMessageBox> guard(box);
            QTimer::singleShot(texts.size() == 1 ? firstDelay : delay, this, [guard] {
                if (!guard)
                    return;
                if (QAbstractButton* yes = guard->button(QMessageBox::Yes))
                    yes->click();
                else if (QAbstractButton* ok = guard->button(QMessageBox::Ok))
                    ok->click();
            });
        });
        m_poll.start(20);
    }
    void Stop() { m_poll.stop(); }

    QStringList texts;
    QList<QWidget*> parents;

private:
    QTimer m_poll;
    QPointer<QMessageBox> m_current;
};

}  // namespace

class TransferTest : public QObject {
    Q_OBJECT
private slots:
    void init() { SetLanguageOffset(kLangGerman); }

    void wholeSendShowsProgressAndAsks()
    {
        TransferLine line(kPort, {});
        auto& [phone, doc, ui, transfers] = line;
        FillCards(doc, 40, 3);
        ui.shotPrefix = QStringLiteral("send-all");
        ui.answers = { MsgAnswer::Yes };
        QVERIFY(transfers.Port().IsOpen());

        std::vector<int> counts;
        std::vector<int> bars;
        QString heading;
        QString speed;
        bool modal = false;
        bool photographed = false;
        connect(&transfers, &CTransferCommands::sendProgress, this, [&](int sent) {
            CSendProgressDlg* dialog = transfers.SendDialog();
            QVERIFY(dialog);
            counts.push_back(dialog->CountText().toInt());
            bars.push_back(dialog->ProgressValue());
            heading = dialog->HeadingText();
            speed = dialog->SpeedText();
            modal = dialog->isModal() || dialog->windowModality() != Qt::NonModal;
            if (sent > 0 && !photographed) {
                photographed = true;
                Shot(dialog, QStringLiteral("send-progress"));
            }
        });
        Transfer modeDuringSend = Transfer::Idle;
        connect(&transfers.Port(), &CComPortEx::PortModeChanged, this, [&](Transfer mode) {
            if (mode == Transfer::Sending)
                modeDuringSend = mode;
        });

        transfers.SendAll(nullptr);

        QCOMPARE(modeDuringSend, Transfer::Sending);
        QVERIFY(modal);
        QCOMPARE(heading, ToQt(FormatText(msg::SendHeading, "", "", "")));
        QCOMPARE(speed, ToQt(Text(msg::SpeedHigh)));
        QVERIFY(!counts.empty());
        QCOMPARE(counts.back(), 40);
        QCOMPARE(bars.back(), 1000);
        for (std::size_t i = 1; i < counts.size(); ++i)
            QVERIFY(counts[i] >= counts[i - 1]);
        QVERIFY(transfers.SendDialog() == nullptr);

        const TestUi::Shown* result = ui.Find(Text(msg::SendSuccessful));
        QVERIFY(result);
        QCOMPARE(result->buttons, MsgButtons::YesNo);
        QCOMPARE(result->icon, MsgIcon::Information);
        QVERIFY(result->text.find(FormatText(msg::AllCardsSent, "", "", "")) == 0);
        QVERIFY(result->text.find(FormatText(msg::SentCardCount, 40)) != std::string::npos);
        QVERIFY(ui.unexpected.empty());
        // Yes: the cards that went out are no longer edited.
        QCOMPARE(EditedCount(doc), 0);
        QCOMPARE(transfers.Port().TransferMode(), Transfer::Idle);
        QCOMPARE(transfers.Port().BaudRate(), kNormalBaud);

        QCOMPARE(phone.Status("cards"), 40L);
        QCOMPARE(phone.Status("cardTransfers"), 1L);
        QCOMPARE(phone.Status("speedOffers"), 1L);
        QCOMPARE(phone.Status("speedMismatches"), 0L);
    }

    void sendEditedWithNothingEdited()
    {
        TransferLine line(kPort, {});
        auto& [phone, doc, ui, transfers] = line;
        FillCards(doc, 3, 0);
        for (int i = 0; i < doc.Cards().Count(); ++i)
            doc.Cards().At(i)->SetEditedByte(0);
        transfers.SendEdited(nullptr);
        QVERIFY(ui.Saw(Text(msg::NothingToSend)));
        QCOMPARE(phone.Status("cardTransfers"), 0L);
        QCOMPARE(ReceptionBlocked, 0);
    }

    void cancelInMidSend()
    {
        TransferLine line(kPort, {}, false);
        auto& [phone, doc, ui, transfers] = line;
        // Far more than the line's buffers hold while the telephone pauses.
        FillCards(doc, 2500, 8);
        ui.shotPrefix = QStringLiteral("send-cancel");
        ui.answers = { MsgAnswer::No };
        QVERIFY(transfers.Port().IsOpen());

        // The telephone stops reading: the sender blocks once the line is
        // full, so Cancel comes while cards are still going out.
        const int pid = phone.Process().Pid();
        QVERIFY(pid > 0);
        ::kill(pid, SIGSTOP);
        std::thread resume;
        bool cancelled = false;
        int countAtCancel = 0;
        connect(&transfers, &CTransferCommands::sendProgress, this, [&](int sent) {
            if (sent < 1 || cancelled)
                return;
            cancelled = true;
            countAtCancel = sent;
            Shot(transfers.SendDialog(), QStringLiteral("send-before-cancel"));
            resume = std::thread([pid] {
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
                ::kill(pid, SIGCONT);
            });
            QTest::mouseClick(transfers.SendDialog()->CancelButton(), Qt::LeftButton);
        });

        transfers.SendAll(nullptr);
        if (resume.joinable())
            resume.join();
        else
            ::kill(pid, SIGCONT);

        QVERIFY(cancelled);
        const TestUi::Shown* result = ui.Find(Text(msg::SendSuccessful));
        QVERIFY(result);
        QVERIFY(result->text.find(Text(msg::SendCancelled)) == 0);
        QCOMPARE(result->icon, MsgIcon::Warning);
        const int sent = transfers.Port().SentCount();
        QVERIFY(sent >= countAtCancel);
        QVERIFY(sent < 2500);
        QVERIFY(result->text.find(FormatText(msg::SentCardCount, sent)) != std::string::npos);
        // No: every card keeps its edited flag.
        QCOMPARE(EditedCount(doc), 2500);
        QCOMPARE(transfers.Port().TransferMode(), Transfer::Idle);

        // The telephone got the end of the transfer: it took what came.
        phone.Command("sync");
        QCOMPARE(phone.Status("cardTransfers"), 1L);
        QCOMPARE(phone.Status("cards"), long(sent));
    }

    void receiveWithConsent()
    {
        TransferLine line(kPort, { "--sample-cards", "--delay", "60" });
        auto& [phone, doc, ui, transfers] = line;
        FillCards(doc, 2, 0);
        ui.shotPrefix = QStringLiteral("receive-consent");
        ui.answers = { MsgAnswer::Ok };
        const long phoneCards = phone.Status("cards");
        QVERIFY(phoneCards > 2);

        QString label;
        QString heading;
        int lastCount = 0;
        connect(&transfers, &CTransferCommands::receiveProgress, this, [&](int count) {
            CReceiveProgressDlg* dialog = transfers.ReceiveDialog();
            QVERIFY(dialog);
            label = dialog->CountLabelText();
            heading = dialog->HeadingText();
            if (count > 0 && lastCount == 0)
                Shot(dialog, QStringLiteral("receive-progress"));
            lastCount = count;
        });
        QSignalSpy finished(&transfers.Receiver(), &CReceiveHandler::ReceptionFinished);
        phone.Command("send");
        QVERIFY(finished.wait(15000));

        QCOMPARE(heading, ToQt(Text(msg::ReceivingCards)));
        QCOMPARE(label, ToQt(Text(msg::ReceivedCardsLabel)));
        QVERIFY(lastCount > 0);
        QVERIFY(transfers.ReceiveDialog() == nullptr);
        const TestUi::Shown* result = ui.Find(Text(msg::OldCardsDeleted));
        QVERIFY(result);
        QCOMPARE(result->buttons, MsgButtons::OkCancel);
        QCOMPARE(result->icon, MsgIcon::Warning);
        QVERIFY(result->text.find(FormatText(msg::CardsReceived, int(phoneCards))) == 0);
        QCOMPARE(finished.at(0).at(2).toBool(), true);
        QCOMPARE(doc.Cards().Count(), int(phoneCards));
        QCOMPARE(ReceptionBlocked, 0);
        QCOMPARE(transfers.Port().TransferMode(), Transfer::Idle);
        QVERIFY(ui.unexpected.empty());
    }

    void receiveDeclined()
    {
        TransferLine line(kPort, { "--sample-cards" });
        auto& [phone, doc, ui, transfers] = line;
        FillCards(doc, 2, 0);
        ui.shotPrefix = QStringLiteral("receive-declined");
        ui.answers = { MsgAnswer::Cancel };
        QSignalSpy finished(&transfers.Receiver(), &CReceiveHandler::ReceptionFinished);
        phone.Command("send");
        QVERIFY(finished.wait(15000));
        QCOMPARE(finished.at(0).at(2).toBool(), false);
        QVERIFY(ui.Saw(Text(msg::OldCardsDeleted)));
        const TestUi::Shown* notStored = ui.Find(Text(msg::ReceivedNotStored));
        QVERIFY(notStored);
        QCOMPARE(notStored->icon, MsgIcon::Information);
        QCOMPARE(doc.Cards().Count(), 2);
        QCOMPARE(doc.Cards().At(0)->Name(), std::string("Kunde 0000"));
        QCOMPARE(transfers.Port().Parser().ReceivedCards(), nullptr);
    }

    void receiveIntoEmptyDocumentAsksNothing()
    {
        TransferLine line(kPort, { "--sample-cards" });
        auto& [phone, doc, ui, transfers] = line;
        QSignalSpy finished(&transfers.Receiver(), &CReceiveHandler::ReceptionFinished);
        phone.Command("send");
        QVERIFY(finished.wait(15000));
        QCOMPARE(ui.shown.size(), std::size_t(1));
        QCOMPARE(ui.shown[0].buttons, MsgButtons::Ok);
        QCOMPARE(ui.shown[0].icon, MsgIcon::Information);
        QCOMPARE(doc.Cards().Count(), int(phone.Status("cards")));
    }

    void lockedTelephone()
    {
        TransferLine line(kPort, { "--locked" });
        auto& [phone, doc, ui, transfers] = line;
        ui.shotPrefix = QStringLiteral("locked");
        // The call-list request of a locked telephone: 00 0B comes back.
        transfers.SetDialogRunner([](QDialog& dialog) {
            dialog.accept();
            return dialog.result();
        });
        transfers.RequestCallList();
        QTRY_VERIFY_WITH_TIMEOUT(ui.Saw(Text(msg::TransferLocked)), 5000);
        const TestUi::Shown* locked = ui.Find(Text(msg::TransferLocked));
        QCOMPARE(locked->buttons, MsgButtons::Ok);
        QCOMPARE(transfers.Port().TransferMode(), Transfer::Idle);
        // The wait for the answer ended with the lock: no "no answer" later.
        QTest::qWait(3500);
        QVERIFY(!ui.Saw(Text(msg::CallListNoAnswer)));
        QCOMPARE(ui.Count(Text(msg::TransferLocked)), 1);
        QVERIFY(!transfers.HasCallList());

        // The telephone's own "send" is refused the same way.
        phone.Command("send");
        QTRY_COMPARE_WITH_TIMEOUT(ui.Count(Text(msg::TransferLocked)), 2, 5000);
        QCOMPARE(doc.Cards().Count(), 0);

        // A card to dial is refused with 00 0B too: that is what the user
        // learns, not that the card was dialled.
        FillCards(doc, 1, 0);
        ui.answers = { MsgAnswer::Yes };
        transfers.DialCurrent(doc.Cards().At(0));
        QTRY_COMPARE_WITH_TIMEOUT(ui.Count(Text(msg::TransferLocked)), 3, 5000);
        QVERIFY(!ui.Saw(Text(msg::CurrentCard) + Text(msg::CardDialled)));
    }

    // A send to a locked telephone with the real windows: its refusal
    // arrives while the progress window is up; the lock is told, the send
    // ends as failed with none sent, and Yes takes no mark away.
    void sendToALockedTelephoneWithRealWindows()
    {
        WindowedLine line({ "--locked" });
        auto& [phone, mainWindow, ui, doc, transfers] = line;
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
        FillCards(doc, 300, 5);
        QVERIFY(transfers.Port().IsOpen());

        BoxAnswerer answerer;
        transfers.SendAll(nullptr);
        answerer.Stop();
        const QStringList& texts = answerer.texts;

        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts[0], ToQt(Text(msg::TransferLocked)));
        QVERIFY2(texts[1].startsWith(ToQt(Text(msg::SendAborted))), qPrintable(texts[1]));
        QVERIFY2(texts[1].contains(ToQt(FormatText(msg::SentCardCount, 0))), qPrintable(texts[1]));
        QCOMPARE(EditedCount(doc), 300);
        QVERIFY(transfers.SendDialog() == nullptr);
        QCOMPARE(transfers.Port().TransferMode(), Transfer::Idle);
        QCOMPARE(transfers.Port().BaudRate(), kNormalBaud);
        QCOMPARE(phone.Status("cards"), 0L);
        QTest::qWait(200);
        QVERIFY(mainWindow.isVisible());
    }

    void receiveCommandAndPortCheck()
    {
        CPcxDoc doc;
        FillCards(doc, 1, 0);
        TestUi ui;
        CTransferCommands transfers(doc, ui);
        // No port: every transfer command says so first.
        transfers.StartPort(0, true);
        transfers.ReceiveCards();
        transfers.SendAll(nullptr);
        transfers.RequestCallList();
        QCOMPARE(ui.Count(Text(msg::PortChooseFirst)), 3);

        SimTelephone phone(kPort, {});
        transfers.StartPort(kPort, true);
        ui.shotPrefix = QStringLiteral("receive-command");
        transfers.ReceiveCards();
        const TestUi::Shown* notice = ui.Find(Text(msg::AlwaysReadyToReceive));
        QVERIFY(notice);
        QCOMPARE(notice->icon, MsgIcon::Information);
    }

    // The telephone hangs up in mid-reception and the user leaves the box
    // about it open longer than the receive watchdog, then answers it and
    // the result: the program lives on and takes what arrived. Real message
    // boxes over a real main window and progress window.
    void hangUpWithTheBoxLeftOpen()
    {
        const std::string dir = simtest::TempDir("hangup-box");
        CCardList theirs;
        for (int i = 0; i < 80; ++i) {
            auto card = std::make_unique<CKarte>();
            card->SetLine(0, FormatString("Anruferin %03i", i));
            card->SetLine(1, FormatString("0441 %06i", i));
            theirs.Append(std::move(card));
        }
        QVERIFY(SaveCardFile(dir + "/phone.vlx", theirs));
        WindowedLine line({ "--cards", dir + "/phone.vlx", "--delay", "20", "--hangup-after", "900" });
        auto& [phone, mainWindow, ui, doc, transfers] = line;
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
        FillCards(doc, 2, 0);
        QVERIFY(transfers.Port().IsOpen());

        // Each box is answered with OK; the first one only after 5 s.
        BoxAnswerer answerer(5000, 50);
        QSignalSpy finished(&transfers.Receiver(), &CReceiveHandler::ReceptionFinished);
        phone.Command("send");
        QVERIFY(finished.wait(30000));
        answerer.Stop();
        const QStringList& texts = answerer.texts;
        const QList<QWidget*>& parents = answerer.parents;

        QVERIFY2(texts.size() >= 2, qPrintable(texts.join(u'|')));
        QVERIFY2(texts[0].startsWith(ToQt(FormatText(msg::LineInterrupted, phone.Process().Device().c_str(), "")).trimmed()),
                 qPrintable(texts[0]));
        QCOMPARE(parents[0], &mainWindow);
        QVERIFY2(texts[1].contains(ToQt(Text(msg::ReceptionLineFailed)).trimmed()), qPrintable(texts[1]));
        QVERIFY(!texts.join(u'|').contains(QStringLiteral("Timeout")));
        QCOMPARE(finished.at(0).at(1).value<ReceiveEnd>(), ReceiveEnd::LineFailed);
        QCOMPARE(finished.at(0).at(2).toBool(), true);
        QVERIFY(doc.Cards().Count() > 0);
        QVERIFY(doc.Cards().Count() < 80);
        QVERIFY(transfers.ReceiveDialog() == nullptr);
        QCOMPARE(transfers.Port().TransferMode(), Transfer::Idle);
        // The event loop goes on after all of it.
        QTest::qWait(200);
        QVERIFY(mainWindow.isVisible());
    }

    // Cancel on the real progress window while the telephone holds the line
    // with XOFF: the send ends as cancelled, without a write error.
    void cancelWhileTheLineIsHeld()
    {
        TransferLine line(kPort, { "--no-high-speed" }, false);
        auto& [phone, doc, ui, transfers] = line;
        // More than the line's buffers hold, so the send is stuck however
        // late the telephone's hold arrives.
        FillCards(doc, 300, 30);
        ui.shotPrefix = QStringLiteral("cancel-held");
        ui.answers = { MsgAnswer::No };
        phone.Command("xoff");
        // Cancel as soon as the progress window stands, however busy the
        // machine is.
        QTimer cancelSoon;
        cancelSoon.setInterval(50);
        QObject::connect(&cancelSoon, &QTimer::timeout, this, [&transfers, &cancelSoon] {
            if (CSendProgressDlg* dialog = transfers.SendDialog(); dialog && dialog->isVisible()) {
                cancelSoon.stop();
                dialog->CancelButton()->click();
            }
        });
        cancelSoon.start();
        transfers.SendAll(nullptr);
        QVERIFY2(ui.Saw(Text(msg::SendCancelled)), ui.shown.empty() ? "nothing shown" : ui.shown.back().text.c_str());
        QVERIFY(!ui.Saw(Text(msg::SendAborted)));
        for (const TestUi::Shown& shown : ui.shown)
            QVERIFY2(shown.icon != MsgIcon::Error, shown.text.c_str());
        QVERIFY(transfers.SendDialog() == nullptr);
        QCOMPARE(transfers.Port().TransferMode(), Transfer::Idle);
        phone.Command("xon");
    }

    void sendCurrentAndDial()
    {
        TransferLine line(kPort, {});
        auto& [phone, doc, ui, transfers] = line;
        FillCards(doc, 3, 1);
        ui.shotPrefix = QStringLiteral("dial");
        ui.answers = { MsgAnswer::Yes, MsgAnswer::Yes };
        CKarte* card = doc.Cards().At(1);
        transfers.DialCurrent(card);
        QVERIFY(ui.Saw(Text(msg::DialQuestion)));
        QVERIFY(ui.Saw(Text(msg::CurrentCard) + Text(msg::CardDialled)));
        transfers.SendCurrent(card);
        QVERIFY(ui.Saw(Text(msg::CurrentCard) + Text(msg::CardSent) + "\n" + Text(msg::SendSuccessful)));
        QCOMPARE(card->EditedByte(), 0);
        QCOMPARE(doc.Cards().At(0)->EditedByte(), 1);
        phone.Command("sync");
        QCOMPARE(phone.Status("dials"), 1L);
        QCOMPARE(phone.Status("cards"), 1L);
    }
};

QTEST_MAIN(TransferTest)
#include "tst_transfer.moc"
