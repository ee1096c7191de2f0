#include "LineRelay.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <deque>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>
#include <utility>

// Not <sys/ioctl.h>: this file defines ioctl itself (below).
#include <asm-generic/ioctls.h>

namespace velkaro::test {

namespace {

constexpr std::size_t kFifoBytes = 16;
constexpr double kSettingsLookMs = 10;

std::atomic<LineRelay*> g_relay { nullptr };
std::atomic<dev_t> g_programEnd { 0 };

using IoctlFn = int (*)(int, unsigned long, ...);
using WriteFn = ssize_t (*)(int, const void*, size_t);

IoctlFn RealIoctl()
{
    static IoctlFn real = reinterpret_cast<IoctlFn>(::dlsym(RTLD_NEXT, "ioctl"));
    return real;
}

WriteFn RealWrite()
{
    static WriteFn real = reinterpret_cast<WriteFn>(::dlsym(RTLD_NEXT, "write"));
    return real;
}

// The program's end of the active relay (not the relay's own descriptors,
// which are other devices).
bool IsProgramEnd(int fd)
{
    struct stat st {};
    return g_relay.load() && ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == g_programEnd.load();
}

// The speeds a program sets for the telephone, and the simulator's idle one.
int BaudOf(speed_t speed)
{
    static const std::pair<speed_t, int> kSpeeds[] = { { B1200, 1200 }, { B2400, 2400 }, { B4800, 4800 },
                                                       { B19200, 19200 }, { B38400, 38400 } };
    for (const auto& [code, baud] : kSpeeds)
        if (code == speed)
            return baud;
    return 9600;
}

double MonotonicMs()
{
    timespec ts {};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double ThreadCpuMs()
{
    timespec ts {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

void MakeRaw(int fd, speed_t speed)
{
    termios tio {};
    if (::tcgetattr(fd, &tio) != 0)
        return;
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    ::tcsetattr(fd, TCSANOW, &tio);
}

}  // namespace

// One way of the line: the bytes taken from the source, each with the time
// its last bit leaves the wire.
struct LineRelay::Lane {
    int from = -1;
    int to = -1;
    bool packet = false;  // the source is the pty's relay side in packet mode
    LineRelay::Way LineRelay::Stats::*way = nullptr;
    std::deque<char> wire;
    std::deque<double> ends;
    double busyUntil = 0;
    bool sawEmpty = true;  // looked after the line ran out and found nothing
    bool waiting = false;  // due for bytes, none there: poll the source
};

LineRelay::LineRelay(const std::string& farDevice)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        m_error = std::string("posix_openpt: ") + std::strerror(errno);
        return;
    }
    m_device = ::ptsname(m_master);
    m_slave = ::open(m_device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    m_far = ::open(farDevice.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_slave < 0 || m_far < 0 || ::pipe2(m_wake, O_NONBLOCK | O_CLOEXEC) != 0) {
        m_error = farDevice + ": " + std::strerror(errno);
        return;
    }
    // Both ends start at the simulator's idle speed: the first change of the
    // program's end is its set-up of the line, as the simulator expects.
    MakeRaw(m_master, B1200);
    MakeRaw(m_slave, B1200);
    MakeRaw(m_far, B1200);
    int on = 1;
    RealIoctl()(m_master, TIOCPKT, &on);
    struct stat st {};
    ::fstat(m_slave, &st);
    g_programEnd.store(st.st_rdev);
    g_relay.store(this);
    m_epoch = MonotonicMs();
    m_statsStart = 0;
    m_thread = std::thread([this] { Run(); });
}

LineRelay::~LineRelay()
{
    LineRelay* self = this;
    g_relay.compare_exchange_strong(self, nullptr);
    m_stop.store(true);
    if (m_wake[1] >= 0) {
        const char b = 0;
        const ssize_t woken = ::write(m_wake[1], &b, 1);
        (void)woken;  // a full pipe wakes the thread as well
    }
    if (m_thread.joinable())
        m_thread.join();
    for (int fd : { m_master, m_slave, m_far, m_wake[0], m_wake[1] })
        if (fd >= 0)
            ::close(fd);
}

double LineRelay::NowMs() const
{
    return MonotonicMs() - m_epoch;
}

int LineRelay::OutputQueue() const
{
    return static_cast<int>(std::max<long>(0, m_written.load() - m_taken.load())) + m_fifo.load();
}

LineRelay::Stats LineRelay::TakeStats()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Stats taken = m_stats;
    const double cpu = m_stats.relayCpuMs;
    taken.relayCpuMs = cpu - m_cpuTaken;
    m_cpuTaken = cpu;
    m_stats = Stats();
    m_stats.relayCpuMs = cpu;
    m_statsStart = NowMs();
    return taken;
}

void LineRelay::FollowSpeed()
{
    termios tio {};
    if (::tcgetattr(m_slave, &tio) != 0)
        return;
    const unsigned long code = ::cfgetospeed(&tio);
    if (code == m_speedCode)
        return;
    m_speedCode = code;
    m_baud.store(BaudOf(static_cast<speed_t>(code)));
    termios far {};
    if (::tcgetattr(m_far, &far) == 0) {
        far.c_cflag = (far.c_cflag & ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD))
                      | (tio.c_cflag & (CSIZE | CSTOPB | PARENB | PARODD));
        ::cfsetispeed(&far, static_cast<speed_t>(code));
        ::cfsetospeed(&far, static_cast<speed_t>(code));
        ::tcsetattr(m_far, TCSANOW, &far);
    }
}

// Delivers what has left the wire and refills the FIFO when it ran empty.
// False when the source has ended.
bool LineRelay::Step(Lane& lane, double now)
{
    std::size_t due = 0;
    while (due < lane.ends.size() && lane.ends[due] <= now)
        ++due;
    if (due > 0) {
        std::string out(lane.wire.begin(), lane.wire.begin() + static_cast<long>(due));
        ssize_t n = ::write(lane.to, out.data(), out.size());
        if (n > 0) {
            lane.wire.erase(lane.wire.begin(), lane.wire.begin() + n);
            lane.ends.erase(lane.ends.begin(), lane.ends.begin() + n);
        }
    }
    const double byteMs = 10000.0 / m_baud.load();
    lane.waiting = false;
    if (!lane.wire.empty() && now < lane.busyUntil - byteMs)
        return true;  // the FIFO still holds bytes
    char buf[kFifoBytes + 1];
    ssize_t n = ::read(lane.from, buf, kFifoBytes + (lane.packet ? 1 : 0));
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        lane.waiting = true;
        if (now >= lane.busyUntil)
            lane.sawEmpty = true;
        return true;
    }
    if (n <= 0)
        return false;
    const char* data = buf;
    if (lane.packet) {
        if (buf[0] != TIOCPKT_DATA) {
            // The program purged its line: the far end sees the purge.
            const int status = static_cast<unsigned char>(buf[0]);
            if (status & TIOCPKT_FLUSHWRITE) {
                // What the program wrote before is gone from the pty.
                m_taken.store(m_written.load());
                lane.wire.clear();
                lane.ends.clear();
                ::tcflush(m_far, TCOFLUSH);
            }
            if (status & TIOCPKT_FLUSHREAD) {
                m_lanes[1]->wire.clear();
                m_lanes[1]->ends.clear();
                ::tcflush(m_far, TCIFLUSH);
            }
            return true;
        }
        ++data;
        --n;
        m_taken.fetch_add(n);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    Way& way = m_stats.*lane.way;
    double start = lane.busyUntil;
    if (lane.sawEmpty && now > lane.busyUntil) {
        start = now;
        const double gap = now - std::max(lane.busyUntil, m_statsStart);
        if (way.bytes > 0 && gap > 2 * byteMs) {
            ++way.gaps;
            way.idleMs += gap;
            way.longestGapMs = std::max(way.longestGapMs, gap);
        }
    }
    lane.sawEmpty = false;
    if (way.bytes == 0)
        way.firstMs = start - m_statsStart;
    for (ssize_t i = 0; i < n; ++i) {
        start += byteMs;
        lane.wire.push_back(data[i]);
        lane.ends.push_back(start);
    }
    lane.busyUntil = start;
    way.bytes += n;
    way.lineMs += static_cast<double>(n) * byteMs;
    way.lastMs = start - m_statsStart;
    return true;
}

void LineRelay::Run()
{
    Lane toPhone;
    toPhone.from = m_master;
    toPhone.to = m_far;
    toPhone.packet = true;
    toPhone.way = &Stats::toPhone;
    Lane toProgram;
    toProgram.from = m_far;
    toProgram.to = m_master;
    toProgram.way = &Stats::toProgram;
    m_lanes[0] = &toPhone;
    m_lanes[1] = &toProgram;
    const double cpuStart = ThreadCpuMs();
    while (!m_stop.load()) {
        const double now = NowMs();
        FollowSpeed();
        bool alive = Step(toPhone, now) && Step(toProgram, now);
        m_fifo.store(static_cast<int>(toPhone.wire.size()));
        if (!alive)
            break;
        double next = now + kSettingsLookMs;
        const double byteMs = 10000.0 / m_baud.load();
        pollfd fds[3];
        nfds_t count = 0;
        fds[count++] = { m_wake[0], POLLIN, 0 };
        for (Lane* lane : m_lanes) {
            // The far end gets the bytes a FIFO at a time, when the FIFO is
            // refilled; the last ones once the line has taken them.
            if (!lane->ends.empty())
                next = std::min(next, lane->waiting ? lane->ends.back() : lane->busyUntil - byteMs);
            if (lane->waiting)
                fds[count++] = { lane->from, POLLIN, 0 };
        }
        const double wait = std::max(0.0, next - now);
        timespec timeout { static_cast<time_t>(wait / 1000), static_cast<long>(std::fmod(wait, 1000.0) * 1e6) };
        ::ppoll(fds, count, &timeout, nullptr);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stats.relayCpuMs = ThreadCpuMs() - cpuStart;
    }
    m_lanes[0] = m_lanes[1] = nullptr;
}

}  // namespace velkaro::test

// TIOCOUTQ on the program's end of a relay answers what the relay has not
// put on the wire yet, as a UART's driver would; everything else goes to the
// C library's ioctl. The program's writes are counted for it.
extern "C" int ioctl(int fd, unsigned long request, ...) noexcept
{
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    if (request == TIOCOUTQ && velkaro::test::IsProgramEnd(fd)) {
        if (velkaro::test::LineRelay* relay = velkaro::test::g_relay.load()) {
            *static_cast<int*>(arg) = relay->OutputQueue();
            return 0;
        }
    }
    return velkaro::test::RealIoctl()(fd, request, arg);
}

// The bytes the program writes to its end are counted: the pty makes them
// readable for the relay a moment later, and a queue read in that moment
// must not look empty.
extern "C" ssize_t write(int fd, const void* bytes, size_t count)
{
    const ssize_t n = velkaro::test::RealWrite()(fd, bytes, count);
    if (n > 0 && velkaro::test::IsProgramEnd(fd))
        if (velkaro::test::LineRelay* relay = velkaro::test::g_relay.load())
            relay->CountProgramWrite(n);
    return n;
}
