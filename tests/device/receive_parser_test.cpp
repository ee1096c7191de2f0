// The receive parser over hand-made byte strings, without a port.

#include "device/ReceiveParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velkaro {
namespace {

// A line that records what the parser did to it.
class FakeLine : public IReceiveLine {
public:
    Transfer mode = Transfer::Idle;
    bool highSpeed = true;
    bool blocked = false;
    std::vector<Transfer> modes;
    std::vector<int> bauds;
    std::string written;
    int hardwareResets = 0;

    Transfer TransferMode() const override { return mode; }
    void SetTransferMode(Transfer m) override
    {
        mode = m;
        modes.push_back(m);
        if (m == Transfer::Idle)
            bauds.push_back(kNormalBaud);
    }
    bool SendHold() override
    {
        written += std::string(8, '\x13');
        return true;
    }
    bool SendGo() override
    {
        written += '\x11';
        return true;
    }
    bool SetBaudRate(int baud) override
    {
        bauds.push_back(baud);
        return true;
    }
    bool HighSpeedAllowed() const override { return highSpeed; }
    bool IsReceptionBlocked() const override { return blocked; }
    void ResetHardwareErrors() override { ++hardwareResets; }
};

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}

const std::string kStartCards = Bytes({ 0x00, 0x09 });
const std::string kStartCalls = Bytes({ 0x00, 0x07 });
const std::string kEnd = Bytes({ 0x00, 0x01 });

std::string Line(int index, const std::string& text) { return std::string(1, static_cast<char>(0x31 + index)) + text + "\r"; }
std::string CardEnd() { return "\x1b"; }

SpeedOffer Feed(CReceiveParser& p, FakeLine& line, const std::string& bytes)
{
    return p.Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), line);
}

// Feeds in chunks of n bytes; returns the result of the last chunk.
SpeedOffer FeedChunks(CReceiveParser& p, FakeLine& line, const std::string& bytes, std::size_t n)
{
    SpeedOffer r = SpeedOffer::None;
    for (std::size_t i = 0; i < bytes.size(); i += n)
        r = Feed(p, line, bytes.substr(i, n));
    return r;
}

TEST(ReceiveParser, WholeCardTransferInOneChunk)
{
    CReceiveParser p;
    FakeLine line;
    std::string t = kStartCards + Line(0, "Meier") + Line(1, "0441234567") + Line(2, "Bahnhofstr. 1") + CardEnd()
                    + Line(0, "Adler") + CardEnd() + kEnd;
    SpeedOffer r = Feed(p, line, t);
    EXPECT_EQ(r, SpeedOffer::None);  // the transfer ended within the chunk: no hold
    EXPECT_EQ(line.mode, Transfer::Idle);
    EXPECT_EQ(line.modes, (std::vector<Transfer> { Transfer::ReceivingCards, Transfer::Idle }));
    EXPECT_TRUE(line.written.empty());
    ASSERT_EQ(p.ReceivedKind, Received::Cards);
    ASSERT_EQ(p.ReceivedCardCount(), 2);
    EXPECT_EQ(p.ReceivedCards()->At(0)->GetLine(0), "Adler");
    const CKarte* meier = p.ReceivedCards()->At(1);
    EXPECT_EQ(meier->GetLine(0), "Meier");
    EXPECT_EQ(meier->GetLine(1), "0441234567");
    EXPECT_EQ(meier->GetLine(2), "Bahnhofstr. 1");
    EXPECT_EQ(meier->MarkByte(), 0);
    EXPECT_EQ(p.LineIndex(), -1);
    EXPECT_EQ(line.hardwareResets, 1);
}

TEST(ReceiveParser, SameResultInAnyChunking)
{
    std::string t = kStartCards;
    for (int i = 0; i < 12; ++i)
        t += Line(0, "Karte " + std::to_string(i)) + Line(1, "12345") + Line(31, "letzte Zeile") + CardEnd();
    t += kEnd;
    for (std::size_t n : { std::size_t(1), std::size_t(3), std::size_t(100) }) {
        CReceiveParser p;
        FakeLine line;
        FeedChunks(p, line, t, n);
        ASSERT_EQ(p.ReceivedCardCount(), 12) << n;
        EXPECT_EQ(p.ReceivedCards()->At(0)->GetLine(31), "letzte Zeile");
        EXPECT_EQ(line.mode, Transfer::Idle);
    }
}

TEST(ReceiveParser, StartSendsHoldWhenHighSpeedAllowed)
{
    CReceiveParser p;
    FakeLine line;
    EXPECT_EQ(Feed(p, line, kStartCards + Line(0, "Meier")), SpeedOffer::HoldSent);
    EXPECT_EQ(line.written, std::string(8, '\x13'));

    CReceiveParser q;
    FakeLine slow;
    slow.highSpeed = false;
    EXPECT_EQ(Feed(q, slow, kStartCards), SpeedOffer::None);
    EXPECT_TRUE(slow.written.empty());
    EXPECT_EQ(slow.mode, Transfer::ReceivingCards);
}

TEST(ReceiveParser, SpeedSwitchDuringTransferGoesTo19200AndSendsGo)
{
    CReceiveParser p;
    FakeLine line;
    Feed(p, line, kStartCards);
    line.written.clear();
    EXPECT_EQ(Feed(p, line, "\x12"), SpeedOffer::Switched);
    EXPECT_EQ(line.bauds, (std::vector<int> { kHighBaud }));
    EXPECT_EQ(line.written, "\x11");
    // The byte also wins over a start in the same chunk.
    CReceiveParser q;
    FakeLine l2;
    EXPECT_EQ(Feed(q, l2, kStartCards + "\x12"), SpeedOffer::Switched);
    EXPECT_EQ(l2.written, "\x11");
}

TEST(ReceiveParser, SpeedByteWhileIdleOnlySendsGo)
{
    CReceiveParser p;
    FakeLine line;
    EXPECT_EQ(Feed(p, line, "\x12"), SpeedOffer::None);
    EXPECT_EQ(line.written, "\x11");
    EXPECT_TRUE(line.bauds.empty());
}

TEST(ReceiveParser, DeviceCodesAreTranslated)
{
    CReceiveParser p;
    FakeLine line;
    // M\x81ller (ü at 0x81), J\x94rg (ö at 0x94), \x8E (Ä)
    Feed(p, line, kStartCards + Line(0, "M\x81ller") + Line(2, "J\x94rg \x8E") + CardEnd() + kEnd);
    ASSERT_EQ(p.ReceivedCardCount(), 1);
    EXPECT_EQ(p.ReceivedCards()->At(0)->GetLine(0), "M\xFCller");
    EXPECT_EQ(p.ReceivedCards()->At(0)->GetLine(2), "J\xF6rg \xC4");
}

TEST(ReceiveParser, MarkRecord)
{
    CReceiveParser p;
    FakeLine line;
    Feed(p, line, kStartCards + Line(0, "Meier") + "Qb\r" + CardEnd() + Line(0, "Adler") + "Q\r" + CardEnd()
                      + Line(0, "Zorn") + "Qc\r" + CardEnd() + Line(0, "Berg") + "QA\r" + CardEnd() + kEnd);
    ASSERT_EQ(p.ReceivedCardCount(), 4);
    EXPECT_EQ(p.ReceivedCards()->At(0)->MarkByte(), 0);  // Adler: empty mark text
    EXPECT_EQ(p.ReceivedCards()->At(1)->MarkByte(), 0);  // Berg: "A" is no mark letter
    EXPECT_EQ(p.ReceivedCards()->At(2)->MarkByte(), 1);  // Meier
    EXPECT_EQ(p.ReceivedCards()->At(3)->MarkByte(), 2);  // Zorn
}

TEST(ReceiveParser, EqualNamesAreNumbered)
{
    CReceiveParser p;
    FakeLine line;
    Feed(p, line, kStartCards + Line(0, "Meier") + Line(1, "1") + CardEnd() + Line(0, "MEIER") + Line(1, "2")
                      + CardEnd() + kEnd);
    ASSERT_EQ(p.ReceivedCardCount(), 2);
    EXPECT_EQ(p.ReceivedCards()->At(0)->GetLine(0), "Meier");
    EXPECT_EQ(p.ReceivedCards()->At(1)->GetLine(0), "MEIER" + std::string(14, ' ') + "1");
    EXPECT_EQ(p.ReceivedCards()->At(1)->GetLine(1), "2");
}

TEST(ReceiveParser, ListLookedAtDuringTheTransferGoesOnNumbering)
{
    // Cards without a name all become "A"; the receive dialog counts them
    // while they come, and the list may be looked at before the end.
    CReceiveParser p;
    FakeLine line;
    std::string nameless = Line(1, "0815") + CardEnd();
    Feed(p, line, kStartCards + nameless + nameless + nameless);
    EXPECT_EQ(p.ReceivedCardCount(), 3);
    ASSERT_NE(p.ReceivedCards(), nullptr);
    EXPECT_EQ(p.ReceivedCards()->At(2)->GetLine(0), "A" + std::string(18, ' ') + "2");
    Feed(p, line, nameless + Line(0, "a") + CardEnd());
    EXPECT_EQ(p.ReceivedCardCount(), 5);
    Feed(p, line, kEnd);
    std::unique_ptr<CCardList> cards = p.TakeReceivedCards();
    ASSERT_NE(cards, nullptr);
    ASSERT_EQ(cards->Count(), 5);
    EXPECT_EQ(cards->At(0)->GetLine(0), "A");
    EXPECT_EQ(cards->At(3)->GetLine(0), "A" + std::string(18, ' ') + "3");
    EXPECT_EQ(cards->At(4)->GetLine(0), "a" + std::string(18, ' ') + "4");
    EXPECT_EQ(p.ReceivedCardCount(), 0);
    EXPECT_EQ(p.ReceivedCards(), nullptr);
}

TEST(ReceiveParser, NamesAreRepairedToStartWithALetter)
{
    CReceiveParser p;
    FakeLine line;
    Feed(p, line, kStartCards + Line(0, "112 Notruf") + CardEnd() + Line(1, "0815") + CardEnd() + kEnd);
    ASSERT_EQ(p.ReceivedCardCount(), 2);
    EXPECT_EQ(p.ReceivedCards()->At(0)->GetLine(0), "A");
    EXPECT_EQ(p.ReceivedCards()->At(0)->GetLine(1), "0815");
    EXPECT_EQ(p.ReceivedCards()->At(1)->GetLine(0), "A112 Notruf");
}

TEST(ReceiveParser, LongLinesAreCutTo30AndShortLinesTo20)
{
    CReceiveParser p;
    FakeLine line;
    std::string forty(40, 'x');
    Feed(p, line, kStartCards + Line(0, "Name" + forty) + Line(5, forty) + CardEnd() + kEnd);
    ASSERT_EQ(p.ReceivedCardCount(), 1);
    EXPECT_EQ(p.ReceivedCards()->At(0)->GetLine(0), ("Name" + forty).substr(0, 20));
    EXPECT_EQ(p.ReceivedCards()->At(0)->GetLine(5), std::string(30, 'x'));
}

TEST(ReceiveParser, NoiseAndUnknownIndexesAreSkipped)
{
    CReceiveParser p;
    FakeLine line;
    // Control bytes between records, a line index beyond the mark, control
    // bytes inside a line, and a stray CR between records.
    std::string t = kStartCards + Bytes({ 0x05, 0x0E, 0x1F, 0x0D }) + Line(0, "Me\x02ier") + Bytes({ 0x03, 0x30 })
                    + "Xunknown\r" + Line(1, "12\x07" "3") + CardEnd() + Bytes({ 0x1C }) + kEnd;
    Feed(p, line, t);
    ASSERT_EQ(p.ReceivedCardCount(), 1);
    const CKarte* c = p.ReceivedCards()->At(0);
    EXPECT_EQ(c->GetLine(0), "Meier");
    EXPECT_EQ(c->GetLine(1), "123");
    EXPECT_EQ(c->LastUsedLine(), 1);
    EXPECT_EQ(line.mode, Transfer::Idle);
}

TEST(ReceiveParser, TransferWithoutCompleteCardBringsNothing)
{
    CReceiveParser p;
    FakeLine line;
    Feed(p, line, kStartCards + Line(0, "Meier") + kEnd);
    EXPECT_EQ(p.ReceivedKind, Received::Nothing);
    EXPECT_EQ(p.ReceivedCards(), nullptr);
    // The unfinished card does not leak into the next transfer.
    Feed(p, line, kStartCards + Line(1, "555") + CardEnd() + kEnd);
    ASSERT_EQ(p.ReceivedCardCount(), 1);
    EXPECT_EQ(p.ReceivedCards()->At(0)->GetLine(0), "A");
    EXPECT_EQ(p.ReceivedCards()->At(0)->GetLine(1), "555");
}

TEST(ReceiveParser, BlockedReceptionIsParsedAndDropped)
{
    CReceiveParser p;
    FakeLine line;
    line.blocked = true;
    Feed(p, line, kStartCards + Line(0, "Meier") + CardEnd() + kEnd);
    EXPECT_EQ(p.IgnoreRest, 1);
    EXPECT_EQ(p.ReceivedKind, Received::Nothing);
    EXPECT_EQ(p.ReceivedCards(), nullptr);
    EXPECT_EQ(line.mode, Transfer::Idle);
}

TEST(ReceiveParser, HeldCardsBlockTheNextTransfer)
{
    CReceiveParser p;
    FakeLine line;
    Feed(p, line, kStartCards + Line(0, "Meier") + CardEnd() + kEnd);
    ASSERT_EQ(p.ReceivedCardCount(), 1);
    Feed(p, line, kStartCards + Line(0, "Adler") + CardEnd() + kEnd);
    EXPECT_EQ(p.IgnoreRest, 1);
    ASSERT_EQ(p.ReceivedCardCount(), 1);
    EXPECT_EQ(p.ReceivedCards()->At(0)->GetLine(0), "Meier");
    p.ReleaseReceived();
    Feed(p, line, kStartCards + Line(0, "Adler") + CardEnd() + kEnd);
    EXPECT_EQ(p.IgnoreRest, 0);
    ASSERT_EQ(p.ReceivedCardCount(), 1);
    EXPECT_EQ(p.ReceivedCards()->At(0)->GetLine(0), "Adler");
}

TEST(ReceiveParser, LockedTelephone)
{
    CReceiveParser p;
    FakeLine line;
    Feed(p, line, Bytes({ 0x00, 0x0B }));
    EXPECT_EQ(line.mode, Transfer::Locked);
    // Nothing is taken while locked.
    Feed(p, line, kStartCards + Line(0, "Meier") + CardEnd());
    EXPECT_EQ(p.ReceivedCards(), nullptr);
}

TEST(ReceiveParser, StartIsIgnoredUnlessIdle)
{
    CReceiveParser p;
    FakeLine line;
    line.mode = Transfer::Sending;
    Feed(p, line, kStartCards + Line(0, "Meier") + CardEnd());
    EXPECT_EQ(line.mode, Transfer::Sending);
    EXPECT_TRUE(line.written.empty());
    EXPECT_EQ(p.ReceivedCards(), nullptr);
}

// During a send only the telephone's refusal counts: 00 0B, in any chunking;
// an end, a start or a lone 0B leave the send alone.
TEST(ReceiveParser, LockedAnswerDuringASend)
{
    CReceiveParser p;
    FakeLine line;
    line.mode = Transfer::Sending;
    Feed(p, line, kEnd + Bytes({ 0x0B }) + kStartCards + Bytes({ 0x00, 0x07 }) + Bytes({ 0x0B, 0x0B }));
    EXPECT_EQ(line.mode, Transfer::Sending);
    p.Parse(reinterpret_cast<const uint8_t*>("\0"), 1, line);
    EXPECT_EQ(line.mode, Transfer::Sending);
    p.Parse(reinterpret_cast<const uint8_t*>("\x0B"), 1, line);
    EXPECT_EQ(line.mode, Transfer::Locked);
    EXPECT_TRUE(line.written.empty());
    EXPECT_EQ(p.ReceivedCards(), nullptr);
}

std::string CallRecord(const std::vector<std::string>& fields)
{
    std::string s;
    for (const auto& f : fields)
        s += f + "\r";
    return s + "\x1b";
}

TEST(ReceiveParser, CallListRecordsInReverseOrder)
{
    CReceiveParser p;
    FakeLine line;
    std::string t = kStartCalls + CallRecord({ "20.03.04", "10:15", "", "0001:23", "1", "", "", "", "0", "0441234", "Meier",
                                               "1" })
                    + CallRecord({ "19.03.04", "09:00", "", "0000:05", "0" }) + kEnd;
    EXPECT_EQ(Feed(p, line, t), SpeedOffer::None);
    EXPECT_EQ(line.modes, (std::vector<Transfer> { Transfer::ReceivingCallList, Transfer::Idle }));
    ASSERT_EQ(p.ReceivedKind, Received::CallList);
    ASSERT_EQ(p.CallRecordCount(), 2);
    EXPECT_EQ(p.CallList()->Head()->Field(0), "19.03.04");
    EXPECT_EQ(p.CallList()->Tail()->Field(0), "20.03.04");
    EXPECT_EQ(p.CallList()->Tail()->Field(callfield::Name), "Meier");
    EXPECT_EQ(p.CallList()->Tail()->FieldCount(), 12);
}

TEST(ReceiveParser, CallListFieldsAreCutAndTranslated)
{
    CReceiveParser p;
    FakeLine line;
    Feed(p, line, kStartCalls + CallRecord({ std::string(40, '1'), "M\x81ller" }) + kEnd);
    ASSERT_EQ(p.CallRecordCount(), 1);
    EXPECT_EQ(p.CallList()->Head()->Field(0), std::string(30, '1'));
    EXPECT_EQ(p.CallList()->Head()->Field(1), "M\xFCller");
}

TEST(ReceiveParser, DateThresholdDropsTheOlderRecords)
{
    CReceiveParser p;
    FakeLine line;
    p.DateThreshold = DateOrdinal("15.03.2004");
    std::string t = kStartCalls + CallRecord({ "20.03.04" }) + CallRecord({ "16.03.04" })
                    + CallRecord({ "15.03.04" }) + CallRecord({ "10.03.04" }) + CallRecord({ "21.03.04" }) + kEnd;
    FeedChunks(p, line, t, 7);
    ASSERT_EQ(p.CallRecordCount(), 2);
    EXPECT_EQ(p.CallList()->Head()->Field(0), "16.03.04");
    EXPECT_EQ(p.CallList()->Tail()->Field(0), "20.03.04");
    EXPECT_EQ(p.IgnoreRest, 1);
    EXPECT_EQ(line.mode, Transfer::Idle);
}

TEST(ReceiveParser, UnreadableDateIsKeptAndNoThresholdKeepsAll)
{
    CReceiveParser p;
    FakeLine line;
    p.DateThreshold = DateOrdinal("15.03.2004");
    Feed(p, line, kStartCalls + CallRecord({ "unbekannt" }) + CallRecord({ "01.01.99" }) + kEnd);
    EXPECT_EQ(p.CallRecordCount(), 1);

    CReceiveParser q;
    Feed(q, line, kStartCalls + CallRecord({ "20.03.04" }) + CallRecord({ "01.01.99" }) + kEnd);
    EXPECT_EQ(q.CallRecordCount(), 2);
}

TEST(ReceiveParser, NewCallListReplacesTheOldOne)
{
    CReceiveParser p;
    FakeLine line;
    Feed(p, line, kStartCalls + CallRecord({ "20.03.04" }) + CallRecord({ "19.03.04" }) + kEnd);
    ASSERT_EQ(p.CallRecordCount(), 2);
    Feed(p, line, kStartCalls + CallRecord({ "21.03.04" }) + kEnd);
    ASSERT_EQ(p.CallRecordCount(), 1);
    // A dropped transfer leaves the list alone.
    line.blocked = true;
    Feed(p, line, kStartCalls + CallRecord({ "22.03.04" }) + kEnd);
    ASSERT_EQ(p.CallRecordCount(), 1);
    EXPECT_EQ(p.CallList()->Head()->Field(0), "21.03.04");
}

TEST(ReceiveParser, EmptyCallListTransfer)
{
    CReceiveParser p;
    FakeLine line;
    Feed(p, line, kStartCalls + kEnd);
    EXPECT_EQ(p.ReceivedKind, Received::Nothing);
    EXPECT_EQ(p.CallRecordCount(), 0);
}

TEST(DateOrdinal, Rules)
{
    EXPECT_EQ(DateOrdinal("1.1.1980"), 1);
    EXPECT_EQ(DateOrdinal("01.01.80"), 1);
    EXPECT_EQ(DateOrdinal("15.03.2004"), DateOrdinal("15.03.04"));
    EXPECT_EQ(DateOrdinal("15.03.2004"), 24 * 372 + 2 * 31 + 15);
    EXPECT_EQ(DateOrdinal("31.12.1979"), 0);
    EXPECT_EQ(DateOrdinal("0.3.2004"), DateOrdinal("3.2004"));  // a zero run does not count
    EXPECT_EQ(DateOrdinal("15"), 0);  // no month
    EXPECT_EQ(DateOrdinal(""), 0);
    EXPECT_EQ(DateOrdinal("15/03/04 10:15"), DateOrdinal("15.03.2004"));
    // The end of a year stays before the start of the next.
    EXPECT_LT(DateOrdinal("31.12.2003"), DateOrdinal("1.1.2004"));
    EXPECT_LT(DateOrdinal("28.12.2003"), DateOrdinal("2.1.2004"));
}

}  // namespace
}  // namespace velkaro
