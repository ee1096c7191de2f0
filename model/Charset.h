#pragma once

// The telephone's character set. Text is held as Windows-1252 bytes; the
// telephone files cards in its own collating order and shows its accented
// letters at code page 437 positions.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace velkaro {

// Collating value of a Windows-1252 byte; 255 = the telephone lacks it.
// Upper and lower case share a value, so names compare case-folded.
uint8_t CharOrder(unsigned char c);
// All 256 values at once, for loops over many names.
const std::array<uint8_t, 256>& CharOrderTable();
constexpr uint8_t kNotOnTelephone = 255;

// The letter test for the first character of a name.
bool IsNameLetter(unsigned char c);

// Windows-1252 alphabetic test (stands in for the platform's test).
bool IsAnsiAlpha(unsigned char c);

// Windows-1252 upper-casing, used by the text searches.
unsigned char AnsiToUpper(unsigned char c);
std::string AnsiToUpper(std::string_view s);

unsigned char AnsiToDevice(unsigned char c);
unsigned char DeviceToAnsi(unsigned char c);

// A character the telephone has, or its nearest replacement.
unsigned char MapToDeviceCharset(unsigned char c);

// Code page 850 (DOS) to Windows-1252, for DOS-coded import files.
unsigned char OemToAnsi(unsigned char c);
std::string OemToAnsi(const std::string& s);

// Windows-1252 <-> UTF-8 conversions are in text/Cp1252.h.

}  // namespace velkaro
