#include "ReceiveParser.h"

#include "model/Charset.h"

namespace velkaro {

namespace {
constexpr std::size_t kLineCapacity = 30;
}

CReceiveParser::CReceiveParser() = default;
CReceiveParser::~CReceiveParser() = default;

void CReceiveParser::ReleaseReceived()
{
    m_currentCard.reset();
    m_currentCall.reset();
    m_receivedCards.reset();
    m_fieldNamesArrived = false;
    m_arrived.clear();
}

CCardList* CReceiveParser::ReceivedCards() const
{
    if (m_receivedCards && !m_arrived.empty()) {
        std::vector<std::unique_ptr<CKarte>> arrived;
        arrived.swap(m_arrived);
        m_receivedCards->InsertAllSorted(std::move(arrived), false);
    }
    return m_receivedCards.get();
}

int CReceiveParser::ReceivedCardCount() const
{
    // Without replacing, every card adds one.
    return m_receivedCards ? m_receivedCards->Count() + static_cast<int>(m_arrived.size()) : 0;
}

int CReceiveParser::ShownCardCount() const
{
    return ReceivedCardCount() - (m_fieldNamesArrived ? 1 : 0);
}

std::unique_ptr<CCardList> CReceiveParser::TakeReceivedCards()
{
    ReceivedCards();
    m_fieldNamesArrived = false;
    return std::move(m_receivedCards);
}

void CReceiveParser::ResetForTransfer(IReceiveLine& line)
{
    m_line.clear();
    m_lineIndex = -1;
    // Cards of an earlier transfer that still wait for the user's answer are
    // never mixed with new ones: the new transfer is read and dropped.
    IgnoreRest = (line.IsReceptionBlocked() || m_receivedCards) ? 1 : 0;
    if (!IgnoreRest) {
        m_currentCall.reset();
        // A card left unfinished by an aborted transfer must not collect the
        // lines of the next one.
        m_currentCard.reset();
    }
    ReceivedKind = Received::Nothing;
    line.ResetHardwareErrors();
}

void CReceiveParser::CommandByte(uint8_t b, SpeedOffer& result, IReceiveLine& line)
{
    m_lineIndex = -1;
    switch (b) {
    case wire::End:
        line.SetTransferMode(Transfer::Idle);
        break;
    case wire::IncomingCards:
        if (line.TransferMode() == Transfer::Idle) {
            line.SetTransferMode(Transfer::ReceivingCards);
            ResetForTransfer(line);
            if (line.HighSpeedAllowed())
                result = SpeedOffer::HoldSent;
        }
        break;
    case wire::StartCallList:
        if (line.TransferMode() == Transfer::Idle) {
            line.SetTransferMode(Transfer::ReceivingCallList);
            ResetForTransfer(line);
            // A dropped transfer leaves the list alone: the preview may be
            // showing it right now.
            if (m_callList && !IgnoreRest)
                m_callList->Clear();
            if (line.HighSpeedAllowed())
                result = SpeedOffer::HoldSent;
        }
        break;
    case wire::Locked:
        line.SetTransferMode(Transfer::Locked);
        break;
    default:
        break;
    }
}

void CReceiveParser::AppendToLine(uint8_t b)
{
    if (IgnoreRest || !IsCallFieldByte(b) || m_line.size() >= kLineCapacity)
        return;
    if (b >= 0x80)
        b = DeviceToAnsi(b);
    m_line.push_back(static_cast<char>(b));
}

void CReceiveParser::EndCardLine()
{
    if (!IgnoreRest) {
        if (!m_currentCard)
            m_currentCard = std::make_unique<CKarte>();
        if (m_lineIndex == 33) {
            if (!m_line.empty()) {
                auto c = static_cast<unsigned char>(m_line[0]);
                if (c >= 0x61 && c <= 0x7F)
                    m_currentCard->SetMarkByte(static_cast<uint8_t>(c - 0x61));
            }
        } else if (m_lineIndex >= 1 && m_lineIndex <= 32) {
            m_currentCard->SetLine(m_lineIndex - 1, m_line);
        }
    }
    m_lineIndex = -1;
}

void CReceiveParser::CompleteCard()
{
    if (IgnoreRest || !m_currentCard)
        return;
    if (!m_receivedCards)
        m_receivedCards = std::make_unique<CCardList>();
    ReceivedKind = Received::Cards;
    m_currentCard->CheckFirstLine(true);
    if (m_currentCard->CompareName(ReservedName()).kind == MatchKind::Equal)
        m_fieldNamesArrived = true;
    m_arrived.push_back(std::move(m_currentCard));
}

void CReceiveParser::CardByte(uint8_t b)
{
    if (m_lineIndex > 0) {
        if (b == wire::CR)
            EndCardLine();
        else
            AppendToLine(b);
        return;
    }
    // Between lines.
    if (b == wire::Command) {
        m_lineIndex = 0;
    } else if (b == wire::Esc) {
        CompleteCard();
    } else if (b > 0x30) {
        m_line.clear();
        m_lineIndex = b - 0x30;
    }
}

void CReceiveParser::CompleteCallRecord()
{
    if (IgnoreRest || !m_currentCall)
        return;
    if (!m_callList)
        m_callList = std::make_unique<CCallList>();
    ReceivedKind = Received::CallList;
    std::unique_ptr<CAnrufObj> record = std::move(m_currentCall);
    if (DateThreshold > 0) {
        int ordinal = DateOrdinal(record->Field(callfield::Date));
        if (ordinal > 0 && ordinal <= DateThreshold) {
            // The telephone sends the newest call first: everything after
            // the first old call is older still.
            IgnoreRest = 1;
            return;
        }
    }
    m_callList->AddHead(std::move(record));
}

void CReceiveParser::CallListByte(uint8_t b)
{
    switch (b) {
    case wire::Command:
        m_lineIndex = 0;
        break;
    case wire::CR:
        if (!IgnoreRest) {
            if (!m_currentCall)
                m_currentCall = std::make_unique<CAnrufObj>();
            m_currentCall->AddField(m_line);
            m_line.clear();
        }
        break;
    case wire::Esc:
        CompleteCallRecord();
        break;
    default:
        AppendToLine(b);
        break;
    }
}

SpeedOffer CReceiveParser::Parse(const uint8_t* bytes, std::size_t count, IReceiveLine& line)
{
    SpeedOffer result = SpeedOffer::None;
    for (std::size_t i = 0; i < count; ++i) {
        uint8_t b = bytes[i];
        if (b == wire::HighSpeed) {
            result = SpeedOffer::Switched;
            continue;
        }
        if (m_lineIndex == 0) {
            CommandByte(b, result, line);
            continue;
        }
        switch (line.TransferMode()) {
        case Transfer::Idle:
            if (b == wire::Command)
                m_lineIndex = 0;
            break;
        case Transfer::ReceivingCards:
            CardByte(b);
            break;
        case Transfer::ReceivingCallList:
            CallListByte(b);
            break;
        case Transfer::Sending:
            // Nothing is expected but the telephone's refusal: 00 0B when
            // its transfers are locked (it takes none of the cards).
            if (m_commandWhileSending && b == wire::Locked)
                line.SetTransferMode(Transfer::Locked);
            m_commandWhileSending = b == wire::Command;
            break;
        default:  // locked: nothing is expected
            break;
        }
    }

    const Transfer mode = line.TransferMode();
    bool receiving = mode == Transfer::ReceivingCards || mode == Transfer::ReceivingCallList;
    if (result == SpeedOffer::HoldSent) {
        if (receiving)
            line.SendHold();
        else
            result = SpeedOffer::None;
    } else if (result == SpeedOffer::Switched) {
        if (receiving)
            line.SetBaudRate(kHighBaud);
        else
            result = SpeedOffer::None;
        line.SendGo();
    }
    return result;
}

}  // namespace velkaro
