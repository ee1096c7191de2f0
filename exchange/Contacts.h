#pragma once

// Contacts as address books keep them (vCards, the contact exports of mail
// and address-book programs), and the table the import makes of them: one
// column for each kind of value, with as many columns of a kind as the
// contact with the most such values needs ("Mobil", "Mobil 2", ...), so that
// no value is joined with another and cut.

#include "exchange/ImportTable.h"
#include "model/Karte.h"

#include <array>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkaro {

// The kinds of columns of a contact table, in the order of its columns.
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

// The title of a kind of column in the current language, or in the language
// of the offset (Windows-1252).
std::string VCardColumnTitle(int column);
std::string VCardColumnTitle(int column, int languageOffset);

// The kind of column a title or a line's label names, in any of the three
// languages and in the spellings people also use ("Handy", "Cell", "Zip"),
// a trailing number ignored ("Mobil 2"); -1 for none. Name and telephone
// number are the card's first two lines and are not matched here.
int ContactKindOfLabel(std::string_view ansiLabel);

// The texts that are not blank, without their outer blanks, joined by the
// separator ("Hauptstr. 5, Hinterhaus").
std::string JoinNonBlank(std::initializer_list<std::string_view> texts, std::string_view separator);
std::string JoinNonBlank(const std::vector<std::string>& texts, std::string_view separator);

// How the name line is made of a person's name parts.
enum class NameOrder {
    Family,  // "Müller Hans": the order a telephone book is sorted by
    Given,   // "Hans Müller"
    AsIs,    // the full name as the address book writes it
};
std::optional<NameOrder> ParseNameOrder(std::string_view text);  // "family", "given", "as-is"

// The order the readers build contacts' names in for this run: the setting
// NameOrder or the command line's --name-order.
NameOrder ContactNameOrder();
void SetContactNameOrder(NameOrder order);

enum class PhoneKind { Voice, Mobile, Home, Work, Fax, Pager };

// The kind of number a label names ("Mobile", "Büro", "Home Fax", Apple's
// "iPhone"), in Windows-1252; Voice for any other.
PhoneKind PhoneKindOfLabel(std::string_view ansiLabel);

struct ContactPhone {
    std::string number;  // with its extension after a blank, as it is dialled
    PhoneKind kind = PhoneKind::Voice;
    bool preferred = false;
};

struct ContactAddress {
    std::string street;
    std::string postalCode;
    std::string locality;
    std::string country;
};

// One contact, its texts in UTF-8.
struct Contact {
    std::string fullName;  // as written by the address book
    std::string prefix;    // "Dr."
    std::string given;
    std::string middle;
    std::string family;
    std::string suffix;    // "jr."
    std::string organization;
    std::string title;
    std::vector<ContactPhone> phones;
    std::vector<std::string> emails;
    std::vector<ContactAddress> addresses;
    std::string birthday;  // "1970-03-15", "--03-15" or as written
    std::string note;
    std::string uid;                      // the address book's key of the contact (UID)
    std::vector<std::string> categories;  // the groups it is in (CATEGORIES)
    // The card lines our own export marked, by line: such a contact comes
    // back line for line.
    std::array<std::optional<std::string>, kMaxLines> markedLines;
    // What the address book holds of the contact that no column takes (a
    // web page, a nickname), by the name of its kind; the import says so.
    std::vector<std::string> leftOut;
    bool HasMarkedLines() const;
};

// The name line of a contact: the name parts in the order asked for, title
// and suffix after the name (never leading it, as the telephone sorts and
// finds by the first letters); the full name where there are no parts; the
// organisation where there is no person.
std::string ContactName(const Contact& contact, NameOrder order);

// A birthday as "YYYY-MM-DD" (or "--MM-DD" without a year) when the text
// reads as a date in one of the forms address books write; otherwise the
// text as it is, and empty for the "no date" of some exports ("0.0.00").
std::string NormalizeBirthday(std::string_view text);

// The contacts into the table, fields in Windows-1252: record 0 the column
// titles in the current language, then one record per contact. When every
// contact came from our own export, the columns are the 32 card lines.
void ContactsToTable(const std::vector<Contact>& contacts, NameOrder order, CImportTable& table);

// When the table read from a text file or a workbook is the contact export
// of an address book (Google Contacts, Outlook in English, German or French,
// Thunderbird), known by the titles of its first record, replaces it by the
// contact table of its records and returns true; otherwise leaves it alone.
bool RecogniseContactExport(CImportTable& table, NameOrder order);

}  // namespace velkaro
