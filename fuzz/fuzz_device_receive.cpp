// The receive parser over arbitrary bytes from the line, fed in chunks of at
// most 100 bytes as the port delivers them. The first byte picks the
// options: high speed allowed, reception blocked, a date threshold.

#include "device/ReceiveParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

class FuzzLine : public velkaro::IReceiveLine {
public:
    velkaro::Transfer mode = velkaro::Transfer::Idle;
    bool highSpeed = true;
    bool blocked = false;

    velkaro::Transfer TransferMode() const override { return mode; }
    void SetTransferMode(velkaro::Transfer m) override { mode = m; }
    bool SendHold() override { return true; }
    bool SendGo() override { return true; }
    bool SetBaudRate(int) override { return true; }
    bool HighSpeedAllowed() const override { return highSpeed; }
    bool IsReceptionBlocked() const override { return blocked; }
    void ResetHardwareErrors() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    using namespace velkaro;
    if (size == 0)
        return 0;
    FuzzLine line;
    CReceiveParser parser;
    uint8_t options = data[0];
    line.highSpeed = options & 1;
    line.blocked = options & 2;
    if (options & 4)
        parser.DateThreshold = DateOrdinal("15.03.2004");
    ++data;
    --size;
    std::size_t chunk = 1 + (options >> 3) * 3;  // 1..94
    for (std::size_t i = 0; i < size; i += chunk) {
        std::size_t n = size - i < chunk ? size - i : chunk;
        const SpeedOffer result = parser.Parse(data + i, n, line);
        if (result < SpeedOffer::None || result > SpeedOffer::Switched)
            std::abort();
        if (parser.LineBuffer().size() > 30)
            std::abort();
        if (const CCardList* cards = parser.ReceivedCards()) {
            // Received cards are sorted, name-unique and start with a letter.
            for (int c = 0; c < cards->Count(); ++c) {
                if (cards->At(c)->GetLine(0).empty())
                    std::abort();
                if (c > 0 && cards->At(c - 1)->CompareName(cards->At(c)->GetLine(0)).order >= 0)
                    std::abort();
            }
        }
        // Now and then the result display takes the cards away.
        if ((options & 0x80) && parser.ReceivedCards() && line.mode == Transfer::Idle)
            parser.ReleaseReceived();
    }
    return 0;
}
