#pragma once

// Reading vCard files (versions 2.1, 3.0 and 4.0; RFC 2425, 2426, 6350) into
// a CImportTable: the contact table (exchange/Contacts.h), its first record
// the column titles in the current language, then one record per card.

#include "exchange/Contacts.h"
#include "exchange/ImportTable.h"
#include "text/Outcome.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace velkaro {


// True when the name ends in ".vcf" or ".vcard" (any case).
bool IsVCardFileName(const std::string& fileName);

// True when the bytes begin, after an optional UTF-8 byte-order mark and
// white space, with "BEGIN:VCARD" (any case).
bool LooksLikeVCard(std::string_view bytes);

// The cards of the bytes, in file order.
std::vector<Contact> ParseVCards(std::string_view bytes);

// The titles and the cards into the table, fields in Windows-1252, names in
// the order of ContactNameOrder(). Refused as an empty file or as of an
// unknown format when the bytes hold no card.
Outcome ReadVCardBytes(std::string_view bytes, CImportTable& table);

// Reads the file; a failure when it cannot be read or holds no card.
Outcome ReadVCardFile(const std::string& fileName, CImportTable& table);

}  // namespace velkaro
