// Windows-1252 text going out as JSON, and the UTF-8 check that decides a
// text file's character set, fed a byte or a block at a time.

#include "text/Cp1252.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace velkaro {
namespace {

TEST(Cp1252, JsonStringEscapesAndConvertsEachByteWithinRuns)
{
    const std::pair<std::string, std::string> cases[] = {
        { "", "\"\"" },
        { "plain text", "\"plain text\"" },
        { "a\"b\\c", "\"a\\\"b\\\\c\"" },
        { "\n\r\t\x01\x1F", "\"\\n\\r\\t\\u0001\\u001f\"" },
        { "M\xFCller \x80 5", "\"M\xC3\xBCller \xE2\x82\xAC 5\"" },
        { "\x9F\xA0\xFF", "\"\xC5\xB8\xC2\xA0\xC3\xBF\"" },
        { std::string("a\0b", 3), "\"a\\u0000b\"" },
    };
    for (const auto& [ansi, json] : cases) {
        std::string out = "[";
        AppendJsonString(out, ansi);
        EXPECT_EQ(out, "[" + json) << ansi;
    }
}

// What decides that a text file is UTF-8: valid throughout, with at least
// one character of more than one byte.
TEST(Cp1252, Utf8CheckOfABlockAgreesWithBytesOneAtATime)
{
    const std::pair<std::string, bool> cases[] = {
        { "plain ascii text longer than one word", false },
        { "Stra\xC3\x9F" "e and more ascii after the two bytes", true },
        { "1234567\xC3\xA4", true },                       // across the first word's end
        { "12345678\xE2\x82\xAC tail", true },            // at the start of the second word
        { "abcdefghijklmno\xC3", false },                  // cut at the end
        { "abcdefgh\xC0\xAF", false },                     // overlong
        { "abcdefgh\xE0\x9F\xBF", false },                 // overlong in three bytes
        { "abcdefgh\xF0\x8F\xBF\xBF", false },            // overlong in four bytes
        { "abcdefgh\xED\xA0\x80", false },                 // a surrogate
        { "abcdefgh\xED\x9F\xBF\xEF\xBF\xBF", true },      // just below them, the last of the plane
        { "abcdefgh\xF4\x8F\xBF\xBF", true },             // U+10FFFF
        { "abcdefgh\xF4\x90\x80\x80", false },            // beyond it
        { "abcdefgh\xF0\x9F\x98\x80 emoji", true },
        { "\xC3\xA4\xBC", false },                          // a continuation alone
        { "\xC3\xA4 \xE2\x82" "a", false },                 // a continuation missing
        { "\xC1\xBF", false },
        { "\xF5\x80\x80\x80", false },
        { "\xFC" "abcdefghijklmnop\xC3\xA4", false },        // Windows-1252, invalid from the start
        { "abcdefghijklmnopqrstuvwxyz012345\xC3\xA4" "abcdefghijklmnopqrstuv\xFC", false },
    };
    for (const auto& [text, utf8] : cases) {
        Utf8Check bytes;
        for (char c : text)
            bytes.Feed(static_cast<unsigned char>(c));
        EXPECT_EQ(bytes.Valid() && bytes.SawMultiByte(), utf8) << text;
        // Also in two blocks cut at every place.
        for (std::size_t cut = 0; cut <= text.size(); ++cut) {
            Utf8Check block;
            block.Feed(std::string_view(text).substr(0, cut));
            block.Feed(std::string_view(text).substr(cut));
            EXPECT_EQ(block.Valid(), bytes.Valid()) << text << " cut " << cut;
            EXPECT_EQ(block.SawMultiByte(), bytes.SawMultiByte()) << text << " cut " << cut;
        }
    }
}

}  // namespace
}  // namespace velkaro
