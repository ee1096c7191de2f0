// The tests' line relay (support/LineRelay.h): what the benchmark of the
// transfers relies on, the bytes, the speed and the output queue.

#include "DeviceTestSupport.h"

#include "support/LineRelay.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace velkaro {
namespace {

using namespace devtest;

int OutputQueue(int fd)
{
    int queued = -1;
    return ::ioctl(fd, TIOCOUTQ, &queued) == 0 ? queued : -1;
}

TEST(LineRelay, MovesBytesBothWaysAtTheProgramsSpeedAndReportsItsQueue)
{
    PtyPair phone;  // the test plays the telephone
    test::LineRelay relay(phone.Device());
    ASSERT_TRUE(relay.Ok()) << relay.Error();
    const int fd = ::open(relay.Device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios tio {};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B19200);
    ::cfsetospeed(&tio, B19200);
    ::tcsetattr(fd, TCSANOW, &tio);
    // The far end follows the program's speed.
    ASSERT_TRUE(WaitUntil([&] { return relay.Baud() == 19200; }));
    const int far = ::open(phone.Device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios farTio {};
    ::tcgetattr(far, &farTio);
    EXPECT_EQ(::cfgetospeed(&farTio), static_cast<speed_t>(B19200));
    ::close(far);

    std::string block;
    for (int i = 0; i < 1200; ++i)
        block.push_back(static_cast<char>(i % 256));
    relay.TakeStats();
    ASSERT_EQ(::write(fd, block.data(), block.size()), static_cast<ssize_t>(block.size()));
    // The bytes take the line's time: right after the write most still wait.
    const int queued = OutputQueue(fd);
    EXPECT_GT(queued, 0);
    EXPECT_LE(queued, static_cast<int>(block.size()));
    std::string arrived;
    EXPECT_TRUE(WaitUntil([&] {
        arrived += phone.ReadAvailable(0);
        return arrived.size() >= block.size();
    }));
    EXPECT_EQ(Hex(arrived), Hex(block));
    EXPECT_TRUE(WaitUntil([&] { return OutputQueue(fd) == 0; }));

    ASSERT_TRUE(phone.Write("answer"));
    std::string back;
    EXPECT_TRUE(WaitUntil([&] {
        char buf[64];
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0)
            back.append(buf, static_cast<std::size_t>(n));
        return back.size() >= 6;
    }));
    EXPECT_EQ(back, "answer");
    const test::LineRelay::Stats stats = relay.TakeStats();
    EXPECT_EQ(stats.toPhone.bytes, static_cast<long>(block.size()));
    EXPECT_DOUBLE_EQ(stats.toPhone.lineMs, static_cast<double>(block.size()) * 10000.0 / 19200);
    EXPECT_EQ(stats.toProgram.bytes, 6);
    ::close(fd);
}

}  // namespace
}  // namespace velkaro
