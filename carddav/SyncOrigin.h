#pragma once

// Where the synced cards came from, kept beside the working file (whose
// bytes the telephone's format fixes): per address book its URL and the
// sync token to ask with next time; per card the contact it was made of and
// what it looked like when it was synced, so that the next sync knows which
// cards are the server's, and whether one was changed here since.
//
// The file is UTF-8 text, one record a line, fields separated by tabs:
//   velkaro-sync-origin <TAB> 1
//   mapping <TAB> how contacts became cards (MappingFingerprint)
//   book <TAB> url <TAB> sync token
//   card <TAB> book <TAB> href <TAB> etag <TAB> uid <TAB> number key <TAB> name
//   <TAB>
//     digest <TAB> made digest
// A backslash escapes a backslash (\\), a tab (\t), a line feed (\n) and a
// carriage return (\r) inside a field.

#include "model/Karte.h"
#include "text/Outcome.h"

#include <string>
#include <string_view>
#include <vector>

namespace velkaro {

struct OriginBook {
    std::string url;
    std::string syncToken;  // empty where the server has none
    bool operator==(const OriginBook&) const = default;
};

// One card made of a contact on the server. Texts in UTF-8 as the server
// sends them, but the name, which is the card's (Windows-1252).
struct OriginCard {
    std::string book;        // the address book's URL
    std::string href;        // the vCard's path on the server
    std::string etag;        // the vCard's version the card was made of
    std::string uid;         // the vCard's UID; its href where it has none
    std::string numberKey;   // one card per number: which number ("mobile 2"); else empty
    std::string name;        // the card's name as synced
    std::string digest;      // CardDigest of the card as synced (its name numbered
                             // where it was taken)
    std::string madeDigest;  // CardDigest of the card as the contact made it
    bool operator==(const OriginCard&) const = default;
};

struct SyncOrigin {
    // How the cards were made of the contacts (filters, home country, name
    // order, ...): made otherwise now, every contact must come again.
    std::string mapping;
    std::vector<OriginBook> books;
    std::vector<OriginCard> cards;

    const OriginBook* Book(const std::string& url) const;  // nullptr: never synced
    void SetBook(const std::string& url, const std::string& syncToken);
    bool operator==(const SyncOrigin&) const = default;
};

// A digest of a card's lines (not of its flags): equal digests, equal lines.
// 16 hexadecimal digits.
std::string CardDigest(const CKarte& card);

// The origin file of a working file: beside it, its name + ".sync".
std::string SyncOriginPath(const std::string& workingPath);

std::string SerializeSyncOrigin(const SyncOrigin& origin);
// Reads the bytes into origin. Returns 0, or the number of the first line
// that is damaged (1 for a missing or unknown first line); origin is then
// empty.
int ParseSyncOrigin(std::string_view bytes, SyncOrigin& origin);

// The file forms. A missing file is nothing synced yet and no failure; a
// damaged or unreadable one leaves origin empty (nothing synced yet) and
// says why (msg::SyncOriginDamaged, msg::SyncOriginUnreadable). A failed
// write leaves the file as it was (msg::SyncOriginNotWritten).
Outcome ReadSyncOrigin(const std::string& path, SyncOrigin& origin);
Outcome WriteSyncOrigin(const std::string& path, const SyncOrigin& origin);

}  // namespace velkaro
