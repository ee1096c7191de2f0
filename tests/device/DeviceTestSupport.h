#pragma once

// Shared by the end-to-end tests of the device link: the event loop, a user
// interface that also plays the progress dialogs, and a telephone simulator
// whose byte log tells what went over the line.

#include "../sim/SimHarness.h"
#include "support/ScriptedUi.h"

#include "device/ComPortEx.h"

#include <QCoreApplication>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velkaro::devtest {

// A line whose telephone end the test plays itself: a pseudo-terminal whose
// program side is held open, so that the line stays when the program closes
// and reopens its end.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;
    const std::string& Device() const { return m_device; }
    // Writes as the telephone; true when every byte went.
    bool Write(const std::string& bytes);
    // What the program wrote, waiting up to ms for the first bytes.
    std::string ReadAvailable(int ms = 100);

private:
    int m_master = -1;
    int m_slaveHold = -1;
    std::string m_device;
};

QCoreApplication& App();
// Runs the event loop until pred holds or ms passed; returns pred().
bool WaitUntil(const std::function<bool()>& pred, int ms = 10000);
// Runs the event loop for ms.
void Spin(int ms);

bool SimAvailable();
// Skips a test that needs the simulator when it is not built.
#define REQUIRE_SIM()                                                                             \
    do {                                                                                          \
        if (!velkaro::devtest::SimAvailable())                                                    \
            GTEST_SKIP() << "velkaro-phone-sim is not built: " << velkaro::simtest::SimBinary(); \
    } while (0)

class TestUi : public test::ScriptedUi {
public:
    int sendBegins = 0, sendEnds = 0, receiveBegins = 0, receiveEnds = 0;
    std::vector<int> sentUpdates;
    std::vector<int> receivedUpdates;
    std::string speedText;
    bool receiveCallList = false;
    int cancelSendAt = -1;     // cancel when this many cards went out
    int cancelReceiveAt = -1;  // cancel when this many records arrived
    std::function<void()> sendCancel, receiveCancel;
    int errorsShown = 0;

    MsgAnswer Message(const std::string& text, MsgButtons buttons, MsgIcon icon) override
    {
        if (icon == MsgIcon::Error)
            ++errorsShown;
        return ScriptedUi::Message(text, buttons, icon);
    }
    void SendProgressBegin(const std::string&, const std::string& speed, std::function<void()> cancel) override
    {
        ++sendBegins;
        speedText = speed;
        sendCancel = std::move(cancel);
    }
    void SendProgressUpdate(int sent, int, int) override
    {
        sentUpdates.push_back(sent);
        if (cancelSendAt >= 0 && sent >= cancelSendAt && sendCancel) {
            auto cancel = sendCancel;
            sendCancel = nullptr;
            cancel();
        }
    }
    void SendProgressEnd() override { ++sendEnds; }
    void ReceiveProgressBegin(bool callList, std::function<void()> cancel) override
    {
        ++receiveBegins;
        receiveCallList = callList;
        receiveCancel = std::move(cancel);
    }
    void ReceiveProgressUpdate(int count, int, const std::string& speed) override
    {
        receivedUpdates.push_back(count);
        speedText = speed;
        if (cancelReceiveAt >= 0 && count >= cancelReceiveAt && receiveCancel) {
            auto cancel = receiveCancel;
            receiveCancel = nullptr;
            cancel();
        }
    }
    void ReceiveProgressEnd() override { ++receiveEnds; }

    bool Showed(const std::string& part) const;
    int CountShown(const std::string& part) const;
};

// The simulator with a byte log.
class Phone {
public:
    explicit Phone(std::vector<std::string> args, const std::string& name);
    const std::string& Device() const { return m_sim->Device(); }
    simtest::SimProcess& Sim() { return *m_sim; }
    // Every byte the program wrote, in order, from the log.
    std::string ProgramBytes() const;
    // Every byte the telephone wrote.
    std::string PhoneBytes() const;
    const std::string& Dir() const { return m_dir; }

private:
    std::string Bytes(char direction) const;
    std::string m_dir;
    std::string m_log;
    std::unique_ptr<simtest::SimProcess> m_sim;
};

// A port object opened on a device, as the program sets it up at start-up.
std::unique_ptr<CComPortEx> OpenPort(const std::string& device, IUserInterface& ui, bool highSpeed = true);

std::string Hex(const std::string& bytes);
// Windows-1252 text from a UTF-8 literal, as the program holds it.
std::string A(const std::string& utf8);
std::string B(std::initializer_list<int> values);

}  // namespace velkaro::devtest
