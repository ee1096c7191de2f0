#pragma once

// What the parts of an address-book sync hand each other: the account and
// its filters, the address books a server offers, what a fetch brought, and
// the counts a sync reports. Texts are UTF-8 here (as the server sends
// them); they become Windows-1252 only where they become cards.

#include <string>
#include <vector>

namespace velkaro {

// How contacts become cards.
struct SyncFilters {
    bool onlyWithNumber = true;                  // contacts without a telephone number are left out
    std::vector<std::string> includeCategories;  // when not empty: only contacts in one of these
    std::vector<std::string> excludeCategories;  // contacts in one of these are left out
    bool onePerNumber = false;                   // one card per number, "Müller Hans (Mobil)"
    bool dialable = true;                        // numbers as the telephone dials them
};

// One account: the server and who signs in. The password is never stored
// with the rest (the desktop's secret store keeps it).
struct CardDavAccount {
    std::string url;                        // as the user gave it: "https://dav.example.org"
    std::string user;
    std::vector<std::string> addressBooks;  // the chosen address books' URLs; empty: all
    SyncFilters filters;
};

// An address book the server offers.
struct AddressBook {
    std::string url;  // absolute
    std::string displayName;
};

// One contact as the server holds it.
struct RemoteContact {
    std::string href;   // the vCard's path on the server, in one spelling (CanonicalPath in Multistatus.h)
    std::string etag;
    std::string vcard;  // the vCard's bytes
};

// What one fetch of an address book brought. A first fetch, or one by ETags
// where the server keeps no sync token, lists every contact the book holds
// (complete); an incremental one (sync token) lists only what changed since.
struct FetchResult {
    std::string book;       // the address book's URL
    std::string syncToken;  // to ask with next time; empty where the server has none
    bool complete = false;  // changed + unchanged are all the book holds: the others are gone
    std::vector<RemoteContact> changed;   // new or changed since the last sync
    std::vector<std::string> unchanged;   // hrefs known and unchanged (complete fetches)
    std::vector<std::string> removed;     // hrefs the server says are gone (incremental fetches)
};

// What a sync does, or did, to the cards.
struct SyncCounts {
    int added = 0;
    int changed = 0;
    int removed = 0;
    int unchanged = 0;
    int keptChangedHere = 0;  // gone on the server, kept as changed here since
    int damaged = 0;          // vCards our reader refuses: left as they were

    // True when applying the sync would change a card.
    bool ChangesCards() const;
};

}  // namespace velkaro
