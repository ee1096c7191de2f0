#pragma once

// Text the telephone can show. Its character table keeps letters and signs
// it has and maps a few others (accented capitals to their base letter);
// anything else would stand as a blank. Before that table, such characters
// are transliterated with ICU, each script as its readers write it in Latin:
// Cyrillic by the convention of the user's language (German: Julija
// Schtscherbakowa; English, also for French users: Yuliya Shcherbakova),
// Greek as Greek passports write it, Chinese in pinyin a word at a time
// (Li Xiaolong), kana by Hepburn, Korean by the Revised Romanization; ß to
// "ss", Œ to "OE", typographic quotes, dashes and the ellipsis to their
// plain forms.

#include "text/Language.h"

#include <string>
#include <string_view>

namespace velkaro {

// UTF-8 text transliterated to plain Latin in Windows-1252, Cyrillic by the
// convention of `language` (a language offset). What remains outside
// Windows-1252 (an emoji) is left out, with no doubled blank where it stood.
// Linear in the text: it is taken in blocks of a few thousand characters.
std::string TransliterateToAnsi(std::string_view utf8, int language = LanguageOffset());

// Windows-1252 text with every character the telephone's table turns into a
// blank replaced by its transliteration; the other characters stay as they
// are.
std::string ReadableForDevice(const std::string& ansi);

// Text from outside (the clipboard) in UTF-8, as Windows-1252 for a card:
// characters Windows-1252 lacks and those the telephone lacks transliterated.
std::string ReadableForDeviceFromUtf8(std::string_view utf8);

}  // namespace velkaro
