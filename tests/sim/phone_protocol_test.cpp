// The telephone's line parser and its own records, without a line.

#include "sim/PhoneProtocol.h"

#include <gtest/gtest.h>

using namespace velkaro;
using namespace velkaro::sim;

namespace {

std::string B(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s += static_cast<char>(b);
    return s;
}

std::vector<LineEvent> Parse(const std::string& bytes)
{
    CLineReceiver r;
    std::vector<LineEvent> events;
    r.Feed(bytes, events);
    return events;
}

std::vector<const CKarte*> CardsOf(const std::vector<LineEvent>& events, LineEventKind kind = LineEventKind::Card)
{
    std::vector<const CKarte*> cards;
    for (const auto& e : events)
        if (e.kind == kind)
            cards.push_back(e.card.get());
    return cards;
}

int Count(const std::vector<LineEvent>& events, LineEventKind kind)
{
    int n = 0;
    for (const auto& e : events)
        n += e.kind == kind;
    return n;
}

}  // namespace

TEST(LineReceiver, CardTransferWithLineIndexesMarkAndDeviceCodes)
{
    // Line 0, line 1, line 9 (index byte ':'), the mark, ESC; a second card
    // whose name has device codes for ä and å.
    std::string bytes = B({0x00, 0x02}) + "1Meier\r2044 123\r:Zeile neun\rQb\r" + B({0x1B}) + "1M" +
                        B({0x84}) + "ller " + B({0x86}) + "\r" + B({0x1B, 0x00, 0x01});
    auto events = Parse(bytes);
    ASSERT_EQ(events.front().kind, LineEventKind::CardTransferStart);
    ASSERT_EQ(events.back().kind, LineEventKind::CardTransferEnd);
    auto cards = CardsOf(events);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0]->GetLine(0), "Meier");
    EXPECT_EQ(cards[0]->GetLine(1), "044 123");
    EXPECT_EQ(cards[0]->GetLine(9), "Zeile neun");
    EXPECT_EQ(cards[0]->LineCount(), 10);
    EXPECT_EQ(cards[0]->MarkByte(), 1);
    EXPECT_EQ(cards[1]->GetLine(0), "M\xE4ller \xE5");
    EXPECT_EQ(cards[1]->MarkByte(), 0);
    EXPECT_EQ(Count(events, LineEventKind::Warning), 0);
}

TEST(LineReceiver, LinesAreCappedAsTheTelephoneShowsThem)
{
    std::string name(25, 'N'), extra(40, 'x');
    auto events = Parse(B({0x00, 0x02}) + "1" + name + "\r3" + extra + "\rP last  \r" + B({0x1B, 0x00, 0x01}));
    auto cards = CardsOf(events);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0]->GetLine(0), std::string(20, 'N'));
    EXPECT_EQ(cards[0]->GetLine(2), std::string(30, 'x'));
    EXPECT_EQ(cards[0]->GetLine(31), " last");  // "P" is line 31, trailing blanks go
}

TEST(LineReceiver, DialRequestGivesItsCard)
{
    auto events = Parse(B({0x00, 0x04}) + "1Meier\r20441234567\r" + B({0x1B, 0x00, 0x01}));
    EXPECT_EQ(events.front().kind, LineEventKind::DialStart);
    auto cards = CardsOf(events, LineEventKind::DialCard);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0]->GetLine(1), "0441234567");
    EXPECT_EQ(events.back().kind, LineEventKind::DialEnd);
    EXPECT_TRUE(CardsOf(events).empty());
}

TEST(LineReceiver, CommandsAndFlowControl)
{
    auto events = Parse(B({0x00, 0x0A, 0x00, 0x08, 0x13, 0x13, 0x11, 0x00, 0x01, 0x00, 0x05}));
    ASSERT_EQ(events.size(), 7u);
    EXPECT_EQ(events[0].kind, LineEventKind::SpeedOffer);
    EXPECT_EQ(events[1].kind, LineEventKind::CallListRequest);
    EXPECT_EQ(events[2].kind, LineEventKind::Hold);
    EXPECT_EQ(events[3].kind, LineEventKind::Hold);
    EXPECT_EQ(events[4].kind, LineEventKind::Go);
    EXPECT_EQ(events[5].kind, LineEventKind::End);
    EXPECT_EQ(events[6].kind, LineEventKind::UnknownCommand);
    EXPECT_EQ(events[6].byte, 0x05);
}

TEST(LineReceiver, FaultyRecordsAreReportedAndSkipped)
{
    // A stray byte between records, an unknown index byte, a command in the
    // middle of a line, an end inside a card, then a good transfer.
    std::string bytes = B({0x00, 0x02, 0x0A}) + "1A\r" + B({0x60}) + "x\r" + B({0x1B}) + "1Cut" + B({0x00, 0x02}) +
                        "1Half\r" + B({0x00, 0x01, 0x00, 0x02}) + "1Good\r" + B({0x1B, 0x00, 0x01});
    auto events = Parse(bytes);
    auto cards = CardsOf(events);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0]->GetLine(0), "A");
    EXPECT_EQ(cards[0]->LineCount(), 1);
    EXPECT_EQ(cards[1]->GetLine(0), "Good");
    EXPECT_GE(Count(events, LineEventKind::Warning), 4);
}

TEST(LineReceiver, BytesSplitAnywhereGiveTheSameCards)
{
    std::string bytes = B({0x00, 0x02}) + "1Meier\r2123\rQb\r" + B({0x1B}) + "1Zed\r" + B({0x1B, 0x00, 0x01});
    CLineReceiver r;
    std::vector<LineEvent> events;
    for (char c : bytes) {
        r.Feed(static_cast<unsigned char>(c), events);
    }
    auto cards = CardsOf(events);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0]->MarkByte(), 1);
    EXPECT_FALSE(r.InTransfer());
}

TEST(PhoneRecords, CardTransferIsTheDeviceRecordsFramed)
{
    CKarte a, b;
    a.SetLine(0, "M\xFCller");
    a.SetMarkByte(1);
    b.SetLine(0, "Zed");
    b.SetLine(9, "nine");
    TransferBytes t = EncodeCardTransfer({&a, &b});
    EXPECT_EQ(t.start, B({0x00, 0x09}));
    ASSERT_EQ(t.records.size(), 2u);
    EXPECT_EQ(t.records[0], "1M" + B({0x81}) + "ller\rQb\r" + B({0x1B}));
    EXPECT_EQ(t.records[1], "1Zed\r:nine\r" + B({0x1B}));
    EXPECT_EQ(t.end, B({0x00, 0x01}));
}

TEST(PhoneRecords, CallRecordFieldsEndWithCrAndTheRecordWithEsc)
{
    CallRecord r{"20.03.04", "18:42", "", "M\xFCller"};
    EXPECT_EQ(EncodeCallRecord(r), "20.03.04\r18:42\r\rM" + B({0x81}) + "ller\r" + B({0x1B}));
    TransferBytes t = EncodeCallListTransfer({r});
    EXPECT_EQ(t.start, B({0x00, 0x07}));
    EXPECT_EQ(t.end, B({0x00, 0x01}));
}

TEST(PhoneRecords, CallListFile)
{
    std::string text = "# date;time\n"
                       "20.03.04;18:42;;x\r\n"
                       "\n"
                       "16.03.04;M\xC3\xBCller\n"      // UTF-8
                       "15.03.04;M\xFCller\t;end";     // Windows-1252, a tab dropped, no final newline
    auto records = ParseCallList(text);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], (CallRecord{"20.03.04", "18:42", "", "x"}));
    EXPECT_EQ(records[1], (CallRecord{"16.03.04", "M\xFCller"}));
    EXPECT_EQ(records[2], (CallRecord{"15.03.04", "M\xFCller", "end"}));
}

TEST(PhoneRecords, SampleCallListIsNewestFirstWithTwelveFields)
{
    auto records = SampleCallList();
    ASSERT_EQ(records.size(), 12u);
    for (const auto& r : records)
        EXPECT_EQ(r.size(), 12u);
    EXPECT_EQ(records[0][0], "20.03.04");
    EXPECT_EQ(records[11][0], "24.12.03");
}

TEST(PhoneRecords, NoiseNeverFramesOrControlsTheLine)
{
    for (int b = 0; b < 256; ++b) {
        auto c = static_cast<unsigned char>(b);
        if (IsCardNoiseByte(c)) {
            EXPECT_TRUE(c >= 0x01 && c <= 0x30) << b;
            EXPECT_TRUE(c != 0x11 && c != 0x12 && c != 0x13 && c != 0x1B) << b;
        }
        if (IsCallListNoiseByte(c)) {
            EXPECT_TRUE(IsCardNoiseByte(c) && c < 0x20 && c != 0x0D) << b;
        }
    }
}

TEST(PhoneRecords, CardJsonHasEveryStoredLine)
{
    CKarte card;
    card.SetLine(0, "M\xFCller \"A\"");
    card.SetLine(2, "x");
    card.SetMarkByte(1);
    EXPECT_EQ(CardJson(card), "{\"edited\":0,\"marked\":1,\"lines\":[\"M\xC3\xBCller \\\"A\\\"\",\"\",\"x\"]}");
    EXPECT_EQ(HexBytes(B({0x00, 0x0A, 0xFF})), "00 0A FF");
}
