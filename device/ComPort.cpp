#include "ComPort.h"

#include "text/Language.h"
#include "DeviceSettings.h"
#include "text/MessageIds.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace velkaro {

namespace {

constexpr int kWriteTimeoutConstant = 5000;
// How often a waiting write looks whether it was abandoned, and how often
// the window thread's queue is drained.
constexpr int kWriteSliceMs = 20;
constexpr int kQueueFlushMs = 10;
// What a close waits at most for queued bytes (a hold or go) to leave.
constexpr int kCloseDrainMs = 200;
// The sender thread keeps this much line time in the driver's output queue:
// enough that the line stays busy through a late wake-up on a busy machine,
// little enough that a cancel, or the telephone's XOFF, is felt within a
// fraction of a second and the write time-outs keep their meaning.
constexpr int kQueueAheadMs = 500;
// The longest a waiting sender sleeps: how soon it sees an abandoned write.
constexpr int kLongestSleepMs = 250;
// After a change of speed the telephone needs a pause before the first byte
// at the new speed: it switches its own UART after its 12 (or after the end
// of a transfer) and garbles what comes before that.
constexpr int kSpeedSwitchPauseMs = 100;
// A streaming reception is read in batches of about this many bytes (100 ms
// at 19200 baud, 200 ms at 9600), left in the driver's input queue between
// reads instead of waking the program for every load of the UART's FIFO.
// Far below the queue's 4 KB, where the driver would hold the telephone.
// A 16550 under Linux raises its receive interrupt at 8 bytes, the tests'
// line relay delivers 16: a read that brings at least this many shows a
// steady flow.
constexpr int kBatchBytes = 192;
constexpr int kSteadyFlowBytes = 8;

speed_t SpeedConstant(int baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B9600;
    }
}

QSerialPort::DataBits DataBitsOf(uint8_t byteSize)
{
    switch (byteSize) {
    case 5: return QSerialPort::Data5;
    case 6: return QSerialPort::Data6;
    case 7: return QSerialPort::Data7;
    default: return QSerialPort::Data8;
    }
}

// 0 none, 1 odd, 2 even, 3 mark, 4 space: the numbering of the line state.
QSerialPort::Parity ParityOf(uint8_t parity)
{
    switch (parity) {
    case 1: return QSerialPort::OddParity;
    case 2: return QSerialPort::EvenParity;
    case 3: return QSerialPort::MarkParity;
    case 4: return QSerialPort::SpaceParity;
    default: return QSerialPort::NoParity;
    }
}

// 0 one, 1 one and a half, 2 two stop bits.
QSerialPort::StopBits StopBitsOf(uint8_t stopBits)
{
    switch (stopBits) {
    case 1: return QSerialPort::OneAndHalfStop;
    case 2: return QSerialPort::TwoStop;
    default: return QSerialPort::OneStop;
    }
}

// The text the user sees for a port that failed to open.
std::string OpenErrorText(const QSerialPort& serial, const std::string& path)
{
    if (serial.error() == QSerialPort::PermissionError)
        return FormatText(msg::PortAccessDenied, path.c_str());
    std::string text = serial.errorString().toStdString();
    if (!path.empty())
        text += " (" + path + ")";
    return text;
}

// Why a line failed, in the system's words, or "" when the system has no
// word for it that is true of the line. A device that is gone (a USB
// adapter pulled out) answers a read with an error such as EIO or ENXIO. A
// line whose other end hung up (a pseudo-terminal's) only reads as ended:
// QSerialPort's text then comes from whatever call last set errno, on a
// pseudo-terminal the modem-line ioctl that it has no lines for
// ("Inappropriate ioctl for device"), which says nothing about the line.
std::string LineFailureReason(int fd, const std::string& serialText)
{
    constexpr int kLineErrors[] = { EIO, ENXIO, ENODEV };
    if (fd >= 0) {
        char byte = 0;
        errno = 0;
        if (::read(fd, &byte, 1) < 0 && std::find(std::begin(kLineErrors), std::end(kLineErrors), errno) != std::end(kLineErrors))
            return std::strerror(errno);
    }
    for (int error : kLineErrors)
        if (serialText == std::strerror(error))
            return serialText;
    return {};
}

int64_t MsNow()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

}  // namespace

std::string DefaultDevicePath(int port)
{
    if (port >= 1 && port <= 4)
        return "/dev/ttyS" + std::to_string(port - 1);
    if (port >= 5 && port <= 12)
        return "/dev/ttyUSB" + std::to_string(port - 5);
    if (port >= 13 && port <= 20)
        return "/dev/ttyACM" + std::to_string(port - 13);
    return {};
}

std::string DevicePathForPort(int port)
{
    if (port < 1 || port > kHighestPort)
        return {};
    std::string path = DeviceSettings().PortDevice(port);
    return path.empty() ? DefaultDevicePath(port) : path;
}

CComPort::CComPort(QObject* parent)
    : QObject(parent), m_serial(new QSerialPort(this)), m_outTimer(new QTimer(this)), m_batchDue(new QTimer(this))
{
    m_batchDue->setSingleShot(true);
    connect(m_batchDue, &QTimer::timeout, this, &CComPort::OnBatchDue);
    m_outTimer->setInterval(kQueueFlushMs);
    connect(m_outTimer, &QTimer::timeout, this, [this] {
        if (!FlushQueue())
            emit OutputFailed();
    });
    connect(m_serial, &QSerialPort::readyRead, this, &CComPort::OnReadyRead);
    connect(m_serial, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError e) { OnSerialError(static_cast<int>(e)); });
}

CComPort::~CComPort()
{
    ClosePort();
}

void CComPort::SetPortError(PortError kind, const std::string& systemText)
{
    {
        std::lock_guard<std::mutex> lock(m_errorMutex);
        m_systemError = systemText;
    }
    m_portError.store(kind);
}

std::string CComPort::LastSystemError() const
{
    std::lock_guard<std::mutex> lock(m_errorMutex);
    return m_systemError;
}

Outcome CComPort::OpenFailed(const std::string& systemText)
{
    SetPortError(PortError::Open, systemText);
    return PortErrorOutcome(PortError::Open);
}

Outcome CComPort::Open()
{
    if (IsOpen())
        return {};
    std::string path = DevicePath();
    if (m_portNumber <= 0 || path.empty())
        return OpenFailed("COM" + std::to_string(m_portNumber));

    m_serial->setPortName(QString::fromStdString(path));
    m_serial->setBaudRate(m_settings.baudRate);
    m_serial->setDataBits(DataBitsOf(m_settings.byteSize));
    m_serial->setParity(ParityOf(m_settings.parity));
    m_serial->setStopBits(StopBitsOf(m_settings.stopBits));
    m_serial->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_serial->open(QIODevice::ReadWrite)) {
        // A device named directly is named by the message itself.
        const bool named = !m_deviceOverride.empty() && m_serial->error() != QSerialPort::PermissionError;
        return OpenFailed(named ? m_serial->errorString().toStdString() : OpenErrorText(*m_serial, path));
    }
    // The input queue: beyond it the driver holds the bytes (and, with
    // XON/XOFF, asks the telephone to pause).
    m_serial->setReadBufferSize(m_settings.inputQueue);

    int fd = static_cast<int>(m_serial->handle());
    bool ok = fd >= 0;
    termios tio {};
    if (ok && ::tcgetattr(fd, &tio) == 0) {
        // The line exactly as the telephone expects it; QSerialPort knows no
        // XON/XOFF without IXANY and no RTS/CTS together with XON/XOFF.
        tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
        if (m_settings.handshake & kHandshakeXonXoff)
            tio.c_iflag |= IXON | IXOFF;
        tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
        if (m_settings.handshake & kHandshakeRtsCts)
            tio.c_cflag |= CRTSCTS;
        tio.c_cc[VSTART] = 0x11;
        tio.c_cc[VSTOP] = 0x13;
        ::cfsetispeed(&tio, SpeedConstant(m_settings.baudRate));
        ::cfsetospeed(&tio, SpeedConstant(m_settings.baudRate));
        ok = ::tcsetattr(fd, TCSANOW, &tio) == 0;
    } else {
        ok = false;
    }
    if (!ok) {
        std::string text = std::strerror(errno);
        m_serial->close();
        return OpenFailed(text + " (" + path + ")");
    }
    // Without hardware hand-shake RTS and DTR are simply on. The line has no
    // DSR flow control on this platform; DTR stays on for the telephone. A
    // pseudo-terminal has no modem lines: the calls fail harmlessly there.
    int lines = TIOCM_DTR;
    if (!(m_settings.handshake & kHandshakeRtsCts))
        lines |= TIOCM_RTS;
    ::ioctl(fd, TIOCMBIS, &lines);

    m_serial->clear(QSerialPort::AllDirections);
    m_abandon.store(false);
    m_outQueue.clear();
    m_outPending = 0;
    m_writeBaud.store(m_settings.baudRate);
    m_fd.store(fd);
    m_lineLost = false;
    m_failing = false;
    m_batchesAllowed = false;
    m_batchPaused = false;
    LineErrorsSince(fd, m_lineErrorBaseline);
    if (m_notify)
        StartReader();
    QThread::msleep(3);
    emit OpenChanged();
    return {};
}

void CComPort::ClosePort()
{
    StopReader();
    m_batchDue->stop();
    m_batchPaused = false;
    if (IsOpen()) {
        // A hold or go still queued goes out first, unless the telephone
        // holds the line: then it is dropped, and so is what the driver
        // still holds, or closing a real port would wait for it.
        int fd = m_fd.load();
        QElapsedTimer drain;
        drain.start();
        while (!m_outQueue.empty() && drain.elapsed() < kCloseDrainMs) {
            ssize_t n = ::write(fd, m_outQueue.data(), m_outQueue.size());
            if (n > 0) {
                m_outQueue.erase(0, static_cast<std::size_t>(n));
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                break;
            pollfd pfd { fd, POLLOUT, 0 };
            ::poll(&pfd, 1, kWriteSliceMs);
        }
        if (m_outPending > 0 || !m_outQueue.empty()) {
            while (PendingOutput() > 0 && m_outQueue.empty() && drain.elapsed() < kCloseDrainMs)
                QThread::msleep(2);
            DropOutput();
        }
        // Only the receive side is thrown away: every write has left or was
        // dropped above, and on a pseudo-terminal purging the transmit side
        // would take back bytes the other end has not read yet.
        m_serial->clear(QSerialPort::Input);
        m_fd.store(-1);
        m_serial->close();
        emit OpenChanged();
    }
}

void CComPort::Close()
{
    ClosePort();
}

bool CComPort::Write(const void* bytes, std::size_t length, bool report)
{
    if (length == 0)
        return true;
    if (QThread::currentThread() == thread())
        return Enqueue(bytes, length, report);
    return WriteBlocking(bytes, length, report);
}

int CComPort::MsPerByte() const
{
    return std::max(1, 10000 / std::max(1, m_writeBaud.load()));
}

int CComPort::PendingOutput() const
{
    int queued = 0;
    int fd = m_fd.load();
    if (fd < 0 || ::ioctl(fd, TIOCOUTQ, &queued) != 0 || queued < 0)
        queued = 0;
    return static_cast<int>(m_outQueue.size()) + queued;
}

bool CComPort::Enqueue(const void* bytes, std::size_t length, bool report)
{
    auto fail = [&](PortError kind, const std::string& text) {
        SetPortError(kind, text);
        if (report)
            ReportPortError();
        return false;
    };
    if (m_fd.load() < 0)
        return fail(PortError::Write, std::strerror(EBADF));
    WaitSpeedSwitchPause();
    // The queue is as long as the output queue of the line; more than that
    // waiting means the telephone has held the line for long.
    const std::size_t limit = static_cast<std::size_t>(std::max(m_settings.outputQueue, 64));
    if (m_outQueue.size() + length > limit) {
        DropOutput();
        return fail(PortError::WriteIncomplete, Text(msg::OutputHeld));
    }
    int64_t allowance = static_cast<int64_t>(length) * MsPerByte();
    if (PendingOutput() == 0)
        m_outDeadline = MsNow() + kWriteTimeoutConstant + allowance;
    else
        m_outDeadline += allowance;
    m_outQueue.append(static_cast<const char*>(bytes), length);
    if (!FlushQueue()) {
        if (report)
            ReportPortError();
        return false;
    }
    return true;
}

bool CComPort::FlushQueue()
{
    int fd = m_fd.load();
    if (fd < 0) {
        m_outQueue.clear();
        m_outPending = 0;
        m_outTimer->stop();
        return true;
    }
    while (!m_outQueue.empty()) {
        ssize_t n = ::write(fd, m_outQueue.data(), m_outQueue.size());
        if (n > 0) {
            m_outQueue.erase(0, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            std::string text = std::strerror(errno);
            DropOutput();
            SetPortError(PortError::Write, text);
            return false;
        }
        break;
    }
    int pending = PendingOutput();
    int64_t now = MsNow();
    if (pending == 0) {
        m_outPending = 0;
        m_outTimer->stop();
        return true;
    }
    if (pending < m_outPending) {
        // The line moves: the time-out counts from here.
        m_writeProgress.store(now);
        m_outDeadline = std::max(m_outDeadline, now + kWriteTimeoutConstant + static_cast<int64_t>(pending) * MsPerByte());
    }
    m_outPending = pending;
    if (now >= m_outDeadline) {
        DropOutput();
        SetPortError(PortError::WriteIncomplete, Text(msg::OutputHeld));
        return false;
    }
    if (!m_outTimer->isActive())
        m_outTimer->start();
    return true;
}

void CComPort::DropOutput()
{
    m_outQueue.clear();
    m_outPending = 0;
    m_outTimer->stop();
    // Bytes the driver still holds for a real port are thrown away; a
    // pseudo-terminal holds none (its transmit side is the other end's
    // input, which must stay).
    int fd = m_fd.load();
    int queued = 0;
    if (fd >= 0 && ::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0)
        ::tcflush(fd, TCOFLUSH);
}

int64_t CComPort::MsSinceWriteProgress() const
{
    return MsNow() - m_writeProgress.load();
}

void CComPort::WriteOnce(const void* bytes, std::size_t length)
{
    int fd = m_fd.load();
    if (fd >= 0) {
        ssize_t n = ::write(fd, bytes, length);
        (void)n;
    }
}

bool CComPort::WaitWritten(bool report)
{
    if (PendingOutput() == 0)
        return true;
    bool failed = false;
    QEventLoop loop;
    QMetaObject::Connection failure = connect(this, &CComPort::OutputFailed, &loop, [&] {
        failed = true;
        loop.quit();
    });
    QTimer look;
    connect(&look, &QTimer::timeout, &loop, [&] {
        if (!IsOpen() || PendingOutput() == 0)
            loop.quit();
    });
    look.start(kQueueFlushMs);
    loop.exec();
    disconnect(failure);
    if (!IsOpen() && !failed)
        return false;  // the line was lost; that has been reported
    if (failed && report)
        ReportPortError();
    return !failed;
}

int CComPort::DriverQueue(int fd)
{
    int queued = 0;
    if (fd < 0 || ::ioctl(fd, TIOCOUTQ, &queued) != 0 || queued < 0)
        return 0;
    return queued;
}

int CComPort::SleepForQueue(int queued, int target, int64_t leftMs) const
{
    // The line takes a byte in 10 bit times: sleep until it has taken what
    // lies above the target, but never long enough to miss an abandon.
    const int64_t bits = static_cast<int64_t>(std::max(1, queued - target)) * 10000;
    const int64_t ms = std::max<int64_t>(1, bits / std::max(1, m_writeBaud.load()));
    return static_cast<int>(std::min({ ms, leftMs, static_cast<int64_t>(kLongestSleepMs) }));
}

void CComPort::HoldOutputForSpeedSwitch()
{
    m_quietUntil.store(MsNow() + kSpeedSwitchPauseMs);
}

void CComPort::WaitSpeedSwitchPause() const
{
    const int64_t left = m_quietUntil.load() - MsNow();
    if (left > 0)
        QThread::msleep(static_cast<unsigned long>(left));
}

bool CComPort::WriteBlocking(const void* bytes, std::size_t length, bool report)
{
    int fd = m_fd.load();
    auto fail = [&](PortError kind, const std::string& text) {
        SetPortError(kind, text);
        if (report)
            ReportPortError();
        return false;
    };
    if (fd < 0)
        return fail(PortError::Write, std::strerror(EBADF));
    WaitSpeedSwitchPause();

    // The bytes join the driver's queue, which is kept at kQueueAheadMs of
    // line time: the line never waits for the sender while bytes remain,
    // and the sender sleeps while the queue is full. The time-out counts
    // the bytes ahead of these too.
    const int ahead = std::max(64, kQueueAheadMs * m_writeBaud.load() / 10000);
    int queued = DriverQueue(fd);
    int64_t deadline = MsNow() + kWriteTimeoutConstant + static_cast<int64_t>(length + queued) * MsPerByte();
    const auto* p = static_cast<const unsigned char*>(bytes);
    std::size_t done = 0;
    while (done < length) {
        // An abandoned write gives up without an error of its own: whoever
        // abandoned it tells the user why.
        if (m_abandon.load())
            return false;
        bool refused = false;
        if (queued < ahead) {
            std::size_t room = static_cast<std::size_t>(ahead - queued);
            ssize_t n = ::write(fd, p + done, std::min(room, length - done));
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                m_writeProgress.store(MsNow());
                queued = DriverQueue(fd);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN)
                return fail(PortError::Write, std::strerror(errno));
            refused = true;  // the driver's buffer is full (or the line held)
        }
        int64_t left = deadline - MsNow();
        if (left <= 0)
            return fail(PortError::WriteIncomplete, Text(msg::OutputHeld));
        if (refused) {
            pollfd pfd { fd, POLLOUT, 0 };
            int r = ::poll(&pfd, 1, SleepForQueue(ahead, 0, left));
            if (r > 0 && (pfd.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(pfd.revents & POLLOUT))
                return fail(PortError::Write, std::strerror(EIO));
        } else {
            QThread::msleep(static_cast<unsigned long>(SleepForQueue(queued, ahead / 2, left)));
        }
        const int now = DriverQueue(fd);
        if (now < queued)
            m_writeProgress.store(MsNow());
        queued = now;
    }
    return true;
}

bool CComPort::DrainOutput(bool report)
{
    int fd = m_fd.load();
    if (fd < 0)
        return true;
    int queued = DriverQueue(fd);
    const int64_t deadline = MsNow() + kWriteTimeoutConstant + static_cast<int64_t>(queued) * MsPerByte();
    while (queued > 0) {
        if (m_abandon.load())
            return false;
        int64_t left = deadline - MsNow();
        if (left <= 0) {
            SetPortError(PortError::WriteIncomplete, Text(msg::OutputHeld));
            if (report)
                ReportPortError();
            return false;
        }
        QThread::msleep(static_cast<unsigned long>(SleepForQueue(queued, 0, left)));
        const int now = DriverQueue(fd);
        if (now < queued)
            m_writeProgress.store(MsNow());
        queued = now;
    }
    // The last bytes in the UART's FIFO, which the queue no longer counts.
    ::tcdrain(fd);
    return true;
}

void CComPort::Purge(int sides)
{
    if (!IsOpen())
        return;
    QSerialPort::Directions dirs;
    if (sides & kPurgeReceive)
        dirs |= QSerialPort::Input;
    if (sides & kPurgeTransmit)
        dirs |= QSerialPort::Output;
    if (dirs)
        m_serial->clear(dirs);
}

bool CComPort::ProbePort(int port, std::string* error)
{
    std::string path = DevicePathForPort(port);
    if (path.empty()) {
        if (error)
            *error = "COM" + std::to_string(port);
        return false;
    }
    QSerialPort probe;
    probe.setPortName(QString::fromStdString(path));
    if (!probe.open(QIODevice::ReadWrite)) {
        if (error)
            *error = OpenErrorText(probe, path);
        return false;
    }
    probe.close();
    return true;
}

int CComPort::FindFirstPort(int highest)
{
    for (int n = 1; n <= highest && n <= kHighestPort; ++n) {
        if (ProbePort(n, nullptr)) {
            m_portNumber = static_cast<int8_t>(n);
            return n;
        }
    }
    m_portNumber = 0;
    return 0;
}

int CComPort::ChoosePort(int port, bool openIfClosed, bool report)
{
    if (port < 0 || port == m_portNumber)
        return m_portNumber;
    bool wasOpen = IsOpen();
    Close();
    m_portNumber = static_cast<int8_t>(port);
    if (port != 0 && (wasOpen || openIfClosed)) {
        if (Outcome opened = Open(); !opened) {
            if (report)
                Report(opened);
            m_portNumber = 0;
        }
    }
    return m_portNumber;
}

bool CComPort::SetBaudRate(int baud)
{
    if (baud == m_settings.baudRate)
        return true;
    if (!IsOpen() && (m_lineLost || m_portNumber <= 0)) {
        // Nothing to reopen: the pauses would only keep the line's user waiting.
        m_settings.baudRate = baud;
        m_writeBaud.store(baud);
        return false;
    }
    // Only the telephone's pause is kept: the next byte at the new speed
    // waits for it, the close and reopen need none.
    HoldOutputForSpeedSwitch();
    Close();
    m_settings.baudRate = baud;
    m_writeBaud.store(baud);
    // A line that broke down is not reopened behind the user's back; the
    // next explicit open tries again.
    if (m_lineLost || m_portNumber <= 0)
        return false;
    if (!Open())
        return false;  // the failure waits to be reported
    return true;
}

bool CComPort::SendHold()
{
    static const uint8_t hold[8] = { 0x13, 0x13, 0x13, 0x13, 0x13, 0x13, 0x13, 0x13 };
    return Write(hold, sizeof hold, false);
}

bool CComPort::SendGo()
{
    static const uint8_t go = 0x11;
    return Write(&go, 1, false);
}

Outcome CComPort::PortErrorOutcome(PortError kind) const
{
    std::string text = LastSystemError();
    if (kind == PortError::WriteIncomplete && text.empty())
        text = Text(msg::OutputHeld);
    const int port = m_portNumber;
    // The command line may name the device itself: then the message names it
    // too, not the port number it stands in for.
    const bool byPath = !m_deviceOverride.empty();
    auto failure = [&](unsigned id, FormatArg where) {
        return Outcome(OutcomeKind::DeviceError, id, { std::move(where), text });
    };
    switch (kind) {
    case PortError::None: return {};
    case PortError::Reader: return failure(msg::PortReadThreadError, port);
    case PortError::Write:
    case PortError::WriteIncomplete:
        return byPath ? failure(msg::DeviceWriteError, m_deviceOverride) : failure(msg::PortWriteError, port);
    case PortError::Sender: return failure(msg::PortSendThreadError, port);
    case PortError::Open: break;
    }
    return byPath ? failure(msg::DeviceOpenError, m_deviceOverride) : failure(msg::PortOpenError, port);
}

bool CComPort::Report(const Outcome& outcome)
{
    if (outcome)
        return true;
    if (m_ui)
        m_ui->Show(outcome, MsgIcon::Error);
    m_portError.store(PortError::None);
    return false;
}

void CComPort::ReportPortError()
{
    Report(PortErrorOutcome(m_portError.load()));
}

void CComPort::SetNotifyHandler(DataHandler handler)
{
    m_notify = std::move(handler);
    if (m_notify && IsOpen())
        StartReader();
    else if (!m_notify)
        StopReader();
}

void CComPort::StartReader()
{
    m_readerRunning = true;
    if (!m_pumpQueued) {
        m_pumpQueued = true;
        QMetaObject::invokeMethod(this, [this] { Pump(); }, Qt::QueuedConnection);
    }
}

void CComPort::StopReader()
{
    m_readerRunning = false;
}

void CComPort::ReleaseBuffer()
{
    m_inFlight = false;
    QueuePump();
}

void CComPort::OnReadyRead()
{
    Pump();
}

void CComPort::Pump()
{
    m_pumpQueued = false;
    if (m_batchPaused)
        return;  // the batch is read when it is due
    // The handler may run a nested event loop (a message box) after it has
    // released its chunk: the next chunk is then delivered from inside it,
    // still one at a time and in order.
    int delivered = 0;
    while (m_readerRunning && IsOpen() && !m_inFlight && m_notify) {
        qint64 n = m_serial->read(reinterpret_cast<char*>(m_buffer), kReceiveChunk);
        if (n <= 0)
            break;
        delivered += static_cast<int>(n);
        m_inFlight = true;
        DataHandler handler = m_notify;
        handler(static_cast<int>(n));
    }
    if (delivered > 0)
        FollowFlow(delivered);
}

void CComPort::AllowReceiveBatches(bool allowed)
{
    m_batchesAllowed = allowed;
    if (!allowed && m_batchPaused) {
        ResumeReading();
        QueuePump();
    }
}

void CComPort::FollowFlow(int delivered)
{
    // Only a drained buffer pauses: bytes still held (the handler kept its
    // chunk) are read on as they come. So is a flow faster than a serial
    // line's (a pseudo-terminal's), which would outrun the batches.
    if (!m_batchesAllowed || !IsOpen() || delivered < kSteadyFlowBytes || delivered > 2 * kBatchBytes
        || m_serial->bytesAvailable() > 0)
        return;
    // QSerialPort stops watching the line once its buffer is full: with
    // room for one byte it takes the first of the next FIFO load and then
    // leaves the rest in the driver until the batch is due. The program
    // then wakes twice a batch instead of for every load.
    m_serial->setReadBufferSize(1);
    m_batchPaused = true;
    m_batchDue->start(BatchMs());
}

int CComPort::BatchMs() const
{
    return kBatchBytes * 10000 / std::max(1, m_settings.baudRate);
}

void CComPort::ResumeReading()
{
    m_batchPaused = false;
    m_batchDue->stop();
    if (IsOpen())
        m_serial->setReadBufferSize(m_settings.inputQueue);
}

void CComPort::OnBatchDue()
{
    // What gathered is read now; a flow that goes on pauses again after it.
    ResumeReading();
    Pump();
}

void CComPort::QueuePump()
{
    if (!m_pumpQueued && m_readerRunning && IsOpen() && m_serial->bytesAvailable() > 0) {
        m_pumpQueued = true;
        QMetaObject::invokeMethod(this, [this] { Pump(); }, Qt::QueuedConnection);
    }
}

void CComPort::OnSerialError(int error)
{
    auto e = static_cast<QSerialPort::SerialPortError>(error);
    if (e != QSerialPort::ReadError && e != QSerialPort::ResourceError)
        return;
    if (!IsOpen() || m_failing)
        return;
    // Handled once, outside QSerialPort's own notification.
    m_failing = true;
    QMetaObject::invokeMethod(this, [this] { LineFailed(); }, Qt::QueuedConnection);
}

void CComPort::LineFailed()
{
    if (!IsOpen())
        return;
    // A read that keeps failing (the telephone's line hung up, the USB
    // adapter pulled) is reported once, as what it is, and the port closed;
    // the receiver is told once so that it ends a running transfer with what
    // arrived.
    std::string path = DevicePath();
    std::string reason = LineFailureReason(m_fd.load(), m_serial->errorString().toStdString());
    m_lineLost = true;
    Close();
    std::string text = FormatText(msg::LineInterrupted, path.c_str(), reason.c_str());
    if (reason.empty())
        text.erase(text.find_last_not_of('\n') + 1);
    m_lineLostReport = Outcome::Verbatim(OutcomeKind::DeviceError, std::move(text));
    if (m_notify) {
        m_inFlight = true;
        DataHandler handler = m_notify;
        handler(-1);
    }
    ReportLineLost();
}

void CComPort::ReportLineLost()
{
    if (m_lineLostReport.Ok())
        return;
    const Outcome lost = std::exchange(m_lineLostReport, Outcome());
    if (m_ui)
        m_ui->Show(lost, MsgIcon::Error);
}

void CComPort::DeliverChunk(const uint8_t* bytes, int count)
{
    if (!m_notify)
        return;
    if (count > 0) {
        count = std::min(count, kReceiveChunk);
        std::memcpy(m_buffer, bytes, static_cast<std::size_t>(count));
    }
    m_inFlight = true;
    DataHandler handler = m_notify;
    handler(count);
}

bool CComPort::LineErrorsSince(int fd, uint64_t& baseline)
{
    serial_icounter_struct counts {};
    if (fd < 0 || ::ioctl(fd, TIOCGICOUNT, &counts) != 0)
        return false;
    uint64_t total = static_cast<uint64_t>(counts.frame) + static_cast<uint64_t>(counts.overrun)
                     + static_cast<uint64_t>(counts.parity) + static_cast<uint64_t>(counts.brk)
                     + static_cast<uint64_t>(counts.buf_overrun);
    bool any = total != baseline;
    baseline = total;
    return any;
}

bool CComPort::TakeLineErrors()
{
    return LineErrorsSince(m_fd.load(), m_lineErrorBaseline);
}

bool CComPort::TelephoneHeard() const
{
    if (m_heard.load())
        return true;
    // A line without modem lines (a pseudo-terminal, some adapters) fails
    // the call; a cable without them leaves them all down.
    int status = 0;
    const int fd = m_fd.load();
    return fd >= 0 && ::ioctl(fd, TIOCMGET, &status) == 0 && (status & (TIOCM_DSR | TIOCM_CTS | TIOCM_CAR)) != 0;
}

}  // namespace velkaro
