#include "NumberLines.h"

#include "exchange/Contacts.h"
#include "model/Charset.h"
#include "text/Cp1252.h"
#include "text/Language.h"

#include <algorithm>
#include <set>
#include <string>

namespace velkaro {

namespace {

// "Telefon 2" is a second telephone number.
std::string_view WithoutNumber(std::string_view label)
{
    label = TrimBlanks(label);
    const std::size_t blank = label.find_last_of(' ');
    if (blank == std::string_view::npos)
        return label;
    const std::string_view tail = label.substr(blank + 1);
    const bool digits = std::all_of(tail.begin(), tail.end(), [](char c) { return c >= '0' && c <= '9'; });
    return digits ? TrimBlanks(label.substr(0, blank)) : label;
}

// The telephone line's own label names no kind for the contact columns (it is
// the card's second line there); in a card structure it names a number.
bool IsTelephoneTitle(std::string_view label)
{
    static const std::set<std::string> titles = [] {
        std::set<std::string> upper;
        for (int offset : { kLangGerman, kLangEnglish, kLangFrench })
            upper.insert(AnsiToUpper(VCardColumnTitle(kVcTelephone, offset)));
        // Windows-1252.
        for (const char* word : { "Tel", "Tel.", "Telephone", "Phone", "T\xE9l\xE9phone", "T\xE9l.", "Festnetz" })
            upper.insert(AnsiToUpper(std::string(word)));
        return upper;
    }();
    return titles.count(AnsiToUpper(std::string(WithoutNumber(label)))) > 0;
}

}  // namespace

bool IsNumberLabel(std::string_view ansiLabel)
{
    switch (ContactKindOfLabel(ansiLabel)) {
    case kVcTelephone:
    case kVcMobile:
    case kVcHome:
    case kVcWork:
    case kVcFax:
        return true;
    default:
        return IsTelephoneTitle(ansiLabel);
    }
}

std::vector<int> NumberLines(const CKarte* fieldNames)
{
    std::vector<int> lines { 1 };
    for (int line = 2; line < kMaxLines; ++line)
        if (IsNumberLabel(GetFieldLabel(line, fieldNames)))
            lines.push_back(line);
    return lines;
}

std::vector<int> NumberLines(const CCardList& cards)
{
    return NumberLines(cards.FieldNames());
}

}  // namespace velkaro
