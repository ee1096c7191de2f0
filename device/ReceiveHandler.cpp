#include "ReceiveHandler.h"

#include "text/Language.h"
#include "DeviceSettings.h"
#include "text/MessageIds.h"

namespace velkaro {

bool PortCheck(const CComPortEx& port, IMessageUi& ui)
{
    if (!port.IsOpen()) {
        ui.Message(Text(msg::PortChooseFirst), MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    if (port.TransferMode() != Transfer::Idle) {
        ui.Message(Text(msg::PhoneStillSending), MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    return true;
}

CReceiveHandler::CReceiveHandler(CComPortEx& port, ITransferUi& ui, CPcxDoc* doc, QObject* parent,
                                 TransferLimits limits)
    : QObject(parent), m_port(port), m_ui(ui), m_doc(doc), m_limits(limits)
{
    m_transferTimer.setSingleShot(true);
    m_goTimer.setSingleShot(true);
    connect(&m_transferTimer, &QTimer::timeout, this, &CReceiveHandler::OnTransferTimer);
    connect(&m_goTimer, &QTimer::timeout, this, &CReceiveHandler::OnGoTimer);
    m_port.SetNotifyHandler([this](int count) { OnPortData(count); });
    // The telephone answers the call-list request with a transfer of its
    // own. Its start ends the wait for the answer, also when the whole
    // transfer, end included, arrives in one chunk and the line is idle
    // again before the watchdog could take the timer's place.
    connect(&m_port, &CComPortEx::PortModeChanged, this, [this](Transfer mode) {
        // The parser sets a receiving mode only at a start sequence.
        if (mode == Transfer::ReceivingCards || mode == Transfer::ReceivingCallList) {
            m_transferKind = mode;
            m_transferBytes = 0;
            m_transferClock.start();
        }
        if (m_timerKind == TransferTimer::CallListAnswer
            && (mode == Transfer::ReceivingCards || mode == Transfer::ReceivingCallList))
            StopTransferTimer();
    });
    connect(&m_port, &CComPort::OutputFailed, this, &CReceiveHandler::OnOutputFailed);
}

CReceiveHandler::~CReceiveHandler()
{
    m_port.SetNotifyHandler({});
}

std::string CReceiveHandler::SpeedText() const
{
    return Text(m_port.BaudRate() != kNormalBaud ? msg::SpeedHigh : msg::SpeedNormal);
}

void CReceiveHandler::StartTransferTimer(TransferTimer kind, int ms)
{
    m_timerKind = kind;
    m_transferTimer.start(ms);
}

void CReceiveHandler::StopTransferTimer()
{
    m_timerKind = TransferTimer::None;
    m_transferTimer.stop();
}

void CReceiveHandler::OnPortData(int count)
{
    CReceiveParser& parser = m_port.Parser();
    bool lineErrors = m_port.TakeLineErrors();
    if (count == 0) {
        m_port.ReleaseBuffer();
        return;
    }
    SpeedOffer result = SpeedOffer::None;
    m_port.ParseReceived(count, result);
    if (result == SpeedOffer::HoldSent)
        m_goTimer.start(kGoAfterHoldMs);
    else if (result == SpeedOffer::Switched)
        m_goTimer.stop();
    if (lineErrors)
        m_port.CountHardwareError();

    const Transfer mode = m_port.TransferMode();
    if (mode == Transfer::Locked) {
        StopTransferTimer();
        m_port.SetTransferMode(Transfer::Idle);
        m_ui.Message(Text(msg::TransferLocked), MsgButtons::Ok, MsgIcon::Warning);
        emit TransferRefused();
    } else if ((mode == Transfer::ReceivingCards || mode == Transfer::ReceivingCallList) && count > 0) {
        // The watchdog guards a reception only. A byte during a bulk send
        // (a late answer to the speed offer) would otherwise end the send's
        // transfer mode, and reset the line, three seconds later.
        StartTransferTimer(TransferTimer::Watchdog, kWatchdogMs);
    }
    m_port.ReleaseBuffer();

    if (count < 0) {
        LineLost(mode);
        return;
    }

    if (!parser.IgnoreRest && OverLimits(mode, count)) {
        // Whatever comes after is read and dropped, as after Cancel, until
        // the line falls silent or ends the transfer.
        parser.IgnoreRest = 1;
        if (m_dialogOpen)
            EndDialog(ReceiveEnd::TooLong);
        else
            ShowResult(ReceiveEnd::TooLong);
        return;
    }
    if (parser.IgnoreRest) {
        if (m_dialogOpen)
            EndDialog(ReceiveEnd::Done);
        else if (parser.ReceivedKind != Received::Nothing)
            // Records older than the date threshold end the call list early;
            // what came before them is the list.
            ShowResult(ReceiveEnd::Done);
        return;
    }
    ShowTransferState();
}

// The line is gone (the port has been closed and the failure reported): a
// transfer in progress ends now with what arrived. The timers stop before
// the line's message shows: a watchdog firing under that box would put a
// second one about a time-out on top of it.
void CReceiveHandler::LineLost(Transfer mode)
{
    m_goTimer.stop();
    bool receiving = mode == Transfer::ReceivingCards || mode == Transfer::ReceivingCallList;
    bool awaiting = m_timerKind == TransferTimer::CallListAnswer;
    StopTransferTimer();
    if (receiving)
        m_port.SetTransferMode(Transfer::Idle);
    m_port.ReportLineLost();
    if (receiving)
        EndBrokenTransfer();
    else if (awaiting)
        emit CallListUnanswered();
}

// After a chunk was parsed: a transfer that ended shows its result, one
// under way its progress.
void CReceiveHandler::ShowTransferState()
{
    CReceiveParser& parser = m_port.Parser();
    const Transfer mode = m_port.TransferMode();
    if (mode == Transfer::Idle) {
        const Transfer ended = m_transferKind;
        m_transferKind = Transfer::Idle;
        bool empty = ended != Transfer::Idle && parser.ReceivedKind == Received::Nothing;
        if (m_dialogOpen)
            EndDialog(ReceiveEnd::Done);
        else if (parser.ReceivedKind != Received::Nothing)
            ShowResult(ReceiveEnd::Done);
        // The telephone answers a request for an empty call list with its
        // start and end alone; whoever waits for the list learns it here.
        if (empty)
            emit EmptyTransfer(ended);
        return;
    }
    if (mode == Transfer::ReceivingCards || mode == Transfer::ReceivingCallList) {
        int received = mode == Transfer::ReceivingCards ? parser.ShownCardCount() : parser.CallRecordCount();
        if (!m_dialogOpen) {
            m_dialogOpen = true;
            m_ui.ReceiveProgressBegin(mode == Transfer::ReceivingCallList, [this] { CancelReceive(); });
        }
        m_ui.ReceiveProgressUpdate(received, m_port.HardwareErrorCount(), SpeedText());
    }
}

bool CReceiveHandler::OverLimits(Transfer mode, int count)
{
    if (mode != Transfer::ReceivingCards && mode != Transfer::ReceivingCallList)
        return false;
    m_transferBytes += count;
    const int records = mode == Transfer::ReceivingCards ? m_port.Parser().ReceivedCardCount()
                                                    : m_port.Parser().CallRecordCount();
    return records > m_limits.records || m_transferBytes > m_limits.bytes
           || (m_transferClock.isValid() && m_transferClock.elapsed() > m_limits.ms);
}

void CReceiveHandler::CancelReceive()
{
    if (m_dialogOpen)
        EndDialog(ReceiveEnd::Cancelled);
}

void CReceiveHandler::EndDialog(ReceiveEnd code)
{
    m_dialogOpen = false;
    m_ui.ReceiveProgressEnd();
    if (m_port.TransferMode() == Transfer::Idle)
        StopTransferTimer();
    ShowResult(code);
}

void CReceiveHandler::ShowResult(ReceiveEnd code)
{
    ReceptionBlock block;
    CReceiveParser& parser = m_port.Parser();
    const Received kind = parser.ReceivedKind;
    std::string text;
    if (kind == Received::Cards)
        text = FormatText(msg::CardsReceived, parser.ShownCardCount());
    else if (kind == Received::CallList)
        text = FormatText(msg::CallListReceived, parser.CallRecordCount());
    if (int errors = m_port.HardwareErrorCount(); errors > 0)
        text += FormatText(msg::ReceiveHardwareErrors, errors);
    if (code == ReceiveEnd::Cancelled) {
        text += Text(msg::ReceptionCancelled);
        parser.IgnoreRest = 1;
    } else if (code == ReceiveEnd::Timeout) {
        text += Text(msg::ReceptionTimeout);
    } else if (code == ReceiveEnd::LineFailed) {
        text += Text(msg::ReceptionLineFailed);
    } else if (code == ReceiveEnd::TooLong) {
        text += Text(msg::ReceptionTooLong);
    }
    MsgIcon icon = code == ReceiveEnd::Done ? MsgIcon::Information : MsgIcon::Warning;

    bool taken = false;
    if (kind == Received::Cards) {
        parser.ReceivedKind = Received::Nothing;
        bool haveCards = parser.ReceivedCards() != nullptr;
        bool mayTake = m_doc && (!m_mayTake || m_mayTake(code));
        ReceivedCardsChoice choice = ReceivedCardsChoice::Replace;
        if (haveCards && mayTake && m_doc->Cards().Count() > 0) {
            CardComparison comparison = CompareCollections(m_doc->Cards(), *parser.ReceivedCards());
            choice = m_ui.AskReceivedCards(text, msg::OldCardsDeleted, MsgIcon::Warning, comparison);
        } else {
            m_ui.Message(text, MsgButtons::Ok, icon);
        }
        if (haveCards) {
            if (choice == ReceivedCardsChoice::Merge && mayTake) {
                taken = m_doc->MergeCollection(parser.TakeReceivedCards());
            } else if (choice == ReceivedCardsChoice::Replace && mayTake) {
                taken = m_doc->ReplaceCollection(parser.TakeReceivedCards());
            } else {
                m_ui.Message(Text(msg::ReceivedNotStored), MsgButtons::Ok, MsgIcon::Information);
            }
        }
    } else if (kind == Received::CallList) {
        parser.ReceivedKind = Received::Nothing;
        m_ui.Message(text, MsgButtons::Ok, icon);
        CallListResult();
    } else if (code == ReceiveEnd::TooLong) {
        // Noise that never made a whole record still ends with a word.
        m_ui.Message(text, MsgButtons::Ok, icon);
    }
    m_port.ReleaseReceived();
    emit ReceptionFinished(kind, code, taken);
}

void CReceiveHandler::CallListResult()
{
    CReceiveParser& parser = m_port.Parser();
    if (parser.CallRecordCount() > 0) {
        if (const CAnrufObj* first = parser.CallList()->Tail())
            DeviceSettings().SetCallListDate(first->Field(callfield::Date));
        emit CallListReceived();
    } else {
        parser.DeleteCallList();
    }
}

void CReceiveHandler::EndBrokenTransfer()
{
    CReceiveParser& parser = m_port.Parser();
    m_transferKind = Transfer::Idle;
    m_goTimer.stop();
    m_port.SetTransferMode(Transfer::Idle);
    StopTransferTimer();
    if (m_dialogOpen)
        EndDialog(ReceiveEnd::LineFailed);
    else if (!parser.IgnoreRest && parser.ReceivedKind != Received::Nothing)
        ShowResult(ReceiveEnd::LineFailed);
}

void CReceiveHandler::OnOutputFailed()
{
    // The telephone held the program's hold or go (XOFF) past the write
    // time-out, or the write failed: a reception cannot be paced any more
    // and ends with what arrived, after the reason.
    m_port.ReportPortError();
    const Transfer mode = m_port.TransferMode();
    if (mode == Transfer::ReceivingCards || mode == Transfer::ReceivingCallList)
        EndBrokenTransfer();
}

void CReceiveHandler::OnTransferTimer()
{
    TransferTimer kind = m_timerKind;
    if (kind == TransferTimer::Watchdog) {
        // No byte for 3000 ms in mid-transfer: what arrived is still offered.
        m_transferKind = Transfer::Idle;
        m_port.SetTransferMode(Transfer::Idle);
        StopTransferTimer();
        if (m_dialogOpen)
            EndDialog(ReceiveEnd::Timeout);
    } else if (kind == TransferTimer::CallListAnswer) {
        StopTransferTimer();
        m_ui.Message(Text(msg::CallListNoAnswer), MsgButtons::Ok, MsgIcon::Warning);
        emit CallListUnanswered();
    }
}

void CReceiveHandler::OnGoTimer()
{
    m_goTimer.stop();
    m_port.SendGo();
}

void CReceiveHandler::OnReceiveCommand()
{
    if (!PortCheck(m_port, m_ui))
        return;
    m_ui.Message(Text(msg::AlwaysReadyToReceive), MsgButtons::Ok, MsgIcon::Information);
}

bool CReceiveHandler::OnRequestCallList()
{
    if (!PortCheck(m_port, m_ui))
        return false;
    IDeviceSettings& settings = DeviceSettings();
    std::optional<ITransferUi::CallListRange> range;
    {
        ReceptionBlock block;
        ITransferUi::CallListRange preset;
        preset.date = settings.CallListDate();
        preset.choice = preset.date.empty() ? 0 : settings.CallListAll();
        range = m_ui.AskCallListRange(preset);
    }
    if (!range)
        return false;
    int threshold = 0;
    std::string text;
    if (int ordinal = DateOrdinal(range->date); ordinal > 0) {
        // The date as the picker gives it back: day, month, full year.
        int numbers[3] = { 0, 0, 0 };
        int found = 0;
        for (std::size_t i = 0; i < range->date.size() && found < 3;) {
            if (range->date[i] < '0' || range->date[i] > '9') {
                ++i;
                continue;
            }
            int v = 0;
            while (i < range->date.size() && range->date[i] >= '0' && range->date[i] <= '9' && v < 100000)
                v = v * 10 + (range->date[i++] - '0');
            if (v != 0)
                numbers[found++] = v;
        }
        int year = numbers[2] < 80 ? numbers[2] + 2000 : numbers[2] < 100 ? numbers[2] + 1900 : numbers[2];
        text = FormatString("%02i.%02i.%i", numbers[0], numbers[1], year);
        if (range->choice == 1)
            threshold = DateOrdinal(text);
    }
    settings.SetCallListDate(text);
    settings.SetCallListAll(range->choice);
    return SendCallListRequest(threshold);
}

bool CReceiveHandler::SendCallListRequest(int dateThreshold)
{
    m_port.Parser().DateThreshold = dateThreshold;
    static const uint8_t request[2] = { wire::Command, wire::RequestCallList };
    if (!m_port.Write(request, sizeof request, true))
        return false;
    StartTransferTimer(TransferTimer::CallListAnswer, kCallListAnswerMs);
    return true;
}

}  // namespace velkaro
