#include "SimHarness.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace velkaro::simtest {

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point end)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

speed_t SpeedOf(int baud)
{
    return baud == 19200 ? B19200 : B9600;
}

}  // namespace

std::string SimBinary()
{
    return std::string(VELKARO_BINARY_DIR) + "/sim/velkaro-phone-sim";
}

std::string TempDir(const std::string& name)
{
    const char* home = std::getenv("VELKARO_TEST_HOME");
    std::filesystem::path dir = std::filesystem::path(home ? home : "/tmp") / ("sim-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

SimProcess::SimProcess(std::vector<std::string> args, bool openLine)
{
    int in[2], out[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0)
        throw std::runtime_error("pipe");
    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::close(in[0]);
        ::close(in[1]);
        ::close(out[0]);
        ::close(out[1]);
        std::string binary = SimBinary();
        std::vector<char*> argv;
        argv.push_back(binary.data());
        argv.push_back(const_cast<char*>("--quit-on-eof"));
        argv.push_back(const_cast<char*>("--quiet"));
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(binary.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    m_stdin = in[1];
    m_stdout = out[0];
    if (!ReadStdoutLine(m_device, 10000))
        throw std::runtime_error("the simulator printed no device");
    if (openLine && !OpenLine())
        throw std::runtime_error("cannot open " + m_device);
}

SimProcess::~SimProcess()
{
    CloseLine();
    Terminate();
}

bool SimProcess::OpenLine(int baud)
{
    CloseLine();
    m_line = ::open(m_device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_line < 0)
        return false;
    termios tio {};
    ::tcgetattr(m_line, &tio);
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&tio, SpeedOf(baud));
    ::cfsetospeed(&tio, SpeedOf(baud));
    ::tcsetattr(m_line, TCSANOW, &tio);
    ::tcflush(m_line, TCIOFLUSH);
    return true;
}

void SimProcess::SetBaud(int baud)
{
    termios tio {};
    ::tcgetattr(m_line, &tio);
    ::cfsetispeed(&tio, SpeedOf(baud));
    ::cfsetospeed(&tio, SpeedOf(baud));
    ::tcsetattr(m_line, TCSANOW, &tio);
}

void SimProcess::CloseLine()
{
    if (m_line >= 0)
        ::close(m_line);
    m_line = -1;
}

void SimProcess::Write(const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(m_line, bytes.data() + done, bytes.size() - done);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{m_line, POLLOUT, 0};
            ::poll(&p, 1, 100);
            continue;
        }
        if (n <= 0)
            throw std::runtime_error("write to the line failed");
        done += static_cast<std::size_t>(n);
    }
}

std::string SimProcess::Read(std::size_t count, int timeoutMs)
{
    std::string data;
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (data.size() < count) {
        pollfd p{m_line, POLLIN, 0};
        if (::poll(&p, 1, RemainingMs(end)) <= 0)
            break;
        char buf[4096];
        ssize_t n = ::read(m_line, buf, std::min(sizeof buf, count - data.size()));
        if (n <= 0) {
            if (n < 0 && errno == EAGAIN)
                continue;
            break;
        }
        data.append(buf, static_cast<std::size_t>(n));
    }
    return data;
}

std::string SimProcess::ReadUntil(const std::string& suffix, int timeoutMs)
{
    std::string data;
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (data.size() < suffix.size() || data.compare(data.size() - suffix.size(), suffix.size(), suffix) != 0) {
        int left = RemainingMs(end);
        if (left == 0)
            break;
        std::string more = Read(1, left);
        if (more.empty())
            break;
        data += more;
    }
    return data;
}

std::string SimProcess::ReadFor(int ms)
{
    std::string data;
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        int left = RemainingMs(end);
        if (left == 0)
            break;
        std::string more = Read(4096, left);
        if (more.empty())
            break;
        data += more;
    }
    return data;
}

bool SimProcess::SeesHangup(int timeoutMs)
{
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        pollfd p{m_line, POLLIN, 0};
        int r = ::poll(&p, 1, RemainingMs(end));
        if (r <= 0)
            return false;
        if (p.revents & (POLLHUP | POLLERR))
            return true;
        char buf[256];
        ssize_t n = ::read(m_line, buf, sizeof buf);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
            return true;
    }
}

bool SimProcess::ReadStdoutLine(std::string& line, int timeoutMs)
{
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::size_t eol = m_stdoutBuffer.find('\n');
        if (eol != std::string::npos) {
            line = m_stdoutBuffer.substr(0, eol);
            m_stdoutBuffer.erase(0, eol + 1);
            return true;
        }
        pollfd p{m_stdout, POLLIN, 0};
        if (::poll(&p, 1, RemainingMs(end)) <= 0)
            return false;
        char buf[4096];
        ssize_t n = ::read(m_stdout, buf, sizeof buf);
        if (n <= 0)
            return false;
        m_stdoutBuffer.append(buf, static_cast<std::size_t>(n));
    }
}

std::vector<std::string> SimProcess::Command(const std::string& command, int timeoutMs)
{
    std::string text = command + "\n";
    if (::write(m_stdin, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        throw std::runtime_error("the simulator does not take commands");
    std::vector<std::string> lines;
    std::string line;
    while (ReadStdoutLine(line, timeoutMs)) {
        if (line == "ok")
            return lines;
        lines.push_back(line);
        if (line.rfind("error:", 0) == 0)
            return lines;
    }
    lines.push_back("error: no answer");
    return lines;
}

long SimProcess::Status(const std::string& key)
{
    auto lines = Command("status");
    if (lines.empty())
        return -1;
    const std::string& json = lines[0];
    std::string needle = "\"" + key + "\":";
    std::size_t at = json.find(needle);
    if (at == std::string::npos)
        return -1;
    std::string value = json.substr(at + needle.size());
    if (value.rfind("true", 0) == 0)
        return 1;
    if (value.rfind("false", 0) == 0)
        return 0;
    return std::strtol(value.c_str(), nullptr, 10);
}

int SimProcess::Terminate()
{
    if (m_pid <= 0)
        return -1;
    ::kill(m_pid, SIGTERM);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
    ::close(m_stdin);
    ::close(m_stdout);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace velkaro::simtest
