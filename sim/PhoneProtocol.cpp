#include "PhoneProtocol.h"

#include "text/Cp1252.h"
#include "model/Charset.h"

#include <cstdio>

namespace velkaro::sim {

namespace {

// A line record longer than this is not something the telephone keeps; the
// card's line setter caps it further to 20 or 30 characters.
constexpr std::size_t kMaxRecordText = 255;

bool IsValidUtf8(const std::string& s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int follow = 0;
        if (c < 0x80)
            follow = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            follow = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            follow = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            follow = 3;
        else
            return false;
        if (follow > 0 && i + static_cast<std::size_t>(follow) >= s.size())
            return false;
        for (int k = 1; k <= follow; ++k) {
            unsigned char f = static_cast<unsigned char>(s[i + k]);
            if ((f & 0xC0) != 0x80)
                return false;
        }
        i += static_cast<std::size_t>(follow) + 1;
    }
    return true;
}

std::string ToDevice(const std::string& ansi)
{
    std::string out;
    out.reserve(ansi.size());
    for (char ch : ansi)
        out += static_cast<char>(AnsiToDevice(static_cast<unsigned char>(ch)));
    return out;
}

}  // namespace

void CLineReceiver::Warn(std::vector<LineEvent>& events, std::string text)
{
    LineEvent e{LineEventKind::Warning, nullptr, 0, std::move(text)};
    events.push_back(std::move(e));
}

void CLineReceiver::Feed(const std::string& bytes, std::vector<LineEvent>& events)
{
    for (char ch : bytes)
        Feed(static_cast<unsigned char>(ch), events);
}

void CLineReceiver::StartLine(unsigned char b)
{
    m_lineIndex = b - 0x30;
    m_line.clear();
}

void CLineReceiver::EndLine(std::vector<LineEvent>& events)
{
    if (!m_card)
        m_card = std::make_unique<CKarte>();
    int index = m_lineIndex;
    m_lineIndex = -1;
    if (index >= 1 && index <= kMaxLines) {
        m_card->SetLine(index - 1, m_line);
    } else if (index == kMarkIndex - 0x30) {
        unsigned char c = m_line.empty() ? 0 : static_cast<unsigned char>(m_line[0]);
        if (c >= 'a' && c < 0x80)
            m_card->SetMarkByte(static_cast<uint8_t>(c - 'a'));
        else
            Warn(events, "mark record without a mark letter");
    } else {
        char buf[64];
        std::snprintf(buf, sizeof buf, "record with unknown index byte %02X dropped", index + 0x30);
        Warn(events, buf);
    }
    m_line.clear();
}

void CLineReceiver::EndCard(std::vector<LineEvent>& events)
{
    if (!m_card) {
        Warn(events, "ESC without a record before it");
        return;
    }
    LineEvent e{m_mode == Mode::Dial ? LineEventKind::DialCard : LineEventKind::Card, std::move(m_card), 0, {}};
    events.push_back(std::move(e));
    m_card.reset();
}

void CLineReceiver::FeedCommand(unsigned char b, std::vector<LineEvent>& events)
{
    switch (b) {
    case kEndOfTransfer:
        if (m_mode == Mode::Idle) {
            events.push_back({LineEventKind::End, nullptr, 0, {}});
            return;
        }
        if (m_card)
            Warn(events, "transfer ended inside a card; the card is dropped");
        m_card.reset();
        events.push_back({m_mode == Mode::Dial ? LineEventKind::DialEnd : LineEventKind::CardTransferEnd,
                          nullptr, 0, {}});
        m_mode = Mode::Idle;
        return;
    case kCardsFromPc:
    case kDialRequest:
        if (m_mode != Mode::Idle)
            Warn(events, "new transfer started inside a transfer");
        m_card.reset();
        m_mode = b == kCardsFromPc ? Mode::Cards : Mode::Dial;
        events.push_back({b == kCardsFromPc ? LineEventKind::CardTransferStart : LineEventKind::DialStart,
                          nullptr, 0, {}});
        return;
    case kCallListRequest:
        events.push_back({LineEventKind::CallListRequest, nullptr, 0, {}});
        return;
    case kSpeedOffer:
        events.push_back({LineEventKind::SpeedOffer, nullptr, 0, {}});
        return;
    default:
        events.push_back({LineEventKind::UnknownCommand, nullptr, b, {}});
        return;
    }
}

void CLineReceiver::Feed(unsigned char b, std::vector<LineEvent>& events)
{
    // Flow control acts wherever it stands, as on a line with XON/XOFF.
    if (b == kHold) {
        events.push_back({LineEventKind::Hold, nullptr, 0, {}});
        return;
    }
    if (b == kGo) {
        events.push_back({LineEventKind::Go, nullptr, 0, {}});
        return;
    }

    if (m_commandPending) {
        m_commandPending = false;
        m_strayReported = false;
        FeedCommand(b, events);
        return;
    }

    if (b == kCommand) {
        if (m_lineIndex > 0) {
            Warn(events, "command inside a line record; the line is dropped");
            m_lineIndex = -1;
            m_line.clear();
        }
        m_commandPending = true;
        return;
    }

    if (m_mode == Mode::Idle) {
        if (!m_strayReported) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "byte %02X outside a transfer", b);
            Warn(events, buf);
            m_strayReported = true;
        }
        return;
    }

    if (m_lineIndex > 0) {
        if (b == kCr) {
            EndLine(events);
        } else if (b == kEsc) {
            Warn(events, "ESC inside a line record");
            EndLine(events);
            EndCard(events);
        } else if (b < 0x20) {
            // The telephone shows no control characters.
        } else if (m_line.size() < kMaxRecordText) {
            m_line += static_cast<char>(DeviceToAnsi(b));
        }
        return;
    }

    if (b == kEsc) {
        EndCard(events);
    } else if (b > 0x30) {
        StartLine(b);
    } else if (!m_strayReported) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "byte %02X between records", b);
        Warn(events, buf);
        m_strayReported = true;
    }
}

TransferBytes EncodeCardTransfer(const std::vector<const CKarte*>& cards)
{
    TransferBytes t;
    t.start = std::string{static_cast<char>(kCommand), static_cast<char>(kCardsToPc)};
    for (const CKarte* card : cards) {
        std::string record;
        card->EncodeForDevice(record);
        t.records.push_back(std::move(record));
    }
    t.end = std::string{static_cast<char>(kCommand), static_cast<char>(kEndOfTransfer)};
    return t;
}

std::string EncodeCallRecord(const CallRecord& record)
{
    std::string out;
    for (const std::string& field : record) {
        out += ToDevice(field);
        out += static_cast<char>(kCr);
    }
    out += static_cast<char>(kEsc);
    return out;
}

TransferBytes EncodeCallListTransfer(const std::vector<CallRecord>& records)
{
    TransferBytes t;
    t.start = std::string{static_cast<char>(kCommand), static_cast<char>(kCallListToPc)};
    for (const CallRecord& r : records)
        t.records.push_back(EncodeCallRecord(r));
    t.end = std::string{static_cast<char>(kCommand), static_cast<char>(kEndOfTransfer)};
    return t;
}

std::vector<CallRecord> ParseCallList(const std::string& text)
{
    std::vector<CallRecord> records;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t eol = text.find('\n', pos);
        if (eol == std::string::npos)
            eol = text.size();
        std::string line = text.substr(pos, eol - pos);
        pos = eol + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        if (IsValidUtf8(line))
            line = Utf8ToAnsi(line);
        CallRecord record;
        std::string field;
        for (char ch : line) {
            if (ch == ';') {
                record.push_back(field);
                field.clear();
            } else if (static_cast<unsigned char>(ch) >= 0x20) {
                field += ch;
            }
        }
        record.push_back(field);
        records.push_back(std::move(record));
    }
    return records;
}

std::vector<CallRecord> SampleCallList()
{
    // date; time; charge units; duration; direction (1 = outgoing);
    // answered; forwarded; rings; internal (1); number; name; line
    const char* const rows[] = {
        "20.03.04;18:42;0;00:03:12;1;1;0;0;0;0441234567;Meier Hans;1",
        "20.03.04;09:15;0;00:00:45;0;1;0;2;0;0317654321;M\xFCller Anna;1",
        "16.03.04;14:03;0;00:12:30;1;1;0;0;0;0049891234567;Dupont Fran\xE7oise;2",
        "16.03.04;11:27;0;00:00:00;0;0;0;5;0;0615551234;;1",
        "15.03.04;16:50;0;00:01:05;0;1;0;1;1;23;Empfang;1",
        "15.03.04;08:02;0;00:04:48;1;1;0;0;0;0797778899;\xC5kesson Lars;2",
        "10.03.04;19:30;0;00:25:11;0;1;0;3;0;0213334455;Schmid Peter;1",
        "10.03.04;10:10;0;00:00:20;1;1;0;0;1;31;Werkstatt;1",
        "05.03.04;13:45;0;00:02:02;0;1;1;4;0;0448887766;Z\xFCrcher Bank;1",
        "01.03.04;07:58;0;00:00:00;0;0;0;6;0;0329990011;;2",
        "28.02.04;17:20;0;00:07:40;1;1;0;0;0;0041225556677;H\xF8jgaard Nils;1",
        "24.12.03;20:00;0;00:31:09;0;1;0;2;0;0566667788;Weber Familie;1",
    };
    std::string text;
    for (const char* row : rows) {
        text += row;
        text += '\n';
    }
    // The rows above are Windows-1252 already; they are not valid UTF-8 and
    // pass ParseCallList unchanged.
    return ParseCallList(text);
}

std::vector<std::unique_ptr<CKarte>> SampleCards()
{
    struct Sample {
        const char* lines[4];
        uint8_t marked;
    };
    const Sample samples[] = {
        {{"Meier Hans", "0441234567", "Bahnhofstrasse 1", "8001 Z\xFCrich"}, 0},
        {{"M\xFCller Anna", "0317654321", "Gesch\xE4" "ft", ""}, 1},
        {{"Dupont Fran\xE7oise", "0049891234567", "Rue de la Gare 3", ""}, 0},
        {{"\xC5kesson Lars", "0797778899", "", ""}, 1},
        {{"Schmid Peter", "0213334455", "Garage", "Mobile 0791112233"}, 0},
    };
    std::vector<std::unique_ptr<CKarte>> cards;
    for (const Sample& s : samples) {
        auto card = std::make_unique<CKarte>();
        for (int i = 0; i < 4; ++i)
            if (*s.lines[i])
                card->SetLine(i, s.lines[i]);
        card->SetMarkByte(s.marked);
        cards.push_back(std::move(card));
    }
    return cards;
}

bool IsCardNoiseByte(unsigned char b)
{
    return b >= 0x01 && b <= 0x30 && b != kGo && b != kHighSpeed && b != kHold && b != kEsc;
}

bool IsCallListNoiseByte(unsigned char b)
{
    return IsCardNoiseByte(b) && b < 0x20 && b != kCr;
}

std::string CardJson(const CKarte& card)
{
    std::string out = "{\"edited\":" + std::to_string(card.EditedByte()) + ",\"marked\":" + std::to_string(card.MarkByte()) +
                      ",\"lines\":[";
    bool first = true;
    card.VisitStoredLines([&out, &first](std::string_view line) {
        if (!first)
            out += ',';
        first = false;
        out += JsonString(line);
    });
    return out + "]}";
}

std::string HexBytes(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (i)
            out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

}  // namespace velkaro::sim
