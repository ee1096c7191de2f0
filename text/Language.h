#pragma once

// The program's run-time language. Every text the user sees is looked up by
// its German resource id plus the language offset; a missing entry falls back
// to the German text. Standard library only, so model and exchange flows can
// use it. Texts are Windows-1252.

#include "text/Format.h"

#include <functional>
#include <string>

namespace velkaro {

constexpr int kLangGerman = 0;
constexpr int kLangEnglish = 256;
constexpr int kLangFrench = 512;

void SetLanguageOffset(int offset);
int LanguageOffset();

// The language the user's locale asks for: the first of LC_ALL, LC_MESSAGES
// and LANG that is set, as the C library picks it; where that is "C" or a
// language of none of the three, the first of German, English and French in
// the list LANGUAGE gives; otherwise the fallback.
int LanguageOfLocale(int fallback);

// text(id)
std::string Text(unsigned id);
// Whether the arguments fit the conversions of the text in each language.
bool FormatTextFits(unsigned id, const FormatArgs& args);
// text(id) formatted with the arguments (text/Format.h), which a debug build
// checks against the text of every language.
std::string FormatTextWith(unsigned id, const FormatArgs& args);
// formatted text(id, ...): printf with the arguments, cut to 499 characters.
template <typename... Args>
std::string FormatText(unsigned id, const Args&... args)
{
    return FormatTextWith(id, FormatArgs { FormatArg(args)... });
}
// The same with an explicit format (already looked up).
template <typename... Args>
std::string FormatString(std::string_view format, const Args&... args)
{
    return FormatChecked(format, FormatArgs { FormatArg(args)... });
}

// The looked-up string table entry exactly (no fall-back), for tests.
const std::string* LookupStringEntry(unsigned tableId);

// Where a language's text for a German id lies in the string table: ids up
// to 0x8FFF plus the offset; 0x9000..0xDFFF unchanged; the framework's
// standard strings from 0xE000 at id - 0x5000 (English), id - 0x3C00 (French).
unsigned StringTableId(unsigned germanId, int offset);

// text(id) over any table: the language's entry, or the German one when that
// is missing or empty, or "" when both are.
using StringLookup = std::function<const std::string*(unsigned tableId)>;
std::string ResolveText(unsigned id, int offset, const StringLookup& lookup);

}  // namespace velkaro
