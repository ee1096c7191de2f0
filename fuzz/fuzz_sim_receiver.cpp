// The telephone's line parser over arbitrary bytes from the program: every
// card it makes keeps the telephone's line limits, and a card sent back and
// read again is read the same way a second time.

#include "sim/PhoneProtocol.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using namespace velkaro;
using namespace velkaro::sim;

void CheckLimits(const CKarte& card)
{
    if (card.LineCount() > kMaxLines)
        std::abort();
    for (int i = 0; i < card.LineCount(); ++i) {
        const std::string_view line = card.GetLine(i);
        if (static_cast<int>(line.size()) > MaxLineLength(i))
            std::abort();
        for (char c : line)
            if (static_cast<unsigned char>(c) < 0x20)
                std::abort();
    }
    if (card.MarkByte() > 0x7F - 'a')
        std::abort();
}

// The card as the program would read it back from a card transfer.
std::unique_ptr<CKarte> Reread(const CKarte& card)
{
    TransferBytes t = EncodeCardTransfer({&card});
    std::string bytes = std::string{'\0', '\x02'} + t.records[0] + t.end;
    CLineReceiver receiver;
    std::vector<LineEvent> events;
    receiver.Feed(bytes, events);
    std::unique_ptr<CKarte> out;
    for (auto& e : events) {
        if (e.kind == LineEventKind::Card) {
            if (out)
                std::abort();  // one record, one card
            out = std::move(e.card);
        }
    }
    if (receiver.InTransfer())
        std::abort();
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CLineReceiver receiver;
    std::vector<LineEvent> events;
    for (size_t i = 0; i < size; ++i)
        receiver.Feed(data[i], events);
    for (const auto& e : events) {
        if (e.kind != LineEventKind::Card && e.kind != LineEventKind::DialCard) {
            if (e.card)
                std::abort();
            continue;
        }
        if (!e.card)
            std::abort();
        CheckLimits(*e.card);
        auto once = Reread(*e.card);
        // A card whose lines are all blank (a capped line may end in blanks,
        // which the telephone trims when it reads the line again) is sent as
        // a bare ESC and read as no card.
        if (!once || (once->LastUsedLine() < 0 && once->MarkByte() == 0))
            continue;
        CheckLimits(*once);
        auto twice = Reread(*once);
        if (!twice || !twice->IsSameAs(once.get()) || twice->MarkByte() != once->MarkByte())
            std::abort();
    }
    return 0;
}
