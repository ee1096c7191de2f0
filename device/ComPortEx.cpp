#include "ComPortEx.h"

#include "text/Language.h"
#include "text/MessageIds.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <poll.h>
#include <unistd.h>

namespace velkaro {

namespace {
// How often the starting thread looks at the sender's progress: often
// enough for a progress dialog, seldom enough to cost nothing over a long
// send. Should several cards land in one look, each is reported in turn.
constexpr int kSenderWatchMs = 100;
// How long a stopping sender may go without a byte leaving before its write
// is abandoned.
constexpr int kAbandonAfterMs = 150;

bool Receiving(Transfer mode)
{
    return mode == Transfer::ReceivingCards || mode == Transfer::ReceivingCallList;
}
}

CComPortEx::CComPortEx(QObject* parent) : CComPort(parent)
{
    m_senderWatch.setInterval(kSenderWatchMs);
    connect(&m_senderWatch, &QTimer::timeout, this, &CComPortEx::WatchSender);
}

CComPortEx::~CComPortEx()
{
    StopSender();
}

void CComPortEx::Close()
{
    StopSender();
    CComPort::Close();
}

bool CComPortEx::RequestHighSpeed()
{
    if (!IsOpen())
        return false;
    StopReader();
    Purge(kPurgeReceive | kPurgeTransmit);
    static const uint8_t offer[2] = { wire::Command, wire::OfferHighSpeed };
    if (!Write(offer, sizeof offer, false)) {
        StartReader();
        return false;
    }
    // The telephone answers at once or not at all.
    int fd = NativeHandle();
    bool agreed = false;
    bool failed = false;
    QElapsedTimer clock;
    clock.start();
    while (!agreed && !failed) {
        qint64 left = 300 - clock.elapsed();
        if (left <= 0)
            break;
        pollfd pfd { fd, POLLIN, 0 };
        int r = ::poll(&pfd, 1, static_cast<int>(left));
        if (r < 0 && errno != EINTR)
            failed = true;
        if (r <= 0)
            continue;
        uint8_t b = 0;
        ssize_t n = ::read(fd, &b, 1);
        if (n == 1 && b == wire::HighSpeed) {
            agreed = true;
            NoteTelephoneHeard();
        }
        else if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
            failed = true;
    }
    if (!agreed) {
        // An offer the telephone held back must not follow the cards later.
        if (PendingOutput() > 0)
            DropQueuedOutput();
        StartReader();
        return false;
    }
    // The telephone switches after its 12: the first byte at 19200 waits
    // for its pause, the reopen does not.
    HoldOutputForSpeedSwitch();
    Close();
    Settings().baudRate = kHighBaud;
    return Report(Open());
}

bool CComPortEx::StartSender(std::vector<CKarte*> cards)
{
    StopSender();
    ResumeWrites();
    m_senderStop.store(false);
    m_senderDone.store(false);
    m_sentCount.store(0);
    m_reportedCount = 0;
    try {
        m_sender = std::thread([this, list = std::move(cards)]() mutable { SenderLoop(std::move(list)); });
    } catch (const std::system_error& e) {
        SetPortError(PortError::Sender, e.what());
        ReportPortError();
        return false;
    }
    SetTransferMode(Transfer::Sending);
    m_senderWatch.start();
    return true;
}

void CComPortEx::StopSender()
{
    m_senderStop.store(true);
    if (m_sender.joinable()) {
        // The sender finishes what it has queued while the line takes it. A
        // line the telephone holds (XOFF) takes nothing: after a short look
        // without progress (a write, or the queue going down; the sender
        // sleeps through the latter) the write is abandoned, so that a
        // cancel answers at once instead of after the write's time-out.
        QElapsedTimer clock;
        clock.start();
        int lastQueue = PendingOutput();
        int64_t queueMoved = 0;
        while (!m_senderDone.load()) {
            const int queue = PendingOutput();
            if (queue < lastQueue)
                queueMoved = clock.elapsed();
            lastQueue = queue;
            int64_t sinceProgress = std::min<int64_t>(clock.elapsed() - queueMoved, MsSinceWriteProgress());
            if (sinceProgress >= kAbandonAfterMs) {
                AbandonWrites();
                break;
            }
            QThread::msleep(5);
        }
        m_sender.join();
    }
    // A send stopped from outside (a cancel, or the port closed on a hang-up)
    // still gets its last notices and its end.
    if (m_senderWatch.isActive())
        WatchSender();
}

void CComPortEx::WatchSender()
{
    // Read "done" first: once it is set, the count is final.
    bool done = m_senderDone.load();
    int sent = m_sentCount.load();
    while (m_reportedCount < sent && m_senderWatch.isActive())
        emit SenderData(++m_reportedCount);
    if (done && m_senderWatch.isActive()) {
        m_senderWatch.stop();
        emit SenderData(-1);
    }
}

void CComPortEx::SenderLoop(std::vector<CKarte*> cards)
{
    m_hardwareErrors.store(0);
    m_sentCount.store(0);
    SetPortError(PortError::None, {});
    static const uint8_t start[2] = { wire::Command, wire::StartCards };
    static const uint8_t end[2] = { wire::Command, wire::End };
    uint64_t lineErrors = 0;
    LineErrorsSince(NativeHandle(), lineErrors);
    // A card counts as sent once its last byte has left the driver's queue:
    // the ends of the cards still queued, in bytes written.
    std::deque<int64_t> queuedEnds;
    int64_t written = 0;
    auto countLeft = [&] {
        const int64_t left = written - DriverQueue(NativeHandle());
        while (!queuedEnds.empty() && queuedEnds.front() <= left) {
            queuedEnds.pop_front();
            m_sentCount.fetch_add(1);
        }
    };
    bool ok = Write(start, sizeof start, false);
    written += sizeof start;
    std::string record;
    record.reserve(1280);
    for (std::size_t i = 0; ok && i < cards.size() && !m_senderStop.load() && IsOpen(); ++i) {
        record.clear();
        cards[i]->EncodeForDevice(record);
        if (LineErrorsSince(NativeHandle(), lineErrors))
            m_hardwareErrors.fetch_add(1);
        ok = Write(record, false);
        if (ok) {
            written += static_cast<int64_t>(record.size());
            queuedEnds.push_back(written);
        }
        countLeft();
    }
    // The telephone waits for the end of the transfer, also after a cancel;
    // after an abandoned write it is offered once, without waiting.
    const PortError before = PendingError();
    std::string text = LastSystemError();
    if (WritesAbandoned()) {
        WriteOnce(end, sizeof end);
    } else if (Write(end, sizeof end, false)) {
        // Everything leaves before the line is switched back or closed.
        DrainOutput(false);
    }
    countLeft();
    // A card that failed is what the user hears of; the end's own failure
    // does not change the outcome once every card has left.
    if (before != PortError::None || queuedEnds.empty())
        SetPortError(before, text);
    m_senderDone.store(true);
}

bool CComPortEx::SendHold()
{
    AllowReceiveBatches(false);
    return CComPort::SendHold();
}

bool CComPortEx::SendGo()
{
    AllowReceiveBatches(Receiving(m_transferMode));
    return CComPort::SendGo();
}

void CComPortEx::SetTransferMode(Transfer mode)
{
    m_transferMode = mode;
    AllowReceiveBatches(Receiving(mode));
    if (mode == Transfer::Idle) {
        m_parser.SetLineIndex(-1);
        CComPort::SetBaudRate(kNormalBaud);
    }
    emit PortModeChanged(mode);
}

void CComPortEx::ParseReceived(int count, SpeedOffer& result)
{
    result = SpeedOffer::None;
    if (count <= 0)
        return;
    // A late answer to the speed offer shows the telephone as well.
    if (std::find(ReceiveBuffer(), ReceiveBuffer() + count, wire::HighSpeed) != ReceiveBuffer() + count)
        NoteTelephoneHeard();
    result = m_parser.Parse(ReceiveBuffer(), static_cast<std::size_t>(count), *this);
}

void CComPortEx::ReleaseReceived()
{
    m_parser.ReleaseReceived();
    m_hardwareErrors.store(0);
}

std::string PortPaneText(const PortState& state)
{
    if (!state.open)
        return {};
    switch (state.transferMode) {
    case Transfer::Idle: return FormatText(msg::PortPaneReady, state.number);
    case Transfer::Sending: return FormatText(msg::PortPaneSending, state.number);
    case Transfer::ReceivingCards:
    case Transfer::ReceivingCallList: return FormatText(msg::PortPaneReceiving, state.number);
    default: return {};
    }
}

}  // namespace velkaro
