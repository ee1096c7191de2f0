#pragma once

// What the status bar's port pane shows of the port.

#include "device/TransferKinds.h"

#include <string>

namespace velkaro {

// Whether a port is open, its number and what the line is doing.
struct PortState {
    bool open = false;
    int number = 0;
    Transfer transferMode = Transfer::Idle;
};

// The port pane's text: "COM %i Bereit", "COM %i Senden", "COM %i Empfangen";
// empty while no port is open and while transfers are locked.
std::string PortPaneText(const PortState& state);

}  // namespace velkaro
