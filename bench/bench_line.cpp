// A bulk send and a reception of cards through a line at its real pace: the
// simulated telephone behind the tests' line relay (tests/support/LineRelay),
// at 9600 and 19200 baud. Reports the line's own time, how long the line was
// busy from the first byte to the last, the flow's wall time, the program's
// processor time (the relay's own thread not counted) and the line's idle
// gaps while it had nothing to send.

#include "BenchSupport.h"

#include "../tests/sim/SimHarness.h"
#include "support/LineRelay.h"

#include "device/ReceiveHandler.h"
#include "device/SendFlows.h"
#include "model/Archive.h"
#include "model/Document.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace velkaro::bench {
namespace {

// The port's event loop needs an application object; the benchmark's main
// makes none.
void EnsureApp()
{
    static int argc = 1;
    static char name[] = "velkaro_bench_line";
    static char* argv[] = { name, nullptr };
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

double ProcessCpuMs()
{
    rusage use {};
    ::getrusage(RUSAGE_SELF, &use);
    auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_usec) / 1000.0; };
    return ms(use.ru_utime) + ms(use.ru_stime);
}

// The simulated telephone behind a relay, and the program's port on it.
struct PacedLine {
    std::unique_ptr<simtest::SimProcess> phone;
    std::unique_ptr<test::LineRelay> relay;
    std::unique_ptr<CComPortEx> port;

    PacedLine(std::vector<std::string> simArgs, bool highSpeed, IUserInterface& ui)
    {
        EnsureApp();
        phone = std::make_unique<simtest::SimProcess>(std::move(simArgs), false);
        relay = std::make_unique<test::LineRelay>(phone->Device());
        if (!relay->Ok())
            return;
        port = std::make_unique<CComPortEx>();
        port->SetUserInterface(&ui);
        port->Settings().handshake = kHandshakeXonXoff;
        port->SetHighSpeedAllowed(highSpeed);
        port->SetPortNumber(7);
        port->SetDeviceOverride(relay->Device());
        if (!port->Open())
            port.reset();
    }
};

struct Measure {
    QElapsedTimer wall;
    double cpuStart = 0;
    void Start(test::LineRelay& relay)
    {
        relay.TakeStats();
        cpuStart = ProcessCpuMs();
        wall.start();
    }
    // Sets the counters from the way the cards went.
    void Report(benchmark::State& state, test::LineRelay& relay, bool toPhone)
    {
        const double wallMs = static_cast<double>(wall.nsecsElapsed()) / 1e6;
        const double cpuMs = ProcessCpuMs() - cpuStart;
        const test::LineRelay::Stats stats = relay.TakeStats();
        const test::LineRelay::Way& way = toPhone ? stats.toPhone : stats.toProgram;
        const double spanMs = way.lastMs - way.firstMs;
        state.counters["bytes"] = static_cast<double>(way.bytes);
        state.counters["line_s"] = way.lineMs / 1000;
        state.counters["busy_s"] = spanMs / 1000;
        state.counters["over_pct"] = way.lineMs > 0 ? 100 * (spanMs - way.lineMs) / way.lineMs : 0;
        state.counters["wall_s"] = wallMs / 1000;
        state.counters["cpu_s"] = (cpuMs - stats.relayCpuMs) / 1000;
        state.counters["gaps"] = way.gaps;
        state.counters["idle_s"] = way.idleMs / 1000;
        state.counters["gap_max_ms"] = way.longestGapMs;
    }
};

// Arg 0: the speed (9600: the program stays at normal speed, 19200: the
// telephone takes the offer); arg 1: the number of cards.
void BM_PacedSend(benchmark::State& state)
{
    const bool high = state.range(0) == 19200;
    SilentUi ui;
    PacedLine line({}, high, ui);
    if (!line.port) {
        state.SkipWithError("no line to the simulated telephone");
        return;
    }
    CPcxDoc doc;
    doc.Cards() = TypicalCollection(static_cast<int>(state.range(1)));
    for (auto _ : state) {
        Measure measure;
        measure.Start(*line.relay);
        SendOutcome out = SendCards(doc, *line.port, ui, false, nullptr);
        if (out.endCode != SendEnd::Done || out.sentCount != out.cardCount) {
            state.SkipWithError("the send did not complete");
            break;
        }
        measure.Report(state, *line.relay, true);
    }
}
BENCHMARK(BM_PacedSend)->ArgNames({ "baud", "cards" })->Args({ 9600, 2000 })->Args({ 19200, 2000 })
    ->Args({ 19200, 50 })->Iterations(1)->Unit(benchmark::kSecond);

void BM_PacedReceive(benchmark::State& state)
{
    const bool high = state.range(0) == 19200;
    ScratchDir dir;
    const std::string book = dir.File("book.vlx");
    CCardList cards = TypicalCollection(static_cast<int>(state.range(1)));
    if (!SaveCardFile(book, cards)) {
        state.SkipWithError("cannot write the telephone's book");
        return;
    }
    // At normal speed the program sends no hold: the telephone sends at once.
    std::vector<std::string> args { "--cards", book };
    if (high)
        args.push_back("--switch-speed");
    else
        args.insert(args.end(), { "--hold-wait", "0" });
    SilentUi ui;
    PacedLine line(args, high, ui);
    if (!line.port) {
        state.SkipWithError("no line to the simulated telephone");
        return;
    }
    CPcxDoc doc;
    CReceiveHandler handler(*line.port, ui, &doc);
    for (auto _ : state) {
        bool finished = false;
        QEventLoop loop;
        QObject::connect(&handler, &CReceiveHandler::ReceptionFinished, &loop, [&] {
            finished = true;
            loop.quit();
        });
        Measure measure;
        measure.Start(*line.relay);
        line.phone->Command("send");
        QTimer::singleShot(600000, &loop, &QEventLoop::quit);
        loop.exec();
        if (!finished || doc.Cards().Count() != state.range(1)) {
            state.SkipWithError("the reception did not complete");
            break;
        }
        measure.Report(state, *line.relay, false);
    }
}
BENCHMARK(BM_PacedReceive)->ArgNames({ "baud", "cards" })->Args({ 9600, 2000 })->Args({ 19200, 2000 })
    ->Args({ 9600, 50 })->Args({ 19200, 50 })->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace velkaro::bench
