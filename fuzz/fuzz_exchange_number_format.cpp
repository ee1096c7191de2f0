// The number formats of spreadsheets over any format text: each value a
// telephone list holds (integers of up to 15 digits, negatives, fractions,
// zero, the extremes) shown through it.
#include "exchange/NumberFormat.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view format(reinterpret_cast<const char*>(data), size);
    velkaro::CNumberFormats formats({ ',', '.', '.' }, 0);
    formats.Set(1, format);
    for (double x : { 0.0, -0.0, 5.0, -5.5, 0.125, 301234567.0, 4917612345678.0, 1e15, 1e300, -1e-300,
                      std::numeric_limits<double>::max(), std::numeric_limits<double>::infinity(),
                      std::numeric_limits<double>::quiet_NaN(), 36526.75 })
        formats.Text(1, x);
    return 0;
}
