#include "VCardReader.h"

#include "text/Ascii.h"
#include "text/Cp1252.h"
#include "text/Language.h"
#include "exchange/FileAccess.h"
#include "exchange/ImportReader.h"
#include "exchange/TextReader.h"
#include "text/MessageIds.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <iterator>
#include <map>

namespace velkaro {

namespace {

// The reader holds the file in memory and about three times as much for its
// contacts: a larger file is refused (a million contacts take some 80 MB).
constexpr std::size_t kFileMax = kMaxImportFileBytes;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
// Our own export marks the property that holds a card line with the line's
// number (0..31), and writes a line no property holds as X-VELKARO-TEXT.
constexpr std::string_view kLineMark = "X-VELKARO-LINE";

// One content line: "group.NAME;PARAM=VALUE;...:value".
struct Property {
    std::string name;  // upper case, without the group
    std::string group;  // upper case: "ITEM1" of "item1.TEL"
    int markLine = -1;  // the card line our own export marked it with
    std::vector<std::string> types;  // upper case, from TYPE= and bare 2.1 parameters
    bool preferred = false;
    bool quotedPrintable = false;
    bool binary = false;
    std::string charset;  // upper case; empty when none was given
    std::string value;  // raw, escapes still in
};

// Splits "a;b;c" at the separators outside double quotes (4.0 quotes
// parameter values that hold ';', ':' or ',').
std::vector<std::string_view> SplitOutsideQuotes(std::string_view s, char sep)
{
    std::vector<std::string_view> parts;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '"')
            quoted = !quoted;
        else if (s[i] == sep && !quoted) {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(s.substr(start));
    return parts;
}

std::string_view Unquote(std::string_view s)
{
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        return s.substr(1, s.size() - 2);
    return s;
}

// Where the parameters end and the value begins: the first ':' outside
// double quotes; npos when the line has none.
std::size_t ValueColon(std::string_view line)
{
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return i;
    }
    return std::string_view::npos;
}

bool ParseProperty(std::string_view line, Property& property)
{
    const std::size_t colon = ValueColon(line);
    if (colon == std::string_view::npos)
        return false;
    property.value = std::string(line.substr(colon + 1));
    const auto parts = SplitOutsideQuotes(line.substr(0, colon), ';');
    std::string_view name = TrimBlanks(parts[0]);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) {
        property.group = AsciiUpper(name.substr(0, dot));
        name.remove_prefix(dot + 1);
    }
    property.name = AsciiUpper(name);
    for (std::size_t k = 1; k < parts.size(); ++k) {
        const std::string_view parameter = TrimBlanks(parts[k]);
        const std::size_t equals = parameter.find('=');
        const std::string key = AsciiUpper(TrimBlanks(parameter.substr(0, equals)));
        if (equals == std::string_view::npos) {
            // Version 2.1 gives types and the encoding as bare words.
            if (key == "QUOTED-PRINTABLE")
                property.quotedPrintable = true;
            else if (key == "BASE64" || key == "B")
                property.binary = true;
            else if (key == "PREF")
                property.preferred = true;
            else
                property.types.push_back(key);
            continue;
        }
        const std::string_view value = parameter.substr(equals + 1);
        if (key == "ENCODING") {
            const std::string encoding = AsciiUpper(Unquote(value));
            property.quotedPrintable = property.quotedPrintable || encoding == "QUOTED-PRINTABLE";
            property.binary = property.binary || encoding == "BASE64" || encoding == "B";
        } else if (key == "CHARSET") {
            property.charset = AsciiUpper(Unquote(value));
        } else if (key == "PREF") {
            property.preferred = true;
        } else if (key == kLineMark) {
            const std::string_view line = Unquote(TrimBlanks(value));
            if (line.size() <= 2 && !line.empty()
                && std::all_of(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; })) {
                const int number = std::stoi(std::string(line));
                property.markLine = number < kMaxLines ? number : -1;
            }
        } else if (key == "TYPE") {
            for (std::string_view type : SplitOutsideQuotes(value, ',')) {
                std::string upper = AsciiUpper(Unquote(TrimBlanks(type)));
                // 4.0 writes TYPE="work,voice" as one quoted list.
                for (std::string_view inner : SplitOutsideQuotes(upper, ',')) {
                    if (inner == "PREF")
                        property.preferred = true;
                    else if (!inner.empty())
                        property.types.emplace_back(inner);
                }
            }
        }
    }
    return true;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = AsciiToUpper(c);
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Quoted-printable (RFC 2045): "=XX" is a byte (the soft line breaks were
// joined with the lines); anything else stands for itself.
std::string DecodeQuotedPrintable(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '=') {
            out.push_back(s[i]);
            continue;
        }
        const int high = i + 1 < s.size() ? HexDigit(s[i + 1]) : -1;
        const int low = i + 2 < s.size() ? HexDigit(s[i + 2]) : -1;
        if (high < 0 || low < 0) {
            out.push_back('=');
            continue;
        }
        out.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return out;
}

bool LooksValidUtf8(const std::string& bytes)
{
    Utf8Check check;
    for (char c : bytes)
        check.Feed(static_cast<unsigned char>(c));
    return check.Valid();
}

bool IsWindowsCharset(const std::string& charset)
{
    return charset == "ISO-8859-1" || charset == "ISO8859-1" || charset == "LATIN1" || charset == "WINDOWS-1252"
        || charset == "CP1252" || charset == "US-ASCII" || charset == "ASCII";
}

// Bytes of a declared character set in UTF-8, through the C library's
// converters; false when the set is unknown or the bytes are not of it.
bool ConvertToUtf8(const std::string& bytes, const std::string& charset, std::string& utf8)
{
    iconv_t converter = iconv_open("UTF-8", charset.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string in = bytes;
    std::string out(bytes.size() * 4 + 16, '\0');
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t result = iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(converter);
    if (result == static_cast<std::size_t>(-1))
        return false;
    out.resize(out.size() - outLeft);
    utf8 = std::move(out);
    return true;
}

// The value's bytes in UTF-8. Without a character set, valid UTF-8 is taken
// as it is (3.0 and 4.0 files, and what current programs write as 2.1) and
// anything else as Windows-1252 (older 2.1 writers).
std::string ValueToUtf8(const Property& property)
{
    const std::string bytes = property.quotedPrintable ? DecodeQuotedPrintable(property.value) : property.value;
    const std::string& charset = property.charset;
    std::string utf8;
    if (!charset.empty() && charset != "UTF-8" && !IsWindowsCharset(charset) && ConvertToUtf8(bytes, charset, utf8))
        return utf8;
    const bool windows = IsWindowsCharset(charset) || !LooksValidUtf8(bytes);
    return windows ? AnsiToUtf8(bytes) : bytes;
}

// Splits a structured value at ';' not escaped by a backslash and removes the
// escapes (\\ \; \, \n \N; a line break becomes a blank, as a card line has
// one line).
std::vector<std::string> SplitAndUnescape(std::string_view value, bool structured)
{
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            parts.back().push_back(next == 'n' || next == 'N' ? ' ' : next);
        } else if (c == ';' && structured) {
            parts.emplace_back();
        } else if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') {
            continue;
        } else if (c == '\r' || c == '\n') {
            parts.back().push_back(' ');
        } else {
            parts.back().push_back(c);
        }
    }
    return parts;
}

std::string PlainText(const Property& property)
{
    return std::string(TrimBlanks(SplitAndUnescape(ValueToUtf8(property), false)[0]));
}

std::vector<std::string> Components(const Property& property)
{
    auto parts = SplitAndUnescape(ValueToUtf8(property), true);
    for (auto& part : parts)
        part = std::string(TrimBlanks(part));
    return parts;
}

void Append(std::string& field, const std::string& text, std::string_view separator = ", ")
{
    if (text.empty())
        return;
    if (!field.empty())
        field += separator;
    field += text;
}

bool HasType(const Property& property, std::string_view type)
{
    return std::find(property.types.begin(), property.types.end(), type) != property.types.end();
}

// Apple's and Google's item labels: "_$!<Mobile>!$_" for the labels they
// know, the user's own words otherwise.
std::string ItemLabel(std::string label)
{
    if (label.size() > 8 && label.rfind("_$!<", 0) == 0 && label.compare(label.size() - 4, 4, ">!$_") == 0)
        label = label.substr(4, label.size() - 8);
    return label;
}

PhoneKind KindOfTypes(const Property& tel)
{
    if (HasType(tel, "FAX"))
        return PhoneKind::Fax;
    if (HasType(tel, "CELL") || HasType(tel, "IPHONE") || HasType(tel, "MOBILE"))
        return PhoneKind::Mobile;
    if (HasType(tel, "PAGER"))
        return PhoneKind::Pager;
    if (HasType(tel, "WORK"))
        return PhoneKind::Work;
    if (HasType(tel, "HOME"))
        return PhoneKind::Home;
    return PhoneKind::Voice;
}

// A number as the telephone dials it: a "tel:" URI (RFC 3966) without its
// scheme and parameters, and an extension after the number, separated by a
// blank: dialled straight after the number, as a direct-dial extension is.
std::string DialledNumber(std::string number)
{
    if (AsciiStartsWithNoCase(number, "tel:"))
        number.erase(0, 4);
    const std::string upper = AsciiUpper(number);
    const std::size_t ext = upper.find(";EXT=");
    std::string extension;
    if (ext != std::string::npos) {
        extension = number.substr(ext + 5);
        extension = extension.substr(0, extension.find(';'));
    }
    const std::size_t parameters = number.find(';');
    if (parameters != std::string::npos && (ext != std::string::npos || AsciiStartsWithNoCase(upper.substr(parameters), ";PHONE-CONTEXT=")))
        number.resize(parameters);
    number = std::string(TrimBlanks(number));
    if (!extension.empty())
        number += " " + extension;
    return number;
}

// Properties that say something of the person which the card has no column
// for; what the address book keeps about its entries (a photo, groups, the
// program that wrote the file) is not among them.
bool IsContactData(const std::string& name)
{
    static const char* const kNames[] = { "URL",          "NICKNAME",      "IMPP",   "ANNIVERSARY", "RELATED",
                                          "X-SOCIALPROFILE", "X-SKYPE",    "X-JABBER", "X-AIM",     "X-ICQ",
                                          "X-MSN",        "X-YAHOO",       "X-TWITTER", "X-ANNIVERSARY" };
    return std::any_of(std::begin(kNames), std::end(kNames), [&name](const char* n) { return name == n; });
}

// The properties of one card, turned into a contact.
class CardBuilder {
public:
    void Add(const Property& property)
    {
        if (property.binary)
            return;
        if (property.markLine >= 0)
            m_contact.markedLines[static_cast<std::size_t>(property.markLine)] = MarkedText(property);
        const std::string& name = property.name;
        // 4.0 may give the name once per language; the first is taken.
        if (name == "FN" && m_contact.fullName.empty()) {
            m_contact.fullName = PlainText(property);
        } else if (name == "N" && !m_haveName) {
            SetNameParts(Components(property));
        } else if (name == "TEL") {
            m_telephones.push_back(property);
        } else if (name == "EMAIL") {
            const std::string email = PlainText(property);
            if (!email.empty())
                m_contact.emails.insert(property.preferred ? m_contact.emails.begin() : m_contact.emails.end(), email);
        } else if (name == "ORG" && m_contact.organization.empty()) {
            m_contact.organization = JoinNonBlank(Components(property), ", ");
        } else if (name == "TITLE") {
            Append(m_contact.title, PlainText(property));
        } else if (name == "ROLE") {
            Append(m_role, PlainText(property));
        } else if (name == "ADR") {
            AddAddress(Components(property), property.preferred);
        } else if (name == "BDAY" && m_contact.birthday.empty()) {
            m_contact.birthday = NormalizeBirthday(PlainText(property));
        } else if (name == "NOTE") {
            Append(m_contact.note, PlainText(property), " ");
        } else if (name == "UID" && m_contact.uid.empty()) {
            m_contact.uid = PlainText(property);
        } else if (name == "CATEGORIES") {
            AddCategories(ValueToUtf8(property));
        } else if (name == "X-ABLABEL" && !property.group.empty()) {
            m_labels[property.group] = ItemLabel(PlainText(property));
        } else if (IsContactData(name) && !PlainText(property).empty()
                   && std::find(m_contact.leftOut.begin(), m_contact.leftOut.end(), name) == m_contact.leftOut.end()) {
            m_contact.leftOut.push_back(name);
        }
    }

    Contact Finish()
    {
        if (m_contact.title.empty())
            m_contact.title = m_role;
        for (const Property& tel : m_telephones) {
            ContactPhone phone;
            phone.number = DialledNumber(PlainText(tel));
            phone.preferred = tel.preferred;
            phone.kind = KindOfTypes(tel);
            const auto label = m_labels.find(tel.group);
            if (phone.kind == PhoneKind::Voice && !tel.group.empty() && label != m_labels.end())
                phone.kind = PhoneKindOfLabel(Utf8ToAnsi(label->second));
            if (!phone.number.empty())
                m_contact.phones.push_back(std::move(phone));
        }
        return std::move(m_contact);
    }

private:
    // Family name, given name, additional names, prefixes, suffixes; the
    // values of a component are separated by commas.
    void SetNameParts(std::vector<std::string> parts)
    {
        parts.resize(5);
        for (auto& part : parts)
            std::replace(part.begin(), part.end(), ',', ' ');
        m_contact.family = parts[0];
        m_contact.given = parts[1];
        m_contact.middle = parts[2];
        m_contact.prefix = parts[3];
        m_contact.suffix = parts[4];
        m_haveName = true;
    }

    // Post office box, extended address, street, locality, region, postal
    // code, country. The preferred address comes first.
    void AddAddress(std::vector<std::string> parts, bool preferred)
    {
        parts.resize(7);
        ContactAddress address;
        address.street = JoinNonBlank({ parts[2], parts[1], parts[0] }, ", ");
        address.locality = !parts[3].empty() ? parts[3] : parts[4];
        address.postalCode = parts[5];
        address.country = parts[6];
        auto& addresses = m_contact.addresses;
        addresses.insert(preferred && !m_preferredAddress ? addresses.begin() : addresses.end(), std::move(address));
        m_preferredAddress = m_preferredAddress || preferred;
    }

    // The groups a contact is in: a list separated by commas, a comma in a
    // name escaped with a backslash; several CATEGORIES add up.
    void AddCategories(std::string_view value)
    {
        std::string category;
        const auto take = [this, &category] {
            std::string name(TrimBlanks(category));
            if (!name.empty())
                m_contact.categories.push_back(std::move(name));
            category.clear();
        };
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) {
                const char next = value[++i];
                category.push_back(next == 'n' || next == 'N' ? ' ' : next);
            } else if (value[i] == ',') {
                take();
            } else {
                category.push_back(value[i]);
            }
        }
        take();
    }

    // A marked line comes back as it was, blanks included.
    static std::string MarkedText(const Property& property)
    {
        return SplitAndUnescape(ValueToUtf8(property), false)[0];
    }

    Contact m_contact;
    bool m_haveName = false;
    bool m_preferredAddress = false;
    std::string m_role;
    std::vector<Property> m_telephones;
    std::map<std::string, std::string> m_labels;  // by group
};

// The logical lines of the bytes: CR LF, LF or CR end a line; a line
// beginning with a blank or tab continues the one before (RFC 2425 folding),
// and in a quoted-printable value a line ending in "=" continues into the
// next (version 2.1).
class LineReader {
public:
    explicit LineReader(std::string_view bytes) : m_bytes(bytes) {}

    bool Next(std::string& line)
    {
        line.clear();
        std::string_view physical;
        // Skip empty lines between properties.
        do {
            if (!NextPhysical(physical))
                return false;
        } while (physical.empty());
        line.assign(physical);
        // The parameters end at the first ':' outside quotes; it is looked
        // for only in the bytes each continuation adds.
        std::size_t scanned = 0;
        bool quoted = false;
        bool quotedPrintable = false;
        bool headComplete = false;
        const auto scanHead = [&] {
            for (; !headComplete && scanned < line.size(); ++scanned) {
                if (line[scanned] == '"') {
                    quoted = !quoted;
                } else if (line[scanned] == ':' && !quoted) {
                    headComplete = true;
                    quotedPrintable = AsciiUpper(std::string_view(line).substr(0, scanned)).find("QUOTED-PRINTABLE")
                        != std::string::npos;
                }
            }
        };
        scanHead();
        for (;;) {
            const std::size_t saved = m_pos;
            std::string_view next;
            if (quotedPrintable && !line.empty() && line.back() == '=') {
                if (!NextPhysical(next))
                    break;
                line.pop_back();
                line += next;
                continue;
            }
            if (!NextPhysical(next))
                break;
            if (!next.empty() && (next.front() == ' ' || next.front() == '\t')) {
                line += next.substr(1);
                scanHead();
                continue;
            }
            m_pos = saved;
            break;
        }
        return true;
    }

private:
    bool NextPhysical(std::string_view& line)
    {
        if (m_pos >= m_bytes.size())
            return false;
        std::size_t end = m_pos;
        while (end < m_bytes.size() && m_bytes[end] != '\r' && m_bytes[end] != '\n')
            ++end;
        line = m_bytes.substr(m_pos, end - m_pos);
        m_pos = end;
        if (m_pos < m_bytes.size() && m_bytes[m_pos] == '\r')
            ++m_pos;
        if (m_pos < m_bytes.size() && m_bytes[m_pos] == '\n')
            ++m_pos;
        return true;
    }

    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

}  // namespace

bool IsVCardFileName(const std::string& fileName)
{
    return AsciiEndsWithNoCase(fileName, ".vcf") || AsciiEndsWithNoCase(fileName, ".vcard");
}

namespace {

// Some Windows programs write their cards in UTF-16 with a byte-order mark;
// such bytes are read in UTF-8. An odd last byte is dropped.
std::string_view AsUtf8(std::string_view bytes, std::string& converted)
{
    const bool little = bytes.substr(0, 2) == "\xFF\xFE";
    if (!little && bytes.substr(0, 2) != "\xFE\xFF")
        return bytes;
    converted = Utf16ToUtf8(bytes.substr(2), !little);
    return converted;
}

}  // namespace

bool LooksLikeVCard(std::string_view bytes)
{
    std::string converted;
    bytes = AsUtf8(bytes.substr(0, 64), converted);
    if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark)
        bytes.remove_prefix(kUtf8Mark.size());
    while (!bytes.empty() && (bytes.front() == ' ' || bytes.front() == '\t' || bytes.front() == '\r' || bytes.front() == '\n'))
        bytes.remove_prefix(1);
    return AsciiStartsWithNoCase(bytes, "BEGIN:VCARD");
}

std::vector<Contact> ParseVCards(std::string_view bytes)
{
    if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark)
        bytes.remove_prefix(kUtf8Mark.size());
    std::vector<Contact> cards;
    LineReader reader(bytes);
    std::string line;
    int depth = 0;
    CardBuilder builder;
    while (reader.Next(line)) {
        Property property;
        if (!ParseProperty(line, property))
            continue;
        const std::string value = AsciiUpper(TrimBlanks(property.value));
        // A card nested in a card (the AGENT of version 2.1) is no contact
        // of its own: what lies deeper than the first level is passed over,
        // however deep, and the contacts after it are read.
        if (property.name == "BEGIN" && value == "VCARD") {
            if (++depth == 1)
                builder = CardBuilder();
            continue;
        }
        if (property.name == "END" && value == "VCARD") {
            if (depth == 1)
                cards.push_back(builder.Finish());
            depth = std::max(depth - 1, 0);
            continue;
        }
        if (depth == 1)
            builder.Add(property);
    }
    // The last contact's END is missing (a file cut short): what it has is
    // kept rather than dropped without a word.
    if (depth >= 1)
        cards.push_back(builder.Finish());
    return cards;
}

Outcome ReadVCardBytes(std::string_view bytes, CImportTable& table)
{
    if (bytes.empty())
        return Outcome(OutcomeKind::BadInput, msg::EmptyFile);
    std::string converted;
    const auto cards = ParseVCards(AsUtf8(bytes, converted));
    if (cards.empty())
        return Outcome(OutcomeKind::BadInput, msg::UnknownFileFormat);
    ContactsToTable(cards, ContactNameOrder(), table);
    return {};
}

Outcome ReadVCardFile(const std::string& fileName, CImportTable& table)
{
    std::string bytes;
    if (Outcome read = ReadWholeFile(fileName, bytes, kFileMax + 1); !read)
        return read;
    // The import has refused a larger file by its size; one that grew since
    // is refused here, never read in part.
    if (bytes.size() > kFileMax)
        return Outcome(OutcomeKind::BadInput, msg::FileTooLarge, { static_cast<int>(kFileMax >> 20) });
    return ReadVCardBytes(bytes, table);
}

}  // namespace velkaro
