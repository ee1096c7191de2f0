#include "SettingValues.h"

#include <cstdint>
#include <limits>

namespace velkaro {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

std::optional<int> ParseSettingInt(const std::string& text)
{
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    bool negative = false;
    if (begin < end && (text[begin] == '+' || text[begin] == '-')) {
        negative = text[begin] == '-';
        ++begin;
    }
    if (begin == end)
        return std::nullopt;
    constexpr int64_t kHighest = std::numeric_limits<uint32_t>::max();
    constexpr int64_t kLowest = -static_cast<int64_t>(std::numeric_limits<int32_t>::min());
    int64_t magnitude = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
        // Stop before the accumulator itself could overflow.
        if (magnitude > kHighest)
            return std::nullopt;
    }
    if (negative) {
        if (magnitude > kLowest)
            return std::nullopt;
        return static_cast<int>(-magnitude);
    }
    return static_cast<int>(static_cast<int32_t>(static_cast<uint32_t>(magnitude)));
}

int CentredOver(int stored, int outer, int inner)
{
    const int64_t place = static_cast<int64_t>(stored) + (static_cast<int64_t>(outer) - inner) / 2;
    if (place > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (place < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(place);
}

}  // namespace velkaro
