#pragma once

// Windows-1252 <-> UTF-8. The program holds text as Windows-1252 bytes, as
// the telephone does; these convert at the edges (JSON output, string tables).

#include <string>

namespace velkaro {

// The five bytes Windows-1252 leaves undefined map to the C1 controls of the
// same value, so every byte survives a round trip.
char32_t Cp1252ToUnicode(unsigned char c);
// The byte for a code point, or -1 when Windows-1252 has no such character.
int UnicodeToCp1252(char32_t u);

std::string AnsiToUtf8(const std::string& ansi);
// Characters that Windows-1252 lacks become '?'; malformed UTF-8 bytes too.
std::string Utf8ToAnsi(const std::string& utf8);

// A JSON string literal of Windows-1252 text, in UTF-8.
std::string JsonString(const std::string& ansiText);

}  // namespace velkaro
