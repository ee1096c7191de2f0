// The values of a hand-edited settings file: integers (language, port
// number, window positions, switches) and colours. Any text must parse
// without undefined behaviour; what parses must survive the program's own
// writing and a second read unchanged; a position read from the file may be
// anything and still place the splash window.

#include "settings/Colors.h"
#include "settings/SettingValues.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace velkaro;
    const std::string text(reinterpret_cast<const char*>(data), size);

    if (std::optional<int> value = ParseSettingInt(text)) {
        // The store writes integers in decimal.
        if (ParseSettingInt(std::to_string(*value)) != value)
            std::abort();
        // Window positions as they are used: centred over with any size.
        const int outer = static_cast<int>(size) * 37 - 600;
        (void)CentredOver(*value, outer, -(*value / 2));
        (void)CentredOver(*value, INT_MAX, INT_MIN);
        (void)CentredOver(*value, INT_MIN, INT_MAX);
    }

    const ColorRef fallback = MakeRgb(1, 2, 3);
    const ColorRef color = ParseColor(text, fallback);
    if (color > 0xFFFFFF)
        std::abort();
    const std::string stored = FormatColor(color);
    if (stored.size() > 11 || ParseColor(stored, fallback ^ 0xFFFFFF) != color)
        std::abort();
    return 0;
}
