#include "AccountStore.h"

#include "settings/Settings.h"
#include "text/Ascii.h"
#include "text/Cp1252.h"
#include "text/MessageIds.h"

#include <sstream>

namespace velkaro {

namespace {

namespace key = carddav_setting;

bool ReadFlag(const CSettings& settings, const char* name, bool defaultValue)
{
    return settings.ReadInt(section::CardDav, name, defaultValue ? 1 : 0) != 0;
}

void WriteFlag(CSettings& settings, const char* name, bool on)
{
    settings.WriteInt(section::CardDav, name, on ? 1 : 0);
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
    account.url = settings.ReadUtf8(section::CardDav, key::Url, "");
    account.user = settings.ReadUtf8(section::CardDav, key::User, "");
    account.addressBooks = SplitBlanks(settings.ReadUtf8(section::CardDav, key::AddressBooks, ""));
    SyncFilters& f = account.filters;
    f.onlyWithNumber = ReadFlag(settings, key::OnlyWithNumber, defaults.onlyWithNumber);
    f.includeCategories = SplitCategories(settings.ReadUtf8(section::CardDav, key::IncludeCategories, ""));
    f.excludeCategories = SplitCategories(settings.ReadUtf8(section::CardDav, key::ExcludeCategories, ""));
    f.onePerNumber = ReadFlag(settings, key::OnePerNumber, defaults.onePerNumber);
    f.dialable = ReadFlag(settings, key::Dialable, defaults.dialable);
    return account;
}

void SaveAccount(CSettings& settings, const CardDavAccount& account)
{
    settings.WriteUtf8(section::CardDav, key::Url, account.url);
    settings.WriteUtf8(section::CardDav, key::User, account.user);
    settings.WriteUtf8(section::CardDav, key::AddressBooks, JoinWith(account.addressBooks, " "));
    const SyncFilters& f = account.filters;
    WriteFlag(settings, key::OnlyWithNumber, f.onlyWithNumber);
    settings.WriteUtf8(section::CardDav, key::IncludeCategories, JoinCategories(f.includeCategories));
    settings.WriteUtf8(section::CardDav, key::ExcludeCategories, JoinCategories(f.excludeCategories));
    WriteFlag(settings, key::OnePerNumber, f.onePerNumber);
    WriteFlag(settings, key::Dialable, f.dialable);
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
