#pragma once

// The address-book account in the settings store, section "CardDAV" of the
// user's INI file: the server, the user, the chosen address books and the
// filters. The password is never written there (see carddav/Secrets.h).

#include "carddav/SyncTypes.h"
#include "text/Outcome.h"

#include <string>
#include <vector>

namespace velkaro {

class CSettings;

// The section of the user's INI file. Its values: Url, User, AddressBooks
// (the chosen address books' URLs separated by blanks, which a URL never
// holds; empty: all), OnlyWithNumber, IncludeCategories and
// ExcludeCategories (names separated by commas), OnePerNumber, Dialable.
inline constexpr const char* kCardDavSection = "CardDAV";

// The stored account; the defaults of SyncFilters where nothing is stored.
CardDavAccount LoadAccount(const CSettings& settings);
void SaveAccount(CSettings& settings, const CardDavAccount& account);

// Whether an account is set: it names a server.
bool HasAccount(const CardDavAccount& account);

// Whether the account can be used: the server's address is an http or https
// URL that names a host, and a user is given. BadInput with the message
// (msg::AccountBadUrl, msg::AccountNoUser) when not.
Outcome CheckAccount(const CardDavAccount& account);

// Category names as the user writes them: "Familie, Arbeit" -> two names,
// blanks at either end dropped, empty names left out.
std::vector<std::string> SplitCategories(const std::string& text);
// The names as the user reads them: "Familie, Arbeit".
std::string JoinCategories(const std::vector<std::string>& names);

}  // namespace velkaro
