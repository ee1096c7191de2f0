#include "Cp1252.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace velkaro {

namespace {

constexpr char32_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t u)
{
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

}  // namespace

char32_t Cp1252ToUnicode(unsigned char c)
{
    if (c >= 0x80 && c < 0xA0)
        return kHigh[c - 0x80];
    return c;
}

int UnicodeToCp1252(char32_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<int>(u);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == u)
            return 0x80 + i;
    return -1;
}

std::string AnsiToUtf8(std::string_view ansi)
{
    std::string out;
    out.reserve(ansi.size());
    for (unsigned char c : ansi)
        AppendUtf8(out, Cp1252ToUnicode(c));
    return out;
}

std::string Utf8ToAnsi(const std::string& utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        char32_t u;
        int extra;
        if (c < 0x80) {
            u = c;
            extra = 0;
        } else if ((c & 0xE0) == 0xC0) {
            u = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            u = c & 0x0F;
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            u = c & 0x07;
            extra = 3;
        } else {
            out += '?';
            ++i;
            continue;
        }
        bool ok = i + static_cast<std::size_t>(extra) < utf8.size();
        for (int k = 1; ok && k <= extra; ++k) {
            unsigned char cc = static_cast<unsigned char>(utf8[i + k]);
            if ((cc & 0xC0) != 0x80)
                ok = false;
            else
                u = (u << 6) | (cc & 0x3F);
        }
        if (!ok) {
            out += '?';
            ++i;
            continue;
        }
        i += 1 + extra;
        int b = UnicodeToCp1252(u);
        out += b < 0 ? '?' : static_cast<char>(b);
    }
    return out;
}

namespace {

// What each byte of a Windows-1252 text becomes in a JSON string: itself
// (an empty entry), an escape, or its character in UTF-8.
struct JsonBytes {
    char text[256][7] = {};
    unsigned char size[256] = {};

    JsonBytes()
    {
        for (int c = 0; c < 256; ++c) {
            std::string out;
            switch (c) {
            case '"': out = "\\\""; break;
            case '\\': out = "\\\\"; break;
            case '\n': out = "\\n"; break;
            case '\r': out = "\\r"; break;
            case '\t': out = "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out = buf;
                } else if (c >= 0x80) {
                    AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(c)));
                }
            }
            out.copy(text[c], sizeof text[c] - 1);
            size[c] = static_cast<unsigned char>(out.size());
        }
    }
};

const JsonBytes kJsonBytes;

}  // namespace

char* WriteJsonString(char* to, std::string_view ansiText)
{
    *to++ = '"';
    // Eight bytes of printable ASCII without quote or backslash go out at a
    // time, any other byte as the table says.
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    const auto hasZeroByte = [](std::uint64_t v) { return (v - kOnes) & ~v & kHighs; };
    const char* from = ansiText.data();
    const char* const end = from + ansiText.size();
    while (from < end) {
        std::uint64_t word = 0;
        if (end - from >= 8) {
            std::memcpy(&word, from, 8);
            // A byte below 0x20 keeps its high bit clear when 0x60 is added;
            // a high byte sets it (and any carry comes from one).
            const std::uint64_t special = (~(word + 0x6060606060606060u) | word) & kHighs;
            if (!(special | hasZeroByte(word ^ (0x22 * kOnes)) | hasZeroByte(word ^ (0x5C * kOnes)))) {
                std::memcpy(to, from, 8);
                to += 8;
                from += 8;
                continue;
            }
        }
        const auto c = static_cast<unsigned char>(*from++);
        if (kJsonBytes.size[c] == 0) {
            *to++ = static_cast<char>(c);
        } else {
            std::memcpy(to, kJsonBytes.text[c], kJsonBytes.size[c]);
            to += kJsonBytes.size[c];
        }
    }
    *to++ = '"';
    return to;
}

void AppendJsonString(std::string& out, std::string_view ansiText)
{
    const std::size_t at = out.size();
    out.resize(at + JsonStringBound(ansiText.size()));
    out.resize(static_cast<std::size_t>(WriteJsonString(out.data() + at, ansiText) - out.data()));
}

std::string JsonString(std::string_view ansiText)
{
    std::string out;
    AppendJsonString(out, ansiText);
    return out;
}

namespace {

// The length of the character whose first byte is at p, when all of it is
// among the n bytes there; 0 for a byte that begins none (a continuation,
// C0, C1, F5..FF), -1 when the block ends first or a later byte is wrong.
// Shortest forms only, no surrogates, nothing beyond U+10FFFF: the second
// byte's range depends on the first, the others are 80..BF.
int CharacterLength(const unsigned char* p, std::size_t n)
{
    const unsigned char lead = p[0];
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (n < static_cast<std::size_t>(length) || p[1] < low || p[1] > high)
        return -1;
    for (int k = 2; k < length; ++k)
        if ((p[k] & 0xC0) != 0x80)
            return -1;
    return length;
}

}  // namespace

void Utf8Check::Feed(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    // A character the block before cut ends here first.
    while (i < n && m_pending > 0 && m_valid)
        Feed(p[i++]);
    while (i < n && m_valid) {
        i = SkipAscii(p, i, n);
        if (i == n)
            break;
        const int length = CharacterLength(p + i, n - i);
        if (length <= 0) {
            // The bytes one at a time say which: wrong, or cut by the end.
            while (i < n && m_valid)
                Feed(p[i++]);
            break;
        }
        m_multiByte = true;
        i += static_cast<std::size_t>(length);
    }
}

std::string PathForDisplay(const std::string& path)
{
    Utf8Check check;
    for (char c : path)
        check.Feed(static_cast<unsigned char>(c));
    return check.Valid() && check.SawMultiByte() ? Utf8ToAnsi(path) : path;
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

}  // namespace velkaro
