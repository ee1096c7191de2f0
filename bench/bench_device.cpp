// The receive parser over a transfer of cards as the telephone sends them,
// in the pieces a serial port delivers; the names the cards give to a call
// list.

#include "BenchSupport.h"

#include "device/CallListNames.h"
#include "device/PhoneNumbers.h"
#include "device/ReceiveParser.h"
#include "model/CardList.h"

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
    Transfer TransferMode() const override { return m_mode; }
    void SetTransferMode(Transfer mode) override { m_mode = mode; }
    bool SendHold() override { return true; }
    bool SendGo() override { return true; }
    bool SetBaudRate(int /*baud*/) override { return true; }
    bool HighSpeedAllowed() const override { return true; }
    bool IsReceptionBlocked() const override { return false; }
    void ResetHardwareErrors() override {}

private:
    Transfer m_mode = Transfer::Idle;
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
            if (parser.ReceivedCardCount() != kTransferCards || line.TransferMode() != Transfer::Idle) {
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

// A call list of 200 calls, half without a name, looked up in collections
// of growing size: what opening the call-list preview waits for. The cards
// hold their numbers nationally, the telephone lists them internationally;
// every tenth nameless call is on a card.
void BM_CallListNames(benchmark::State& state)
{
    const int cardCount = static_cast<int>(state.range(0));
    const std::vector<std::string> names = PeopleNames(cardCount);
    auto number = [](int i) { return std::to_string(1000000 + (i * 7919) % 9000000); };
    CCardList cards;
    std::vector<std::unique_ptr<CKarte>> made;
    for (int i = 0; i < cardCount; ++i) {
        auto card = std::make_unique<CKarte>();
        card->SetLine(0, names[static_cast<std::size_t>(i)]);
        card->SetLine(1, "044 " + number(i));
        made.push_back(std::move(card));
    }
    cards.InsertAllSorted(std::move(made), false);
    CCallList calls;
    for (int i = 0; i < 200; ++i) {
        auto record = std::make_unique<CAnrufObj>();
        for (int f = 0; f < callfield::Number; ++f)
            record->AddField("1");
        const bool known = i % 20 == 0;
        record->AddField("004144" + number(known ? (i * 37) % cardCount : cardCount + i));
        record->AddField(i % 2 ? "Telefonbuch" : "");
        calls.AddHead(std::move(record));
    }
    const CPhoneNumbers numbers("CH");
    for (auto _ : state) {
        if (TakeCardNames(calls, cards, numbers) != 10) {
            state.SkipWithError("the calls on cards were not all named");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * cardCount);
}
BENCHMARK(BM_CallListNames)->ArgName("cards")->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velkaro::bench
