#pragma once

// The decimal, thousands and date separators of a locale as Windows-1252
// bytes, and its order of a date's day, month and year: the one rule every front end (desktop, `velkaro table`, `velkaro
// import`) uses to show the numbers and dates of a spreadsheet.

#include "exchange/BiffReader.h"

#include <string>

namespace velkaro {

// One separator character, given as the locale spells it in UTF-8, as one
// Windows-1252 byte. A character Windows-1252 has is taken as it is (the
// no-break space U+00A0 stays 0xA0). Any other space (the narrow no-break
// space U+202F of French, the thin space U+2009) becomes the no-break space
// 0xA0, which is what Windows hands out for these locales. Anything else, an
// empty text or more than one character gives the fallback.
char SeparatorByte(const std::string& utf8, char fallback);

// The separators of the named locale ("" = the user's, from LC_ALL, LC_* and
// LANG). The process's own locale is not touched. A locale that cannot be
// loaded counts as "C": decimal '.', thousands ',', date '/'. A locale without
// a grouping character gets the one that is not its decimal separator.
NumberSeparators LocaleSeparators(const std::string& localeName = {});

}  // namespace velkaro
