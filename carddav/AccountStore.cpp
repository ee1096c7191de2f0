#include "AccountStore.h"

#include "settings/Settings.h"
#include "text/Ascii.h"
#include "text/Cp1252.h"
#include "text/MessageIds.h"

#include <sstream>

namespace velkaro {

namespace {

// The value names of the section.
constexpr struct {
    const char* url = "Url";
    const char* user = "User";
    const char* addressBooks = "AddressBooks";
    const char* onlyWithNumber = "OnlyWithNumber";
    const char* includeCategories = "IncludeCategories";
    const char* excludeCategories = "ExcludeCategories";
    const char* onePerNumber = "OnePerNumber";
    const char* dialable = "Dialable";
} kValue;

bool ReadFlag(const CSettings& settings, const char* name, bool defaultValue)
{
    return settings.ReadInt(kCardDavSection, name, defaultValue ? 1 : 0) != 0;
}

void WriteFlag(CSettings& settings, const char* name, bool on)
{
    settings.WriteInt(kCardDavSection, name, on ? 1 : 0);
}

std::vector<std::string> SplitBlanks(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::string JoinWith(const std::vector<std::string>& parts, const char* separator)
{
    std::string out;
    for (const std::string& part : parts) {
        if (!out.empty())
            out += separator;
        out += part;
    }
    return out;
}

}  // namespace

CardDavAccount LoadAccount(const CSettings& settings)
{
    CardDavAccount account;
    const SyncFilters defaults;
    account.url = settings.ReadUtf8(kCardDavSection, kValue.url, "");
    account.user = settings.ReadUtf8(kCardDavSection, kValue.user, "");
    account.addressBooks = SplitBlanks(settings.ReadUtf8(kCardDavSection, kValue.addressBooks, ""));
    SyncFilters& f = account.filters;
    f.onlyWithNumber = ReadFlag(settings, kValue.onlyWithNumber, defaults.onlyWithNumber);
    f.includeCategories = SplitCategories(settings.ReadUtf8(kCardDavSection, kValue.includeCategories, ""));
    f.excludeCategories = SplitCategories(settings.ReadUtf8(kCardDavSection, kValue.excludeCategories, ""));
    f.onePerNumber = ReadFlag(settings, kValue.onePerNumber, defaults.onePerNumber);
    f.dialable = ReadFlag(settings, kValue.dialable, defaults.dialable);
    return account;
}

void SaveAccount(CSettings& settings, const CardDavAccount& account)
{
    settings.WriteUtf8(kCardDavSection, kValue.url, account.url);
    settings.WriteUtf8(kCardDavSection, kValue.user, account.user);
    settings.WriteUtf8(kCardDavSection, kValue.addressBooks, JoinWith(account.addressBooks, " "));
    const SyncFilters& f = account.filters;
    WriteFlag(settings, kValue.onlyWithNumber, f.onlyWithNumber);
    settings.WriteUtf8(kCardDavSection, kValue.includeCategories, JoinCategories(f.includeCategories));
    settings.WriteUtf8(kCardDavSection, kValue.excludeCategories, JoinCategories(f.excludeCategories));
    WriteFlag(settings, kValue.onePerNumber, f.onePerNumber);
    WriteFlag(settings, kValue.dialable, f.dialable);
    settings.Flush();
}

bool HasAccount(const CardDavAccount& account)
{
    return !TrimBlanks(account.url).empty();
}

namespace {

// "http://host..." or "https://host...", the scheme in any case, and no
// blank anywhere (a URL writes one as %20).
bool IsServerUrl(std::string_view url)
{
    const std::size_t colon = url.find("://");
    if (colon == std::string_view::npos)
        return false;
    const std::string scheme = AsciiLower(url.substr(0, colon));
    if (scheme != "http" && scheme != "https")
        return false;
    const std::string_view rest = url.substr(colon + 3);
    const std::string_view host = rest.substr(0, rest.find_first_of("/?#"));
    return !host.empty() && host.front() != ':' && url.find_first_of(" \t\r\n") == std::string_view::npos;
}

}  // namespace

Outcome CheckAccount(const CardDavAccount& account)
{
    if (!IsServerUrl(TrimBlanks(account.url)))
        return Outcome(OutcomeKind::BadInput, msg::AccountBadUrl);
    if (TrimBlanks(account.user).empty())
        return Outcome(OutcomeKind::BadInput, msg::AccountNoUser);
    return {};
}

std::vector<std::string> SplitCategories(const std::string& text)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        const std::string_view name = TrimBlanks(std::string_view(text).substr(start, comma - start));
        if (!name.empty())
            names.emplace_back(name);
        start = comma + 1;
    }
    return names;
}

std::string JoinCategories(const std::vector<std::string>& names)
{
    return JoinWith(names, ", ");
}

}  // namespace velkaro
