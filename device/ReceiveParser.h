#pragma once

// The receive parser: turns the bytes the telephone sends into cards and
// call records. It holds no port; what it needs of the line (the transfer
// mode, hold and go, the speed) it asks through IReceiveLine, so it runs the
// same over a real port, in tests and under the fuzzer.

#include "device/AnrufObj.h"
#include "device/TransferKinds.h"
#include "model/CardList.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velkaro {

// Bytes of the line protocol.
namespace wire {
constexpr uint8_t Command = 0x00;
constexpr uint8_t End = 0x01;
constexpr uint8_t StartCards = 0x02;      // PC -> telephone
constexpr uint8_t StartDial = 0x04;       // PC -> telephone
constexpr uint8_t StartCallList = 0x07;   // telephone -> PC
constexpr uint8_t RequestCallList = 0x08; // PC -> telephone
constexpr uint8_t IncomingCards = 0x09;   // telephone -> PC
constexpr uint8_t OfferHighSpeed = 0x0A;  // PC -> telephone
constexpr uint8_t Locked = 0x0B;          // telephone -> PC
constexpr uint8_t Go = 0x11;              // XON
constexpr uint8_t HighSpeed = 0x12;
constexpr uint8_t Hold = 0x13;            // XOFF
constexpr uint8_t CR = 0x0D;
constexpr uint8_t Esc = 0x1B;
constexpr int HoldCount = 8;
constexpr uint8_t MarkLine = 0x30 + 33;   // "Q"
}  // namespace wire

constexpr int kNormalBaud = 9600;
constexpr int kHighBaud = 19200;

// What the parser does to the line.
class IReceiveLine {
public:
    virtual ~IReceiveLine() = default;
    virtual Transfer TransferMode() const = 0;
    // Idle also returns the line to 9600 baud.
    virtual void SetTransferMode(Transfer mode) = 0;
    virtual bool SendHold() = 0;
    virtual bool SendGo() = 0;
    virtual bool SetBaudRate(int baud) = 0;
    virtual bool HighSpeedAllowed() const = 0;
    // The program-wide ReceptionBlocked flag.
    virtual bool IsReceptionBlocked() const = 0;
    // The start of a transfer clears the count of line errors.
    virtual void ResetHardwareErrors() = 0;
};

class CReceiveParser {
public:
    CReceiveParser();
    ~CReceiveParser();
    CReceiveParser(const CReceiveParser&) = delete;
    CReceiveParser& operator=(const CReceiveParser&) = delete;

    // Parses count bytes; says what it did about the speed.
    SpeedOffer Parse(const uint8_t* bytes, std::size_t count, IReceiveLine& line);

    // Deletes the current card, the current call record and the received
    // cards (the call list stays).
    void ReleaseReceived();

    // -1 waiting for a line number, 0 a command byte is expected, 1 and above
    // inside a line with that index.
    int LineIndex() const { return m_lineIndex; }
    void SetLineIndex(int index) { m_lineIndex = index; }

    int32_t IgnoreRest = 0;
    Received ReceivedKind = Received::Nothing;
    // date ordinal at or below which call records are dropped; 0 = none.
    int32_t DateThreshold = 0;

    // The received cards, sorted and with equal names numbered.
    CCardList* ReceivedCards() const;
    // Every card record that arrived: what the transfer's limits count.
    int ReceivedCardCount() const;
    // The cards as the user counts them: without the field-names card,
    // which the telephone sends among them but which is no card of the list.
    int ShownCardCount() const;
    std::unique_ptr<CCardList> TakeReceivedCards();
    CCallList* CallList() const { return m_callList.get(); }
    int CallRecordCount() const { return m_callList ? m_callList->Count() : 0; }
    void DeleteCallList() { m_callList.reset(); }
    const CKarte* CurrentCard() const { return m_currentCard.get(); }
    const std::string& LineBuffer() const { return m_line; }

private:
    void ResetForTransfer(IReceiveLine& line);
    void CommandByte(uint8_t b, SpeedOffer& result, IReceiveLine& line);
    void CardByte(uint8_t b);
    void CallListByte(uint8_t b);
    void AppendToLine(uint8_t b);
    void EndCardLine();
    void CompleteCard();
    void CompleteCallRecord();

    int m_lineIndex = -1;
    // The last byte during a send was 00, the first of a command.
    bool m_commandWhileSending = false;
    std::string m_line;  // at most 30 characters
    std::unique_ptr<CKarte> m_currentCard;
    std::unique_ptr<CAnrufObj> m_currentCall;
    std::unique_ptr<CCardList> m_receivedCards;
    // A card with the reserved name came (one of them is taken apart as the
    // field names when the list is taken).
    bool m_fieldNamesArrived = false;
    // Cards completed since the received list was last looked at, in the
    // order they came: they join it together, which gives the list that
    // sorting each in on arrival gives, without the cost per card.
    mutable std::vector<std::unique_ptr<CKarte>> m_arrived;
    std::unique_ptr<CCallList> m_callList;
};

}  // namespace velkaro
