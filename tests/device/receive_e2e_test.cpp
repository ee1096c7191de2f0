// Receiving from the simulated telephone: cards and the call list, with the
// pacing, the speed switch and the faults of a real line.

#include "DeviceTestSupport.h"

#include "text/Language.h"
#include "settings/Settings.h"
#include "text/MessageIds.h"
#include "device/ReceiveHandler.h"
#include "model/Archive.h"
#include "model/Document.h"
#include "support/LineRelay.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>

namespace velkaro {
namespace {

using namespace devtest;

// The telephone's address book: n cards named "Person 001".., one with a
// mark, two with equal names, one with an umlaut and a long extra line;
// with fieldNames also the card of the field names, which it sends along.
std::string PhoneBook(const std::string& dir, int n, bool fieldNames = false)
{
    CCardList list;
    for (int i = 0; i < n; ++i) {
        auto c = std::make_unique<CKarte>();
        char name[32];
        std::snprintf(name, sizeof name, "Person %03d", i);
        c->SetLine(0, name);
        c->SetLine(1, "0441234" + std::to_string(i));
        c->SetLine(2, "Strasse " + std::to_string(i));
        if (i == 1)
            c->SetMarkByte(1);
        list.Append(std::move(c));
    }
    auto m = std::make_unique<CKarte>();
    m->SetLine(0, A("Müller"));
    m->SetLine(31, std::string(30, 'z'));
    list.Append(std::move(m));
    if (fieldNames) {
        auto names = std::make_unique<CKarte>();
        names->SetLine(0, ReservedName());
        names->SetLine(1, "Handy");
        list.SetFieldNames(std::move(names));
    }
    std::string path = dir + "/book.vlx";
    EXPECT_TRUE(SaveCardFile(path, list));
    return path;
}

struct Reception {
    Received kind = Received::Nothing;
    ReceiveEnd code = ReceiveEnd::Done;
    bool taken = false;
    int count = 0;
};

struct Receiver {
    TestUi ui;
    CPcxDoc doc;
    std::unique_ptr<CComPortEx> port;
    std::unique_ptr<CReceiveHandler> handler;
    std::vector<Reception> done;
    int callLists = 0;
    int unanswered = 0;

    bool Open(const std::string& device, bool highSpeed = true)
    {
        port = OpenPort(device, ui, highSpeed);
        if (!port)
            return false;
        handler = std::make_unique<CReceiveHandler>(*port, ui, &doc);
        QObject::connect(handler.get(), &CReceiveHandler::ReceptionFinished,
                         [this](Received kind, ReceiveEnd code, bool taken) { done.push_back({ kind, code, taken }); });
        QObject::connect(handler.get(), &CReceiveHandler::CallListReceived, [this] { ++callLists; });
        QObject::connect(handler.get(), &CReceiveHandler::CallListUnanswered, [this] { ++unanswered; });
        return true;
    }
    bool WaitDone(int ms = 15000)
    {
        return WaitUntil([this] { return !done.empty(); }, ms);
    }
};

void ExpectPhoneBook(const CCardList& cards, int n)
{
    ASSERT_EQ(cards.Count(), n + 1);
    EXPECT_EQ(cards.At(0)->GetLine(0), A("Müller"));
    EXPECT_EQ(cards.At(0)->GetLine(31), std::string(30, 'z'));
    EXPECT_EQ(cards.At(1)->GetLine(0), "Person 000");
    EXPECT_EQ(cards.At(2)->MarkByte(), 1);
    EXPECT_EQ(cards.At(n)->GetLine(2), "Strasse " + std::to_string(n - 1));
}

TEST(ReceiveE2E, CardsInManyChunksWithHoldAndGo)
{
    REQUIRE_SIM();
    std::string dir = simtest::TempDir("rx-many");
    Phone phone({ "--cards", PhoneBook(dir, 20, true), "--send-on-start", "--chunk", "7" }, "rx-many");
    Receiver rx;
    ASSERT_TRUE(rx.Open(phone.Device()));
    ASSERT_TRUE(rx.WaitDone());
    EXPECT_EQ(rx.done[0].kind, Received::Cards);
    EXPECT_EQ(rx.done[0].code, ReceiveEnd::Done);
    EXPECT_TRUE(rx.done[0].taken);  // the document was empty: OK only
    EXPECT_EQ(rx.ui.receiveBegins, 1);
    EXPECT_EQ(rx.ui.receiveEnds, 1);
    EXPECT_FALSE(rx.ui.receiveCallList);
    // The field-names card came too; the user counts the cards without it,
    // as the status bar does.
    EXPECT_TRUE(rx.ui.Showed("21 Karten vom Velkaro empfangen.\n"));
    ASSERT_FALSE(rx.ui.receivedUpdates.empty());
    EXPECT_LE(*std::max_element(rx.ui.receivedUpdates.begin(), rx.ui.receivedUpdates.end()), 21);
    ExpectPhoneBook(rx.doc.Cards(), 20);
    ASSERT_NE(rx.doc.Cards().FieldNames(), nullptr);
    EXPECT_EQ(rx.doc.Cards().FieldNames()->GetLine(1), "Handy");
    // Hold right after the start, go 300 ms later.
    phone.Sim().Command("sync");
    EXPECT_EQ(Hex(phone.ProgramBytes()), Hex(std::string(8, '\x13') + "\x11"));
    EXPECT_EQ(rx.port->TransferMode(), Transfer::Idle);
    EXPECT_EQ(ReceptionBlocked, 0);
    EXPECT_EQ(rx.port->Parser().ReceivedCards(), nullptr);
}

TEST(ReceiveE2E, CardsInOneChunkShowNoProgress)
{
    REQUIRE_SIM();
    std::string dir = simtest::TempDir("rx-one");
    // One card of under 100 bytes, written in one piece without waiting for
    // a hold.
    Phone phone({ "--cards", PhoneBook(dir, 0), "--send-on-start", "--chunk", "4096", "--hold-wait", "0" }, "rx-one");
    Receiver rx;
    ASSERT_TRUE(rx.Open(phone.Device(), false));
    ASSERT_TRUE(rx.WaitDone());
    EXPECT_EQ(rx.ui.receiveBegins, 0);
    EXPECT_TRUE(rx.done[0].taken);
    EXPECT_EQ(rx.doc.Cards().Count(), 1);
    // Without high speed no hold and no go.
    phone.Sim().Command("sync");
    EXPECT_EQ(phone.ProgramBytes(), "");
}

TEST(ReceiveE2E, SpeedSwitchNoiseAndReplacingExistingCards)
{
    REQUIRE_SIM();
    std::string dir = simtest::TempDir("rx-speed");
    Phone phone({ "--cards", PhoneBook(dir, 30), "--send-on-start", "--switch-speed", "--noise" }, "rx-speed");
    Receiver rx;
    auto old = std::make_unique<CKarte>();
    old->SetLine(0, "Alt");
    rx.doc.Cards().InsertSorted(std::move(old), false);
    rx.ui.answers.push_back(MsgAnswer::Ok);  // replace the old cards
    ASSERT_TRUE(rx.Open(phone.Device()));
    ASSERT_TRUE(rx.WaitDone());
    EXPECT_TRUE(rx.done[0].taken);
    EXPECT_EQ(rx.ui.speedText, "Hoch");
    EXPECT_TRUE(rx.ui.Showed(A("Mit dem Speichern der neuen Karten werden die bisherigen Karten gelöscht!")));
    ExpectPhoneBook(rx.doc.Cards(), 30);
    phone.Sim().Command("sync");
    // Hold, then go at once after the switch (the 300 ms go is not sent).
    EXPECT_EQ(Hex(phone.ProgramBytes()), Hex(std::string(8, '\x13') + "\x11"));
    EXPECT_EQ(phone.Sim().Status("speedMismatches"), 0);
    EXPECT_EQ(rx.port->BaudRate(), 9600);
}

// At the line's real pace the port reads a streaming reception in batches;
// the last bytes, fewer than a batch, still end the transfer (not the
// watchdog), and the telephone sees the same hold and go.
TEST(ReceiveE2E, PacedLineAtHighSpeedEndsWithTheLastBytes)
{
    REQUIRE_SIM();
    std::string dir = simtest::TempDir("rx-paced");
    Phone phone({ "--cards", PhoneBook(dir, 30), "--switch-speed" }, "rx-paced");
    test::LineRelay relay(phone.Device());
    ASSERT_TRUE(relay.Ok()) << relay.Error();
    Receiver rx;
    ASSERT_TRUE(rx.Open(relay.Device()));
    phone.Sim().Command("send");
    ASSERT_TRUE(rx.WaitDone());
    EXPECT_EQ(rx.done[0].code, ReceiveEnd::Done);
    EXPECT_EQ(rx.ui.speedText, "Hoch");
    ExpectPhoneBook(rx.doc.Cards(), 30);
    phone.Sim().Command("sync");
    EXPECT_EQ(Hex(phone.ProgramBytes()), Hex(std::string(8, '\x13') + "\x11"));
}

TEST(ReceiveE2E, RefusedConsentKeepsTheOldCards)
{
    REQUIRE_SIM();
    std::string dir = simtest::TempDir("rx-refuse");
    Phone phone({ "--cards", PhoneBook(dir, 3), "--send-on-start" }, "rx-refuse");
    Receiver rx;
    auto old = std::make_unique<CKarte>();
    old->SetLine(0, "Alt");
    rx.doc.Cards().InsertSorted(std::move(old), false);
    rx.ui.answers.push_back(MsgAnswer::Cancel);
    ASSERT_TRUE(rx.Open(phone.Device()));
    ASSERT_TRUE(rx.WaitDone());
    EXPECT_FALSE(rx.done[0].taken);
    EXPECT_EQ(rx.ui.LastText(), A("Die empfangenen Karten wurden nicht gespeichert."));
    ASSERT_EQ(rx.doc.Cards().Count(), 1);
    EXPECT_EQ(rx.port->Parser().ReceivedCards(), nullptr);
}

TEST(ReceiveE2E, LockedTelephone)
{
    REQUIRE_SIM();
    std::string dir = simtest::TempDir("rx-locked");
    Phone phone({ "--cards", PhoneBook(dir, 3), "--send-on-start", "--locked" }, "rx-locked");
    Receiver rx;
    ASSERT_TRUE(rx.Open(phone.Device()));
    ASSERT_TRUE(WaitUntil([&] { return rx.ui.Showed(A("Keine Daten-Übertragung möglich")); }));
    EXPECT_EQ(rx.port->TransferMode(), Transfer::Idle);
    EXPECT_EQ(rx.handler->TransferTimerKind(), TransferTimer::None);
    EXPECT_TRUE(rx.done.empty());
}

TEST(ReceiveE2E, SilenceInMidTransferTimesOutAndOffersWhatArrived)
{
    REQUIRE_SIM();
    std::string dir = simtest::TempDir("rx-silent");
    Phone phone({ "--cards", PhoneBook(dir, 20), "--send-on-start", "--silence-after", "300" }, "rx-silent");
    Receiver rx;
    ASSERT_TRUE(rx.Open(phone.Device()));
    ASSERT_TRUE(rx.WaitDone());
    EXPECT_EQ(rx.done[0].code, ReceiveEnd::Timeout);
    EXPECT_TRUE(rx.done[0].taken);
    EXPECT_TRUE(rx.ui.Showed("Unerwarteter Empfangs-Abbruch (Timeout).\n"));
    EXPECT_EQ(rx.ui.shown.front().icon, MsgIcon::Warning);
    EXPECT_GT(rx.doc.Cards().Count(), 0);
    EXPECT_LT(rx.doc.Cards().Count(), 21);
    EXPECT_EQ(rx.port->TransferMode(), Transfer::Idle);
}

TEST(ReceiveE2E, CancelKeepsWhatArrivedAndDropsTheRest)
{
    REQUIRE_SIM();
    std::string dir = simtest::TempDir("rx-cancel");
    Phone phone({ "--cards", PhoneBook(dir, 40), "--send-on-start", "--delay", "5" }, "rx-cancel");
    Receiver rx;
    rx.ui.cancelReceiveAt = 3;
    ASSERT_TRUE(rx.Open(phone.Device()));
    ASSERT_TRUE(rx.WaitDone());
    EXPECT_EQ(rx.done[0].code, ReceiveEnd::Cancelled);
    EXPECT_TRUE(rx.ui.Showed("Empfang abgebrochen.\n"));
    int kept = rx.doc.Cards().Count();
    EXPECT_GE(kept, 3);
    EXPECT_LT(kept, 41);
    // The rest of the transfer is read and dropped, then the line is idle.
    ASSERT_TRUE(WaitUntil([&] { return rx.port->TransferMode() == Transfer::Idle; }));
    Spin(100);
    EXPECT_EQ(rx.doc.Cards().Count(), kept);
    EXPECT_EQ(rx.done.size(), 1u);
}

TEST(ReceiveE2E, HangUpInMidTransferClosesThePortOnce)
{
    REQUIRE_SIM();
    std::string dir = simtest::TempDir("rx-hangup");
    Phone phone({ "--cards", PhoneBook(dir, 20), "--send-on-start", "--hangup-after", "400" }, "rx-hangup");
    Receiver rx;
    ASSERT_TRUE(rx.Open(phone.Device()));
    ASSERT_TRUE(rx.WaitDone());
    EXPECT_FALSE(rx.port->IsOpen());
    EXPECT_EQ(rx.ui.errorsShown, 1);
    // One box says what happened, naming the line, then the result offers
    // what arrived; nothing about opening a port or a time-out. A hung-up
    // pseudo-terminal gives no reason of its own, so none is made up.
    ASSERT_GE(rx.ui.shown.size(), 2u);
    EXPECT_EQ(rx.ui.shown[0].text, A("Die Verbindung über ") + phone.Device() + " ist unterbrochen worden.");
    EXPECT_EQ(rx.ui.shown[0].icon, MsgIcon::Error);
    EXPECT_NE(rx.ui.shown[1].text.find(Text(msg::ReceptionLineFailed)), std::string::npos) << rx.ui.shown[1].text;
    EXPECT_FALSE(rx.ui.Showed(A("Fehler beim Öffnen")));
    EXPECT_FALSE(rx.ui.Showed("Timeout"));
    EXPECT_EQ(rx.done[0].code, ReceiveEnd::LineFailed);
    EXPECT_TRUE(rx.done[0].taken);
    EXPECT_GT(rx.doc.Cards().Count(), 0);
    Spin(300);
    EXPECT_EQ(rx.ui.errorsShown, 1);  // reported once, no flood
    EXPECT_EQ(rx.done.size(), 1u);
}

std::string CallListFile(const std::string& dir)
{
    std::string path = dir + "/calls.txt";
    simtest::WriteWholeFile(path,
                            "20.03.04;10:15;0;0001:23;1;1;0;2;0;0441234567;Meier;1\n"
                            "16.03.04;09:00;0;0000:05;0;1;0;1;1;12;Intern;2\n"
                            "15.03.04;08:00;0;0000:10;1;1;0;1;0;0815;Adler;1\n"
                            "10.03.04;07:00;0;0000:20;1;1;0;1;0;0816;Zorn;1\n");
    return path;
}

TEST(ReceiveE2E, CallListWithDateThreshold)
{
    REQUIRE_SIM();
    std::string dir = simtest::TempDir("rx-calls");
    Phone phone({ "--calllist", CallListFile(dir) }, "rx-calls");
    Receiver rx;
    ASSERT_TRUE(rx.Open(phone.Device()));
    ASSERT_TRUE(rx.handler->SendCallListRequest(DateOrdinal("15.03.2004")));
    EXPECT_EQ(rx.handler->TransferTimerKind(), TransferTimer::CallListAnswer);
    ASSERT_TRUE(rx.WaitDone());
    EXPECT_EQ(rx.done[0].kind, Received::CallList);
    EXPECT_EQ(rx.callLists, 1);
    EXPECT_TRUE(rx.ui.Showed("2 Zeilen der Anrufliste vom Velkaro empfangen.\n"));
    const CCallList* list = rx.port->Parser().CallList();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->Count(), 2);
    EXPECT_EQ(list->Head()->Field(0), "16.03.04");
    EXPECT_EQ(list->Tail()->Field(callfield::Name), "Meier");
    EXPECT_EQ(list->Tail()->FieldCount(), 12);
    EXPECT_EQ(CSettings::Instance().CallListDate(), "20.03.04");
    phone.Sim().Command("sync");
    std::string bytes = phone.ProgramBytes();
    EXPECT_EQ(Hex(bytes.substr(0, 2)), "00 08");
    // The rest of the transfer is dropped quietly; the line returns to idle.
    ASSERT_TRUE(WaitUntil([&] { return rx.port->TransferMode() == Transfer::Idle; }));
    EXPECT_EQ(rx.done.size(), 1u);
}

TEST(ReceiveE2E, WholeCallListWithoutThreshold)
{
    REQUIRE_SIM();
    Phone phone({}, "rx-calls-all");
    Receiver rx;
    ASSERT_TRUE(rx.Open(phone.Device()));
    ASSERT_TRUE(rx.handler->SendCallListRequest(0));
    ASSERT_TRUE(rx.WaitDone());
    EXPECT_TRUE(rx.ui.receiveCallList);
    ASSERT_NE(rx.port->Parser().CallList(), nullptr);
    EXPECT_GE(rx.port->Parser().CallRecordCount(), 10);  // the simulator's sample list
    EXPECT_EQ(rx.done[0].code, ReceiveEnd::Done);
}

TEST(ReceiveE2E, CallListAnsweredInOneChunkEndsTheWaitForTheAnswer)
{
    REQUIRE_SIM();
    std::string dir = simtest::TempDir("rx-calls-one");
    std::string path = dir + "/calls.txt";
    simtest::WriteWholeFile(path, "01.04.04;08:00;0;0000:07;1;1;0;1;0;12;Eva;1\n");
    // Start, the record and the end in one write, under the 100 bytes of
    // one read: the whole answer comes as one chunk.
    Phone phone({ "--calllist", path, "--chunk", "4096", "--hold-wait", "0" }, "rx-calls-one");
    Receiver rx;
    ASSERT_TRUE(rx.Open(phone.Device(), false));
    ASSERT_TRUE(rx.handler->SendCallListRequest(0));
    ASSERT_TRUE(rx.WaitDone());
    EXPECT_EQ(rx.done[0].kind, Received::CallList);
    EXPECT_EQ(rx.ui.receiveBegins, 0);
    EXPECT_EQ(rx.port->Parser().CallRecordCount(), 1);
    // The answer came: nothing may later claim that the telephone was silent.
    EXPECT_EQ(rx.handler->TransferTimerKind(), TransferTimer::None);
    EXPECT_EQ(rx.unanswered, 0);
    EXPECT_FALSE(rx.ui.Showed("Keine Antwort vom Velkaro"));
}

TEST(ReceiveE2E, EmptyCallListInOneChunkEndsTheWaitForTheAnswer)
{
    REQUIRE_SIM();
    std::string dir = simtest::TempDir("rx-calls-none");
    std::string path = dir + "/calls.txt";
    simtest::WriteWholeFile(path, "# no calls\n");
    Phone phone({ "--calllist", path, "--chunk", "4096", "--hold-wait", "0" }, "rx-calls-none");
    Receiver rx;
    ASSERT_TRUE(rx.Open(phone.Device(), false));
    std::vector<Transfer> modes;
    QObject::connect(rx.port.get(), &CComPortEx::PortModeChanged, [&](Transfer mode) { modes.push_back(mode); });
    ASSERT_TRUE(rx.handler->SendCallListRequest(0));
    ASSERT_TRUE(WaitUntil([&] { return modes.size() >= 2; }));
    EXPECT_EQ(modes, (std::vector<Transfer> { Transfer::ReceivingCallList, Transfer::Idle }));
    EXPECT_EQ(rx.handler->TransferTimerKind(), TransferTimer::None);
    EXPECT_EQ(rx.unanswered, 0);
    EXPECT_TRUE(rx.ui.shown.empty());
    EXPECT_EQ(rx.port->Parser().CallRecordCount(), 0);
}

TEST(ReceiveE2E, CallListRequestWithoutAnswer)
{
    REQUIRE_SIM();
    Phone phone({ "--silence-after", "0" }, "rx-calls-silent");
    Receiver rx;
    ASSERT_TRUE(rx.Open(phone.Device()));
    ASSERT_TRUE(rx.handler->SendCallListRequest(0));
    ASSERT_TRUE(WaitUntil([&] { return rx.unanswered > 0; }));
    EXPECT_TRUE(rx.ui.Showed("Fehler bei Anrufliste empfangen:\nKeine Antwort vom Velkaro."));
    EXPECT_TRUE(rx.done.empty());
    EXPECT_EQ(rx.port->Parser().CallList(), nullptr);
}

TEST(ReceiveE2E, BlockedReceptionDropsTheTransferSilently)
{
    REQUIRE_SIM();
    std::string dir = simtest::TempDir("rx-blocked");
    Phone phone({ "--cards", PhoneBook(dir, 5), "--send-on-start" }, "rx-blocked");
    Receiver rx;
    ReceptionBlocked = 1;
    ASSERT_TRUE(rx.Open(phone.Device()));
    ASSERT_TRUE(WaitUntil([&] { return rx.port->Parser().IgnoreRest == 1; }));
    ASSERT_TRUE(WaitUntil([&] { return rx.port->TransferMode() == Transfer::Idle; }));
    ReceptionBlocked = 0;
    EXPECT_TRUE(rx.ui.shown.empty());
    EXPECT_EQ(rx.ui.receiveBegins, 0);
    EXPECT_TRUE(rx.done.empty());
    EXPECT_EQ(rx.doc.Cards().Count(), 0);
}

// The telephone sends its cards but holds the program's output with XOFF:
// the hold and go cannot go out. The window goes on reading, and when the
// hold outlasts the write time-out the reception ends with the reason and
// the offer of what arrived.
TEST(ReceiveE2E, OutputHeldPastTheWriteTimeOutEndsTheReception)
{
    PtyPair line;
    Receiver rx;
    ASSERT_TRUE(rx.Open(line.Device()));
    ASSERT_TRUE(line.Write(B({ 0x13, 0x00, 0x09 })));
    int sent = 0;
    // A card a second keeps the watchdog quiet; the telephone never lets go.
    QTimer cards;
    QObject::connect(&cards, &QTimer::timeout, [&] {
        CKarte card;
        card.SetLine(0, "Person " + std::to_string(100 + sent));
        card.SetLine(1, "0441");
        std::string record;
        card.EncodeForDevice(record);
        if (line.Write(record))
            ++sent;
    });
    cards.start(1000);
    ASSERT_TRUE(rx.WaitDone(20000));
    cards.stop();
    EXPECT_EQ(rx.done[0].code, ReceiveEnd::LineFailed);
    EXPECT_TRUE(rx.done[0].taken);
    EXPECT_GT(rx.doc.Cards().Count(), 0);
    EXPECT_TRUE(rx.ui.Showed(Text(msg::OutputHeld)));
    EXPECT_EQ(rx.ui.errorsShown, 1);
    EXPECT_EQ(rx.port->TransferMode(), Transfer::Idle);
    EXPECT_TRUE(rx.port->IsOpen());
    // Nothing of the dropped hold and go follows once the telephone lets go.
    ASSERT_TRUE(line.Write(B({ 0x11 })));
    EXPECT_EQ(line.ReadAvailable(200), "");
}

// The box of received cards that would replace stored ones offers the
// comparison and a merge: the telephone's new and changed cards come in, the
// card only the computer holds stays, marked as edited, and the working file
// holds the merged collection.
struct MergingUi : TestUi {
    ReceivedCardsChoice choice = ReceivedCardsChoice::Merge;
    std::string askedText;
    std::vector<std::string> groups;

    ReceivedCardsChoice AskReceivedCards(const std::string& received, unsigned warning, MsgIcon,
                                         const CardComparison& c) override
    {
        askedText = received + Text(warning);
        auto names = [](const std::vector<const CKarte*>& cards) {
            std::string all;
            for (const CKarte* card : cards)
                all += std::string(card->Name()) + ";";
            return all;
        };
        std::string changed;
        for (const auto& [here, phone] : c.changed)
            changed += std::string(here->Name()) + ";";
        groups = { names(c.added), changed, names(c.onlyHere), names(c.unchanged) };
        return choice;
    }
};

void StoreForMerge(CPcxDoc& doc)
{
    for (auto [name, street] : { std::pair{ "Person 000", "Anderswo 1" }, std::pair{ "Person 001", "Strasse 1" },
                                 std::pair{ "Person 002", "Strasse 2" }, std::pair{ "Zorn", "" } }) {
        auto c = std::make_unique<CKarte>();
        c->SetLine(0, name);
        c->SetLine(1, "0441234" + std::string(name).substr(std::string(name).size() - 1));
        if (*street)
            c->SetLine(2, street);
        doc.Cards().InsertSorted(std::move(c), false);
    }
}

TEST(ReceiveE2E, TheResultBoxComparesAndMergesOrReplacesOrKeeps)
{
    REQUIRE_SIM();
    std::string dir = simtest::TempDir("rx-merge");
    std::string book = PhoneBook(dir, 3, true);
    for (ReceivedCardsChoice choice : { ReceivedCardsChoice::Merge, ReceivedCardsChoice::Replace, ReceivedCardsChoice::Keep }) {
        SCOPED_TRACE(static_cast<int>(choice));
        Phone phone({ "--cards", book, "--send-on-start" }, "rx-merge");
        MergingUi ui;
        ui.choice = choice;
        CPcxDoc doc;
        StoreForMerge(doc);
        const std::string working = dir + "/working.itx";
        doc.SetWorkingPath(working);
        auto port = OpenPort(phone.Device(), ui);
        ASSERT_TRUE(port);
        CReceiveHandler handler(*port, ui, &doc);
        bool over = false, taken = false;
        QObject::connect(&handler, &CReceiveHandler::ReceptionFinished, [&](Received, ReceiveEnd, bool t) {
            over = true;
            taken = t;
        });
        ASSERT_TRUE(WaitUntil([&] { return over; }, 15000));

        // Person 000 has another street, Person 001 the telephone's mark.
        EXPECT_EQ(ui.groups, std::vector<std::string>({ A("Müller;"), "Person 000;Person 001;", "Zorn;", "Person 002;" }));
        EXPECT_EQ(ui.askedText, A("4 Karten vom Velkaro empfangen.\nMit dem Speichern der neuen Karten werden die "
                                  "bisherigen Karten gelöscht!"));
        CCardList back;
        ASSERT_TRUE(LoadCardFile(working, back) || choice == ReceivedCardsChoice::Keep);
        if (choice == ReceivedCardsChoice::Keep) {
            EXPECT_FALSE(taken);
            EXPECT_EQ(doc.Cards().Count(), 4);
            EXPECT_EQ(doc.Cards().At(0)->GetLine(2), "Anderswo 1");
            continue;
        }
        EXPECT_TRUE(taken);
        std::vector<std::string> cards;
        for (const CKarte* card : back.Cards())
            cards.emplace_back(std::string(card->Name()) + "|" + std::string(card->GetLine(2)) + "|" + std::to_string(card->EditedByte())
                            + std::to_string(card->MarkByte()));
        if (choice == ReceivedCardsChoice::Merge)
            EXPECT_EQ(cards, std::vector<std::string>({ A("Müller||00"), "Person 000|Strasse 0|00", "Person 001|Strasse 1|01",
                                                        "Person 002|Strasse 2|00", "Zorn||10" }));
        else
            EXPECT_EQ(cards, std::vector<std::string>({ A("Müller||00"), "Person 000|Strasse 0|00", "Person 001|Strasse 1|01",
                                                        "Person 002|Strasse 2|00" }));
    }
}

}  // namespace
}  // namespace velkaro
