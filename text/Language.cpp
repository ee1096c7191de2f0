#include "Language.h"

#include "Cp1252.h"
#include "text/StringTable.h"

#include <atomic>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <cassert>
#include <unordered_map>

namespace velkaro {

namespace {

std::atomic<int> g_offset { kLangGerman };

const std::unordered_map<unsigned, std::string>& Table()
{
    static const std::unordered_map<unsigned, std::string> table = [] {
        std::unordered_map<unsigned, std::string> t;
        auto add = [&t](StringTableSpan span, int offset) {
            for (std::size_t i = 0; i < span.count; ++i)
                t[StringTableId(span.entries[i].id, offset)] = Utf8ToAnsi(span.entries[i].utf8);
        };
        add(GermanStrings(), kLangGerman);
        add(EnglishStrings(), kLangEnglish);
        add(FrenchStrings(), kLangFrench);
        return t;
    }();
    return table;
}

}  // namespace

unsigned StringTableId(unsigned germanId, int offset)
{
    if (germanId <= 0x8FFF)
        return germanId + static_cast<unsigned>(offset);
    if (germanId >= 0xE000) {
        if (offset == kLangEnglish)
            return germanId - 0x5000;
        if (offset == kLangFrench)
            return germanId - 0x3C00;
    }
    return germanId;
}

std::string ResolveText(unsigned id, int offset, const StringLookup& lookup)
{
    if (const auto* s = lookup(StringTableId(id, offset)); s && !s->empty())
        return *s;
    if (const auto* s = lookup(id))
        return *s;
    return {};
}

void SetLanguageOffset(int offset)
{
    if (offset == kLangGerman || offset == kLangEnglish || offset == kLangFrench)
        g_offset = offset;
}

int LanguageOffset()
{
    return g_offset;
}

namespace {

// "de_DE.UTF-8", "fr", "en_GB@euro": the language is the part before the
// territory.
std::optional<int> LanguageOfName(std::string_view name)
{
    const std::string_view language = name.substr(0, name.find_first_of("_.@"));
    if (language == "de")
        return kLangGerman;
    if (language == "en")
        return kLangEnglish;
    if (language == "fr")
        return kLangFrench;
    return std::nullopt;
}

}  // namespace

int LanguageOfLocale(int fallback)
{
    for (const char* name : { "LC_ALL", "LC_MESSAGES", "LANG" }) {
        const char* value = std::getenv(name);
        if (!value || !value[0])
            continue;
        if (const auto language = LanguageOfName(value))
            return *language;
        break;
    }
    const char* list = std::getenv("LANGUAGE");
    for (std::string_view rest = list ? list : ""; !rest.empty();) {
        const std::size_t colon = rest.find(':');
        if (const auto language = LanguageOfName(rest.substr(0, colon)))
            return *language;
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    return fallback;
}

const std::string* LookupStringEntry(unsigned tableId)
{
    const auto& table = Table();
    auto it = table.find(tableId);
    return it == table.end() ? nullptr : &it->second;
}

std::string Text(unsigned id)
{
    return ResolveText(id, g_offset, LookupStringEntry);
}

bool FormatTextFits(unsigned id, const FormatArgs& args)
{
    for (int offset : { kLangGerman, kLangEnglish, kLangFrench })
        if (!FormatArgumentsFit(ResolveText(id, offset, LookupStringEntry), args))
            return false;
    return true;
}

std::string FormatTextWith(unsigned id, const FormatArgs& args)
{
    assert(FormatTextFits(id, args) && "the arguments do not fit the text in every language");
    return FormatChecked(Text(id), args);
}

}  // namespace velkaro
