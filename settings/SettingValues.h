#pragma once

// The text of a stored setting to its value, apart from the store, so that
// hand-edited settings files can be fuzzed and tested without Qt. Standard
// library only.

#include <optional>
#include <string>

namespace velkaro {

// An integer value (language, port number, window position, the switches):
// optional blanks around an optional sign and decimal digits. A 32-bit value
// in signed or unsigned notation; the unsigned ones above 2^31 - 1 wrap to
// negative, as a DWORD read into an int. Anything else (no digits, other
// characters, wider than 32 bits): nullopt, the caller's default.
std::optional<int> ParseSettingInt(const std::string& text);

// A window's coordinate centred over another one's stored coordinate:
// stored + (outer - inner) / 2, held within the range of int, whatever a
// hand-edited position holds.
int CentredOver(int stored, int outer, int inner);

}  // namespace velkaro
