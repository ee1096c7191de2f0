#pragma once

// The system's text for an errno value, as the programs show it.

#include <string>

namespace velkaro {

// The text of `error` (strerror), cut to the 255 characters a message box
// shows.
std::string SystemErrorText(int error);

}  // namespace velkaro
