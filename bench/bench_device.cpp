// The receive parser over a transfer of cards as the telephone sends them,
// in the pieces a serial port delivers.

#include "BenchSupport.h"

#include "device/ReceiveParser.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

namespace velkaro::bench {
namespace {

constexpr int kTransferCards = 1000;
// What one read of the port typically returns at 19200 baud.
constexpr std::size_t kChunkBytes = 100;

// A line that is always there and does nothing: the parser's own work is
// measured, not the port's.
class QuietLine : public IReceiveLine {
public:
    int TransferMode() const override { return m_mode; }
    void SetTransferMode(int mode) override { m_mode = mode; }
    bool SendHold() override { return true; }
    bool SendGo() override { return true; }
    bool SetBaudRate(int /*baud*/) override { return true; }
    bool HighSpeedAllowed() const override { return true; }
    bool IsReceptionBlocked() const override { return false; }
    void ResetHardwareErrors() override {}

private:
    int m_mode = kModeIdle;
};

// The telephone's transfer: the start command, each card's record (its
// lines, the mark, ESC) and the end command. Arg 1 sends cards with every
// line in use.
std::string CardTransfer(bool full)
{
    std::string bytes { static_cast<char>(wire::Command), static_cast<char>(wire::IncomingCards) };
    std::vector<std::string> names = PeopleNames(kTransferCards);
    for (int i = 0; i < kTransferCards; ++i) {
        const std::string& name = names[static_cast<std::size_t>(i)];
        (full ? FullCard(name, i) : TypicalCard(name, i))->EncodeForDevice(bytes);
    }
    bytes += static_cast<char>(wire::Command);
    bytes += static_cast<char>(wire::End);
    return bytes;
}

void BM_ReceiveCards(benchmark::State& state)
{
    const std::string stream = CardTransfer(state.range(0) != 0);
    const auto* bytes = reinterpret_cast<const uint8_t*>(stream.data());
    for (auto _ : state) {
        {
            CReceiveParser parser;
            QuietLine line;
            for (std::size_t at = 0; at < stream.size(); at += kChunkBytes)
                parser.Parse(bytes + at, std::min(kChunkBytes, stream.size() - at), line);
            if (parser.ReceivedCardCount() != kTransferCards || line.TransferMode() != kModeIdle) {
                state.SkipWithError("the transfer did not arrive whole");
                break;
            }
            // Freeing the received cards is not part of the reception.
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stream.size()));
    state.SetItemsProcessed(state.iterations() * kTransferCards);
}
BENCHMARK(BM_ReceiveCards)->ArgName("full")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velkaro::bench
