#pragma once

// velkaro-phone-sim: a Velkaro telephone on a pseudo-terminal. The program
// opens the terminal's device as its serial port; the simulator holds the
// other end, answers the program's requests, stores the cards it is sent and
// sends its own cards and call list.

#include "PhoneProtocol.h"

#include "model/CardList.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace velkaro::sim {

struct SimOptions {
    std::string link;             // --link PATH
    std::string cardsFile;        // --cards FILE
    std::string callListFile;     // --calllist FILE
    std::string logFile;          // --log FILE
    std::string captureFile;      // --capture FILE (program -> telephone, raw)
    std::string captureSentFile;  // --capture-sent FILE (telephone -> program, raw)
    bool noHighSpeed = false;
    bool sendOnStart = false;
    bool switchSpeed = false;
    bool locked = false;
    bool noise = false;
    bool sampleCards = false;
    bool quitOnEof = false;
    bool quiet = false;
    long silenceAfter = -1;  // bytes of a transfer, -1 = never
    long hangupAfter = -1;
    long chunk = 0;          // bytes per write, 0 = one write per record
    long delayMs = 0;        // pause between writes of a transfer
    long holdWaitMs = 1000;  // how long to wait for the program's hold after a start sequence
    long goWaitMs = 5000;    // how long to wait for go after a hold
    unsigned seed = 1;       // noise
};

class CPhoneSim {
public:
    explicit CPhoneSim(SimOptions options);
    ~CPhoneSim();
    CPhoneSim(const CPhoneSim&) = delete;
    CPhoneSim& operator=(const CPhoneSim&) = delete;

    // Opens the pseudo-terminal, links it, reads the cards and call list and
    // opens the log files. On failure: false and the reason in `error`.
    bool Open(std::string& error);
    const std::string& DevicePath() const { return m_devicePath; }

    // Runs until "quit", a byte on stopFd (the signal handler's pipe) or,
    // with quitOnEof, the end of standard input. Returns the exit status.
    int Run(int stopFd);

private:
    using Clock = std::chrono::steady_clock;

    struct Outgoing {
        enum class Phase { Streaming, WaitHold, WaitGo };
        bool cards = true;  // else the call list
        int records = 0;
        std::string bytes;
        std::vector<std::size_t> cuts;  // ends of the pieces, ascending
        std::size_t syncPoint = 0;      // after the start sequence
        std::size_t pos = 0;
        long sent = 0;  // bytes written, the speed request included
        bool syncDone = false;
        bool held = false;
        Phase phase = Phase::Streaming;
        Clock::time_point nextWrite;
        Clock::time_point deadline;
    };

    // The steps of Open.
    bool LoadCards(std::string& error);
    bool LoadCallList(std::string& error);
    bool OpenOutputs(std::string& error);
    bool OpenTerminal(std::string& error);
    void SetUpTerminal();
    bool LinkDevice(std::string& error);

    // The line.
    void ReadLine();
    void DrainLine();
    void ProcessInput(const std::string& data);
    void HandleEvent(LineEvent& event);
    void OnSpeedOffer();
    void OnCardTransferStart();
    void OnDialCard(LineEvent& event);
    void OnCallListRequest();
    void OnHold();
    void OnGo();
    void FlushOut();
    void Hangup(const char* why);
    void HangupWhenDelivered(Clock::time_point now);
    void CheckLineSettings();
    int ProtocolBaud() const { return m_highSpeed ? 19200 : 9600; }
    void CheckSpeed(const char* where);
    void OnProgramSetUpLine();

    // What the telephone sends.
    void Answer(const std::string& bytes);
    void AnswerLocked(const std::string& note);  // the note, and the telephone's refusal
    bool StartTransfer(bool cards, std::string& error);
    enum class Fault { None, Silence, Hangup };
    std::size_t AppendTransferBytes(const std::string& bytes, Fault& fault);
    void ApplyFault(Fault fault, bool done);
    void PumpOutgoing(Clock::time_point now);
    void RunTimers(Clock::time_point now);
    void FinishTransfer();
    std::string Noise(bool cards);
    std::string Flood(long count);
    // "endless": a transfer that never ends.
    enum class Endless { Off, Cards, CallList, Noise };
    void FeedEndless();

    // Cards.
    void StoreCard(std::unique_ptr<CKarte> card);
    void SaveCards();
    std::vector<std::string> BookJson();

    // Standard input.
    void ReadStdin();
    void Command(const std::string& line);
    void CommandTransfer(bool cards);
    void CommandFlood(const std::string& digits);
    void CommandEndless(const std::string& what);
    void Reply(const std::string& line);

    // Diagnostics.
    void Note(const std::string& text);     // log comment and standard error
    void LogComment(const std::string& text);
    void LogBytes(char direction, const std::string& bytes);
    std::string StatusJson();

    SimOptions m_options;
    std::string m_devicePath;
    int m_master = -1;
    int m_slave = -1;
    bool m_packetMode = false;
    bool m_lineDead = false;
    bool m_hangupPending = false;
    bool m_stdinOpen = true;
    bool m_quit = false;
    bool m_linked = false;

    Clock::time_point m_lastWrite;
    std::string m_out;  // written to the line when it takes it
    std::string m_stdinBuffer;
    std::FILE* m_log = nullptr;
    std::FILE* m_capture = nullptr;
    std::FILE* m_captureSent = nullptr;

    CLineReceiver m_receiver;
    std::optional<Outgoing> m_tx;
    bool m_highSpeed = false;
    long m_rxTransferBytes = 0;
    std::optional<Clock::time_point> m_sendAt;  // --send-on-start, once the program has set up the line
    bool m_startSendDone = false;
    std::mt19937 m_random;
    Endless m_endless = Endless::Off;
    bool m_endlessCallList = false;  // the next call-list request is answered without end
    long m_endlessRecords = 0;

    CCardList m_book;
    bool m_bookDirty = false;
    std::vector<CallRecord> m_callList;
    std::vector<std::unique_ptr<CKarte>> m_received;  // cards of the last card transfer
    std::vector<std::unique_ptr<CKarte>> m_dials;

    // Line settings as the program set them.
    bool m_haveSettings = false;
    unsigned long m_settingsKey = 0;
    int m_lineBaud = 0;
    bool m_lineSetUp = false;  // the program holds the line with its settings

    // Counters for "status".
    long m_cardTransfers = 0;
    long m_callListRequests = 0;
    long m_speedOffers = 0;
    long m_sentTransfers = 0;
    long m_purges = 0;
    long m_lineChanges = 0;
    long m_speedMismatches = 0;
    long m_warnings = 0;
    long m_bytesIn = 0;
    long m_bytesOut = 0;
};

}  // namespace velkaro::sim
