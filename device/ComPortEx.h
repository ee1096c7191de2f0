#pragma once

// The program's port object: the port plus the transfer mode, the sender
// thread of a bulk send and the receive parser with what it collected.

#include "device/ComPort.h"
#include "device/PortState.h"
#include "device/ReceiveParser.h"
#include "device/ReceptionBlocked.h"

#include <QTimer>

#include <atomic>
#include <thread>
#include <vector>

namespace velkaro {

class CComPortEx : public CComPort, public IReceiveLine {
    Q_OBJECT
public:
    explicit CComPortEx(QObject* parent = nullptr);
    ~CComPortEx() override;

    // Stops a running send, then closes the port.
    void Close() override;

    // Offers 19200 baud to the telephone before a bulk send: 0x00 0x0A, then
    // up to 300 ms for its 0x12. True when the line now runs at high speed.
    bool RequestHighSpeed();

    // Sends the cards in a thread of its own: 0x00 0x02, each card's device
    // record, then 0x00 0x01 (also after a cancel or a failed card).
    // The driver's queue is kept filled, so that the line never waits for
    // the sender; a card counts as sent once its last byte has left it.
    // SenderData(sent count) follows each card, SenderData(-1) the end; both
    // are emitted on the thread that started the send, which needs a running
    // event loop. The cards must stay untouched until StopSender returned.
    bool StartSender(std::vector<CKarte*> cards);
    // Asks the sender to queue no further card and waits until what is
    // queued, and the end, have left; the
    // notices not yet given, and the end, are emitted before it returns.
    void StopSender();
    bool SenderRunning() const { return m_sender.joinable(); }
    int SentCount() const { return m_sentCount.load(); }
    int HardwareErrorCount() const { return m_hardwareErrors.load(); }
    void CountHardwareError() { m_hardwareErrors.fetch_add(1); }

    bool HighSpeedAllowedFlag() const { return m_highSpeedAllowed; }
    void SetHighSpeedAllowed(bool allowed) { m_highSpeedAllowed = allowed; }

    // IReceiveLine, also used by the rest of the program.
    Transfer TransferMode() const override { return m_transferMode; }
    PortState State() const { return { IsOpen(), PortNumber(), m_transferMode }; }
    void SetTransferMode(Transfer mode) override;
    // While the telephone is held the program waits for its answer (12):
    // no byte then waits for a batch.
    bool SendHold() override;
    bool SendGo() override;
    bool SetBaudRate(int baud) override { return CComPort::SetBaudRate(baud); }
    bool HighSpeedAllowed() const override { return m_highSpeedAllowed; }
    bool IsReceptionBlocked() const override { return ReceptionBlocked != 0; }
    void ResetHardwareErrors() override { m_hardwareErrors.store(0); }

    // Parses count bytes of the receive buffer (nothing for -1); result is
    // the SpeedOfferPending value.
    void ParseReceived(int count, SpeedOffer& result);
    void ReleaseReceived();
    CReceiveParser& Parser() { return m_parser; }
    const CReceiveParser& Parser() const { return m_parser; }

signals:
    // The transfer mode changed (the status pane follows it).
    void PortModeChanged(Transfer mode);
    // The number of cards written after each card, -1 when the sender ends.
    void SenderData(int sentCount);

private:
    void SenderLoop(std::vector<CKarte*> cards);
    // Runs on the starting thread: turns what the sender thread counted into
    // SenderData notices. The sender itself posts nothing to Qt; the two
    // threads share atomics only.
    void WatchSender();

    std::thread m_sender;
    std::atomic<bool> m_senderStop { false };
    std::atomic<int> m_sentCount { 0 };
    std::atomic<int> m_hardwareErrors { 0 };
    std::atomic<bool> m_senderDone { false };
    int m_reportedCount = 0;
    QTimer m_senderWatch;
    Transfer m_transferMode = Transfer::Idle;
    bool m_highSpeedAllowed = true;
    CReceiveParser m_parser;
};

}  // namespace velkaro
