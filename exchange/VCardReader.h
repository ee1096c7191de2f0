#pragma once

// Reading vCard files (versions 2.1, 3.0 and 4.0; RFC 2425, 2426, 6350) into
// a CImportTable: a first record of column titles in the current language,
// then one record per card. The field assignment then treats the file like
// any other import source.

#include "exchange/ImportTable.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace velkaro {

class IMessageUi;

// The columns of the table, in this order.
enum VCardColumn {
    kVcName,
    kVcTelephone,
    kVcMobile,
    kVcHome,
    kVcWork,
    kVcFax,
    kVcEmail,
    kVcCompany,
    kVcTitle,
    kVcStreet,
    kVcPostalCode,
    kVcLocality,
    kVcCountry,
    kVcBirthday,
    kVcNote,
    kVcColumnCount
};

// A card's fields by column, in UTF-8.
using VCardFields = std::array<std::string, kVcColumnCount>;

// The title of a column in the current language, or in the language of the
// offset (Windows-1252).
std::string VCardColumnTitle(int column);
std::string VCardColumnTitle(int column, int languageOffset);

// True when the name ends in ".vcf" or ".vcard" (any case).
bool IsVCardFileName(const std::string& fileName);

// True when the bytes begin, after an optional UTF-8 byte-order mark and
// white space, with "BEGIN:VCARD" (any case).
bool LooksLikeVCard(std::string_view bytes);

// The cards of the bytes, in file order.
std::vector<VCardFields> ParseVCards(std::string_view bytes);

// The titles and the cards into the table, fields in Windows-1252. 1 when
// the bytes held at least one card, 0 when none.
int ReadVCardBytes(std::string_view bytes, CImportTable& table);

// Reads the file; 0 with the reason shown through ui when it cannot be read
// or holds no card.
int ReadVCardFile(const std::string& fileName, CImportTable& table, IMessageUi& ui);

}  // namespace velkaro
