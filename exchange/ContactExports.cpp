// The contact exports of address-book programs as separated text (or a
// workbook saved from one), known by their column titles:
// - Google Contacts: "Name"/"First Name", "Given Name", "Family Name"/"Last
//   Name", numbered groups "Phone 1 - Type" (or "- Label") and "Phone 1 -
//   Value", "E-mail 1 - ...", "Address 1 - Street", "Organization 1 - Name";
//   several values of one type in one field, joined by " ::: "; a type
//   beginning "* " marks the primary value.
// - Outlook, with its titles in English, German and French: one column per
//   kind of number ("Mobile Phone", "Mobiltelefon", "Tél. mobile") and per
//   part of the home, business and other address.
// - Thunderbird, in English and German: "Display Name", "Work Phone",
//   "Mobile Number", the birthday as year, month and day.
// The titles here are Windows-1252, as the table holds them.

#include "Contacts.h"

#include "model/Charset.h"
#include "text/Cp1252.h"

#include <algorithm>
#include <map>

namespace velkaro {

namespace {

enum class Role {
    None,      // a column the contact has no place for
    Consumed,  // read together with another column (a number's type)
    FullName,
    Prefix,
    Given,
    Middle,
    Family,
    Suffix,
    Organization,
    Title,
    Birthday,
    BirthYear,
    BirthMonth,
    BirthDay,
    Note,
    Email,
    EmailType,
    Phone,
    PhoneType,
    Street,
    StreetMore,
    PostalCode,
    Locality,
    Country,
    FormattedAddress,
};

struct ColumnRole {
    Role role = Role::None;
    PhoneKind kind = PhoneKind::Voice;
    bool preferred = false;
    int group = 0;  // a numbered item of Google's, or the kind of an address
};

enum AddressGroup { kHome = 1, kBusiness = 2, kOther = 3 };

std::string Upper(std::string_view s)
{
    return AnsiToUpper(std::string(TrimBlanks(s)));
}

// The titles with one meaning, whichever program wrote them.
const std::map<std::string, ColumnRole>& FixedTitles()
{
    static const std::map<std::string, ColumnRole> titles = [] {
        using R = Role;
        using K = PhoneKind;
        const auto role = [](R r) { return ColumnRole { r, K::Voice, false, 0 }; };
        const auto phone = [](K k, bool preferred = false) { return ColumnRole { R::Phone, k, preferred, 0 }; };
        const auto address = [](R r, int group) { return ColumnRole { r, K::Voice, false, group }; };
        std::map<std::string, ColumnRole> m;
        const std::pair<const char*, ColumnRole> entries[] = {
            // Names.
            { "NAME", role(R::FullName) }, { "DISPLAY NAME", role(R::FullName) },
            { "ANZEIGENAME", role(R::FullName) }, { "NOM \xC0 AFFICHER", role(R::FullName) },
            { "GIVEN NAME", role(R::Given) }, { "FIRST NAME", role(R::Given) }, { "VORNAME", role(R::Given) },
            { "PR\xC9NOM", role(R::Given) },
            { "ADDITIONAL NAME", role(R::Middle) }, { "MIDDLE NAME", role(R::Middle) },
            { "WEITERE VORNAMEN", role(R::Middle) }, { "DEUXI\xC8ME PR\xC9NOM", role(R::Middle) },
            { "FAMILY NAME", role(R::Family) }, { "LAST NAME", role(R::Family) }, { "NACHNAME", role(R::Family) },
            { "NOM", role(R::Family) }, { "NOM DE FAMILLE", role(R::Family) },
            { "NAME PREFIX", role(R::Prefix) }, { "TITLE", role(R::Prefix) }, { "ANREDE", role(R::Prefix) },
            { "TITRE", role(R::Prefix) },
            { "NAME SUFFIX", role(R::Suffix) }, { "SUFFIX", role(R::Suffix) }, { "SUFFIXE", role(R::Suffix) },
            // Organisation.
            { "COMPANY", role(R::Organization) }, { "FIRMA", role(R::Organization) },
            { "SOCI\xC9T\xC9", role(R::Organization) }, { "ORGANIZATION", role(R::Organization) },
            { "ORGANISATION", role(R::Organization) }, { "ORGANIZATION NAME", role(R::Organization) },
            { "JOB TITLE", role(R::Title) }, { "POSITION", role(R::Title) }, { "FONCTION", role(R::Title) },
            { "ARBEITSTITEL", role(R::Title) }, { "ORGANIZATION TITLE", role(R::Title) },
            // Dates and notes.
            { "BIRTHDAY", role(R::Birthday) }, { "GEBURTSTAG", role(R::Birthday) },
            { "ANNIVERSAIRE", role(R::Birthday) },
            { "BIRTH YEAR", role(R::BirthYear) }, { "GEBURTSJAHR", role(R::BirthYear) },
            { "BIRTH MONTH", role(R::BirthMonth) }, { "GEBURTSMONAT", role(R::BirthMonth) },
            { "BIRTH DAY", role(R::BirthDay) },
            { "NOTES", role(R::Note) }, { "NOTIZEN", role(R::Note) },
            // What the address book keeps about its entries, not about the
            // person: groups, flags, a picture, a copy of the e-mail address.
            { "GROUP MEMBERSHIP", role(R::Consumed) }, { "LABELS", role(R::Consumed) },
            { "CATEGORIES", role(R::Consumed) }, { "KATEGORIEN", role(R::Consumed) },
            { "CAT\xC9GORIES", role(R::Consumed) }, { "PHOTO", role(R::Consumed) },
            { "GENDER", role(R::Consumed) }, { "GESCHLECHT", role(R::Consumed) }, { "SEXE", role(R::Consumed) },
            { "PRIORITY", role(R::Consumed) }, { "PRIORIT\xC4T", role(R::Consumed) },
            { "PRIORIT\xC9", role(R::Consumed) }, { "PRIVATE", role(R::Consumed) }, { "PRIVAT", role(R::Consumed) },
            { "PRIV\xC9", role(R::Consumed) }, { "SENSITIVITY", role(R::Consumed) },
            { "VERTRAULICHKEIT", role(R::Consumed) }, { "CRIT\xC8RE DE DIFFUSION", role(R::Consumed) },
            { "INITIALS", role(R::Consumed) }, { "INITIALEN", role(R::Consumed) },
            { "INITIALES", role(R::Consumed) }, { "FILE AS", role(R::Consumed) },
            { "E-MAIL TYPE", role(R::Consumed) }, { "E-MAIL 2 TYPE", role(R::Consumed) },
            { "E-MAIL 3 TYPE", role(R::Consumed) }, { "E-MAIL DISPLAY NAME", role(R::Consumed) },
            { "E-MAIL 2 DISPLAY NAME", role(R::Consumed) }, { "E-MAIL 3 DISPLAY NAME", role(R::Consumed) },
            { "E-MAIL-TYP", role(R::Consumed) }, { "E-MAIL 2: TYP", role(R::Consumed) },
            { "E-MAIL 3: TYP", role(R::Consumed) }, { "E-MAIL: ANGEZEIGTER NAME", role(R::Consumed) },
            { "E-MAIL 2: ANGEZEIGTER NAME", role(R::Consumed) }, { "E-MAIL 3: ANGEZEIGTER NAME", role(R::Consumed) },
            { "TYPE DE MESSAGERIE", role(R::Consumed) }, { "TYPE DE MESSAGERIE 2", role(R::Consumed) },
            { "TYPE DE MESSAGERIE 3", role(R::Consumed) },
            { "NOM COMPLET DE L'ADRESSE DE MESSAGERIE", role(R::Consumed) },
            { "NOM COMPLET DE L'ADRESSE DE MESSAGERIE 2", role(R::Consumed) },
            { "NOM COMPLET DE L'ADRESSE DE MESSAGERIE 3", role(R::Consumed) },
            // E-mail.
            { "E-MAIL ADDRESS", role(R::Email) }, { "E-MAIL 2 ADDRESS", role(R::Email) },
            { "E-MAIL 3 ADDRESS", role(R::Email) }, { "PRIMARY EMAIL", role(R::Email) },
            { "SECONDARY EMAIL", role(R::Email) }, { "E-MAIL-ADRESSE", role(R::Email) },
            { "E-MAIL 2: ADRESSE", role(R::Email) }, { "E-MAIL 3: ADRESSE", role(R::Email) },
            { "PRIM\xC4RE E-MAIL-ADRESSE", role(R::Email) }, { "SEKUND\xC4RE E-MAIL-ADRESSE", role(R::Email) },
            { "ADRESSE DE MESSAGERIE", role(R::Email) }, { "ADRESSE DE MESSAGERIE 2", role(R::Email) },
            { "ADRESSE DE MESSAGERIE 3", role(R::Email) },
            // Numbers: Outlook in English, German, French; Thunderbird.
            { "PRIMARY PHONE", phone(K::Voice, true) }, { "HAUPTTELEFON", phone(K::Voice, true) },
            { "T\xC9L\xC9PHONE PRINCIPAL", phone(K::Voice, true) },
            { "HOME PHONE", phone(K::Home) }, { "HOME PHONE 2", phone(K::Home) },
            { "TELEFON PRIVAT", phone(K::Home) }, { "TELEFON PRIVAT 2", phone(K::Home) },
            { "T\xC9L\xC9PHONE (DOMICILE)", phone(K::Home) }, { "T\xC9L\xC9PHONE 2 (DOMICILE)", phone(K::Home) },
            { "TEL. PRIVAT", phone(K::Home) },
            { "MOBILE PHONE", phone(K::Mobile) }, { "MOBILTELEFON", phone(K::Mobile) },
            { "MOBILTELEFON 2", phone(K::Mobile) }, { "T\xC9L. MOBILE", phone(K::Mobile) },
            { "MOBILE NUMBER", phone(K::Mobile) }, { "MOBIL-TEL.-NR.", phone(K::Mobile) },
            { "PORTABLE", phone(K::Mobile) },
            { "BUSINESS PHONE", phone(K::Work) }, { "BUSINESS PHONE 2", phone(K::Work) },
            { "COMPANY MAIN PHONE", phone(K::Work) }, { "TELEFON GESCH\xC4" "FTLICH", phone(K::Work) },
            { "TELEFON GESCH\xC4" "FTLICH 2", phone(K::Work) }, { "TELEFON FIRMA", phone(K::Work) },
            { "T\xC9L\xC9PHONE (BUREAU)", phone(K::Work) }, { "T\xC9L\xC9PHONE 2 (BUREAU)", phone(K::Work) },
            { "T\xC9L\xC9PHONE SOCI\xC9T\xC9", phone(K::Work) }, { "WORK PHONE", phone(K::Work) },
            { "TEL. DIENSTLICH", phone(K::Work) },
            { "HOME FAX", phone(K::Fax) }, { "BUSINESS FAX", phone(K::Fax) }, { "OTHER FAX", phone(K::Fax) },
            { "FAX PRIVAT", phone(K::Fax) }, { "FAX GESCH\xC4" "FTLICH", phone(K::Fax) },
            { "WEITERES FAX", phone(K::Fax) }, { "T\xC9L\xC9" "COPIE (DOMICILE)", phone(K::Fax) },
            { "T\xC9L\xC9" "COPIE (BUREAU)", phone(K::Fax) }, { "T\xC9L\xC9" "COPIE (AUTRE)", phone(K::Fax) },
            { "FAX NUMBER", phone(K::Fax) }, { "FAX-NUMMER", phone(K::Fax) },
            { "PAGER", phone(K::Pager) }, { "PAGER NUMBER", phone(K::Pager) }, { "PAGER-NUMMER", phone(K::Pager) },
            { "R\xC9" "CEPTEUR DE RADIOMESSAGERIE", phone(K::Pager) },
            { "OTHER PHONE", phone(K::Voice) }, { "WEITERES TELEFON", phone(K::Voice) },
            { "T\xC9L\xC9PHONE (AUTRE)", phone(K::Voice) }, { "ASSISTANT'S PHONE", phone(K::Voice) },
            { "TELEFON ASSISTENT", phone(K::Voice) }, { "T\xC9L\xC9PHONE DE L'ASSISTANT(E)", phone(K::Voice) },
            { "CAR PHONE", phone(K::Voice) }, { "AUTOTELEFON", phone(K::Voice) },
            { "T\xC9L\xC9PHONE (VOITURE)", phone(K::Voice) }, { "CALLBACK", phone(K::Voice) },
            { "R\xDC" "CKMELDUNG", phone(K::Voice) }, { "RAPPEL", phone(K::Voice) }, { "ISDN", phone(K::Voice) },
            { "RNIS", phone(K::Voice) }, { "RADIO PHONE", phone(K::Voice) }, { "FUNKTELEFON", phone(K::Voice) },
            { "RADIO T\xC9L\xC9PHONE", phone(K::Voice) }, { "TTY/TDD PHONE", phone(K::Voice) },
            { "TELEFON F\xDCR H\xD6RBEHINDERTE", phone(K::Voice) }, { "T\xC9L\xC9PHONE TDD/TTY", phone(K::Voice) },
            // Addresses: Outlook (English, German, French), Thunderbird.
            { "HOME STREET", address(R::Street, kHome) }, { "HOME STREET 2", address(R::StreetMore, kHome) },
            { "HOME STREET 3", address(R::StreetMore, kHome) }, { "HOME CITY", address(R::Locality, kHome) },
            { "HOME POSTAL CODE", address(R::PostalCode, kHome) }, { "HOME COUNTRY", address(R::Country, kHome) },
            { "HOME COUNTRY/REGION", address(R::Country, kHome) },
            { "HOME ADDRESS", address(R::Street, kHome) }, { "HOME ADDRESS 2", address(R::StreetMore, kHome) },
            { "HOME ZIPCODE", address(R::PostalCode, kHome) },
            { "BUSINESS STREET", address(R::Street, kBusiness) },
            { "BUSINESS STREET 2", address(R::StreetMore, kBusiness) },
            { "BUSINESS STREET 3", address(R::StreetMore, kBusiness) },
            { "BUSINESS CITY", address(R::Locality, kBusiness) },
            { "BUSINESS POSTAL CODE", address(R::PostalCode, kBusiness) },
            { "BUSINESS COUNTRY", address(R::Country, kBusiness) },
            { "BUSINESS COUNTRY/REGION", address(R::Country, kBusiness) },
            { "WORK ADDRESS", address(R::Street, kBusiness) },
            { "WORK ADDRESS 2", address(R::StreetMore, kBusiness) }, { "WORK CITY", address(R::Locality, kBusiness) },
            { "WORK ZIPCODE", address(R::PostalCode, kBusiness) }, { "WORK COUNTRY", address(R::Country, kBusiness) },
            { "OTHER STREET", address(R::Street, kOther) }, { "OTHER STREET 2", address(R::StreetMore, kOther) },
            { "OTHER STREET 3", address(R::StreetMore, kOther) }, { "OTHER CITY", address(R::Locality, kOther) },
            { "OTHER POSTAL CODE", address(R::PostalCode, kOther) }, { "OTHER COUNTRY", address(R::Country, kOther) },
            { "OTHER COUNTRY/REGION", address(R::Country, kOther) },
            { "STRA\xDF" "E PRIVAT", address(R::Street, kHome) },
            { "STRA\xDF" "E PRIVAT 2", address(R::StreetMore, kHome) },
            { "STRA\xDF" "E PRIVAT 3", address(R::StreetMore, kHome) }, { "ORT PRIVAT", address(R::Locality, kHome) },
            { "POSTLEITZAHL PRIVAT", address(R::PostalCode, kHome) },
            { "LAND/REGION PRIVAT", address(R::Country, kHome) },
            { "STRA\xDF" "E GESCH\xC4" "FTLICH", address(R::Street, kBusiness) },
            { "STRA\xDF" "E GESCH\xC4" "FTLICH 2", address(R::StreetMore, kBusiness) },
            { "STRA\xDF" "E GESCH\xC4" "FTLICH 3", address(R::StreetMore, kBusiness) },
            { "ORT GESCH\xC4" "FTLICH", address(R::Locality, kBusiness) },
            { "POSTLEITZAHL GESCH\xC4" "FTLICH", address(R::PostalCode, kBusiness) },
            { "LAND/REGION GESCH\xC4" "FTLICH", address(R::Country, kBusiness) },
            { "WEITERE STRA\xDF" "E", address(R::Street, kOther) },
            { "WEITERE STRA\xDF" "E 2", address(R::StreetMore, kOther) },
            { "WEITERE STRA\xDF" "E 3", address(R::StreetMore, kOther) },
            { "WEITERER ORT", address(R::Locality, kOther) },
            { "WEITERE POSTLEITZAHL", address(R::PostalCode, kOther) },
            { "WEITERES LAND/WEITERE REGION", address(R::Country, kOther) },
            { "WEITERES/R LAND/REGION", address(R::Country, kOther) },
            { "PRIVAT: ADRESSE", address(R::Street, kHome) }, { "PRIVAT: ADRESSE 2", address(R::StreetMore, kHome) },
            { "PRIVAT: ORT", address(R::Locality, kHome) }, { "PRIVAT: PLZ", address(R::PostalCode, kHome) },
            { "PRIVAT: LAND", address(R::Country, kHome) },
            { "DIENSTLICH: ADRESSE", address(R::Street, kBusiness) },
            { "DIENSTLICH: ADRESSE 2", address(R::StreetMore, kBusiness) },
            { "DIENSTLICH: ORT", address(R::Locality, kBusiness) },
            { "DIENSTLICH: PLZ", address(R::PostalCode, kBusiness) },
            { "DIENSTLICH: LAND", address(R::Country, kBusiness) },
            { "RUE (DOMICILE)", address(R::Street, kHome) }, { "RUE (DOMICILE) 2", address(R::StreetMore, kHome) },
            { "RUE (DOMICILE) 3", address(R::StreetMore, kHome) }, { "VILLE (DOMICILE)", address(R::Locality, kHome) },
            { "CODE POSTAL (DOMICILE)", address(R::PostalCode, kHome) },
            { "PAYS/R\xC9GION (DOMICILE)", address(R::Country, kHome) },
            { "RUE (BUREAU)", address(R::Street, kBusiness) },
            { "RUE (BUREAU) 2", address(R::StreetMore, kBusiness) },
            { "RUE (BUREAU) 3", address(R::StreetMore, kBusiness) },
            { "VILLE (BUREAU)", address(R::Locality, kBusiness) },
            { "CODE POSTAL (BUREAU)", address(R::PostalCode, kBusiness) },
            { "PAYS/R\xC9GION (BUREAU)", address(R::Country, kBusiness) },
            { "RUE (AUTRE)", address(R::Street, kOther) }, { "RUE (AUTRE) 2", address(R::StreetMore, kOther) },
            { "RUE (AUTRE) 3", address(R::StreetMore, kOther) }, { "VILLE (AUTRE)", address(R::Locality, kOther) },
            { "CODE POSTAL (AUTRE)", address(R::PostalCode, kOther) },
            { "PAYS/R\xC9GION (AUTRE)", address(R::Country, kOther) },
        };
        for (const auto& [title, columnRole] : entries)
            m.emplace(title, columnRole);
        return m;
    }();
    return titles;
}

// Google's numbered groups: "PHONE 1 - VALUE", "E-MAIL 2 - TYPE",
// "ADDRESS 1 - POSTAL CODE", "ORGANIZATION 1 - NAME".
std::optional<ColumnRole> GoogleGroupTitle(const std::string& title)
{
    const std::size_t dash = title.find(" - ");
    if (dash == std::string::npos)
        return std::nullopt;
    const std::string head = title.substr(0, dash), part = title.substr(dash + 3);
    const std::size_t blank = head.find_last_of(' ');
    if (blank == std::string::npos)
        return std::nullopt;
    const std::string item = head.substr(0, blank), number = head.substr(blank + 1);
    if (number.empty() || number.size() > 3 || !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    ColumnRole role;
    role.group = std::stoi(number);
    const auto is = [&part](std::initializer_list<const char*> names) {
        return std::any_of(names.begin(), names.end(), [&part](const char* n) { return part == n; });
    };
    if (item == "PHONE")
        role.role = is({ "VALUE" }) ? Role::Phone : is({ "TYPE", "LABEL" }) ? Role::PhoneType : Role::None;
    else if (item == "E-MAIL")
        role.role = is({ "VALUE" }) ? Role::Email : is({ "TYPE", "LABEL" }) ? Role::EmailType : Role::None;
    else if (item == "ADDRESS")
        role.role = is({ "STREET" })              ? Role::Street
            : is({ "EXTENDED ADDRESS", "PO BOX" }) ? Role::StreetMore
            : is({ "CITY" })                       ? Role::Locality
            : is({ "POSTAL CODE" })                ? Role::PostalCode
            : is({ "COUNTRY" })                    ? Role::Country
            : is({ "FORMATTED" })                  ? Role::FormattedAddress
            : is({ "TYPE", "LABEL" })              ? Role::Consumed
                                                   : Role::None;
    else if (item == "ORGANIZATION")
        role.role = is({ "NAME" }) ? Role::Organization : is({ "TITLE" }) ? Role::Title
            : is({ "TYPE", "LABEL" })                                       ? Role::Consumed
                                                                            : Role::None;
    else
        return ColumnRole {};  // a group of Google's the card has no place for
    return role;
}

bool IsGroupOfGoogle(const std::string& title)
{
    return title.find(" - ") != std::string::npos;
}

// Outlook writes "0/0/00" (in German "0.0.00") for a date it does not know.
bool IsNoDate(std::string_view field)
{
    return std::all_of(field.begin(), field.end(), [](char c) { return c == '0' || c == '/' || c == '.'; });
}

// Values of several numbers or addresses of one type in one field.
std::vector<std::string_view> SplitMulti(std::string_view field)
{
    std::vector<std::string_view> values;
    for (;;) {
        const std::size_t at = field.find(" ::: ");
        values.push_back(TrimBlanks(field.substr(0, at)));
        if (at == std::string_view::npos)
            break;
        field.remove_prefix(at + 5);
    }
    return values;
}

// Windows-1252 texts of the table to the contact's UTF-8.
std::string Utf8(std::string_view ansi)
{
    return AnsiToUtf8(std::string(TrimBlanks(ansi)));
}

}  // namespace

PhoneKind PhoneKindOfLabel(std::string_view label)
{
    const std::string upper = AnsiToUpper(std::string(label));
    const auto has = [&upper](std::initializer_list<const char*> words) {
        return std::any_of(words.begin(), words.end(), [&upper](const char* w) { return upper.find(w) != std::string::npos; });
    };
    if (has({ "FAX", "T\xC9L\xC9" "COPIE" }))
        return PhoneKind::Fax;
    if (has({ "PAGER", "BIPPER", "RADIOMESSAGERIE" }))
        return PhoneKind::Pager;
    if (has({ "MOBIL", "CELL", "HANDY", "IPHONE", "PORTABLE", "NATEL" }))
        return PhoneKind::Mobile;
    if (has({ "WORK", "BUSINESS", "ARBEIT", "GESCH\xC4" "FT", "B\xDC" "RO", "DIENST", "FIRMA", "TRAVAIL", "BUREAU",
              "OFFICE", "COMPANY" }))
        return PhoneKind::Work;
    if (has({ "HOME", "PRIVAT", "DOMICILE", "ZUHAUSE", "MAISON" }))
        return PhoneKind::Home;
    return PhoneKind::Voice;
}

namespace {

// The role of each column, from the titles in the first record.
std::vector<ColumnRole> RolesOfTitles(const CImportTable& table, int columns)
{
    std::vector<ColumnRole> roles(static_cast<std::size_t>(std::max(columns, 0)));
    for (int c = 0; c < columns; ++c) {
        const std::string title = Upper(table.FieldView(0, c));
        const auto fixed = FixedTitles().find(title);
        if (fixed != FixedTitles().end())
            roles[c] = fixed->second;
        else if (IsGroupOfGoogle(title))
            roles[c] = GoogleGroupTitle(title).value_or(ColumnRole {});
    }
    return roles;
}

// A file of one's own with a name and a number column is not an
// export: an address book's export gives the name in parts (or in
// Google's groups) and has a number or an e-mail address.
bool LooksLikeExport(const std::vector<ColumnRole>& roles)
{
    const auto count = [&roles](std::initializer_list<Role> wanted) {
        return std::count_if(roles.begin(), roles.end(), [&wanted](const ColumnRole& r) {
            return std::find(wanted.begin(), wanted.end(), r.role) != wanted.end();
        });
    };
    const bool nameParts = count({ Role::Given }) > 0 && count({ Role::Family, Role::FullName }) > 0;
    const bool reachable = count({ Role::Phone, Role::Email }) > 0;
    const auto known = count({ Role::FullName, Role::Prefix, Role::Given, Role::Middle, Role::Family, Role::Suffix,
                               Role::Organization, Role::Title, Role::Birthday, Role::Note, Role::Email, Role::Phone,
                               Role::Street, Role::Locality, Role::PostalCode, Role::Country });
    return nameParts && reachable && known >= 4;
}

// Thunderbird's German export calls the day of the month "Geburtstag".
void ReadGermanBirthdayAsDay(const CImportTable& table, std::vector<ColumnRole>& roles)
{
    const bool anyBirthYear =
        std::any_of(roles.begin(), roles.end(), [](const ColumnRole& r) { return r.role == Role::BirthYear; });
    if (!anyBirthYear)
        return;
    for (std::size_t c = 0; c < roles.size(); ++c)
        if (roles[c].role == Role::Birthday && Upper(table.FieldView(0, static_cast<int>(c))) == "GEBURTSTAG")
            roles[c].role = Role::BirthDay;
}

// One record of the export read into a contact; the parts that come in
// several columns (types of numbers, addresses, the birthday) are
// gathered here and joined by Finish.
class ContactOfRecord {
public:
    ContactOfRecord(const CImportTable& table, int record, const std::vector<ColumnRole>& roles)
        : m_table(table), m_record(record), m_roles(roles)
    {
    }

    Contact Read(std::vector<bool>& leftOut)
    {
        ReadTypes();
        ForEachField([this, &leftOut](int c, std::string_view field) { Take(c, field, leftOut); });
        return Finish();
    }

private:
    template <typename Fn>
    void ForEachField(Fn fn) const
    {
        for (int c = 0; c < static_cast<int>(m_roles.size()); ++c) {
            const std::string_view field = TrimBlanks(m_table.FieldView(m_record, c));
            if (!field.empty())
                fn(c, field);
        }
    }

    // The types come before the values they describe, whatever the order of the columns.
    void ReadTypes()
    {
        ForEachField([this](int c, std::string_view field) {
            const ColumnRole& role = m_roles[c];
            if (role.role == Role::PhoneType)
                m_phoneTypes[role.group] = std::string(field);
            else if (role.role == Role::EmailType)
                m_emailTypes[role.group] = std::string(field);
        });
    }

    void Take(int c, std::string_view field, std::vector<bool>& leftOut)
    {
        const ColumnRole& role = m_roles[c];
        const auto setOnce = [&field](std::string& into) {
            if (into.empty())
                into = Utf8(field);
        };
        switch (role.role) {
        case Role::None: leftOut[c] = leftOut[c] || !IsNoDate(field); break;
        case Role::Consumed:
        case Role::PhoneType:
        case Role::EmailType: break;
        case Role::FullName: setOnce(m_contact.fullName); break;
        case Role::Prefix: setOnce(m_contact.prefix); break;
        case Role::Given: setOnce(m_contact.given); break;
        case Role::Middle: setOnce(m_contact.middle); break;
        case Role::Family: setOnce(m_contact.family); break;
        case Role::Suffix: setOnce(m_contact.suffix); break;
        case Role::Organization: setOnce(m_contact.organization); break;
        case Role::Title: setOnce(m_contact.title); break;
        case Role::Birthday: setOnce(m_contact.birthday); break;
        case Role::BirthYear: m_year = std::string(field); break;
        case Role::BirthMonth: m_month = std::string(field); break;
        case Role::BirthDay: m_day = std::string(field); break;
        case Role::Note:
            if (!m_contact.note.empty())
                m_contact.note += " ";
            m_contact.note += Utf8(field);
            break;
        case Role::Email: AddEmails(role, field); break;
        case Role::Phone: AddPhones(role, field); break;
        case Role::Street:
        case Role::StreetMore: {
            std::string& street = m_addresses[role.group].street;
            if (!street.empty())
                street += ", ";
            street += Utf8(field);
            break;
        }
        case Role::PostalCode: setOnce(m_addresses[role.group].postalCode); break;
        case Role::Locality: setOnce(m_addresses[role.group].locality); break;
        case Role::Country: setOnce(m_addresses[role.group].country); break;
        case Role::FormattedAddress: m_formatted[role.group] = Utf8(field); break;
        }
    }

    void AddEmails(const ColumnRole& role, std::string_view field)
    {
        const auto type = m_emailTypes.find(role.group);
        const bool primary = type != m_emailTypes.end() && type->second.rfind("* ", 0) == 0;
        for (std::string_view value : SplitMulti(field)) {
            if (value.empty())
                continue;
            if (primary)
                m_contact.emails.insert(m_contact.emails.begin(), Utf8(value));
            else
                m_contact.emails.push_back(Utf8(value));
        }
    }

    void AddPhones(const ColumnRole& role, std::string_view field)
    {
        ContactPhone phone;
        phone.kind = role.kind;
        phone.preferred = role.preferred;
        const auto type = m_phoneTypes.find(role.group);
        if (role.group > 0 && type != m_phoneTypes.end()) {
            std::string_view label = type->second;
            if (label.rfind("* ", 0) == 0) {
                phone.preferred = true;
                label.remove_prefix(2);
            }
            phone.kind = PhoneKindOfLabel(label);
            phone.preferred = phone.preferred || AnsiToUpper(std::string(TrimBlanks(label))) == "MAIN";
        }
        for (std::string_view value : SplitMulti(field)) {
            if (value.empty())
                continue;
            phone.number = Utf8(value);
            m_contact.phones.push_back(phone);
        }
    }

    Contact Finish()
    {
        for (auto& [group, address] : m_addresses)
            m_contact.addresses.push_back(address);
        // Only a formatted address: it is the street line.
        for (const auto& [group, text] : m_formatted)
            if (!m_addresses.count(group))
                m_contact.addresses.push_back({ text, {}, {}, {} });
        if (!m_month.empty() && !m_day.empty()) {
            // Without a year, the form vCards use: "--03-15".
            const auto two = [](const std::string& s) { return s.size() == 1 ? "0" + s : s; };
            m_contact.birthday = m_year.empty() ? "--" + two(m_month) + "-" + two(m_day)
                                                : NormalizeBirthday(m_year + "-" + two(m_month) + "-" + two(m_day));
        } else {
            m_contact.birthday = NormalizeBirthday(m_contact.birthday);
        }
        return std::move(m_contact);
    }

    const CImportTable& m_table;
    const int m_record;
    const std::vector<ColumnRole>& m_roles;
    Contact m_contact;
    std::map<int, std::string> m_phoneTypes, m_emailTypes;
    std::map<int, ContactAddress> m_addresses;  // by group, in the order of the groups
    std::map<int, std::string> m_formatted;
    std::string m_year, m_month, m_day;
};

}  // namespace

bool RecogniseContactExport(CImportTable& table, NameOrder order)
{
    if (table.RecordCount() < 1)
        return false;
    const int columns = table.RecordLength(0);
    std::vector<ColumnRole> roles = RolesOfTitles(table, columns);
    if (!LooksLikeExport(roles))
        return false;
    ReadGermanBirthdayAsDay(table, roles);

    std::vector<Contact> contacts;
    std::vector<bool> leftOut(roles.size(), false);
    for (int r = 1; r < table.RecordCount(); ++r)
        if (table.HasRecord(r))
            contacts.push_back(ContactOfRecord(table, r, roles).Read(leftOut));
    std::vector<std::string> leftOutTitles;
    for (int c = 0; c < columns; ++c)
        if (leftOut[c])
            leftOutTitles.emplace_back(TrimBlanks(table.FieldView(0, c)));
    CImportTable contactTable;
    ContactsToTable(contacts, order, contactTable);
    TableLayout layout = contactTable.Layout();
    layout.columnsLeftOut = std::move(leftOutTitles);
    contactTable.SetLayout(std::move(layout));
    table = std::move(contactTable);
    return true;
}

}  // namespace velkaro
