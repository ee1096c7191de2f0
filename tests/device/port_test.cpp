// The port object over a pseudo-terminal pair held by the test: device
// mapping, chunked hand-over of received bytes, speed changes, writes.

#include "DeviceTestSupport.h"

#include "settings/Settings.h"

#include "text/Language.h"
#include "text/MessageIds.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace velkaro {
namespace {

using namespace devtest;

TEST(PortMapping, DefaultDevices)
{
    EXPECT_EQ(DefaultDevicePath(1), "/dev/ttyS0");
    EXPECT_EQ(DefaultDevicePath(4), "/dev/ttyS3");
    EXPECT_EQ(DefaultDevicePath(5), "/dev/ttyUSB0");
    EXPECT_EQ(DefaultDevicePath(12), "/dev/ttyUSB7");
    EXPECT_EQ(DefaultDevicePath(13), "/dev/ttyACM0");
    EXPECT_EQ(DefaultDevicePath(20), "/dev/ttyACM7");
    EXPECT_EQ(DefaultDevicePath(0), "");
    EXPECT_EQ(DefaultDevicePath(21), "");
}

TEST(PortMapping, SettingPointsANumberAtAnyDevice)
{
    CSettings::Instance().WriteString(section::Ports, "COM9", "/tmp/my-phone");
    EXPECT_EQ(DevicePathForPort(9), "/tmp/my-phone");
    EXPECT_EQ(DevicePathForPort(10), "/dev/ttyUSB5");
    CSettings::Instance().WriteString(section::Ports, "COM9", "");
    EXPECT_EQ(DevicePathForPort(9), "/dev/ttyUSB4");
}

TEST(Port, OpenFailureIsReportedWithThePortNumber)
{
    App();
    TestUi ui;
    CComPortEx port;
    port.SetUserInterface(&ui);
    port.SetPortNumber(3);
    CSettings::Instance().WriteString(section::Ports, "COM3", "/nonexistent/velkaro-line");
    const Outcome opened = port.Open();
    EXPECT_EQ(opened.Kind(), OutcomeKind::DeviceError);
    EXPECT_EQ(port.PendingError(), PortError::Open);  // until reported
    EXPECT_TRUE(ui.shown.empty());                     // the caller reports
    EXPECT_FALSE(port.Report(opened));
    CSettings::Instance().WriteString(section::Ports, "COM3", "");
    EXPECT_FALSE(port.IsOpen());
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text.rfind(A("Fehler beim Öffnen von COM3.\n"), 0), 0u);
    EXPECT_NE(ui.shown[0].text.find("/nonexistent/velkaro-line"), std::string::npos);
    EXPECT_EQ(port.PendingError(), PortError::None);  // reported and cleared

    // A device named directly (the command line's --port PATH) is named in
    // the message instead of a port number that stands for nothing.
    port.SetDeviceOverride("/nonexistent/velkaro-line");
    EXPECT_FALSE(port.Report(port.Open()));
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[1].text.rfind(A("Fehler beim Öffnen von /nonexistent/velkaro-line.\n"), 0), 0u);
    EXPECT_EQ(ui.shown[1].text.find("COM"), std::string::npos);
}

TEST(Port, ChunksOfAtMost100BytesOneAtATime)
{
    PtyPair pty;
    TestUi ui;
    auto port = OpenPort(pty.Device(), ui);
    ASSERT_TRUE(port);
    std::vector<std::string> chunks;
    bool release = false;
    port->SetNotifyHandler([&](int n) {
        ASSERT_GT(n, 0);
        ASSERT_LE(n, kReceiveChunk);
        chunks.emplace_back(reinterpret_cast<const char*>(port->ReceiveBuffer()), static_cast<std::size_t>(n));
        if (release)
            port->ReleaseBuffer();
    });
    std::string data;
    // (0x11 and 0x13 would be taken by the line's XON/XOFF.)
    for (int i = 0; i < 250; ++i)
        data.push_back(static_cast<char>(i == 0 ? 0 : 0x20 + i % 0xE0));
    ASSERT_TRUE(pty.Write(data));
    // The first chunk is held: nothing more comes.
    ASSERT_TRUE(WaitUntil([&] { return !chunks.empty(); }));
    Spin(100);
    EXPECT_EQ(chunks.size(), 1u);
    release = true;
    port->ReleaseBuffer();
    ASSERT_TRUE(WaitUntil([&] {
        std::size_t total = 0;
        for (auto& c : chunks)
            total += c.size();
        return total == data.size();
    }));
    std::string joined;
    for (auto& c : chunks)
        joined += c;
    EXPECT_EQ(joined, data);
}

TEST(Port, WritesAndSpeed)
{
    PtyPair pty;
    TestUi ui;
    auto port = OpenPort(pty.Device(), ui);
    ASSERT_TRUE(port);
    EXPECT_TRUE(port->Write("", true));
    EXPECT_EQ(pty.ReadAvailable(50), "");
    EXPECT_TRUE(port->SendHold());
    EXPECT_TRUE(port->SendGo());
    EXPECT_EQ(pty.ReadAvailable(), std::string(8, '\x13') + "\x11");

    // The same speed again does not reopen the line.
    EXPECT_TRUE(port->SetBaudRate(9600));
    EXPECT_TRUE(port->IsOpen());
    EXPECT_TRUE(port->SetBaudRate(19200));
    EXPECT_TRUE(port->IsOpen());
    EXPECT_EQ(port->BaudRate(), 19200);
    // Back to idle means back to 9600.
    port->SetTransferMode(Transfer::Idle);
    EXPECT_EQ(port->BaudRate(), 9600);
    EXPECT_TRUE(port->IsOpen());
}

TEST(Port, HighSpeedRequestToASilentTelephone)
{
    PtyPair pty;
    TestUi ui;
    auto port = OpenPort(pty.Device(), ui);
    ASSERT_TRUE(port);
    int chunks = 0;
    port->SetNotifyHandler([&](int) {
        ++chunks;
        port->ReleaseBuffer();
    });
    EXPECT_FALSE(port->RequestHighSpeed());
    EXPECT_EQ(port->BaudRate(), 9600);
    EXPECT_EQ(Hex(pty.ReadAvailable()), "00 0A");
    // The reader runs again.
    ASSERT_TRUE(pty.Write("x"));
    EXPECT_TRUE(WaitUntil([&] { return chunks == 1; }));
}

TEST(Port, HighSpeedRequestAgreed)
{
    PtyPair pty;
    TestUi ui;
    auto port = OpenPort(pty.Device(), ui);
    ASSERT_TRUE(port);
    ASSERT_TRUE(pty.Write("\x12"));  // the answer is already waiting
    // Purged at the start of the request: an early byte does not count.
    EXPECT_FALSE(port->RequestHighSpeed());
}

TEST(Port, ChoosePort)
{
    PtyPair a;
    App();
    TestUi ui;
    CSettings::Instance().WriteString(section::Ports, "COM15", a.Device());
    CComPortEx port;
    port.SetUserInterface(&ui);
    EXPECT_EQ(port.ChoosePort(15, true, true), 15);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.ChoosePort(15, true, true), 15);  // the open port: nothing happens
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.ChoosePort(0, true, true), 0);
    EXPECT_FALSE(port.IsOpen());
    CSettings::Instance().WriteString(section::Ports, "COM16", "/nonexistent/line");
    EXPECT_EQ(port.ChoosePort(16, true, true), 0);  // failed: no port
    EXPECT_EQ(ui.shown.size(), 1u);
    CSettings::Instance().WriteString(section::Ports, "COM15", "");
    CSettings::Instance().WriteString(section::Ports, "COM16", "");
}

TEST(Port, PaneTexts)
{
    App();
    EXPECT_EQ(PortPaneText({ true, 4, Transfer::Idle }), "COM 4 Bereit");
    EXPECT_EQ(PortPaneText({ true, 4, Transfer::ReceivingCallList }), "COM 4 Empfangen");
    EXPECT_EQ(PortPaneText({ true, 4, Transfer::Locked }), "");
    EXPECT_EQ(PortPaneText({ false, 4, Transfer::Idle }), "");
    CComPortEx port;
    port.SetPortNumber(4);
    EXPECT_EQ(port.State().number, 4);
    EXPECT_FALSE(port.State().open);
}

// The telephone pauses the program with XOFF (13) and goes on with XON (11).
// A write from the window's thread must not wait for it: it is queued, goes
// out once the line takes it, and is dropped with an error when the hold
// outlasts the write time-out.
TEST(Port, OutputHeldByTheTelephoneIsQueuedAndDroppedAfterTheTimeOut)
{
    App();
    TestUi ui;
    PtyPair line;
    auto port = OpenPort(line.Device(), ui);
    ASSERT_TRUE(port);
    const std::string hold(8, '\x13');

    ASSERT_TRUE(line.Write(B({ 0x13 })));
    Spin(50);
    EXPECT_TRUE(port->Write(hold, false));
    EXPECT_GT(port->PendingOutput(), 0);
    EXPECT_EQ(line.ReadAvailable(100), "");
    ASSERT_TRUE(line.Write(B({ 0x11 })));
    EXPECT_TRUE(WaitUntil([&] { return port->PendingOutput() == 0; }));
    EXPECT_EQ(Hex(line.ReadAvailable()), Hex(hold));

    ASSERT_TRUE(line.Write(B({ 0x13 })));
    Spin(50);
    QSignalSpy failed(port.get(), &CComPort::OutputFailed);
    EXPECT_TRUE(port->Write(B({ 0x11 }), false));
    ASSERT_TRUE(failed.wait(15000));
    EXPECT_EQ(port->PendingError(), PortError::WriteIncomplete);
    EXPECT_NE(port->PortErrorOutcome(PortError::WriteIncomplete).Message().find(Text(msg::OutputHeld)), std::string::npos);
    EXPECT_EQ(port->PendingOutput(), 0);
    // Released later, the dropped byte does not follow.
    ASSERT_TRUE(line.Write(B({ 0x11 })));
    EXPECT_EQ(line.ReadAvailable(200), "");
    EXPECT_TRUE(ui.shown.empty());  // the failure waits for whoever reports it
}

}  // namespace
}  // namespace velkaro
