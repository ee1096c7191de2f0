#pragma once

// Runs velkaro-phone-sim as a child process and plays the program's part on
// its line: the test opens the pseudo-terminal's device like a serial port.

#include <chrono>
#include <string>
#include <vector>

namespace velkaro::simtest {

std::string SimBinary();
// A fresh folder under the test home for one test's files.
std::string TempDir(const std::string& name);
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);

class SimProcess {
public:
    // Starts the simulator with the arguments, reads its device line and
    // opens the device raw at 9600 baud, purged, as the program does.
    explicit SimProcess(std::vector<std::string> args, bool openLine = true);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& Device() const { return m_device; }
    bool OpenLine(int baud = 9600);
    void SetBaud(int baud);
    void CloseLine();

    void Write(const std::string& bytes);
    // Reads until `count` bytes arrived or `timeoutMs` passed.
    std::string Read(std::size_t count, int timeoutMs = 3000);
    // Reads until the data ends with `suffix` or `timeoutMs` passed.
    std::string ReadUntil(const std::string& suffix, int timeoutMs = 5000);
    // Whatever arrives within `ms` (a short look for bytes that should not come).
    std::string ReadFor(int ms);
    // True when the line reports a hang-up (read fails or ends) within the time.
    bool SeesHangup(int timeoutMs = 3000);

    // A command on the simulator's standard input; the answer lines without
    // the final "ok" (an "error: ..." line is kept).
    std::vector<std::string> Command(const std::string& command, int timeoutMs = 5000);
    // The value of a number field of "status".
    long Status(const std::string& key);
    // Ends the simulator with SIGTERM and returns its exit status.
    int Terminate();
    // The simulator's process (for pausing it with SIGSTOP).
    int Pid() const { return m_pid; }

private:
    bool ReadStdoutLine(std::string& line, int timeoutMs);

    int m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
    int m_line = -1;
    std::string m_device;
    std::string m_stdoutBuffer;
};

}  // namespace velkaro::simtest
