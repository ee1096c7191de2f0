#include "PhoneSim.h"

#include "text/Cp1252.h"
#include "model/Archive.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace velkaro::sim {

namespace {

// After the program has set up or purged the line, it needs a moment to
// start reading; a telephone user would not be faster.
constexpr std::chrono::milliseconds kSettleTime{300};
// "sync" waits for this much quiet on the line before it answers.
constexpr int kQuietMs = 30;
constexpr int kMaxDrainMs = 2000;
// The line's speed until the program sets it: one the program never uses.
constexpr speed_t kIdleSpeed = B1200;
constexpr int kIdleBaud = 1200;

int BaudOf(speed_t s)
{
    switch (s) {
    case B0: return 0;
    case B300: return 300;
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    default: return -1;
    }
}

std::string Errno(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

bool ReadFile(const std::string& path, std::string& contents)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    contents = ss.str();
    return !in.bad();
}

std::FILE* OpenOutput(const std::string& path, const char* mode, std::string& error)
{
    if (path.empty())
        return nullptr;
    std::FILE* f = std::fopen(path.c_str(), mode);
    if (!f)
        error = Errno(path.c_str());
    return f;
}

std::string Cards(long n)
{
    return std::to_string(n) + (n == 1 ? " card" : " cards");
}

long ElapsedMs(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
}

}  // namespace

CPhoneSim::CPhoneSim(SimOptions options) : m_options(std::move(options)), m_random(m_options.seed) {}

CPhoneSim::~CPhoneSim()
{
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_linked)
        ::unlink(m_options.link.c_str());
    for (std::FILE* f : {m_log, m_capture, m_captureSent})
        if (f)
            std::fclose(f);
}

bool CPhoneSim::Open(std::string& error)
{
    // The files first: a bad argument should not leave a terminal behind.
    if (!LoadCards(error) || !LoadCallList(error) || !OpenOutputs(error))
        return false;
    if (!OpenTerminal(error))
        return false;
    SetUpTerminal();
    if (!LinkDevice(error))
        return false;
    LogComment("velkaro-phone-sim on " + m_devicePath + "; '<' program to telephone, '>' telephone to program");
    return true;
}

bool CPhoneSim::LoadCards(std::string& error)
{
    if (!m_options.cardsFile.empty()) {
        struct stat st {};
        if (::stat(m_options.cardsFile.c_str(), &st) == 0) {
            ArchiveResult r = LoadCardFile(m_options.cardsFile, m_book);
            if (!r) {
                error = m_options.cardsFile + ": " + AnsiToUtf8(r.message);
                return false;
            }
        }
    }
    if (m_book.IsEmpty() && m_options.sampleCards) {
        for (auto& card : SampleCards())
            m_book.InsertSorted(std::move(card), true);
    }
    return true;
}

bool CPhoneSim::LoadCallList(std::string& error)
{
    if (m_options.callListFile.empty()) {
        m_callList = SampleCallList();
        return true;
    }
    std::string text;
    if (!ReadFile(m_options.callListFile, text)) {
        error = Errno(m_options.callListFile.c_str());
        return false;
    }
    m_callList = ParseCallList(text);
    return true;
}

bool CPhoneSim::OpenOutputs(std::string& error)
{
    m_log = OpenOutput(m_options.logFile, "w", error);
    if (!error.empty())
        return false;
    m_capture = OpenOutput(m_options.captureFile, "wb", error);
    if (!error.empty())
        return false;
    m_captureSent = OpenOutput(m_options.captureSentFile, "wb", error);
    return error.empty();
}

bool CPhoneSim::OpenTerminal(std::string& error)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) {
        error = Errno("posix_openpt");
        return false;
    }
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        error = Errno("grantpt/unlockpt");
        return false;
    }
    char name[128];
    if (::ptsname_r(m_master, name, sizeof name) != 0) {
        error = Errno("ptsname");
        return false;
    }
    m_devicePath = name;

    // Our own handle on the line's device: while it is open, the program can
    // close and reopen the port (at another speed) without the terminal
    // hanging up, as a real line stays when the cable is plugged in.
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0) {
        error = Errno(name);
        return false;
    }
    return true;
}

void CPhoneSim::SetUpTerminal()
{
    termios tio {};
    if (::tcgetattr(m_slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cc[VMIN] = 1;
        tio.c_cc[VTIME] = 0;
        // A speed no program uses for the telephone: the first change shows
        // that the program has set up the line.
        ::cfsetispeed(&tio, kIdleSpeed);
        ::cfsetospeed(&tio, kIdleSpeed);
        ::tcsetattr(m_slave, TCSANOW, &tio);
    }
    if (::tcgetattr(m_master, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(m_master, TCSANOW, &tio);
    }
    int flags = ::fcntl(m_master, F_GETFL);
    ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK);
    // Packet mode reports the program's purges of the line.
    int on = 1;
    m_packetMode = ::ioctl(m_master, TIOCPKT, &on) == 0;
    CheckLineSettings();
    m_haveSettings = true;
    m_lineChanges = 0;
}

bool CPhoneSim::LinkDevice(std::string& error)
{
    if (m_options.link.empty())
        return true;
    struct stat st {};
    if (::lstat(m_options.link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = m_options.link + ": exists and is not a symbolic link";
            return false;
        }
        ::unlink(m_options.link.c_str());
    }
    if (::symlink(m_devicePath.c_str(), m_options.link.c_str()) != 0) {
        error = Errno(m_options.link.c_str());
        return false;
    }
    m_linked = true;
    return true;
}

// ---------------------------------------------------------------- diagnostics

void CPhoneSim::LogComment(const std::string& text)
{
    if (!m_log)
        return;
    std::fprintf(m_log, "# %s\n", text.c_str());
    std::fflush(m_log);
}

void CPhoneSim::Note(const std::string& text)
{
    LogComment(text);
    if (!m_options.quiet)
        std::fprintf(stderr, "velkaro-phone-sim: %s\n", text.c_str());
}

void CPhoneSim::LogBytes(char direction, const std::string& bytes)
{
    if (bytes.empty())
        return;
    if (m_log) {
        std::fprintf(m_log, "%c %s\n", direction, HexBytes(bytes).c_str());
        std::fflush(m_log);
    }
    std::FILE* raw = direction == '<' ? m_capture : m_captureSent;
    if (raw) {
        std::fwrite(bytes.data(), 1, bytes.size(), raw);
        std::fflush(raw);
    }
}

// ---------------------------------------------------------------- the line

void CPhoneSim::CheckLineSettings()
{
    if (m_slave < 0)
        return;
    termios tio {};
    if (::tcgetattr(m_slave, &tio) != 0)
        return;
    int baud = BaudOf(::cfgetospeed(&tio));
    unsigned long key = static_cast<unsigned long>(::cfgetospeed(&tio)) << 32 |
                        (tio.c_iflag & (IXON | IXOFF | IXANY)) << 16 |
                        (tio.c_cflag & (CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS));
    if (m_haveSettings && key == m_settingsKey)
        return;
    m_settingsKey = key;
    m_lineBaud = baud;
    if (!m_haveSettings)
        return;
    ++m_lineChanges;
    if (baud == kIdleBaud) {
        // The program's serial port puts back the settings it found when it
        // closes the line.
        if (m_lineSetUp)
            LogComment("line released by the program");
        m_lineSetUp = false;
        return;
    }
    if (!m_lineSetUp)
        OnProgramSetUpLine();
    m_lineSetUp = true;
    int bits = (tio.c_cflag & CSIZE) == CS8 ? 8 : (tio.c_cflag & CSIZE) == CS7 ? 7 : (tio.c_cflag & CSIZE) == CS6 ? 6 : 5;
    char parity = !(tio.c_cflag & PARENB) ? 'N' : (tio.c_cflag & PARODD) ? 'O' : 'E';
    std::string text = "line set to " + std::to_string(baud) + " baud " + std::to_string(bits) + parity +
                       ((tio.c_cflag & CSTOPB) ? "2" : "1");
    if (tio.c_iflag & (IXON | IXOFF))
        text += ", XON/XOFF";
    if (tio.c_cflag & CRTSCTS)
        text += ", RTS/CTS";
    LogComment(text);
}

void CPhoneSim::OnProgramSetUpLine()
{
    if (m_options.sendOnStart && !m_startSendDone)
        m_sendAt = Clock::now() + kSettleTime;
}

void CPhoneSim::CheckSpeed(const char* where)
{
    // Only once the program has set the line up; before that the speed is ours.
    CheckLineSettings();
    if (!m_lineSetUp || m_lineBaud == ProtocolBaud())
        return;
    ++m_speedMismatches;
    Note(std::string("warning: ") + where + " with the line at " + std::to_string(m_lineBaud) +
         " baud while the telephone is at " + std::to_string(ProtocolBaud()));
}

void CPhoneSim::ReadLine()
{
    if (m_lineDead)
        return;
    char buf[4097];
    ssize_t n = ::read(m_master, buf, sizeof buf);
    if (n <= 0)
        return;
    if (m_packetMode) {
        if (buf[0] != TIOCPKT_DATA) {
            unsigned char status = static_cast<unsigned char>(buf[0]);
            if (status & (TIOCPKT_FLUSHREAD | TIOCPKT_FLUSHWRITE)) {
                ++m_purges;
                LogComment("line purged by the program");
                CheckLineSettings();
                OnProgramSetUpLine();
            }
            return;
        }
        ProcessInput(std::string(buf + 1, static_cast<std::size_t>(n - 1)));
    } else {
        ProcessInput(std::string(buf, static_cast<std::size_t>(n)));
    }
}

void CPhoneSim::DrainLine()
{
    auto start = Clock::now();
    while (!m_lineDead && ElapsedMs(start, Clock::now()) < kMaxDrainMs) {
        pollfd p{m_master, POLLIN, 0};
        if (::poll(&p, 1, kQuietMs) <= 0 || !(p.revents & POLLIN))
            break;
        ReadLine();
    }
}

void CPhoneSim::ProcessInput(const std::string& data)
{
    // Parse first and act afterwards, so that the log shows what was read
    // ahead of what the telephone made of it.
    std::vector<LineEvent> events;
    std::size_t consumed = 0;
    bool hangup = false;
    for (char ch : data) {
        bool wasIn = m_receiver.InTransfer();
        std::size_t before = events.size();
        m_receiver.Feed(static_cast<unsigned char>(ch), events);
        ++consumed;
        bool started = false;
        for (std::size_t i = before; i < events.size(); ++i)
            started |= events[i].kind == LineEventKind::CardTransferStart || events[i].kind == LineEventKind::DialStart;
        if (started)
            m_rxTransferBytes = 2;
        else if (wasIn)
            ++m_rxTransferBytes;
        if ((started || wasIn) && m_options.hangupAfter >= 0 && m_rxTransferBytes >= m_options.hangupAfter) {
            hangup = true;
            break;
        }
    }
    std::string taken = data.substr(0, consumed);
    m_bytesIn += static_cast<long>(taken.size());
    LogBytes('<', taken);
    for (LineEvent& e : events)
        HandleEvent(e);
    if (hangup)
        Hangup("hung up after the set number of bytes of the program's transfer");
}

void CPhoneSim::HandleEvent(LineEvent& e)
{
    switch (e.kind) {
    case LineEventKind::SpeedOffer: OnSpeedOffer(); break;
    case LineEventKind::CardTransferStart: OnCardTransferStart(); break;
    case LineEventKind::Card:
        if (m_options.locked)
            break;
        m_received.push_back(std::make_unique<CKarte>(*e.card));
        StoreCard(std::move(e.card));
        break;
    case LineEventKind::CardTransferEnd:
        m_highSpeed = false;
        if (!m_options.locked) {
            Note("received " + Cards(static_cast<long>(m_received.size())) + ", " +
                 Cards(m_book.Count() + (m_book.FieldNames() ? 1 : 0)) + " in the address book");
            SaveCards();
        }
        break;
    case LineEventKind::DialStart:
        CheckSpeed("dial request");
        break;
    case LineEventKind::DialCard: OnDialCard(e); break;
    case LineEventKind::DialEnd:
    case LineEventKind::End:
        m_highSpeed = false;
        break;
    case LineEventKind::CallListRequest: OnCallListRequest(); break;
    case LineEventKind::Hold: OnHold(); break;
    case LineEventKind::Go: OnGo(); break;
    case LineEventKind::UnknownCommand: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "warning: unknown command 00 %02X", e.byte);
        ++m_warnings;
        Note(buf);
        break;
    }
    case LineEventKind::Warning:
        ++m_warnings;
        Note("warning: " + e.text);
        break;
    }
}

void CPhoneSim::AnswerLocked(const std::string& note)
{
    Note(note);
    Answer(std::string{static_cast<char>(kCommand), static_cast<char>(kLocked)});
}

void CPhoneSim::OnSpeedOffer()
{
    ++m_speedOffers;
    if (m_options.noHighSpeed) {
        Note("speed offer not answered");
        return;
    }
    Answer(std::string(1, static_cast<char>(kHighSpeed)));
    m_highSpeed = true;
    Note("speed offer answered, now at 19200 baud");
}

void CPhoneSim::OnCardTransferStart()
{
    CheckSpeed("card transfer started");
    m_received.clear();
    ++m_cardTransfers;
    if (m_options.locked) {
        // As for a dial request: the telephone says why it takes nothing.
        AnswerLocked("card transfer refused: transfers are locked");
        return;
    }
    Note("card transfer started");
}

void CPhoneSim::OnDialCard(LineEvent& e)
{
    if (m_options.locked) {
        AnswerLocked("dial request refused: transfers are locked");
        return;
    }
    Note("dial " + AnsiToUtf8(e.card->GetLine(1)) + " (" + AnsiToUtf8(e.card->GetLine(0)) + ")");
    m_dials.push_back(std::move(e.card));
}

void CPhoneSim::OnCallListRequest()
{
    ++m_callListRequests;
    CheckSpeed("call-list request");
    if (m_options.locked) {
        AnswerLocked("call-list request refused: transfers are locked");
        return;
    }
    if (m_endlessCallList) {
        m_endlessCallList = false;
        m_endless = Endless::CallList;
        m_endlessRecords = 0;
        Note("call-list request: sending records without end");
        Answer(std::string { static_cast<char>(kCommand), static_cast<char>(kCallListToPc) });
        return;
    }
    std::string error;
    if (StartTransfer(false, error))
        Note("call-list request: sending " + std::to_string(m_callList.size()) + " records");
    else
        Note("call-list request not answered: " + error);
}

void CPhoneSim::OnHold()
{
    if (!m_tx)
        return;
    if (m_tx->phase == Outgoing::Phase::WaitHold) {
        if (m_options.switchSpeed) {
            Fault fault;
            if (AppendTransferBytes(std::string(1, static_cast<char>(kHighSpeed)), fault) == 1) {
                m_highSpeed = true;
                Note("asked for 19200 baud");
            }
            ApplyFault(fault, false);
            if (!m_tx)
                return;
        }
        m_tx->phase = Outgoing::Phase::WaitGo;
        m_tx->deadline = Clock::now() + std::chrono::milliseconds(m_options.goWaitMs);
    } else if (m_tx->phase == Outgoing::Phase::Streaming) {
        m_tx->held = true;
    }
}

void CPhoneSim::OnGo()
{
    if (!m_tx)
        return;
    if (m_tx->phase != Outgoing::Phase::Streaming) {
        if (m_highSpeed)
            CheckSpeed("go after the speed switch");
        m_tx->phase = Outgoing::Phase::Streaming;
        m_tx->nextWrite = Clock::now();
    }
    m_tx->held = false;
}

void CPhoneSim::FlushOut()
{
    while (!m_lineDead && !m_out.empty()) {
        ssize_t n = ::write(m_master, m_out.data(), m_out.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return;
            Note(Errno("write"));
            Hangup("the line failed");
            return;
        }
        std::string written = m_out.substr(0, static_cast<std::size_t>(n));
        m_out.erase(0, static_cast<std::size_t>(n));
        m_bytesOut += n;
        m_lastWrite = Clock::now();
        LogBytes('>', written);
    }
}

void CPhoneSim::HangupWhenDelivered(Clock::time_point now)
{
    // A telephone hanging up after N bytes has put them on the wire: wait
    // until the program has taken them from the line (or a second passed),
    // since closing the terminal throws away what it still holds.
    if (!m_hangupPending || m_lineDead || !m_out.empty())
        return;
    int pending = 0;
    bool queued = ::ioctl(m_slave, FIONREAD, &pending) == 0 && pending > 0;
    bool settled = ElapsedMs(m_lastWrite, now) >= 50;
    if ((settled && !queued) || ElapsedMs(m_lastWrite, now) >= 1000)
        Hangup("hung up after the set number of bytes of its transfer");
}

void CPhoneSim::Hangup(const char* why)
{
    if (m_lineDead)
        return;
    m_hangupPending = false;
    // Closing both ends is what the program sees as a pulled cable.
    ::close(m_master);
    ::close(m_slave);
    m_master = m_slave = -1;
    m_lineDead = true;
    m_tx.reset();
    m_out.clear();
    Note(why);
    if (m_receiver.InTransfer() || m_bookDirty)
        SaveCards();
}

void CPhoneSim::Answer(const std::string& bytes)
{
    if (m_lineDead)
        return;
    m_out += bytes;
    FlushOut();
}

// ---------------------------------------------------------------- sending

std::string CPhoneSim::Flood(long count)
{
    // Line noise as a broken cable brings it: what looks like the start of a
    // card transfer, one XOFF that stops the program's output, then random
    // bytes, speed switches (12) and transfer starts and ends among them,
    // but no XON: the output stays held.
    Note("flooding the line with " + std::to_string(count) + " bytes of noise");
    std::string out { static_cast<char>(kCommand), static_cast<char>(kCardsToPc), static_cast<char>(kHold) };
    std::uniform_int_distribution<int> byte(0x00, 0xFF);
    while (static_cast<long>(out.size()) < count + 3) {
        int b = byte(m_random);
        if (b != kGo)
            out.push_back(static_cast<char>(b));
    }
    return out;
}

void CPhoneSim::FeedEndless()
{
    // Keeps a few kilobytes queued, so the line is never quiet and what
    // waits here stays small when the program stops reading.
    if (m_endless == Endless::Off || m_lineDead || m_out.size() >= 4096)
        return;
    std::string more;
    std::uniform_int_distribution<int> byte(0x01, 0xFF);
    while (more.size() < 4096) {
        if (m_endless == Endless::Noise) {
            // Never 00 (no transfer ends or starts) nor the pacing bytes.
            int b = byte(m_random);
            if (b != kGo && b != kHighSpeed && b != kHold)
                more.push_back(static_cast<char>(b));
            continue;
        }
        // The shortest records: a card with a name, a call with a date.
        std::string n = std::to_string(++m_endlessRecords);
        if (m_endless == Endless::Cards)
            more += std::string(1, static_cast<char>(kFirstLineIndex)) + "K" + n + "\r\x1B";
        else
            more += n + "\r\x1B";
    }
    m_out += more;
}

std::string CPhoneSim::Noise(bool cards)
{
    std::uniform_int_distribution<int> count(1, 6), byte(0x01, 0x30);
    std::string out;
    int n = count(m_random);
    while (static_cast<int>(out.size()) < n) {
        auto b = static_cast<unsigned char>(byte(m_random));
        if (cards ? IsCardNoiseByte(b) : IsCallListNoiseByte(b))
            out += static_cast<char>(b);
    }
    return out;
}

bool CPhoneSim::StartTransfer(bool cards, std::string& error)
{
    if (m_lineDead) {
        error = "the line is closed";
        return false;
    }
    if (m_tx) {
        error = "a transfer is running";
        return false;
    }
    TransferBytes t;
    if (cards) {
        // The field-names card goes with the others, where it sorts.
        m_book.InsertFieldNames();
        std::vector<const CKarte*> list;
        for (const auto& card : m_book.Cards())
            list.push_back(card);
        t = EncodeCardTransfer(list);
        m_book.ExtractFieldNames();
    } else {
        t = EncodeCallListTransfer(m_callList);
    }
    Outgoing tx;
    tx.cards = cards;
    tx.records = static_cast<int>(t.records.size());
    tx.bytes = t.start;
    tx.cuts.push_back(tx.bytes.size());
    tx.syncPoint = tx.bytes.size();
    // A telephone that does not wait for a hold does not pause after the
    // start sequence either: with --chunk the records follow in the same
    // write, so a short transfer reaches the program in one piece.
    tx.syncDone = m_options.holdWaitMs == 0;
    auto piece = [&tx](const std::string& bytes) {
        tx.bytes += bytes;
        tx.cuts.push_back(tx.bytes.size());
    };
    for (const std::string& record : t.records) {
        if (m_options.noise)
            piece(Noise(cards));
        piece(record);
    }
    if (m_options.noise)
        piece(Noise(cards));
    piece(t.end);
    tx.nextWrite = Clock::now();
    m_tx = std::move(tx);
    return true;
}

std::size_t CPhoneSim::AppendTransferBytes(const std::string& bytes, Fault& fault)
{
    // The faults on demand: silence or a hang-up after so many bytes of the
    // transfer, its start sequence included.
    fault = Fault::None;
    if (!m_tx)
        return 0;
    long limit = -1;
    Fault kind = Fault::None;
    if (m_options.silenceAfter >= 0) {
        limit = m_options.silenceAfter;
        kind = Fault::Silence;
    }
    if (m_options.hangupAfter >= 0 && (limit < 0 || m_options.hangupAfter < limit)) {
        limit = m_options.hangupAfter;
        kind = Fault::Hangup;
    }
    std::size_t n = bytes.size();
    if (limit >= 0)
        n = std::min(n, static_cast<std::size_t>(std::max(0L, limit - m_tx->sent)));
    m_out += bytes.substr(0, n);
    m_tx->sent += static_cast<long>(n);
    if (limit >= 0 && m_tx->sent >= limit)
        fault = kind;
    return n;
}

void CPhoneSim::ApplyFault(Fault fault, bool done)
{
    if (fault == Fault::Silence && !done) {
        Note("silent after " + std::to_string(m_options.silenceAfter) + " bytes of the transfer");
        m_tx.reset();
    } else if (fault == Fault::Hangup) {
        Note("hanging up after " + std::to_string(m_options.hangupAfter) + " bytes of the transfer");
        m_hangupPending = true;
        m_tx.reset();
    }
}

void CPhoneSim::PumpOutgoing(Clock::time_point now)
{
    if (!m_tx || m_lineDead || !m_out.empty())
        return;
    Outgoing& tx = *m_tx;
    if (tx.phase != Outgoing::Phase::Streaming || tx.held || now < tx.nextWrite)
        return;
    std::size_t limit = tx.syncDone ? tx.bytes.size() : tx.syncPoint;
    std::size_t n;
    if (m_options.chunk > 0) {
        n = std::min(static_cast<std::size_t>(m_options.chunk), limit - tx.pos);
    } else {
        auto cut = std::upper_bound(tx.cuts.begin(), tx.cuts.end(), tx.pos);
        n = std::min(cut == tx.cuts.end() ? tx.bytes.size() : *cut, limit) - tx.pos;
    }
    Fault fault;
    std::size_t written = AppendTransferBytes(tx.bytes.substr(tx.pos, n), fault);
    tx.pos += written;
    FlushOut();
    if (!m_tx)
        return;  // the line failed
    tx.nextWrite = now + std::chrono::milliseconds(m_options.delayMs);
    bool done = tx.pos == tx.bytes.size();
    if (!tx.syncDone && tx.pos == tx.syncPoint) {
        // The start sequence is out: the program now holds the telephone if
        // it wants to change speed.
        tx.syncDone = true;
        tx.phase = Outgoing::Phase::WaitHold;
        tx.deadline = now + std::chrono::milliseconds(m_options.holdWaitMs);
    }
    if (done)
        FinishTransfer();
    ApplyFault(fault, done);
}

void CPhoneSim::FinishTransfer()
{
    if (!m_tx)
        return;
    ++m_sentTransfers;
    m_highSpeed = false;
    if (m_tx->cards)
        Note("sent " + Cards(m_tx->records));
    else
        Note("sent the call list, " + std::to_string(m_tx->records) + " records");
    m_tx.reset();
}

void CPhoneSim::RunTimers(Clock::time_point now)
{
    if (m_sendAt && now >= *m_sendAt) {
        m_sendAt.reset();
        m_startSendDone = true;
        if (m_options.locked) {
            Note("transfers are locked");
            Answer(std::string{static_cast<char>(kCommand), static_cast<char>(kLocked)});
        } else {
            std::string error;
            if (!StartTransfer(true, error))
                Note("cannot send: " + error);
        }
    }
    if (!m_tx)
        return;
    if (m_tx->phase == Outgoing::Phase::WaitHold && now >= m_tx->deadline) {
        // No hold: the program does not change speed, the records follow.
        m_tx->phase = Outgoing::Phase::Streaming;
        m_tx->nextWrite = now;
    } else if (m_tx->phase == Outgoing::Phase::WaitGo && now >= m_tx->deadline) {
        ++m_warnings;
        Note("warning: no go after the hold, sending anyway");
        m_tx->phase = Outgoing::Phase::Streaming;
        m_tx->nextWrite = now;
    }
}

// ---------------------------------------------------------------- cards

void CPhoneSim::StoreCard(std::unique_ptr<CKarte> card)
{
    // A card with the name of one the telephone has replaces it.
    m_book.InsertSorted(std::move(card), true);
    m_book.ExtractFieldNames();
    m_bookDirty = true;
}

void CPhoneSim::SaveCards()
{
    if (!m_bookDirty || m_options.cardsFile.empty())
        return;
    ArchiveResult r = SaveCardFile(m_options.cardsFile, m_book);
    if (r)
        m_bookDirty = false;
    else
        Note("cannot write " + m_options.cardsFile + ": " + AnsiToUtf8(r.message));
}

std::vector<std::string> CPhoneSim::BookJson()
{
    std::vector<std::string> out;
    m_book.InsertFieldNames();
    for (const auto& card : m_book.Cards())
        out.push_back(CardJson(*card));
    m_book.ExtractFieldNames();
    return out;
}

// ---------------------------------------------------------------- standard input

void CPhoneSim::Reply(const std::string& line)
{
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
}

std::string CPhoneSim::StatusJson()
{
    auto num = [](const char* key, long v) { return std::string("\"") + key + "\":" + std::to_string(v); };
    auto flag = [](const char* key, bool v) { return std::string("\"") + key + "\":" + (v ? "true" : "false"); };
    CheckLineSettings();
    std::string out = "{\"device\":" + JsonString(m_devicePath);
    out += "," + flag("open", !m_lineDead);
    out += "," + num("speed", ProtocolBaud());
    out += "," + num("lineBaud", m_lineBaud);
    out += "," + flag("lineSetUp", m_lineSetUp);
    out += "," + flag("sending", m_tx.has_value());
    out += "," + flag("receiving", m_receiver.InTransfer());
    out += "," + num("cards", m_book.Count() + (m_book.FieldNames() ? 1 : 0));
    out += "," + num("received", static_cast<long>(m_received.size()));
    out += "," + num("cardTransfers", m_cardTransfers);
    out += "," + num("dials", static_cast<long>(m_dials.size()));
    out += "," + num("callListRequests", m_callListRequests);
    out += "," + num("speedOffers", m_speedOffers);
    out += "," + num("sentTransfers", m_sentTransfers);
    out += "," + num("purges", m_purges);
    out += "," + num("lineChanges", m_lineChanges);
    out += "," + num("speedMismatches", m_speedMismatches);
    out += "," + num("warnings", m_warnings);
    out += "," + num("bytesIn", m_bytesIn);
    out += "," + num("bytesOut", m_bytesOut);
    return out + "}";
}

void CPhoneSim::Command(const std::string& raw)
{
    std::string line = raw;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    std::size_t first = line.find_first_not_of(" \t");
    line = first == std::string::npos ? std::string() : line.substr(first);
    if (line.empty())
        return;

    // Whatever the program has written so far is read before the answer, so
    // a test that asks after the program has finished sees all of it.
    DrainLine();

    if (line == "send" || line == "calllist") {
        CommandTransfer(line == "send");
    } else if (line == "lock" || line == "unlock") {
        m_options.locked = line == "lock";
        Note(m_options.locked ? "transfers are locked" : "transfers are unlocked");
        Reply("ok");
    } else if (line == "cards") {
        for (const std::string& json : BookJson())
            Reply(json);
        Reply("ok");
    } else if (line == "received" || line == "dials") {
        for (const auto& card : line == "received" ? m_received : m_dials)
            Reply(CardJson(*card));
        Reply("ok");
    } else if (line == "status") {
        Reply(StatusJson());
        Reply("ok");
    } else if (line == "sync") {
        Reply("ok");
    } else if (line == "xoff" || line == "xon") {
        // The program's line runs XON/XOFF: this holds or releases its output.
        Note(line == "xoff" ? "holding the program's output (XOFF)" : "releasing the program's output (XON)");
        Answer(std::string(1, static_cast<char>(line == "xoff" ? kHold : kGo)));
        Reply("ok");
    } else if (line.rfind("flood ", 0) == 0) {
        CommandFlood(line.substr(6));
    } else if (line.rfind("endless ", 0) == 0) {
        CommandEndless(line.substr(8));
    } else if (line == "hangup") {
        Hangup("hung up on request");
        Reply("ok");
    } else if (line == "quit") {
        Reply("ok");
        m_quit = true;
    } else if (line == "help") {
        Reply("send calllist lock unlock cards received dials status sync xoff xon flood endless hangup quit help");
        Reply("ok");
    } else {
        Reply("error: unknown command " + line);
    }
    std::fflush(stdout);
}

// "send" and "calllist": the cards, or the call list as the telephone sends
// it when asked by the program, here started from the telephone's side.
void CPhoneSim::CommandTransfer(bool cards)
{
    std::string error;
    if (m_options.locked) {
        AnswerLocked("transfers are locked");
        Reply("ok");
    } else if (!StartTransfer(cards, error)) {
        Reply("error: " + error);
    } else {
        if (!cards)
            Note("sending the call list, " + std::to_string(m_callList.size()) + " records");
        else if (!m_lineSetUp)
            Note("sending, but the program has not set up the line: it will purge what it finds");
        Reply("ok");
    }
}

void CPhoneSim::CommandFlood(const std::string& digits)
{
    char* end = nullptr;
    const long count = std::strtol(digits.c_str(), &end, 10);
    if (digits.empty() || *end || count < 0 || count > 10000000) {
        Reply("error: flood needs a number of bytes");
        return;
    }
    Answer(Flood(count));
    Reply("ok");
}

void CPhoneSim::CommandEndless(const std::string& what)
{
    if (what == "off") {
        m_endless = Endless::Off;
        m_endlessCallList = false;
        Reply("ok");
    } else if (m_tx || m_endless != Endless::Off) {
        Reply("error: a transfer is running");
    } else if (what == "calllist") {
        m_endlessCallList = true;
        Note("the next call-list request is answered without end");
        Reply("ok");
    } else if (what == "cards" || what == "noise") {
        m_endless = what == "cards" ? Endless::Cards : Endless::Noise;
        m_endlessRecords = 0;
        Note("sending " + what + " without end");
        Answer(std::string { static_cast<char>(kCommand), static_cast<char>(kCardsToPc) });
        FeedEndless();
        FlushOut();
        Reply("ok");
    } else {
        Reply("error: endless needs cards, calllist, noise or off");
    }
}

void CPhoneSim::ReadStdin()
{
    char buf[4096];
    ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (n <= 0) {
        m_stdinOpen = false;
        if (!m_stdinBuffer.empty())
            Command(m_stdinBuffer);
        m_stdinBuffer.clear();
        if (m_options.quitOnEof)
            m_quit = true;
        return;
    }
    m_stdinBuffer.append(buf, static_cast<std::size_t>(n));
    std::size_t eol;
    while (!m_quit && (eol = m_stdinBuffer.find('\n')) != std::string::npos) {
        std::string line = m_stdinBuffer.substr(0, eol);
        m_stdinBuffer.erase(0, eol + 1);
        Command(line);
    }
}

// ---------------------------------------------------------------- main loop

int CPhoneSim::Run(int stopFd)
{
    if (m_options.sendOnStart)
        Note("waiting for the program to open the line, then sending the cards");
    while (!m_quit) {
        auto now = Clock::now();
        RunTimers(now);
        PumpOutgoing(now);
        FeedEndless();
        FlushOut();
        HangupWhenDelivered(now);
        CheckLineSettings();
        if (m_quit)
            break;

        // Poll at least every 20 ms for changes of the line settings.
        long timeout = 20;
        auto until = [&](Clock::time_point t) { timeout = std::min(timeout, std::max(0L, ElapsedMs(now, t))); };
        if (m_sendAt)
            until(*m_sendAt);
        if (m_tx) {
            if (m_tx->phase == Outgoing::Phase::Streaming && !m_tx->held && m_out.empty())
                until(m_tx->nextWrite);
            else if (m_tx->phase != Outgoing::Phase::Streaming)
                until(m_tx->deadline);
        }

        pollfd fds[3];
        int nfds = 0;
        int lineIx = -1, stdinIx = -1, stopIx = -1;
        if (!m_lineDead) {
            lineIx = nfds;
            fds[nfds++] = {m_master, static_cast<short>(POLLIN | (m_out.empty() ? 0 : POLLOUT)), 0};
        }
        if (m_stdinOpen) {
            stdinIx = nfds;
            fds[nfds++] = {STDIN_FILENO, POLLIN, 0};
        }
        if (stopFd >= 0) {
            stopIx = nfds;
            fds[nfds++] = {stopFd, POLLIN, 0};
        }
        int r = ::poll(fds, static_cast<nfds_t>(nfds), static_cast<int>(timeout));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            Note(Errno("poll"));
            break;
        }
        if (stopIx >= 0 && fds[stopIx].revents)
            break;
        // The line before standard input: a command sees every byte that
        // arrived before it.
        if (lineIx >= 0 && (fds[lineIx].revents & (POLLIN | POLLPRI)))
            ReadLine();
        if (lineIx >= 0 && (fds[lineIx].revents & POLLOUT))
            FlushOut();
        if (stdinIx >= 0 && (fds[stdinIx].revents & (POLLIN | POLLHUP | POLLERR)))
            ReadStdin();
    }
    FlushOut();
    SaveCards();
    return 0;
}

}  // namespace velkaro::sim
