#pragma once

// The twenty colours of the telephone picture. They are read from the
// settings section "Colors" at start-up and written back at exit, one string
// value "r,g,b" per colour, so a user can change them by editing the stored
// values.

#include <cstdint>
#include <string>

namespace velkaro {

// The number of colours; the roles (kColorBackground ..) are named in
// view/ViewShared.h, whose indices are the indices of this table.
constexpr int kColorEntries = 20;

// 24-bit colour, red in the low byte, green in the middle, blue in the high.
using ColorRef = uint32_t;
constexpr ColorRef MakeRgb(int r, int g, int b)
{
    return static_cast<ColorRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(ColorRef c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(ColorRef c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(ColorRef c) { return static_cast<int>((c >> 16) & 0xFF); }

// The value name in "Colors" and the default of a role.
const char* ColorValueName(int index);
ColorRef DefaultColor(int index);

// A stored value to a colour: any run of non-digits separates the numbers,
// each number wraps at 256 (300 becomes 44), text after the third number is
// ignored; an empty value or one with fewer than three numbers gives the
// default.
ColorRef ParseColor(const std::string& value, ColorRef defaultColor);
// The stored form, "%i,%i,%i".
std::string FormatColor(ColorRef color);

// The program-wide table.
ColorRef GetColor(int index);
void SetColor(int index, ColorRef color);
void ResetColors();

// Reading and writing section "Colors" of the settings store.
void LoadColors();
void SaveColors();

}  // namespace velkaro
