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

TEST(Cp1252, Utf8CheckOfABlockAgreesWithBytesOneAtATime)
{
    const std::string cases[] = {
        "plain ascii text longer than one word",
        "Stra\xC3\x9F" "e and more ascii after the two bytes",
        "1234567\xC3\xA4",                 // a sequence across the first word's end
        "12345678\xE2\x82\xAC tail",       // at the start of the second word
        "abcdefghijklmno\xC3",              // cut at the end
        "abcdefgh\xC0\xAF",                 // overlong
        "abcdefgh\xED\xA0\x80",             // a surrogate
        "abcdefgh\xF0\x9F\x98\x80 emoji",
        "\xFC" "abcdefghijklmnop",          // Windows-1252, invalid from the start
    };
    for (const std::string& text : cases) {
        Utf8Check bytes;
        for (char c : text)
            bytes.Feed(static_cast<unsigned char>(c));
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
