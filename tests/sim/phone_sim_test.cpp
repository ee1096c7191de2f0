// The simulator's binary over its pseudo-terminal: the test is the program.

#include "SimHarness.h"

#include "model/Archive.h"
#include "sim/PhoneProtocol.h"

#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace velkaro;
using namespace velkaro::sim;
using velkaro::simtest::SimProcess;

namespace {

std::string B(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s += static_cast<char>(b);
    return s;
}

const std::string kEnd = B({0x00, 0x01});
const std::string kHold8(8, '\x13');
const std::string kGoByte = B({0x11});

// Two cards as the program sends them: a marked one with a telephone line,
// one with a device-coded letter and line 9.
std::string TwoCardTransfer()
{
    return B({0x00, 0x02}) + "1Meier\r2044 123\rQb\r" + B({0x1B}) + "1M" + B({0x81}) + "ller\r:neun\r" + B({0x1B}) +
           kEnd;
}

std::string CardBookFile(const std::string& dir, std::initializer_list<const char*> names)
{
    CCardList list;
    for (const char* name : names) {
        auto card = std::make_unique<CKarte>();
        card->SetLine(0, name);
        card->SetLine(1, "0441234567");
        list.InsertSorted(std::move(card), true);
    }
    std::string path = dir + "/book.vlx";
    EXPECT_TRUE(SaveCardFile(path, list));
    return path;
}

std::string ExpectedCardTransfer(const std::string& bookPath)
{
    CCardList list;
    EXPECT_TRUE(LoadCardFile(bookPath, list));
    std::vector<const CKarte*> cards;
    for (const auto& c : list.Cards())
        cards.push_back(c);
    TransferBytes t = EncodeCardTransfer(cards);
    std::string all = t.start;
    for (const auto& r : t.records)
        all += r;
    return all + t.end;
}

}  // namespace

TEST(PhoneSim, PrintsItsDeviceAndLinksIt)
{
    std::string dir = simtest::TempDir("link");
    std::string link = dir + "/ttyVELKARO";
    {
        SimProcess sim({"--link", link});
        EXPECT_EQ(sim.Device().rfind("/dev/pts/", 0), 0u) << sim.Device();
        char target[256] = {};
        ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
        EXPECT_EQ(sim.Device(), target);
        EXPECT_EQ(sim.Terminate(), 0);
    }
    struct stat st {};
    EXPECT_NE(::lstat(link.c_str(), &st), 0) << "the link outlives the simulator";
}

TEST(PhoneSim, StoresACardTransferAndCapturesItExactly)
{
    std::string dir = simtest::TempDir("receive");
    std::string capture = dir + "/capture.bin", log = dir + "/line.log", book = dir + "/book.vlx";
    SimProcess sim({"--capture", capture, "--log", log, "--cards", book});
    std::string transfer = TwoCardTransfer();
    // In pieces, as a serial line delivers it.
    sim.Write(transfer.substr(0, 5));
    sim.Write(transfer.substr(5, 17));
    sim.Write(transfer.substr(22));

    auto cards = sim.Command("cards");
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0], "{\"edited\":0,\"marked\":1,\"lines\":[\"Meier\",\"044 123\"]}");
    EXPECT_EQ(cards[1], "{\"edited\":0,\"marked\":0,\"lines\":[\"M\xC3\xBCller\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\","
                        "\"neun\"]}");
    EXPECT_EQ(simtest::ReadWholeFile(capture), transfer);
    // The log: one line per read, "< " and the bytes in hex.
    std::string fromLog;
    std::istringstream logLines(simtest::ReadWholeFile(log));
    for (std::string line; std::getline(logLines, line);) {
        if (line.rfind("< ", 0) == 0)
            fromLog += (fromLog.empty() ? "" : " ") + line.substr(2);
        else
            EXPECT_EQ(line.rfind("# ", 0), 0u) << line;
    }
    EXPECT_EQ(fromLog, HexBytes(transfer));

    // The backup file holds the address book.
    CCardList stored;
    ASSERT_TRUE(LoadCardFile(book, stored));
    ASSERT_EQ(stored.Count(), 2);
    EXPECT_EQ(stored.At(1)->GetLine(9), "neun");

    // A second transfer replaces the card of the same name (any case) and
    // keeps the others.
    sim.Write(B({0x00, 0x02}) + "1MEIER\r2999\r" + B({0x1B}) + kEnd);
    cards = sim.Command("cards");
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0], "{\"edited\":0,\"marked\":0,\"lines\":[\"MEIER\",\"999\"]}");
    EXPECT_EQ(sim.Command("received").size(), 1u);
    EXPECT_EQ(sim.Status("cardTransfers"), 2);
}

TEST(PhoneSim, AnswersTheSpeedOffer)
{
    {
        SimProcess sim({});
        sim.Write(B({0x00, 0x0A}));
        EXPECT_EQ(sim.Read(1), B({0x12}));
        EXPECT_EQ(sim.Status("speed"), 19200);
        // The program reopens the line at 19200 and sends; the end returns
        // the telephone to 9600.
        sim.SetBaud(19200);
        sim.Write(TwoCardTransfer());
        EXPECT_EQ(sim.Status("speed"), 9600);
        EXPECT_EQ(sim.Status("speedMismatches"), 0);
    }
    {
        SimProcess sim({"--no-high-speed"});
        sim.Write(B({0x00, 0x0A}));
        EXPECT_EQ(sim.ReadFor(400), "");
        EXPECT_EQ(sim.Status("speed"), 9600);
        EXPECT_EQ(sim.Status("speedOffers"), 1);
    }
}

TEST(PhoneSim, NoticesATransferAtTheWrongSpeed)
{
    SimProcess sim({});
    sim.Write(B({0x00, 0x0A}));
    ASSERT_EQ(sim.Read(1), B({0x12}));
    sim.Write(TwoCardTransfer());  // still at 9600
    EXPECT_EQ(sim.Status("speedMismatches"), 1);
}

TEST(PhoneSim, LogsDialRequests)
{
    SimProcess sim({});
    sim.Write(B({0x00, 0x04}) + "1Meier\r20441234567\r" + B({0x1B}) + kEnd);
    auto dials = sim.Command("dials");
    ASSERT_EQ(dials.size(), 1u);
    EXPECT_EQ(dials[0], "{\"edited\":0,\"marked\":0,\"lines\":[\"Meier\",\"0441234567\"]}");
    EXPECT_TRUE(sim.Command("cards").empty()) << "a dialled card is not stored";
}

TEST(PhoneSim, AnswersTheCallListRequestWithItsRecords)
{
    std::string dir = simtest::TempDir("calllist");
    std::string list = dir + "/calls.txt";
    simtest::WriteWholeFile(list, "# newest first\n20.03.04;18:42;0;00:03:12;1;1;0;0;0;0441234567;M\xC3\xBCller;1\n"
                                  "16.03.04;09:15;0;00:00:45;0;1;0;2;1;23;Empfang;2\n");
    SimProcess sim({"--calllist", list, "--hold-wait", "5000"});
    sim.Write(B({0x00, 0x08}));
    EXPECT_EQ(sim.Read(2), B({0x00, 0x07}));
    // Held, the telephone waits for go.
    sim.Write(kHold8);
    EXPECT_EQ(sim.ReadFor(300), "");
    sim.Write(kGoByte);
    std::string rest = sim.ReadUntil(kEnd);
    EXPECT_EQ(rest, "20.03.04\r18:42\r0\r00:03:12\r1\r1\r0\r0\r0\r0441234567\rM" + B({0x81}) + "ller\r1\r" + B({0x1B}) +
                        "16.03.04\r09:15\r0\r00:00:45\r0\r1\r0\r2\r1\r23\rEmpfang\r2\r" + B({0x1B}) + kEnd);
    EXPECT_EQ(sim.Status("callListRequests"), 1);
}

TEST(PhoneSim, SampleCallListWithoutHoldComesAfterTheWait)
{
    SimProcess sim({"--hold-wait", "100"});
    sim.Write(B({0x00, 0x08}));
    std::string all = sim.ReadUntil(kEnd);
    std::string expected = B({0x00, 0x07});
    for (const auto& r : SampleCallList())
        expected += EncodeCallRecord(r);
    EXPECT_EQ(all, expected + kEnd);
}

TEST(PhoneSim, LockedTelephoneAnswersWithTheLock)
{
    SimProcess sim({"--locked"});
    const std::string locked = B({0x00, 0x0B});
    sim.Write(B({0x00, 0x08}));
    EXPECT_EQ(sim.Read(2), locked);
    EXPECT_EQ(sim.Command("send"), std::vector<std::string>{});
    EXPECT_EQ(sim.Read(2), locked);
    // The program's cards are refused at their start, and not stored.
    sim.Write(TwoCardTransfer());
    EXPECT_EQ(sim.Read(2), locked);
    EXPECT_TRUE(sim.Command("cards").empty());
    EXPECT_EQ(sim.ReadFor(200), "");
}

TEST(PhoneSim, ToldOnItsInputItSendsItsCallListAndLocksAndUnlocksTransfers)
{
    const std::string locked = B({0x00, 0x0B});
    SimProcess sim({"--hold-wait", "100"});
    EXPECT_TRUE(sim.Command("calllist").empty());
    std::string expected = B({0x00, 0x07});
    for (const auto& r : SampleCallList())
        expected += EncodeCallRecord(r);
    EXPECT_EQ(sim.ReadUntil(kEnd), expected + kEnd);

    EXPECT_TRUE(sim.Command("lock").empty());
    EXPECT_TRUE(sim.Command("calllist").empty());
    EXPECT_EQ(sim.Read(2), locked);
    sim.Write(B({0x00, 0x08}));
    EXPECT_EQ(sim.Read(2), locked);
    sim.Write(TwoCardTransfer());
    EXPECT_TRUE(sim.Command("cards").empty()) << "a locked telephone stores nothing";

    EXPECT_TRUE(sim.Command("unlock").empty());
    sim.Write(TwoCardTransfer());
    EXPECT_EQ(sim.Command("cards").size(), 2u);
}

TEST(PhoneSim, SendsItsCardsOnHoldAndGoWithTheSpeedSwitch)
{
    std::string dir = simtest::TempDir("send");
    std::string book = CardBookFile(dir, {"Meier", "M\xFCller", "Zed"});
    std::string sent = dir + "/sent.bin";
    SimProcess sim({"--cards", book, "--switch-speed", "--hold-wait", "5000", "--capture-sent", sent});
    EXPECT_TRUE(sim.Command("send").empty());
    EXPECT_EQ(sim.Read(2), B({0x00, 0x09}));
    sim.Write(kHold8);
    // The speed request, then nothing until go.
    EXPECT_EQ(sim.Read(1), B({0x12}));
    EXPECT_EQ(sim.ReadFor(300), "");
    EXPECT_EQ(sim.Status("speed"), 19200);
    sim.SetBaud(19200);
    sim.Write(kGoByte);
    std::string rest = sim.ReadUntil(kEnd);
    std::string expected = ExpectedCardTransfer(book);
    EXPECT_EQ(B({0x00, 0x09}) + rest, expected);
    EXPECT_EQ(sim.Status("speed"), 9600);
    EXPECT_EQ(sim.Status("sentTransfers"), 1);
    // The capture is complete once the simulator has answered after the transfer.
    EXPECT_EQ(simtest::ReadWholeFile(sent), expected.substr(0, 2) + B({0x12}) + expected.substr(2));
    EXPECT_EQ(sim.Status("speedMismatches"), 0);
}

TEST(PhoneSim, HoldPausesTheRecords)
{
    std::string dir = simtest::TempDir("hold");
    std::string book = CardBookFile(dir, {"Anna", "Berta", "Carla", "Dora"});
    SimProcess sim({"--cards", book, "--hold-wait", "0", "--chunk", "1", "--delay", "20"});
    EXPECT_TRUE(sim.Command("send").empty());
    std::string got = sim.Read(6);
    sim.Write(B({0x13}));
    got += sim.ReadFor(400);  // what was under way
    std::string during = sim.ReadFor(300);
    EXPECT_EQ(during, "") << "sent while held";
    sim.Write(kGoByte);
    got += sim.ReadUntil(kEnd);
    EXPECT_EQ(got, ExpectedCardTransfer(book));
}

TEST(PhoneSim, SendsOnceTheProgramHasSetUpTheLine)
{
    std::string dir = simtest::TempDir("onstart");
    std::string book = CardBookFile(dir, {"Meier"});
    SimProcess sim({"--cards", book, "--send-on-start", "--hold-wait", "100"}, false);
    ASSERT_TRUE(sim.OpenLine());
    EXPECT_EQ(sim.ReadUntil(kEnd), ExpectedCardTransfer(book));
    EXPECT_GE(sim.Status("lineChanges"), 1);
}

TEST(PhoneSim, NoiseBetweenRecordsLeavesTheCards)
{
    std::string dir = simtest::TempDir("noise");
    std::string book = CardBookFile(dir, {"Anna", "Berta", "Carla"});
    SimProcess sim({"--cards", book, "--noise", "--hold-wait", "0"});
    EXPECT_TRUE(sim.Command("send").empty());
    std::string got = sim.ReadUntil(kEnd);
    std::string clean = ExpectedCardTransfer(book);
    EXPECT_GT(got.size(), clean.size());
    // Read back the way the program reads a card transfer, the noise is skipped.
    got[1] = 0x02;
    CLineReceiver receiver;
    std::vector<LineEvent> events;
    receiver.Feed(got, events);
    std::vector<std::string> names;
    for (const auto& e : events)
        if (e.kind == LineEventKind::Card)
            names.emplace_back(std::string(e.card->GetLine(0)) + "/" + std::string(e.card->GetLine(1)));
    EXPECT_EQ(names, (std::vector<std::string>{"Anna/0441234567", "Berta/0441234567", "Carla/0441234567"}));
}

TEST(PhoneSim, FallsSilentAfterTheSetBytes)
{
    std::string dir = simtest::TempDir("silence");
    std::string book = CardBookFile(dir, {"Anna", "Berta"});
    SimProcess sim({"--cards", book, "--silence-after", "9", "--hold-wait", "0"});
    EXPECT_TRUE(sim.Command("send").empty());
    std::string got = sim.Read(100, 1000);
    got += sim.ReadFor(300);
    EXPECT_EQ(got, ExpectedCardTransfer(book).substr(0, 9));
    EXPECT_EQ(sim.Status("sending"), 0);
    EXPECT_EQ(sim.Status("open"), 1);
    // It still answers afterwards.
    sim.Write(B({0x00, 0x0A}));
    EXPECT_EQ(sim.Read(1), B({0x12}));
}

TEST(PhoneSim, HangsUpInItsOwnTransfer)
{
    std::string dir = simtest::TempDir("hangup-send");
    std::string book = CardBookFile(dir, {"Anna", "Berta"});
    SimProcess sim({"--cards", book, "--hangup-after", "12", "--hold-wait", "0"});
    EXPECT_TRUE(sim.Command("send").empty());
    EXPECT_EQ(sim.Read(12), ExpectedCardTransfer(book).substr(0, 12));
    EXPECT_TRUE(sim.SeesHangup());
    EXPECT_EQ(sim.Status("open"), 0);
    EXPECT_EQ(sim.Command("send"), std::vector<std::string>{"error: the line is closed"});
}

TEST(PhoneSim, HangsUpInTheProgramsTransfer)
{
    std::string dir = simtest::TempDir("hangup-receive");
    std::string capture = dir + "/capture.bin";
    SimProcess sim({"--hangup-after", "25", "--capture", capture});
    std::string transfer = TwoCardTransfer();
    sim.Write(transfer);
    EXPECT_TRUE(sim.SeesHangup());
    EXPECT_EQ(sim.Status("open"), 0);
    // The first card (22 bytes with the start sequence) was complete.
    auto cards = sim.Command("cards");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_NE(cards[0].find("Meier"), std::string::npos);
    EXPECT_EQ(simtest::ReadWholeFile(capture), transfer.substr(0, 25));
}

TEST(PhoneSim, HangupOnRequest)
{
    SimProcess sim({});
    EXPECT_TRUE(sim.Command("hangup").empty());
    EXPECT_TRUE(sim.SeesHangup());
    EXPECT_EQ(sim.Command("bogus"), std::vector<std::string>{"error: unknown command bogus"});
}

TEST(PhoneSim, TheProgramMayCloseAndReopenTheLine)
{
    SimProcess sim({});
    sim.CloseLine();
    ASSERT_TRUE(sim.OpenLine(19200));
    sim.Write(TwoCardTransfer());
    EXPECT_EQ(sim.Command("cards").size(), 2u);
    EXPECT_EQ(sim.Status("open"), 1);
    EXPECT_EQ(sim.Status("lineBaud"), 19200);
}

TEST(PhoneSim, KeepsTheFieldNamesCardWhereItSorts)
{
    // The program sends its field-names card like any other: twenty å, which
    // the telephone codes as 0x86, and the labels in its lines.
    std::string dir = simtest::TempDir("fieldnames");
    std::string book = dir + "/book.vlx";
    std::string reserved(20, '\x86');
    std::string fieldNames = "1" + reserved + "\r2Mobil\r" + B({0x1B});
    SimProcess sim({"--cards", book, "--hold-wait", "0"});
    sim.Write(B({0x00, 0x02}) + "1Zed\r" + B({0x1B}) + fieldNames + "1Anna\r" + B({0x1B}) + kEnd);
    auto cards = sim.Command("cards");
    ASSERT_EQ(cards.size(), 3u);
    EXPECT_NE(cards[0].find("Anna"), std::string::npos);
    EXPECT_NE(cards[1].find("Zed"), std::string::npos);
    EXPECT_NE(cards[2].find("Mobil"), std::string::npos);

    CCardList stored;
    ASSERT_TRUE(LoadCardFile(book, stored));
    EXPECT_EQ(stored.Count(), 2);
    ASSERT_NE(stored.FieldNames(), nullptr);
    EXPECT_EQ(stored.FieldNames()->GetLine(1), "Mobil");

    // Sent back, it comes last, as it was read.
    EXPECT_TRUE(sim.Command("send").empty());
    EXPECT_EQ(sim.ReadUntil(kEnd), B({0x00, 0x09}) + "1Anna\r" + B({0x1B}) + "1Zed\r" + B({0x1B}) + fieldNames + kEnd);
}

TEST(PhoneSim, LockedTelephoneRefusesToDial)
{
    SimProcess sim({"--locked"});
    sim.Write(B({0x00, 0x04}) + "1Meier\r20441234567\r" + B({0x1B}) + kEnd);
    EXPECT_EQ(sim.Read(2), B({0x00, 0x0B}));
    EXPECT_TRUE(sim.Command("dials").empty());
}

// The line commands that play a telephone holding the program's output
// (XOFF, XON) and a noise flood: one XOFF after what starts a card
// transfer, then random bytes without an XON.
TEST(PhoneSim, HoldsReleasesAndFloodsTheLine)
{
    SimProcess sim({ "--seed", "7" });
    sim.Command("xoff");
    EXPECT_EQ(sim.Read(1), B({ 0x13 }));
    sim.Command("xon");
    EXPECT_EQ(sim.Read(1), B({ 0x11 }));

    sim.Command("flood 3000");
    std::string noise = sim.Read(3003);
    ASSERT_EQ(noise.size(), 3003u);
    EXPECT_EQ(noise.substr(0, 3), B({ 0x00, 0x09, 0x13 }));
    EXPECT_EQ(noise.find('\x11'), std::string::npos);
    EXPECT_EQ(sim.ReadFor(200), "");
    EXPECT_EQ(sim.Command("flood many"), std::vector<std::string> { "error: flood needs a number of bytes" });
}
