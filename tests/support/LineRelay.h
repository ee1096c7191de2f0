#pragma once

// A serial line at its real pace between the program and the simulated
// telephone. The program opens Device(), a pseudo-terminal of the relay's;
// the relay holds the simulator's device as the far end and moves the bytes
// both ways at the speed the program set on its end (read from that end's
// terminal settings, mirrored to the far end, so that the simulator sees the
// program's speed as before), ten bits a byte, through a 16-byte transmit
// FIFO as a UART has one.
//
// What it emulates and what it cannot:
// - The pseudo-terminal's buffer stands in for the driver's output queue:
//   the relay takes bytes from it only when its FIFO is empty. A pty takes
//   about 20 KB before a write would block, a UART's driver 4 KB.
// - TIOCOUTQ on a pseudo-terminal reads 0 on Linux, whatever is buffered. In
//   the process that holds the relay (the benchmark, the tests) ioctl is
//   interposed: TIOCOUTQ on the program's end answers what the relay has not
//   put on the wire yet (what the program wrote, counted by an interposed
//   write, less what the relay took, and the FIFO). Another process (the
//   velkaro command) sees 0.
// - No modem lines, no break, no line errors; XON/XOFF works as on any
//   pseudo-terminal (the program's end stops its output on the telephone's
//   XOFF), and the program's purges reach the far end.
// - An idle gap is time the line stood still while the relay had looked
//   and found nothing to send. A late wake-up of the relay itself does not
//   count against the sender: bytes it finds waiting are timed back to back.

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace velkaro::test {

class LineRelay {
public:
    // One way of the line, since the last TakeStats.
    struct Way {
        long bytes = 0;
        double lineMs = 0;      // the bytes' own time at the speeds they went
        double firstMs = -1;    // first byte on the wire, from TakeStats
        double lastMs = -1;     // end of the last byte
        int gaps = 0;           // idle stretches longer than two byte times
        double idleMs = 0;      // their length
        double longestGapMs = 0;
    };
    struct Stats {
        Way toPhone, toProgram;
        double relayCpuMs = 0;  // the relay thread's own processor time
    };

    explicit LineRelay(const std::string& farDevice);
    ~LineRelay();
    LineRelay(const LineRelay&) = delete;
    LineRelay& operator=(const LineRelay&) = delete;

    bool Ok() const { return m_error.empty(); }
    const std::string& Error() const { return m_error; }
    const std::string& Device() const { return m_device; }
    int Baud() const { return m_baud.load(); }
    // What the program's end holds that has not gone out on the wire.
    int OutputQueue() const;
    // The counts since the last call; counting starts afresh.
    Stats TakeStats();
    // Bytes the program wrote to its end (the interposed write tells).
    void CountProgramWrite(long bytes) { m_written.fetch_add(bytes); }

private:
    struct Lane;
    void Run();
    void FollowSpeed();
    bool Step(Lane& lane, double now);
    double NowMs() const;

    std::string m_error;
    std::string m_device;
    int m_master = -1;   // the program's pseudo-terminal, relay side (packet mode)
    int m_slave = -1;    // its program side, held open for its settings
    int m_far = -1;      // the simulator's device
    int m_wake[2] = { -1, -1 };
    std::atomic<int> m_baud { 1200 };
    std::atomic<int> m_fifo { 0 };
    std::atomic<long> m_written { 0 };  // by the program to its end
    std::atomic<long> m_taken { 0 };    // from the pty by the relay
    std::atomic<bool> m_stop { false };
    unsigned long m_speedCode = 0;
    double m_epoch = 0;
    mutable std::mutex m_mutex;
    Stats m_stats;
    double m_statsStart = 0;
    double m_cpuTaken = 0;
    Lane* m_lanes[2] = { nullptr, nullptr };
    std::thread m_thread;
};

}  // namespace velkaro::test
