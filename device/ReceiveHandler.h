#pragma once

// The receiving side of the device link as the card view runs it: every
// chunk the port delivers goes through OnPortData, which parses it, keeps the
// telephone paced (hold, then go after 300 ms), watches for silence, shows
// the receive progress and at the end the result, and hands received cards
// to the document on the user's consent. Also the call-list request.
//
// Timers: the transfer timer is either the 3000 ms receive watchdog or the
// 3000 ms wait for the call-list answer (one replaces the other); the go
// timer sends go 300 ms after hold. They run on the thread's event loop, so
// the window and the command line drive them alike.

#include "device/ComPortEx.h"
#include "model/Document.h"
#include "model/TransferUi.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

namespace velkaro {

// How a reception ended (the end code of the receive dialog).
enum class ReceiveEnd : int {
    Done = 1,
    Cancelled = 2,
    Timeout = 3,
    // The line was lost, or the telephone held the program's output too long.
    LineFailed = 4,
    // The transfer went past what any telephone sends (TransferLimits):
    // noise, or a line that repeats itself without end.
    TooLong = 5,
};

// What the transfer timer is waiting for.
enum class TransferTimer { None, Watchdog, CallListAnswer };

constexpr int kWatchdogMs = 3000;
constexpr int kCallListAnswerMs = 3000;
constexpr int kGoAfterHoldMs = 300;

// What one transfer from the telephone may bring before it is stopped: the
// watchdog ends a silent line, these end one that never falls silent. A
// card record is at most 1,008 bytes; the ceilings lie far above a full
// telephone book: 10,000 cards of the longest kind are 10,080,000 bytes,
// which take 10,500 s (2 h 55 min) at 9600 baud (960 bytes a second with
// start and stop bits), so the whole transfer may take three hours.
struct TransferLimits {
    int records = 10000;                              // cards or call records
    int64_t bytes = 10000LL * kMaxDeviceRecord + 16;  // start and end sequences included
    int64_t ms = 3LL * 60 * 60 * 1000;                // from the start sequence on
};

// The port check before every transfer command: msg::PortChooseFirst when
// no port is open, msg::PhoneStillSending while a transfer runs. True when
// the command may go on.
bool PortCheck(const CComPortEx& port, IMessageUi& ui);

class CReceiveHandler : public QObject {
    Q_OBJECT
public:
    // Becomes the port's data handler; doc may be null (nothing is stored).
    // limits: the tests make them small; the program uses the defaults.
    CReceiveHandler(CComPortEx& port, ITransferUi& ui, CPcxDoc* doc, QObject* parent = nullptr,
                    TransferLimits limits = {});
    ~CReceiveHandler() override;

    void OnPortData(int count);

    // Command "Karten empfangen": the program is always ready.
    void OnReceiveCommand();
    // Command "Anrufliste empfangen": port check, the range dialog, then the
    // request. True when the request went out.
    bool OnRequestCallList();
    // Sends the call-list request with a date threshold (0 = all entries)
    // and waits 3000 ms for the answer to begin.
    bool SendCallListRequest(int dateThreshold);

    // The receive dialog's Cancel.
    void CancelReceive();

    bool ReceiveDialogOpen() const { return m_dialogOpen; }
    // Whether received cards may be offered to the document after a
    // transfer that ended with this code (ReceiveEnd::Done ...). Unset: always;
    // the command line keeps its file after a broken transfer.
    void SetTakePolicy(std::function<bool(ReceiveEnd code)> mayTake) { m_mayTake = std::move(mayTake); }
    TransferTimer TransferTimerKind() const { return m_timerKind; }

signals:
    // After the result of a reception was shown: what came (ReceivedKind),
    // the end code, and whether the document took the cards.
    void ReceptionFinished(Received kind, ReceiveEnd code, bool cardsTaken);
    // A call list with at least one record arrived: the preview opens.
    void CallListReceived();
    // The telephone did not answer the call-list request.
    void CallListUnanswered();
    // The telephone refused a transfer: its transfers are locked (00 0B).
    void TransferRefused();
    // A transfer ended properly but brought nothing (an empty call list).
    void EmptyTransfer(Transfer mode);

private:
    void StartTransferTimer(TransferTimer kind, int ms);
    void StopTransferTimer();
    void OnTransferTimer();
    void OnGoTimer();
    void EndDialog(ReceiveEnd code);
    void ShowResult(ReceiveEnd code);
    void CallListResult();
    void OnOutputFailed();
    void EndBrokenTransfer();
    bool OverLimits(Transfer mode, int count);
    void LineLost(Transfer mode);
    void ShowTransferState();
    std::string SpeedText() const;

    CComPortEx& m_port;
    ITransferUi& m_ui;
    CPcxDoc* m_doc;
    QTimer m_transferTimer;
    QTimer m_goTimer;
    TransferTimer m_timerKind = TransferTimer::None;
    bool m_dialogOpen = false;
    Transfer m_transferKind = Transfer::Idle;  // the receiving mode of the transfer under way
    TransferLimits m_limits;
    int64_t m_transferBytes = 0;     // of the transfer under way
    QElapsedTimer m_transferClock;   // since its start sequence
    std::function<bool(ReceiveEnd)> m_mayTake;
};

}  // namespace velkaro
