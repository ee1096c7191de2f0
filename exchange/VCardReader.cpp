#include "VCardReader.h"

#include "text/Cp1252.h"
#include "text/Language.h"
#include "exchange/FileAccess.h"
#include "exchange/TextReader.h"
#include "model/MessageUi.h"
#include "text/MessageIds.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <iterator>

namespace velkaro {

namespace {

// Larger files are not address books; the reader holds the file in memory.
constexpr std::size_t kFileMax = 64 * 1024 * 1024;
// A card nested in a card (the AGENT of version 2.1) is skipped; deeper
// nesting than this is not a vCard.
constexpr int kNestingMax = 8;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string ToUpper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = Upper(c);
    return out;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    if (s.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Upper(s[i]) != Upper(prefix[i]))
            return false;
    return true;
}

bool EndsWithNoCase(std::string_view s, std::string_view suffix)
{
    return s.size() >= suffix.size() && StartsWithNoCase(s.substr(s.size() - suffix.size()), suffix);
}

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// One content line: "group.NAME;PARAM=VALUE;...:value".
struct Property {
    std::string name;  // upper case, without the group
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
    if (dot != std::string_view::npos)
        name.remove_prefix(dot + 1);
    property.name = ToUpper(name);
    for (std::size_t k = 1; k < parts.size(); ++k) {
        const std::string_view parameter = TrimBlanks(parts[k]);
        const std::size_t equals = parameter.find('=');
        const std::string key = ToUpper(TrimBlanks(parameter.substr(0, equals)));
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
            const std::string encoding = ToUpper(Unquote(value));
            property.quotedPrintable = property.quotedPrintable || encoding == "QUOTED-PRINTABLE";
            property.binary = property.binary || encoding == "BASE64" || encoding == "B";
        } else if (key == "CHARSET") {
            property.charset = ToUpper(Unquote(value));
        } else if (key == "PREF") {
            property.preferred = true;
        } else if (key == "TYPE") {
            for (std::string_view type : SplitOutsideQuotes(value, ',')) {
                std::string upper = ToUpper(Unquote(TrimBlanks(type)));
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
    c = Upper(c);
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

std::string JoinNonEmpty(const std::vector<std::string>& parts, std::string_view separator)
{
    std::string out;
    for (const auto& part : parts) {
        if (part.empty())
            continue;
        if (!out.empty())
            out += separator;
        out += part;
    }
    return out;
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

// "19850412" and "1985-04-12T10:00:00Z" as "1985-04-12"; other forms (a
// text date of 4.0, "--0412") as written.
std::string Birthday(std::string text)
{
    const std::size_t time = text.find('T');
    const auto dateChar = [](char c) { return (c >= '0' && c <= '9') || c == '-'; };
    if (time != std::string::npos && time > 0 && std::all_of(text.begin(), text.begin() + time, dateChar))
        text.resize(time);
    if (text.size() == 8 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        text = text.substr(0, 4) + "-" + text.substr(4, 2) + "-" + text.substr(6, 2);
    return text;
}

// The properties of one card, turned into its fields.
class CardBuilder {
public:
    void Add(const Property& property)
    {
        if (property.binary)
            return;
        const std::string& name = property.name;
        // 4.0 may give the name once per language; the first is taken.
        if (name == "FN" && m_fullName.empty())
            m_fullName = PlainText(property);
        else if (name == "N" && m_name.empty())
            m_name = NameFromParts(Components(property));
        else if (name == "TEL")
            m_telephones.push_back(property);
        else if (name == "EMAIL")
            AddPreferred(m_fields[kVcEmail], PlainText(property), property.preferred);
        else if (name == "ORG" && m_fields[kVcCompany].empty())
            m_fields[kVcCompany] = JoinNonEmpty(Components(property), ", ");
        else if (name == "TITLE")
            Append(m_fields[kVcTitle], PlainText(property));
        else if (name == "ROLE")
            Append(m_role, PlainText(property));
        else if (name == "ADR" && (m_addressPreferred < 0 || (property.preferred && m_addressPreferred == 0)))
            SetAddress(Components(property), property.preferred);
        else if (name == "BDAY" && m_fields[kVcBirthday].empty())
            m_fields[kVcBirthday] = Birthday(PlainText(property));
        else if (name == "NOTE")
            Append(m_fields[kVcNote], PlainText(property), " ");
    }

    VCardFields Finish()
    {
        VCardFields fields = m_fields;
        fields[kVcName] = !m_fullName.empty() ? m_fullName : !m_name.empty() ? m_name : fields[kVcCompany];
        if (fields[kVcTitle].empty())
            fields[kVcTitle] = m_role;
        // The preferred number, or the first, is the card's telephone
        // number; every number also goes to the column of its type, and an
        // untyped one that is not the card's number to the private one.
        std::size_t main = 0;
        for (std::size_t k = 0; k < m_telephones.size(); ++k)
            if (m_telephones[k].preferred) {
                main = k;
                break;
            }
        for (std::size_t k = 0; k < m_telephones.size(); ++k) {
            const Property& tel = m_telephones[k];
            std::string number = PlainText(tel);
            // 4.0 may give the number as a "tel:" URI.
            if (StartsWithNoCase(number, "tel:"))
                number.erase(0, 4);
            if (k == main)
                fields[kVcTelephone] = number;
            if (HasType(tel, "FAX"))
                Append(fields[kVcFax], number);
            else if (HasType(tel, "CELL"))
                Append(fields[kVcMobile], number);
            else if (HasType(tel, "WORK"))
                Append(fields[kVcWork], number);
            else if (HasType(tel, "HOME") || k != main)
                Append(fields[kVcHome], number);
        }
        return fields;
    }

private:
    // Prefix, given, additional names, family name, suffix; the values of a
    // component are separated by commas.
    static std::string NameFromParts(std::vector<std::string> parts)
    {
        parts.resize(5);
        for (auto& part : parts)
            std::replace(part.begin(), part.end(), ',', ' ');
        return JoinNonEmpty({ parts[3], parts[1], parts[2], parts[0], parts[4] }, " ");
    }

    static void AddPreferred(std::string& field, const std::string& text, bool preferred)
    {
        if (preferred && !field.empty() && !text.empty())
            field = text + ", " + field;
        else
            Append(field, text);
    }

    // Post office box, extended address, street, locality, region, postal
    // code, country.
    void SetAddress(std::vector<std::string> parts, bool preferred)
    {
        parts.resize(7);
        m_fields[kVcStreet] = JoinNonEmpty({ parts[2], parts[1], parts[0] }, ", ");
        m_fields[kVcLocality] = !parts[3].empty() ? parts[3] : parts[4];
        m_fields[kVcPostalCode] = parts[5];
        m_fields[kVcCountry] = parts[6];
        m_addressPreferred = preferred ? 1 : 0;
    }

    VCardFields m_fields;
    std::string m_fullName;
    std::string m_name;
    std::string m_role;
    std::vector<Property> m_telephones;
    int m_addressPreferred = -1;  // -1 none yet, 0 an unpreferred one, 1 the preferred
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
                    quotedPrintable = ToUpper(std::string_view(line).substr(0, scanned)).find("QUOTED-PRINTABLE")
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

std::string VCardColumnTitle(int column)
{
    return VCardColumnTitle(column, LanguageOffset());
}

std::string VCardColumnTitle(int column, int languageOffset)
{
    const auto text = [languageOffset](unsigned id) { return ResolveText(id, languageOffset, LookupStringEntry); };
    switch (column) {
    case kVcName:
        return text(msg::FieldLabelName);
    case kVcTelephone:
        return text(msg::FieldLabelTelephone);
    default:
        break;
    }
    static constexpr unsigned kTitles[] = { msg::VCardColumnMobile, msg::VCardColumnHome, msg::VCardColumnWork,
                                            msg::VCardColumnFax, msg::VCardColumnEmail, msg::VCardColumnCompany,
                                            msg::VCardColumnTitle, msg::VCardColumnStreet, msg::VCardColumnPostalCode,
                                            msg::VCardColumnLocality, msg::VCardColumnCountry,
                                            msg::VCardColumnBirthday, msg::VCardColumnNote };
    static_assert(std::size(kTitles) == kVcColumnCount - kVcMobile);
    return column >= kVcMobile && column < kVcColumnCount ? text(kTitles[column - kVcMobile]) : std::string();
}

bool IsVCardFileName(const std::string& fileName)
{
    return EndsWithNoCase(fileName, ".vcf") || EndsWithNoCase(fileName, ".vcard");
}

namespace {

// Some Windows programs write their cards in UTF-16 with a byte-order mark;
// such bytes are read in UTF-8. An odd last byte is dropped.
std::string_view AsUtf8(std::string_view bytes, std::string& converted)
{
    const bool little = bytes.substr(0, 2) == "\xFF\xFE";
    if (!little && bytes.substr(0, 2) != "\xFE\xFF")
        return bytes;
    std::string units(bytes.substr(2, (bytes.size() - 2) & ~std::size_t(1)));
    if (!ConvertToUtf8(units, little ? "UTF-16LE" : "UTF-16BE", converted))
        converted.clear();
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
    return StartsWithNoCase(bytes, "BEGIN:VCARD");
}

std::vector<VCardFields> ParseVCards(std::string_view bytes)
{
    if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark)
        bytes.remove_prefix(kUtf8Mark.size());
    std::vector<VCardFields> cards;
    LineReader reader(bytes);
    std::string line;
    int depth = 0;
    CardBuilder builder;
    while (reader.Next(line)) {
        Property property;
        if (!ParseProperty(line, property))
            continue;
        const std::string value = ToUpper(TrimBlanks(property.value));
        if (property.name == "BEGIN" && value == "VCARD") {
            if (++depth > kNestingMax)
                break;
            if (depth == 1)
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
    return cards;
}

int ReadVCardBytes(std::string_view bytes, CImportTable& table)
{
    std::string converted;
    const auto cards = ParseVCards(AsUtf8(bytes, converted));
    if (cards.empty())
        return 0;
    for (int column = 0; column < kVcColumnCount; ++column)
        table.SetField(VCardColumnTitle(column), 0, column);
    int record = 1;
    for (const auto& card : cards) {
        for (int column = 0; column < kVcColumnCount; ++column)
            table.SetField(Utf8FieldToAnsi(card[column]), record, column);
        ++record;
    }
    return 1;
}

int ReadVCardFile(const std::string& fileName, CImportTable& table, IMessageUi& ui)
{
    std::string bytes;
    if (auto error = ReadWholeFile(fileName, bytes, kFileMax)) {
        ui.Message(*error, MsgButtons::Ok, MsgIcon::None);
        return 0;
    }
    if (bytes.empty()) {
        ui.Message(Text(msg::EmptyFile), MsgButtons::Ok, MsgIcon::None);
        return 0;
    }
    if (ReadVCardBytes(bytes, table))
        return 1;
    ui.Message(Text(msg::UnknownFileFormat), MsgButtons::Ok, MsgIcon::None);
    return 0;
}

}  // namespace velkaro
