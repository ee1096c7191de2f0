// Sending to the simulated telephone: the exact bytes on the line.

#include "DeviceTestSupport.h"

#include "device/ReceiveHandler.h"
#include "device/SendFlows.h"
#include "model/Document.h"
#include "text/Language.h"
#include "text/MessageIds.h"
#include "support/LineRelay.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace velkaro {
namespace {

using namespace devtest;

std::unique_ptr<CKarte> Card(const std::string& name, const std::string& phone, bool edited = false, int mark = 0)
{
    auto c = std::make_unique<CKarte>();
    c->SetLine(0, name);
    if (!phone.empty())
        c->SetLine(1, phone);
    c->SetEditedByte(edited ? 1 : 0);
    c->SetMarkByte(static_cast<uint8_t>(mark));
    return c;
}

// Three cards: Adler (edited, marked), Meier (line 9 set), Zorn (edited).
void FillDoc(CPcxDoc& doc)
{
    doc.Cards().InsertSorted(Card("Adler", "0441", true, 1), false);
    auto meier = Card("Meier", "+41 44 123");
    meier->SetLine(9, "Zeile neun");
    doc.Cards().InsertSorted(std::move(meier), false);
    doc.Cards().InsertSorted(Card("Zorn", "", true), false);
}

std::string Record(const CKarte& c)
{
    std::string r;
    c.EncodeForDevice(r);
    return r;
}

// A port on a device, with the three cards of FillDoc and the answer to
// "Senden erfolgreich?" queued.
struct SendRig {
    TestUi ui;
    CPcxDoc doc;
    std::unique_ptr<CComPortEx> port;
    SendRig(const std::string& device, MsgAnswer answer) : port(OpenPort(device, ui))
    {
        FillDoc(doc);
        ui.answers.push_back(answer);
    }
};

const std::string kOffer = B({ 0x00, 0x0A });
const std::string kStart = B({ 0x00, 0x02 });
const std::string kEnd = B({ 0x00, 0x01 });

TEST(SendE2E, AllCardsAtHighSpeed)
{
    REQUIRE_SIM();
    Phone phone({}, "send-all");
    SendRig rig(phone.Device(), MsgAnswer::Yes);
    ASSERT_TRUE(rig.port);
    auto& [ui, doc, port] = rig;

    // Heard: the telephone answered the speed offer.
    SendOutcome out = SendCards(doc, *port, ui, false, nullptr);
    EXPECT_EQ(std::tuple(out.endCode, out.sentCount, out.confirmed, out.heard), std::tuple(SendEnd::Done, 3, true, true));
    EXPECT_EQ(ui.speedText, "Hoch");
    EXPECT_EQ(ui.sentUpdates, (std::vector<int> { 1, 2, 3 }));
    ASSERT_FALSE(ui.shown.empty());
    EXPECT_EQ(ui.LastText(), "Alle Karten gesendet\nAnzahl gesendete Karten: 3\nSenden erfolgreich?");
    EXPECT_EQ(ui.shown.back().buttons, MsgButtons::YesNo);

    const CCardList& cards = doc.Cards();
    std::string expected = kOffer + kStart + Record(*cards.At(0)) + Record(*cards.At(1)) + Record(*cards.At(2)) + kEnd;
    phone.Sim().Command("sync");
    EXPECT_EQ(Hex(phone.ProgramBytes()), Hex(expected));
    // The record of Meier carries ":" for line 9; Adler its mark.
    EXPECT_NE(Record(*cards.At(1)).find(":Zeile neun\r"), std::string::npos);
    EXPECT_NE(Record(*cards.At(0)).find("Qb\r"), std::string::npos);
    EXPECT_EQ(phone.Sim().Status("speedMismatches"), 0);
    EXPECT_EQ(phone.Sim().Status("cards"), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(cards.At(i)->EditedByte(), 0);
    EXPECT_EQ(port->BaudRate(), 9600);
    EXPECT_EQ(port->TransferMode(), Transfer::Idle);
    EXPECT_EQ(ReceptionBlocked, 0);
}

// Nothing on the line shows the telephone: a telephone that lets the speed
// offer go unanswered, and a line nobody reads, which takes the cards as
// readily. The send ends well, but its result claims no reception.
TEST(SendE2E, EditedCardsOnALineThatShowsNoTelephone)
{
    REQUIRE_SIM();
    for (bool nobody : { false, true }) {
        SCOPED_TRACE(nobody ? "nobody reads" : "no high speed");
        PtyPair pty;
        std::unique_ptr<Phone> phone = nobody ? nullptr : std::make_unique<Phone>(std::vector<std::string> { "--no-high-speed" }, "send-edited");
        SendRig rig(nobody ? pty.Device() : phone->Device(), MsgAnswer::No);
        ASSERT_TRUE(rig.port);
        auto& [ui, doc, port] = rig;

        SendOutcome out = SendCards(doc, *port, ui, true, nullptr);
        EXPECT_EQ(std::tuple(out.endCode, out.sentCount, out.confirmed, out.heard),
                  std::tuple(SendEnd::Done, 2, false, false));
        EXPECT_EQ(ui.speedText, "Normal");
        EXPECT_EQ(ui.LastText(), A("Karten gesendet, aber nichts auf der Leitung hat bestätigt, dass das Telefon sie "
                                   "empfangen hat.\nAnzahl gesendete Karten: 2\nSenden erfolgreich?"));
        const CCardList& cards = doc.Cards();
        if (phone)
            phone->Sim().Command("sync");
        EXPECT_EQ(Hex(phone ? phone->ProgramBytes() : pty.ReadAvailable()),
                  Hex(kOffer + kStart + Record(*cards.At(0)) + Record(*cards.At(2)) + kEnd));
        // No: the edited marks stay.
        EXPECT_EQ(cards.At(0)->EditedByte(), 1);
        EXPECT_EQ(cards.At(2)->EditedByte(), 1);
        EXPECT_EQ(port->BaudRate(), 9600);
    }
}

TEST(SendE2E, WithoutHighSpeedNoOfferIsMade)
{
    REQUIRE_SIM();
    Phone phone({}, "send-slow");
    TestUi ui;
    auto port = OpenPort(phone.Device(), ui, false);
    ASSERT_TRUE(port);
    CPcxDoc doc;
    FillDoc(doc);
    ui.answers.push_back(MsgAnswer::Yes);
    SendCards(doc, *port, ui, false, nullptr);
    const CCardList& cards = doc.Cards();
    phone.Sim().Command("sync");
    EXPECT_EQ(Hex(phone.ProgramBytes()),
              Hex(kStart + Record(*cards.At(0)) + Record(*cards.At(1)) + Record(*cards.At(2)) + kEnd));
}

TEST(SendE2E, SelectionAndFieldNames)
{
    REQUIRE_SIM();
    Phone phone({}, "send-selection");
    TestUi ui;
    auto port = OpenPort(phone.Device(), ui);
    ASSERT_TRUE(port);
    CPcxDoc doc;
    FillDoc(doc);
    auto names = std::make_unique<CKarte>();
    names->SetLine(0, ReservedName());
    names->SetLine(1, "Handy");
    doc.Cards().SetFieldNames(std::move(names));

    // Without a selection the field names go last; the user is told of the
    // three cards the status bar counts, in the progress and at the end.
    ui.answers.push_back(MsgAnswer::No);
    SendOutcome all = SendCards(doc, *port, ui, false, nullptr);
    EXPECT_EQ(all.sentCount, 4);
    EXPECT_EQ(ui.LastText(), "Alle Karten gesendet\nAnzahl gesendete Karten: 3\nSenden erfolgreich?");
    ASSERT_FALSE(ui.sentUpdates.empty());
    EXPECT_EQ(*std::max_element(ui.sentUpdates.begin(), ui.sentUpdates.end()), doc.Cards().Count());

    // With one, only the cards that pass, and no field names.
    CSelection selection;
    selection.SetSearchText("meier");
    selection.Start(false);
    ui.answers.push_back(MsgAnswer::Ok);  // "Selektion eingeschaltet"
    ui.answers.push_back(MsgAnswer::No);
    SendOutcome some = SendCards(doc, *port, ui, false, &selection);
    EXPECT_EQ(some.sentCount, 1);
    EXPECT_EQ(ui.LastText(), "Alle selektierten Karten gesendet\nAnzahl gesendete Karten: 1\nSenden erfolgreich?");

    // Cancel at the selection question sends nothing.
    phone.Sim().Command("sync");
    std::size_t before = phone.ProgramBytes().size();
    ui.answers.push_back(MsgAnswer::Cancel);
    SendOutcome none = SendCards(doc, *port, ui, false, &selection);
    EXPECT_FALSE(none.ran);
    phone.Sim().Command("sync");
    EXPECT_EQ(phone.ProgramBytes().size(), before);

    const CCardList& cards = doc.Cards();
    std::string expected = kOffer + kStart + Record(*cards.At(0)) + Record(*cards.At(1)) + Record(*cards.At(2))
                           + Record(*cards.FieldNames()) + kEnd + kOffer + kStart + Record(*cards.At(1)) + kEnd;
    EXPECT_EQ(Hex(phone.ProgramBytes()), Hex(expected));
}

TEST(SendE2E, NothingToSendWritesNothing)
{
    REQUIRE_SIM();
    Phone phone({}, "send-nothing");
    TestUi ui;
    auto port = OpenPort(phone.Device(), ui);
    ASSERT_TRUE(port);
    CPcxDoc doc;
    doc.Cards().InsertSorted(Card("Meier", "1"), false);
    SendOutcome out = SendCards(doc, *port, ui, true, nullptr);
    EXPECT_FALSE(out.ran);
    EXPECT_EQ(ui.LastText(), "Es gibt nichts zu senden");
    phone.Sim().Command("sync");
    EXPECT_EQ(phone.ProgramBytes(), "");
    EXPECT_EQ(ReceptionBlocked, 0);
}

TEST(SendE2E, CancelStopsAfterTheCurrentCardAndEndsTheTransfer)
{
    REQUIRE_SIM();
    Phone phone({ "--no-high-speed" }, "send-cancel");
    // At the line's own pace a card takes about a second, so the cancel of
    // the first progress notice comes long before the last card, however
    // idle the machine.
    test::LineRelay relay(phone.Device());
    ASSERT_TRUE(relay.Ok()) << relay.Error();
    TestUi ui;
    auto port = OpenPort(relay.Device(), ui, false);
    ASSERT_TRUE(port);
    CPcxDoc doc;
    constexpr int kCards = 20;
    for (int i = 0; i < kCards; ++i) {
        auto c = Card("Karte " + std::to_string(1000 + i), "0441234567", true);
        for (int l = 2; l < 32; ++l)
            c->SetLine(l, std::string(30, static_cast<char>('a' + l % 26)));
        doc.Cards().InsertSorted(std::move(c), false);
    }
    ui.cancelSendAt = 1;
    ui.answers.push_back(MsgAnswer::Yes);
    SendOutcome out = SendCards(doc, *port, ui, false, nullptr);
    EXPECT_EQ(out.endCode, SendEnd::Cancelled);
    // Both neighbours of the last card sent are looked at below.
    ASSERT_GE(out.sentCount, 1);
    ASSERT_LT(out.sentCount, kCards);
    EXPECT_EQ(ui.LastText(),
              "Senden abgebrochen\nAnzahl gesendete Karten: " + std::to_string(out.sentCount) + "\nSenden erfolgreich?");
    // Only the cards that went out lose their mark.
    EXPECT_EQ(doc.Cards().At(out.sentCount - 1)->EditedByte(), 0);
    EXPECT_EQ(doc.Cards().At(out.sentCount)->EditedByte(), 1);

    ASSERT_TRUE(WaitUntil([&] {
        phone.Sim().Command("sync");
        std::string b = phone.ProgramBytes();
        return b.size() >= 2 && b.substr(b.size() - 2) == kEnd;
    }));
    std::string expected = kStart;
    for (int i = 0; i < out.sentCount; ++i)
        expected += Record(*doc.Cards().At(i));
    expected += kEnd;
    EXPECT_EQ(Hex(phone.ProgramBytes()), Hex(expected));
    EXPECT_EQ(port->TransferMode(), Transfer::Idle);
}

TEST(SendE2E, CurrentCardAndDial)
{
    REQUIRE_SIM();
    Phone phone({}, "send-current");
    TestUi ui;
    auto port = OpenPort(phone.Device(), ui);
    ASSERT_TRUE(port);
    CPcxDoc doc;
    FillDoc(doc);
    CKarte* meier = doc.Cards().At(1);
    meier->SetEditedByte(1);

    ui.answers.push_back(MsgAnswer::Yes);  // "Senden erfolgreich?"
    EXPECT_TRUE(SendCurrentCard(doc, *port, ui, meier, false));
    EXPECT_EQ(ui.LastText(), "Aktuelle Karte gesendet\nSenden erfolgreich?");
    EXPECT_EQ(meier->EditedByte(), 0);

    ui.answers.push_back(MsgAnswer::No);  // dial? no
    EXPECT_FALSE(SendCurrentCard(doc, *port, ui, meier, true));
    ui.answers.push_back(MsgAnswer::Yes);
    EXPECT_TRUE(SendCurrentCard(doc, *port, ui, meier, true));
    EXPECT_EQ(ui.LastText(), A("Aktuelle Karte gewählt"));

    // A name that does not start with a letter is refused.
    CKarte bad;
    bad.SetLine(0, "112");
    EXPECT_FALSE(SendCurrentCard(doc, *port, ui, &bad, false));
    EXPECT_EQ(ui.LastText(), "Erste Zeile muss alphabetisch beginnen");

    phone.Sim().Command("sync");
    std::string rec = Record(*meier);
    // No speed offer for a single card.
    EXPECT_EQ(Hex(phone.ProgramBytes()), Hex(kStart + rec + kEnd + B({ 0x00, 0x04 }) + rec + kEnd));
    EXPECT_EQ(phone.Sim().Status("dials"), 1);
    EXPECT_EQ(ReceptionBlocked, 0);
}

TEST(SendE2E, PortCheck)
{
    App();
    TestUi ui;
    CComPortEx port;
    port.SetUserInterface(&ui);
    CPcxDoc doc;
    FillDoc(doc);
    SendOutcome out = SendCards(doc, port, ui, false, nullptr);
    EXPECT_FALSE(out.ran);
    EXPECT_TRUE(ui.Showed(A("Wählen Sie zuerst einen seriellen Anschluss aus")));
    EXPECT_FALSE(SendCurrentCard(doc, port, ui, doc.Cards().At(0), true));
    EXPECT_EQ(ui.CountShown(A("Wählen Sie zuerst")), 2);
}

TEST(SendE2E, HangUpInMidTransferEndsWithAnError)
{
    REQUIRE_SIM();
    Phone phone({ "--no-high-speed", "--hangup-after", "200" }, "send-hangup");
    TestUi ui;
    auto port = OpenPort(phone.Device(), ui, false);
    ASSERT_TRUE(port);
    CPcxDoc doc;
    for (int i = 0; i < 200; ++i) {
        auto c = Card("Karte " + std::to_string(1000 + i), "0441234567", true);
        for (int l = 2; l < 32; ++l)
            c->SetLine(l, std::string(30, 'x'));
        doc.Cards().InsertSorted(std::move(c), false);
    }
    ui.answers.push_back(MsgAnswer::No);
    SendOutcome out = SendCards(doc, *port, ui, false, nullptr);
    EXPECT_EQ(out.endCode, SendEnd::Failed);
    EXPECT_LT(out.sentCount, 200);
    EXPECT_TRUE(ui.Showed("Senden wegen Fehler abgebrochen"));
    EXPECT_LE(ui.errorsShown, 2);
    EXPECT_FALSE(port->IsOpen() && port->TransferMode() != Transfer::Idle);
    Spin(200);
    EXPECT_LE(ui.errorsShown, 2);  // no flood of notices afterwards
}

// A late answer to the speed offer reaches the program while the cards
// already go out at normal speed. It is answered with go, and it must not
// arm the watchdog of a reception: that would end the transfer mode, and
// with it the line's set-up, in the middle of the send.
TEST(SendE2E, TelephoneBytesDuringASendLeaveTheSendAlone)
{
    PtyPair pty;
    TestUi ui;
    std::unique_ptr<CComPortEx> port = OpenPort(pty.Device(), ui, true);
    ASSERT_NE(port, nullptr);
    CReceiveHandler handler(*port, ui, nullptr);
    // The mode a bulk send runs in, from its start to its end.
    port->SetTransferMode(Transfer::Sending);
    ASSERT_TRUE(pty.Write(B({ 0x12 })));
    std::string fromProgram;
    ASSERT_TRUE(WaitUntil([&] {
        fromProgram += pty.ReadAvailable(0);
        return fromProgram.find('\x11') != std::string::npos;
    }));
    EXPECT_EQ(Hex(fromProgram), "11");
    EXPECT_EQ(handler.TransferTimerKind(), TransferTimer::None);
    EXPECT_EQ(port->TransferMode(), Transfer::Sending);
    EXPECT_EQ(port->BaudRate(), kNormalBaud);
    EXPECT_TRUE(ui.shown.empty());
    port->SetTransferMode(Transfer::Idle);
}

// A telephone whose transfers are locked answers the start of the send with
// 00 0B and takes nothing: the receiver says why, the send ends as failed
// with no card sent, and no card loses its edited mark, whatever the user
// answers.
TEST(SendE2E, ALockedTelephoneRefusesTheSend)
{
    REQUIRE_SIM();
    for (bool highSpeed : { true, false }) {
        SCOPED_TRACE(highSpeed);
        Phone phone({ "--locked" }, "send-locked");
        TestUi ui;
        auto port = OpenPort(phone.Device(), ui, highSpeed);
        ASSERT_TRUE(port);
        CReceiveHandler handler(*port, ui, nullptr);
        CPcxDoc doc;
        FillDoc(doc);
        ui.answers.push_back(MsgAnswer::Ok);
        ui.answers.push_back(MsgAnswer::Yes);

        SendOutcome out = SendCards(doc, *port, ui, false, nullptr);
        EXPECT_EQ(out.endCode, SendEnd::Failed);
        EXPECT_EQ(out.sentCount, 0);
        ASSERT_EQ(ui.shown.size(), 2u);
        EXPECT_EQ(ui.shown[0].text, Text(msg::TransferLocked));
        EXPECT_EQ(ui.LastText(), "Senden wegen Fehler abgebrochen\nAnzahl gesendete Karten: 0\nSenden erfolgreich?");
        EXPECT_EQ(doc.Cards().At(0)->EditedByte(), 1);
        EXPECT_EQ(doc.Cards().At(2)->EditedByte(), 1);
        EXPECT_EQ(port->TransferMode(), Transfer::Idle);
        EXPECT_EQ(port->BaudRate(), kNormalBaud);
        phone.Sim().Command("sync");
        EXPECT_EQ(phone.Sim().Status("cards"), 0);
        EXPECT_EQ(ReceptionBlocked, 0);
    }
}

// The telephone holds the line with XOFF before the first byte of a send.
// Cancel ends the send without waiting for the held write's time-out (and
// then the end sequence's): no write error, the result is "cancelled", and
// the line is usable again once the telephone lets go.
TEST(SendE2E, CancelWhileTheTelephoneHoldsTheLine)
{
    REQUIRE_SIM();
    Phone phone({ "--no-high-speed" }, "send-held");
    TestUi ui;
    auto port = OpenPort(phone.Device(), ui, false);
    ASSERT_TRUE(port);
    CPcxDoc doc;
    FillDoc(doc);
    phone.Sim().Command("xoff");
    Spin(50);
    ui.answers.push_back(MsgAnswer::No);
    bool cancelled = false;
    QTimer cancelSoon;
    cancelSoon.setSingleShot(true);
    QObject::connect(&cancelSoon, &QTimer::timeout, [&] {
        if (ui.sendCancel) {
            cancelled = true;
            ui.sendCancel();
        }
    });
    cancelSoon.start(300);
    SendOutcome out = SendCards(doc, *port, ui, false, nullptr);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(out.endCode, SendEnd::Cancelled);
    EXPECT_EQ(out.sentCount, 0);
    EXPECT_EQ(ui.errorsShown, 0);
    EXPECT_TRUE(ui.Showed("Senden abgebrochen"));
    EXPECT_FALSE(ui.Showed("Schreib-Fehler"));
    EXPECT_EQ(port->TransferMode(), Transfer::Idle);

    phone.Sim().Command("xon");
    Spin(100);
    EXPECT_TRUE(port->Write(B({ 0x00, 0x01 }), false));
    EXPECT_TRUE(port->WaitWritten(false));
}

}  // namespace
}  // namespace velkaro
