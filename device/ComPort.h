#pragma once

// The serial port to the telephone. CComPort opens and closes the device,
// holds the line settings, writes, and hands received bytes to the
// user-interface thread in chunks of at most 100 bytes, one chunk at a time:
// the next chunk is read only after the handler released the last one. A
// reception that streams is read in batches (AllowReceiveBatches).
//
// Port numbers are those of the telephone's manual (COM1..COM20); each names
// a device, see DevicePathForPort.

#include "model/MessageUi.h"

#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

class QSerialPort;
class QTimer;

namespace velkaro {

// What failed on the line last, until it is reported.
enum class PortError : int32_t {
    None,
    Open,
    Reader,
    Write,
    WriteIncomplete,  // the time-out ran out before every byte left
    Sender,           // the sender thread could not start
};

struct PortSettings {
    int32_t inputQueue = 4096;
    int32_t outputQueue = 4096;
    int32_t baudRate = 9600;
    uint8_t byteSize = 8;
    uint8_t stopBits = 0;  // one stop bit
    uint8_t parity = 0;    // none
    // bit 0 RTS/CTS, bit 1 DTR/DSR, bit 2 XON/XOFF in both directions
    uint8_t handshake = 1;
};

constexpr int kHandshakeRtsCts = 1;
constexpr int kHandshakeDtrDsr = 2;
constexpr int kHandshakeXonXoff = 4;

constexpr int kPurgeReceive = 1;
constexpr int kPurgeTransmit = 2;

constexpr int kHighestPort = 20;
constexpr int kReceiveChunk = 100;

// COM1..COM4 -> /dev/ttyS0..3, COM5..COM12 -> /dev/ttyUSB0..7,
// COM13..COM20 -> /dev/ttyACM0..7; "" outside 1..20.
std::string DefaultDevicePath(int port);
// The value "COM<n>" of the settings section "Ports" when set, else the
// default device.
std::string DevicePathForPort(int port);

class CComPort : public QObject {
    Q_OBJECT
public:
    explicit CComPort(QObject* parent = nullptr);
    ~CComPort() override;

    // 1..20 = COMn, 0 = none chosen; a negative number never opens.
    int PortNumber() const { return m_portNumber; }
    void SetPortNumber(int port) { m_portNumber = static_cast<int8_t>(port); }
    PortSettings& Settings() { return m_settings; }
    const PortSettings& Settings() const { return m_settings; }
    int BaudRate() const { return m_settings.baudRate; }
    bool IsOpen() const { return m_fd.load() >= 0; }
    std::string DevicePath() const
    {
        return m_deviceOverride.empty() ? DevicePathForPort(m_portNumber) : m_deviceOverride;
    }
    // Names the device directly instead of by the port number's mapping
    // (the command line's --port PATH); empty to go back to the mapping.
    void SetDeviceOverride(const std::string& path) { m_deviceOverride = path; }

    // Opens the device; a failure is kept as the pending PortError too, so
    // that a reopen nobody reports at once (a change of speed) is told later.
    Outcome Open();
    // Shows a failure (an outcome of this port) through the user interface
    // and clears the pending PortError; true for a success.
    bool Report(const Outcome& outcome);
    virtual void Close();
    // Writes every byte or fails (Write on an error, WriteIncomplete when the time-out
    // of 5000 ms plus 1 ms a byte, the bytes queued ahead included, ran out).
    // From another thread (the sender) the call waits until the bytes are in
    // the driver's output queue, which it keeps at a few hundred
    // milliseconds of line time; DrainOutput waits until they have left.
    // From the port's own thread, the window's, it never waits: the
    // bytes join the outgoing queue, which the event loop drains as the line
    // takes them, and the result only tells whether they were accepted.
    // Output the telephone holds (XOFF) longer than the time-out is dropped
    // and OutputFailed follows.
    bool Write(const void* bytes, std::size_t length, bool report);
    bool Write(const std::string& bytes, bool report) { return Write(bytes.data(), bytes.size(), report); }
    // Bytes of the outgoing queue and the driver's transmit buffer.
    int PendingOutput() const;
    // Runs the event loop until the queued bytes have left (true) or the
    // line failed or held them past the time-out (false, PortError set,
    // reported when asked).
    bool WaitWritten(bool report);
    // Makes a write of the sender thread that the line holds give up at
    // once instead of waiting for its time-out; cleared by the next open.
    void AbandonWrites() { m_abandon.store(true); }
    void Purge(int sides);
    int ChoosePort(int port, bool openIfClosed, bool report);
    int FindFirstPort(int highest);
    // Tries to open the device of a port and closes it again; on failure the
    // system's text in *error.
    static bool ProbePort(int port, std::string* error);
    bool SetBaudRate(int baud);
    bool SendHold();
    bool SendGo();

    // Message box for PortError, then PortError None.
    void ReportPortError();
    // The box about a line that broke down, once (the receiver shows it
    // before the result of the transfer it ended).
    void ReportLineLost();
    velkaro::PortError PendingError() const { return m_portError.load(); }
    void SetPortError(velkaro::PortError kind, const std::string& systemText);
    std::string LastSystemError() const;

    // The "notify window": the handler gets the byte count of each chunk in
    // ReceiveBuffer(), or -1 once when the line failed for good (the port is
    // then closed and the failure reported). The reader runs while the port
    // is open and a handler is set.
    using DataHandler = std::function<void(int count)>;
    void SetNotifyHandler(DataHandler handler);
    const uint8_t* ReceiveBuffer() const { return m_buffer; }
    // The buffer-free event: the handler has parsed the chunk.
    void ReleaseBuffer();
    // Line errors (framing, parity, overrun, break) since the last call.
    bool TakeLineErrors();
    // Whether a reception streams, so that the port may let the bytes
    // gather in the driver for a while (some 192 bytes of line time) before
    // it reads them, instead of waking for every load of the UART's FIFO.
    // A flow that stops is read to its end when the batch is due. Off while
    // the program waits for an answer byte (after its hold), on sends and
    // when idle: then every byte is read at once. Off again on every open.
    void AllowReceiveBatches(bool allowed);

    // Whether the line showed, since ForgetTelephoneHeard, that the
    // telephone is there: it answered (its 12), or it holds a modem line up
    // (DSR, CTS or DCD, where the cable carries them; a pseudo-terminal has
    // none). The telephone acknowledges no card, so this is all a send can
    // know of its reception.
    bool TelephoneHeard() const;
    void ForgetTelephoneHeard() { m_heard.store(false); }

    // Where reports go; nothing is shown without one.
    void SetUserInterface(IMessageUi* ui) { m_ui = ui; }
    IMessageUi* UserInterface() const { return m_ui; }

    // The failure of this kind as it stands now, its message naming the
    // device's path when it is named directly, else COM<n>.
    Outcome PortErrorOutcome(velkaro::PortError kind) const;

signals:
    // Queued output could not go (a write error, or the telephone held it
    // past the time-out); PendingError tells which. Not yet reported.
    void OutputFailed();
    // The port opened or closed (also on its own, when the line failed).
    void OpenChanged();

protected:
    // Hands a chunk (at most kReceiveChunk bytes; -1: the line failed) to
    // the handler as the reader does: a line that is no device (the fuzzer)
    // feeds the receiver this way.
    void DeliverChunk(const uint8_t* bytes, int count);
    // The sender thread's write: waits until the bytes are queued, the
    // queue kept at its mark, sleeping while it is full.
    bool WriteBlocking(const void* bytes, std::size_t length, bool report);
    // The sender thread's wait until every queued byte has left (false on
    // the time-out, PortError set, or when abandoned).
    bool DrainOutput(bool report);
    // Bytes in the driver's output queue of fd (0 where it cannot tell).
    static int DriverQueue(int fd);
    // The next byte goes out no sooner than the telephone's pause after a
    // change of speed.
    void HoldOutputForSpeedSwitch();
    void WaitSpeedSwitchPause() const;
    // Milliseconds since bytes last moved out (either thread); large when
    // nothing was written yet.
    int64_t MsSinceWriteProgress() const;
    bool WritesAbandoned() const { return m_abandon.load(); }
    void ResumeWrites() { m_abandon.store(false); }
    // One write of what the line takes now, nothing waited for.
    void WriteOnce(const void* bytes, std::size_t length);
    // Forgets the window thread's queued bytes (and the driver's).
    void DropQueuedOutput() { DropOutput(); }
    void StartReader();
    void StopReader();
    int NativeHandle() const { return m_fd.load(); }
    void NoteTelephoneHeard() { m_heard.store(true); }
    static bool LineErrorsSince(int fd, uint64_t& baseline);

private:
    void ClosePort();
    Outcome OpenFailed(const std::string& systemText);
    void Pump();
    // After a wake that brought bytes: a steady flow (a FIFO load or more at
    // once) pauses the reading until the next batch is due.
    void FollowFlow(int delivered);
    void OnBatchDue();
    void ResumeReading();
    int BatchMs() const;
    // A Pump for bytes that wait in the port's buffer, unless one is queued.
    void QueuePump();
    void OnReadyRead();
    void OnSerialError(int error);
    void LineFailed();
    bool Enqueue(const void* bytes, std::size_t length, bool report);
    bool FlushQueue();
    void DropOutput();
    int MsPerByte() const;
    // How long (ms, at most leftMs) the line takes to bring queued down to target.
    int SleepForQueue(int queued, int target, int64_t leftMs) const;

    QSerialPort* m_serial = nullptr;
    std::atomic<int> m_fd { -1 };
    int8_t m_portNumber = 0;
    std::string m_deviceOverride;
    Outcome m_lineLostReport;  // a broken line not yet reported
    PortSettings m_settings;
    std::atomic<velkaro::PortError> m_portError { velkaro::PortError::None };
    std::atomic<int> m_writeBaud { 9600 };  // the sender thread's copy of the speed
    mutable std::mutex m_errorMutex;
    std::string m_systemError;
    IMessageUi* m_ui = nullptr;

    DataHandler m_notify;
    bool m_readerRunning = false;
    bool m_inFlight = false;
    bool m_pumpQueued = false;
    bool m_lineLost = false;
    bool m_failing = false;
    uint64_t m_lineErrorBaseline = 0;
    uint8_t m_buffer[kReceiveChunk + 4] = {};

    // The window thread's outgoing queue.
    std::string m_outQueue;
    QTimer* m_outTimer = nullptr;
    int64_t m_outDeadline = 0;
    int m_outPending = 0;
    std::atomic<bool> m_abandon { false };
    std::atomic<int64_t> m_writeProgress { 0 };
    std::atomic<int64_t> m_quietUntil { 0 };
    std::atomic<bool> m_heard { false };  // the telephone's pause after a change of speed

    // Batched reception.
    bool m_batchesAllowed = false;
    bool m_batchPaused = false;  // reading waits for m_batchDue
    QTimer* m_batchDue = nullptr;
};

}  // namespace velkaro
