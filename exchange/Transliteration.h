#pragma once

// Text the telephone can show. Its character table keeps letters and signs
// it has and maps a few others (accented capitals to their base letter);
// anything else would stand as a blank. Before that table, such characters
// are transliterated with ICU: letters of other scripts to their Latin forms
// ("Олег" to "Oleg"), ß to "ss", Œ to "OE", typographic quotes, dashes and
// the ellipsis to their plain forms.

#include <string>
#include <string_view>

namespace velkaro {

// UTF-8 text transliterated to plain Latin in Windows-1252 (ICU's Any-Latin
// and Latin-ASCII transforms); what remains outside Windows-1252 becomes a
// blank.
std::string TransliterateToAnsi(std::string_view utf8);

// Windows-1252 text with every character the telephone's table turns into a
// blank replaced by its transliteration; the other characters stay as they
// are.
std::string ReadableForDevice(const std::string& ansi);

// Text from outside (the clipboard) in UTF-8, as Windows-1252 for a card:
// characters Windows-1252 lacks and those the telephone lacks transliterated.
std::string ReadableForDeviceFromUtf8(std::string_view utf8);

}  // namespace velkaro
