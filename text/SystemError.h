#pragma once

// The system's text for an errno value, as the programs show it.

#include "text/Outcome.h"

#include <string>

namespace velkaro {

// The text of `error` (strerror, in the language of the locale the program
// set, as Windows-1252), cut to the 255 characters a message box
// shows.
std::string SystemErrorText(int error);
// A refusal of the system, told in its words.
Outcome SystemFailure(int error);

}  // namespace velkaro
