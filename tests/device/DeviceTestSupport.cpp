#include "DeviceTestSupport.h"

#include "text/Cp1252.h"

#include <QElapsedTimer>
#include <QEventLoop>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sstream>
#include <termios.h>
#include <unistd.h>

namespace velkaro::devtest {

PtyPair::PtyPair()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ::grantpt(m_master);
    ::unlockpt(m_master);
    m_device = ::ptsname(m_master);
    m_slaveHold = ::open(m_device.c_str(), O_RDWR | O_NOCTTY);
    termios t {};
    ::tcgetattr(m_slaveHold, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(m_slaveHold, TCSANOW, &t);
}

PtyPair::~PtyPair()
{
    ::close(m_slaveHold);
    ::close(m_master);
}

bool PtyPair::Write(const std::string& bytes)
{
    return ::write(m_master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

std::string PtyPair::ReadAvailable(int ms)
{
    std::string out;
    pollfd p { m_master, POLLIN, 0 };
    while (::poll(&p, 1, ms) > 0) {
        char buf[512];
        ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0)
            break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
}

QCoreApplication& App()
{
    static int argc = 1;
    static char name[] = "velkaro_device_tests";
    static char* argv[] = { name, nullptr };
    static QCoreApplication* app = QCoreApplication::instance() ? QCoreApplication::instance()
                                                                 : new QCoreApplication(argc, argv);
    return *app;
}

bool WaitUntil(const std::function<bool()>& pred, int ms)
{
    App();
    QElapsedTimer clock;
    clock.start();
    while (!pred()) {
        if (clock.elapsed() >= ms)
            return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ::usleep(2000);
    }
    return true;
}

void Spin(int ms)
{
    WaitUntil([] { return false; }, ms);
}

bool SimAvailable()
{
    return ::access(simtest::SimBinary().c_str(), X_OK) == 0;
}

bool TestUi::Showed(const std::string& part) const
{
    return CountShown(part) > 0;
}

int TestUi::CountShown(const std::string& part) const
{
    int n = 0;
    for (const auto& s : shown)
        if (s.text.find(part) != std::string::npos)
            ++n;
    return n;
}

Phone::Phone(std::vector<std::string> args, const std::string& name)
{
    m_dir = simtest::TempDir("device-" + name);
    m_log = m_dir + "/line.log";
    args.push_back("--log");
    args.push_back(m_log);
    m_sim = std::make_unique<simtest::SimProcess>(std::move(args), false);
}

std::string Phone::Bytes(char direction) const
{
    std::istringstream in(simtest::ReadWholeFile(m_log));
    std::string line, out;
    while (std::getline(in, line)) {
        if (line.size() < 2 || line[0] != direction || line[1] != ' ')
            continue;
        std::istringstream hex(line.substr(2));
        std::string byte;
        while (hex >> byte)
            out.push_back(static_cast<char>(std::stoi(byte, nullptr, 16)));
    }
    return out;
}

std::string Phone::ProgramBytes() const
{
    return Bytes('<');
}

std::string Phone::PhoneBytes() const
{
    return Bytes('>');
}

std::unique_ptr<CComPortEx> OpenPort(const std::string& device, IUserInterface& ui, bool highSpeed)
{
    App();
    auto port = std::make_unique<CComPortEx>();
    port->SetUserInterface(&ui);
    port->Settings().handshake = kHandshakeXonXoff;
    port->SetHighSpeedAllowed(highSpeed);
    port->SetPortNumber(7);
    port->SetDeviceOverride(device);
    if (!port->Report(port->Open()))
        return nullptr;
    return port;
}

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string B(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}

}  // namespace velkaro::devtest

namespace velkaro::devtest {

std::string A(const std::string& utf8)
{
    return Utf8ToAnsi(utf8);
}

}  // namespace velkaro::devtest
