#pragma once

// The states and results of a transfer over the line, as the port, the
// receive parser and the flows hand them to each other.

#include <cstdint>

namespace velkaro {

// The transfer mode of the port: what the line is doing.
enum class Transfer : int {
    Idle = 0,
    Sending = 1,
    ReceivingCards = 2,
    ReceivingCallList = 3,
    Locked = 4,  // the telephone refused transfers
};

// What the last transfer brought.
enum class Received : uint8_t {
    Nothing = 0,
    Cards = 1,
    CallList = 2,
};

// What one parse did about the speed.
enum class SpeedOffer : int {
    None = 0,
    HoldSent = 1,  // a transfer began: hold was sent, go follows after 300 ms
    Switched = 2,  // the telephone switched to high speed: go was sent
};

}  // namespace velkaro
