#pragma once

// The telephone's side of the serial line: what it makes of the bytes the
// program sends, and the bytes it sends itself. No input or output here, so
// the line parser can be tested and fuzzed on its own.

#include "model/Karte.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace velkaro::sim {

// Bytes on the line.
constexpr unsigned char kCommand = 0x00;          // a command byte follows
constexpr unsigned char kEndOfTransfer = 0x01;    // both directions
constexpr unsigned char kCardsFromPc = 0x02;      // the program sends cards
constexpr unsigned char kDialRequest = 0x04;      // one card to dial follows
constexpr unsigned char kCallListToPc = 0x07;     // the telephone sends its call list
constexpr unsigned char kCallListRequest = 0x08;  // the program asks for the call list
constexpr unsigned char kCardsToPc = 0x09;        // the telephone sends its cards
constexpr unsigned char kSpeedOffer = 0x0A;       // the program offers 19200 baud
constexpr unsigned char kLocked = 0x0B;           // transfers are locked on the telephone
constexpr unsigned char kCr = 0x0D;
constexpr unsigned char kGo = 0x11;               // XON
constexpr unsigned char kHighSpeed = 0x12;        // switch to 19200 baud
constexpr unsigned char kHold = 0x13;             // XOFF
constexpr unsigned char kEsc = 0x1B;              // end of a card or call record
constexpr unsigned char kFirstLineIndex = 0x31;   // "1": card line 0
constexpr unsigned char kMarkIndex = 0x51;        // "Q": the mark record

// What the telephone saw on the line.
enum class LineEventKind {
    SpeedOffer,          // 0x00 0x0A
    CardTransferStart,   // 0x00 0x02
    Card,                // a complete card of a card transfer
    CardTransferEnd,     // 0x00 0x01 ending a card transfer
    DialStart,           // 0x00 0x04
    DialCard,            // the card of a dial request
    DialEnd,             // 0x00 0x01 ending a dial request
    CallListRequest,     // 0x00 0x08
    End,                 // 0x00 0x01 outside a transfer
    Hold,                // 0x13
    Go,                  // 0x11
    UnknownCommand,      // 0x00 and a byte the telephone does not know
    Warning,             // bytes that do not fit the record form
};

struct LineEvent {
    LineEventKind kind;
    std::unique_ptr<CKarte> card;  // Card, DialCard
    unsigned char byte = 0;        // UnknownCommand
    std::string text;              // Warning
};

// Parses the program's bytes one at a time. Card lines are stored with the
// card's own line setter, so they are trimmed and capped as the telephone
// shows them; device codes are translated back to Windows-1252.
class CLineReceiver {
public:
    enum class Mode { Idle, Cards, Dial };

    void Feed(unsigned char b, std::vector<LineEvent>& events);
    void Feed(const std::string& bytes, std::vector<LineEvent>& events);

    Mode CurrentMode() const { return m_mode; }
    bool InTransfer() const { return m_mode != Mode::Idle; }

private:
    // The byte after the command byte: which transfer starts or ends.
    void FeedCommand(unsigned char b, std::vector<LineEvent>& events);
    void StartLine(unsigned char b);
    void EndLine(std::vector<LineEvent>& events);
    void EndCard(std::vector<LineEvent>& events);
    void Warn(std::vector<LineEvent>& events, std::string text);

    Mode m_mode = Mode::Idle;
    bool m_commandPending = false;
    int m_lineIndex = -1;  // -1: waiting for an index byte; 1..: inside that line record
    std::string m_line;
    std::unique_ptr<CKarte> m_card;
    bool m_strayReported = false;
};

// One call-list record: its fields in the telephone's order (date, time, ?,
// duration, direction, ?, ?, ?, internal, number, name, line).
using CallRecord = std::vector<std::string>;

// The bytes of a card transfer to the program, split where the telephone
// pauses: `start` is the start sequence, then one piece per record, then
// the end sequence.
struct TransferBytes {
    std::string start;
    std::vector<std::string> records;
    std::string end;
};

TransferBytes EncodeCardTransfer(const std::vector<const CKarte*>& cards);
TransferBytes EncodeCallListTransfer(const std::vector<CallRecord>& records);
// A call record: each field in device codes followed by CR, then ESC.
std::string EncodeCallRecord(const CallRecord& record);

// The call-list file: one record a line, fields separated by ";"; empty
// lines and lines starting with "#" are skipped. Lines in UTF-8 are
// converted to Windows-1252, other lines are taken as Windows-1252 already.
// Control characters are dropped, since they would break the framing.
std::vector<CallRecord> ParseCallList(const std::string& text);
// A dozen calls, newest first, as the telephone lists them.
std::vector<CallRecord> SampleCallList();
// A few cards to start with (marks, accented letters, extra lines).
std::vector<std::unique_ptr<CKarte>> SampleCards();

// Noise the program must skip: bytes that neither start a line nor frame a
// record, nor act as flow control. Call-list records take text from 0x20 on,
// so their noise stays below it.
bool IsCardNoiseByte(unsigned char b);
bool IsCallListNoiseByte(unsigned char b);

// `{"edited":E,"marked":M,"lines":[...]}` with every stored line, in UTF-8.
std::string CardJson(const CKarte& card);

// "00 0A 12": uppercase hex, one blank between bytes.
std::string HexBytes(const std::string& bytes);

}  // namespace velkaro::sim
