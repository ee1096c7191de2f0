// velkaro-phone-sim: a Velkaro R4 telephone on a pseudo-terminal.

#include "PhoneSim.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

const char kHelp[] = R"(usage: velkaro-phone-sim [OPTIONS]

A Velkaro R4 table telephone on a pseudo-terminal. The first line on standard
output is the device of its line (e.g. /dev/pts/3): point the program's port at
it (setting "COM<n>" in the section "Ports", or --port DEVICE). The simulator
keeps the line raw and holds it open itself, so the program may close and
reopen it at another speed.

The telephone
  answers the speed offer 00 0A with 12 (then counts as at 19200 baud until
  the end sequence 00 01); stores the cards of a card transfer (00 02 ... 00 01)
  in its address book, a card with the name of a stored one replacing it;
  logs dial requests (00 04, one card, 00 01); answers the call-list request
  00 08 with its call list (00 07, records, 00 01). When it sends (its cards:
  00 09, records, 00 01; or the call list) it waits after the start sequence
  for the program's hold (13), then for its go (11); a hold (13) during the
  records pauses it until go (11).

Options
  --link PATH          also make PATH a symbolic link to the line's device
                       (an existing symbolic link there is replaced)
  --cards FILE         the address book: a backup file (.vlx) read at start
                       (a missing file is an empty book) and written after
                       every card transfer received
  --sample-cards       start with a few sample cards when the book is empty
  --calllist FILE      the call list: one record a line, fields separated by
                       ";" (date;time;units;duration;direction;answered;
                       forwarded;rings;internal;number;name;line), UTF-8 or
                       Windows-1252; lines starting with # are skipped.
                       Default: a built-in list of a dozen calls, newest first
  --send-on-start      send the cards once the program has set up the line
                       (it set the speed or purged the line; then 300 ms for
                       it to start reading)
  --switch-speed       when sending, answer the program's hold with 12 (switch
                       to 19200 baud) and wait for its go
  --no-high-speed      do not answer the speed offer
  --locked             transfers are locked: answer a call-list request, a
                       dial request, the start of the program's cards and
                       "send" with 00 0B; cards sent are read but not stored
  --silence-after N    stop sending after N bytes of a transfer (the start
                       sequence and a speed request count); the telephone
                       stays silent for the rest of that transfer
  --hangup-after N     close the line after N bytes of a transfer in either
                       direction: N bytes sent of its own transfer, or N bytes
                       read of the program's card transfer or dial request
                       (from its start sequence on)
  --noise              random control bytes (never 00, 11, 12, 13, 1B, and for
                       call lists never CR or text) between the records
  --seed N             seed for the noise (default 1)
  --chunk N            write what it sends N bytes at a time (default: the
                       start sequence, each record, the end sequence)
  --delay MS           pause between two writes of a transfer (default 0)
  --hold-wait MS       how long to wait for the program's hold after a start
                       sequence before sending anyway (default 1000); 0: no
                       wait, the records follow the start in the same write
  --go-wait MS         how long to wait for go after a hold (default 5000)
  --log FILE           every byte in both directions, one line per read or
                       write: "< 00 0A" program to telephone, "> 12" telephone
                       to program (uppercase hex, one blank between bytes);
                       lines starting with "# " say what the telephone did
  --capture FILE       the raw bytes the program sent, exactly as read
  --capture-sent FILE  the raw bytes the telephone sent, exactly as written
  --quit-on-eof        exit at the end of standard input (else it keeps running)
  --quiet              no notes on standard error
  --help               this text
  --version            the version of Velkaro Desktop it belongs to

Commands on standard input, one a line; every answer ends with a line "ok" or
"error: TEXT". Before answering, the simulator reads what the program has
written so far (until the line is quiet for 30 ms).
  send       send the address book as a card transfer now
  calllist   send the call list now, as if the program had asked for it
  lock       lock transfers, as --locked does; unlock: allow them again
  cards      the address book, one JSON object a card:
             {"edited":E,"marked":M,"lines":[...]} (UTF-8)
  received   the cards of the last card transfer, in the same form
  dials      the cards of the dial requests, in the same form
  status     one JSON object: device, open, speed (as the protocol has it),
             lineBaud (as the program set the line), lineSetUp (the
             program holds the line with its settings), sending, receiving,
             cards, received, cardTransfers, dials, callListRequests,
             speedOffers, sentTransfers, purges, lineChanges, speedMismatches
             (a transfer begun with the line at the wrong speed), warnings,
             bytesIn, bytesOut
  sync       nothing; answers once the line is quiet
  xoff       write XOFF (13): the program's output stops until XON
  xon        write XON (11): the program's output goes on
  flood N    line noise: 00 09 (a card transfer begins), XOFF (13), then N
             random bytes, never 11, as fast as the line takes them; the
             program's output stays held until xon
  endless cards|noise|calllist|off
             a transfer without end, as fast as the line takes it, until
             "endless off" or hangup: 00 09 and short cards, or 00 09 and
             random bytes (never 00, 11, 12, 13), at once; calllist answers
             the program's next call-list request with 00 07 and short call
             records
  hangup     close the line (the program sees the cable pulled)
  quit       exit

Notes on what happens go to standard error. SIGTERM, SIGINT and SIGHUP end the
simulator cleanly: the address book is written and the link removed. Exit
status 0, or 1 when the line or a file cannot be opened, 2 for bad options.
)";

int g_stopPipe[2] = {-1, -1};

void OnSignal(int)
{
    char c = 1;
    ssize_t ignored = ::write(g_stopPipe[1], &c, 1);
    (void)ignored;
}

bool ParseNumber(const std::string& text, long& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text.c_str(), &end, 10);
    if (errno || *end || v < 0)
        return false;
    value = v;
    return true;
}

int Usage(const std::string& problem)
{
    std::fprintf(stderr, "velkaro-phone-sim: %s\nTry 'velkaro-phone-sim --help'.\n", problem.c_str());
    return 2;
}

using velkaro::sim::SimOptions;

template <typename T>
struct OptionOf {
    const char* name;
    T SimOptions::*field;
};

const OptionOf<std::string> kPathOptions[] = {
    { "--link", &SimOptions::link },
    { "--cards", &SimOptions::cardsFile },
    { "--calllist", &SimOptions::callListFile },
    { "--log", &SimOptions::logFile },
    { "--capture", &SimOptions::captureFile },
    { "--capture-sent", &SimOptions::captureSentFile },
};

const OptionOf<long> kNumberOptions[] = {
    { "--silence-after", &SimOptions::silenceAfter },
    { "--hangup-after", &SimOptions::hangupAfter },
    { "--chunk", &SimOptions::chunk },
    { "--delay", &SimOptions::delayMs },
    { "--hold-wait", &SimOptions::holdWaitMs },
    { "--go-wait", &SimOptions::goWaitMs },
};

// Options without a value.
const OptionOf<bool> kSwitches[] = {
    { "--send-on-start", &SimOptions::sendOnStart },
    { "--switch-speed", &SimOptions::switchSpeed },
    { "--no-high-speed", &SimOptions::noHighSpeed },
    { "--locked", &SimOptions::locked },
    { "--noise", &SimOptions::noise },
    { "--sample-cards", &SimOptions::sampleCards },
    { "--quit-on-eof", &SimOptions::quitOnEof },
    { "--quiet", &SimOptions::quiet },
};

template <typename T, std::size_t N>
T SimOptions::*FieldOf(const OptionOf<T> (&options)[N], const std::string& name)
{
    for (const OptionOf<T>& option : options)
        if (name == option.name)
            return option.field;
    return nullptr;
}

// Reads the options into o; an exit status when the simulator ends here
// (its help, or a bad option).
std::optional<int> ParseOptions(int argc, char** argv, SimOptions& o)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::optional<std::string> joined;  // "--option=value"
        if (arg.rfind("--", 0) == 0) {
            std::size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                joined = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
            }
        }
        const auto value = [&]() -> std::optional<std::string> {
            if (joined)
                return joined;
            if (i + 1 >= argc)
                return std::nullopt;
            return std::string(argv[++i]);
        };
        const auto number = [&]() -> std::optional<long> {
            const std::optional<std::string> text = value();
            long n = 0;
            if (!text || !ParseNumber(*text, n))
                return std::nullopt;
            return n;
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (arg == "--version") {
            std::fputs("Velkaro Desktop " VELKARO_VERSION "\n", stdout);
            return 0;
        } else if (const auto path = FieldOf(kPathOptions, arg)) {
            const std::optional<std::string> text = value();
            if (!text)
                return Usage("option " + arg + " needs a path");
            o.*path = *text;
        } else if (const auto field = FieldOf(kNumberOptions, arg); field || arg == "--seed") {
            const std::optional<long> n = number();
            if (!n)
                return Usage("option " + arg + " needs a number");
            if (field)
                o.*field = *n;
            else
                o.seed = static_cast<unsigned>(*n);
        } else if (const auto on = FieldOf(kSwitches, arg); on && !joined) {
            o.*on = true;
        } else {
            return Usage("unknown option " + std::string(argv[i]));
        }
    }
    return std::nullopt;
}

// SIGTERM, SIGINT and SIGHUP write to the stop pipe; the simulator's loop
// ends when it can read from it.
bool CatchStopSignals()
{
    if (::pipe(g_stopPipe) != 0) {
        std::perror("velkaro-phone-sim: pipe");
        return false;
    }
    ::fcntl(g_stopPipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    SimOptions o;
    if (const std::optional<int> status = ParseOptions(argc, argv, o))
        return *status;
    if (!CatchStopSignals())
        return 1;

    velkaro::sim::CPhoneSim sim(o);
    std::string error;
    if (!sim.Open(error)) {
        std::fprintf(stderr, "velkaro-phone-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", sim.DevicePath().c_str());
    std::fflush(stdout);
    return sim.Run(g_stopPipe[0]);
}
