#pragma once

// What the status bar's port pane shows of the port.

#include <string>

namespace velkaro {

// Whether a port is open, its number and the transfer mode (0 ready,
// 1 sending, 2 receiving cards, 3 receiving the call list, 4 transfers
// locked on the telephone).
struct PortState {
    bool open = false;
    int number = 0;
    int transferMode = 0;
};

// The port pane's text: "COM %i Bereit", "COM %i Senden", "COM %i Empfangen";
// empty while no port is open and while transfers are locked.
std::string PortPaneText(const PortState& state);

}  // namespace velkaro
