#pragma once

// Windows-1252 <-> UTF-8. The program holds text as Windows-1252 bytes, as
// the telephone does; these convert at the edges (JSON output, string tables).

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace velkaro {

// The five bytes Windows-1252 leaves undefined map to the C1 controls of the
// same value, so every byte survives a round trip.
char32_t Cp1252ToUnicode(unsigned char c);
// The byte for a code point, or -1 when Windows-1252 has no such character.
int UnicodeToCp1252(char32_t u);

std::string AnsiToUtf8(std::string_view ansi);
// Characters that Windows-1252 lacks become '?'; malformed UTF-8 bytes too.
std::string Utf8ToAnsi(const std::string& utf8);

// The text without the blanks and tabs at either end.
std::string_view TrimBlanks(std::string_view text);

// A JSON string literal of Windows-1252 text, in UTF-8.
std::string JsonString(std::string_view ansiText);
// The same appended to `out`, for output of many strings.
void AppendJsonString(std::string& out, std::string_view ansiText);
// The most bytes WriteJsonString writes for n bytes of text.
constexpr std::size_t JsonStringBound(std::size_t n)
{
    return 6 * n + 2;
}
// Writes the JSON string literal at `to`, which has room for
// JsonStringBound(ansiText.size()) bytes; returns its end. For a writer
// that keeps its own buffer.
char* WriteJsonString(char* to, std::string_view ansiText);

// The first of the n bytes from i on that is not ASCII, or n: eight bytes
// at a time, as most of a text is ASCII.
inline std::size_t SkipAscii(const unsigned char* bytes, std::size_t i, std::size_t n)
{
    if constexpr (std::endian::native == std::endian::little) {
        for (std::uint64_t word = 0; i + 8 <= n; i += 8) {
            std::memcpy(&word, bytes + i, 8);
            if (const std::uint64_t high = word & 0x8080808080808080u)
                return i + static_cast<std::size_t>(std::countr_zero(high) / 8);
        }
    }
    while (i < n && bytes[i] < 0x80)
        ++i;
    return i;
}

// Checks bytes fed one at a time for UTF-8: shortest forms only, no
// surrogates, nothing beyond U+10FFFF.
class Utf8Check {
public:
    void Feed(unsigned char c)
    {
        if (!m_valid)
            return;
        if (m_pending == 0) {
            if (c < 0x80)
                return;
            if (c >= 0xC2 && c <= 0xDF) {
                Start(1, c & 0x1F, 0x80);
            } else if (c >= 0xE0 && c <= 0xEF) {
                Start(2, c & 0x0F, 0x800);
            } else if (c >= 0xF0 && c <= 0xF4) {
                Start(3, c & 0x07, 0x10000);
            } else {
                m_valid = false;
            }
            return;
        }
        if ((c & 0xC0) != 0x80) {
            m_valid = false;
            return;
        }
        m_code = m_code << 6 | (c & 0x3F);
        if (--m_pending == 0) {
            if (m_code < m_minimum || m_code > 0x10FFFF || (m_code >= 0xD800 && m_code <= 0xDFFF))
                m_valid = false;
            else
                m_multiByte = true;
        }
    }
    // The same for each byte of `bytes`: a run of ASCII eight bytes at a
    // time, and a whole character at a time where it lies within the block.
    void Feed(std::string_view bytes);
    bool Valid() const { return m_valid && m_pending == 0; }
    // A byte that is no UTF-8 came: nothing after it changes the answer.
    bool Failed() const { return !m_valid; }
    bool SawMultiByte() const { return m_multiByte; }

private:
    void Start(int pending, char32_t bits, char32_t minimum)
    {
        m_pending = pending;
        m_code = bits;
        m_minimum = minimum;
    }
    bool m_valid = true;
    bool m_multiByte = false;
    int m_pending = 0;
    char32_t m_code = 0;
    char32_t m_minimum = 0;
};

// A file path as the program's messages show it. Paths are the file
// system's bytes, UTF-8 on this platform, while messages are Windows-1252:
// a valid UTF-8 path is converted, any other is shown as it is.
std::string PathForDisplay(const std::string& path);

}  // namespace velkaro
