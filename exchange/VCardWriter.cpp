#include "VCardWriter.h"

#include "FileAccess.h"
#include "ImportTable.h"
#include "exchange/Contacts.h"

#include "text/Cp1252.h"
#include "text/Language.h"
#include "text/MessageIds.h"
#include "model/Charset.h"
#include "model/Karte.h"
#include "model/MessageUi.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace velkaro {

namespace {

// RFC 2426 folds lines longer than 75 octets.
constexpr std::size_t kLineOctets = 75;

// What a line's label makes of it.
enum class Property {
    None,
    Mobile,
    Home,
    Work,
    Fax,
    Email,
    Company,
    Title,
    Street,
    PostalCode,
    Locality,
    Country,
    Birthday,
    Note,
};

std::string TrimBlanks(const std::string& s)
{
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The property a label names: the kind of contact column the import gives
// it (its titles in the three languages, and the spellings people also use),
// so that an exported card comes back to the same lines.
Property PropertyOfLabel(const std::string& label)
{
    static_assert(static_cast<int>(Property::Note) == kVcNote - kVcMobile + 1, "the kinds in the same order");
    const int kind = ContactKindOfLabel(label);
    return kind >= kVcMobile ? static_cast<Property>(kind - kVcMobile + 1) : Property::None;
}

// A text value in UTF-8 with the escapes of RFC 2426; a line break (CR LF,
// CR or LF) becomes \n.
std::string Escaped(const std::string& ansi)
{
    std::string out;
    const std::string utf8 = AnsiToUtf8(ansi);
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c == '\r' || c == '\n') {
            out += "\\n";
            if (c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n')
                ++i;
            continue;
        }
        if (c == '\\' || c == ',' || c == ';')
            out += '\\';
        out += c;
    }
    return out;
}

// A text property gives the line back when its readable form (blanks around
// removed) is the line and the line holds no CR, which \n cannot restore.
bool TextCarriesLine(const std::string& line)
{
    return TrimBlanks(line) == line && line.find('\r') == std::string::npos;
}

// A TEL value is written as it is; a reader may still take , ; \ for escapes
// or separators, so a line holding them is carried by X-VELKARO-TEXT.
bool NumberCarriesLine(const std::string& line)
{
    return TrimBlanks(line) == line && line.find_first_of(",;\\\r\n") == std::string::npos;
}

// The readable TEL value: the number without blanks around and with no line
// break, which would end the content line.
std::string NumberValue(const std::string& line)
{
    std::string value = AnsiToUtf8(TrimBlanks(line));
    for (char& c : value)
        if (c == '\r' || c == '\n')
            c = ' ';
    return value;
}

std::string Marked(const char* property, int line)
{
    return std::string(property) + ";X-VELKARO-LINE=" + std::to_string(line) + ":";
}

// One content line, folded after 75 octets without splitting a character.
void AddLine(std::string& out, const std::string& line)
{
    std::size_t start = 0;
    std::size_t limit = kLineOctets;
    while (line.size() - start > limit) {
        std::size_t cut = start + limit;
        while (cut > start && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        out.append(line, start, cut - start);
        out += "\r\n ";
        start = cut;
        limit = kLineOctets - 1;  // the blank that begins the continuation
    }
    out.append(line, start, std::string::npos);
    out += "\r\n";
}

// SHA-1 (FIPS 180-4) of a short text, for the name-based UID.
std::array<uint8_t, 20> Sha1(const std::string& bytes)
{
    uint32_t h[5] = { 0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0 };
    std::string message = bytes;
    const uint64_t bits = static_cast<uint64_t>(bytes.size()) * 8;
    message += '\x80';
    while (message.size() % 64 != 56)
        message += '\0';
    for (int shift = 56; shift >= 0; shift -= 8)
        message += static_cast<char>((bits >> shift) & 0xFF);
    const auto rotl = [](uint32_t x, int n) { return (x << n) | (x >> (32 - n)); };
    for (std::size_t block = 0; block < message.size(); block += 64) {
        uint32_t w[80];
        for (int t = 0; t < 16; ++t) {
            w[t] = 0;
            for (int b = 0; b < 4; ++b)
                w[t] = (w[t] << 8) | static_cast<uint8_t>(message[block + 4 * t + b]);
        }
        for (int t = 16; t < 80; ++t)
            w[t] = rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
        uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        for (int t = 0; t < 80; ++t) {
            uint32_t f, k;
            if (t < 20)
                f = (b & c) | (~b & d), k = 0x5A827999;
            else if (t < 40)
                f = b ^ c ^ d, k = 0x6ED9EBA1;
            else if (t < 60)
                f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDC;
            else
                f = b ^ c ^ d, k = 0xCA62C1D6;
            const uint32_t next = rotl(a, 5) + f + e + k + w[t];
            e = d, d = c, c = rotl(b, 30), b = a, a = next;
        }
        h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
    }
    std::array<uint8_t, 20> digest {};
    for (int i = 0; i < 20; ++i)
        digest[i] = static_cast<uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
    return digest;
}

int HexDigit(char c)
{
    return c <= '9' ? c - '0' : c - 'a' + 10;
}

bool IsLeapYear(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// The digits of s from pos, at least min and at most max of them; -1 when
// fewer.
int TakeNumber(const std::string& s, std::size_t& pos, std::size_t min, std::size_t max)
{
    std::size_t n = 0;
    int value = 0;
    while (pos + n < s.size() && n < max && s[pos + n] >= '0' && s[pos + n] <= '9')
        value = value * 10 + (s[pos + n++] - '0');
    if (n < min || (pos + n < s.size() && s[pos + n] >= '0' && s[pos + n] <= '9'))
        return -1;
    pos += n;
    return value;
}

std::optional<std::string> IsoDate(int year, int month, int day)
{
    static constexpr int kDays[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return std::nullopt;
    if (day > kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0))
        return std::nullopt;
    const auto digits = [](int value, int count) {
        std::string text(count, '0');
        for (int i = count - 1; i >= 0; --i, value /= 10)
            text[i] = static_cast<char>('0' + value % 10);
        return text;
    };
    return digits(year, 4) + "-" + digits(month, 2) + "-" + digits(day, 2);
}

}  // namespace

std::string VCardUid(const std::string& nameLine)
{
    std::string input;
    for (std::size_t i = 0; kVCardUidNamespace[i]; ++i)
        if (kVCardUidNamespace[i] != '-') {
            input += static_cast<char>(HexDigit(kVCardUidNamespace[i]) * 16 + HexDigit(kVCardUidNamespace[i + 1]));
            ++i;
        }
    input += AnsiToUtf8(nameLine);
    std::array<uint8_t, 20> hash = Sha1(input);
    hash[6] = static_cast<uint8_t>((hash[6] & 0x0F) | 0x50);  // version 5
    hash[8] = static_cast<uint8_t>((hash[8] & 0x3F) | 0x80);  // the RFC 4122 variant
    static constexpr char kHex[] = "0123456789abcdef";
    std::string uid;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            uid += '-';
        uid += kHex[hash[i] >> 4];
        uid += kHex[hash[i] & 0x0F];
    }
    return uid;
}

std::optional<std::string> IsoDateOfLine(const std::string& line)
{
    const std::string s = TrimBlanks(line);
    std::size_t pos = 0;
    if (s.size() == 8 && s.find_first_not_of("0123456789") == std::string::npos)
        return IsoDate(std::stoi(s.substr(0, 4)), std::stoi(s.substr(4, 2)), std::stoi(s.substr(6, 2)));
    if (s.size() == 10 && s[4] == '-' && s[7] == '-') {
        const int year = TakeNumber(s, pos, 4, 4);
        ++pos;
        const int month = TakeNumber(s, pos, 2, 2);
        ++pos;
        const int day = TakeNumber(s, pos, 2, 2);
        if (year < 0 || month < 0 || day < 0)
            return std::nullopt;
        return IsoDate(year, month, day);
    }
    // Day first: d.m.yyyy or d/m/yyyy, one separator throughout.
    const int day = TakeNumber(s, pos, 1, 2);
    if (day < 0 || pos >= s.size() || (s[pos] != '.' && s[pos] != '/'))
        return std::nullopt;
    const char separator = s[pos++];
    const int month = TakeNumber(s, pos, 1, 2);
    if (month < 0 || pos >= s.size() || s[pos++] != separator)
        return std::nullopt;
    const int year = TakeNumber(s, pos, 4, 4);
    if (year < 0 || pos != s.size())
        return std::nullopt;
    return IsoDate(year, month, day);
}

namespace {

// One card of the table as a vCard: the readable properties, then the
// lines they cannot give back exactly, marked with their place.
class VCardOfRecord {
public:
    VCardOfRecord(std::string& out, const CImportTable& table, int record)
        : m_out(out)
        , m_table(table)
        , m_lines(kMaxLines)
    {
        const int length = std::min(table.RecordLength(record), kMaxLines);
        for (int k = 0; k < length; ++k)
            m_lines[k] = table.FieldText(record, k);
    }

    void Write()
    {
        AddLine(m_out, "BEGIN:VCARD");
        AddLine(m_out, "VERSION:3.0");
        WriteName();
        for (int k = 2; k < kMaxLines; ++k)
            if (!TrimBlanks(m_lines[k]).empty())
                WriteLine(k);
        WriteGathered();
        for (int k = 0; k < kMaxLines; ++k)
            if (!m_lines[k].empty() && !m_carried[k])
                AddLine(m_out, Marked("X-VELKARO-TEXT", k) + Escaped(m_lines[k]));
        AddLine(m_out, "END:VCARD");
    }

private:
    // A text property: marked when its value gives the line back.
    void AddText(const char* property, int k)
    {
        m_carried[k] = TextCarriesLine(m_lines[k]);
        AddLine(m_out, (m_carried[k] ? Marked(property, k) : std::string(property) + ":")
                           + Escaped(TrimBlanks(m_lines[k])));
    }

    void AddNumber(const char* property, int k)
    {
        m_carried[k] = NumberCarriesLine(m_lines[k]);
        AddLine(m_out, (m_carried[k] ? Marked(property, k) : std::string(property) + ":") + NumberValue(m_lines[k]));
    }

    // A line the readable properties have no place for goes into the
    // note with its label.
    void AddLabelled(int k)
    {
        m_labelled.push_back(TrimBlanks(m_table.FieldText(0, k)) + ": " + TrimBlanks(m_lines[k]));
    }

    void AddAddress(std::size_t part, int k)
    {
        if (m_address[part].empty())
            m_address[part] = Escaped(TrimBlanks(m_lines[k])), m_hasAddress = true;
        else
            AddLabelled(k);
    }

    void WriteName()
    {
        AddLine(m_out, "UID:" + VCardUid(m_lines[0]));
        if (m_lines[0].empty())
            AddLine(m_out, "FN:");
        else
            AddText("FN", 0);
        // The telephone keeps the name as one line; it goes whole into the
        // family name.
        AddLine(m_out, "N:" + Escaped(TrimBlanks(m_lines[0])) + ";;;;");
        if (!TrimBlanks(m_lines[1]).empty())
            AddNumber("TEL;TYPE=VOICE,PREF", 1);
    }

    void WriteLine(int k)
    {
        switch (PropertyOfLabel(m_table.FieldText(0, k))) {
        case Property::Mobile: AddNumber("TEL;TYPE=CELL", k); break;
        case Property::Home: AddNumber("TEL;TYPE=HOME", k); break;
        case Property::Work: AddNumber("TEL;TYPE=WORK", k); break;
        case Property::Fax: AddNumber("TEL;TYPE=FAX", k); break;
        case Property::Email: AddText("EMAIL;TYPE=INTERNET", k); break;
        case Property::Company: AddText("ORG", k); break;
        case Property::Title: AddText("TITLE", k); break;
        case Property::Street: AddAddress(2, k); break;
        case Property::Locality: AddAddress(3, k); break;
        case Property::PostalCode: AddAddress(5, k); break;
        case Property::Country: AddAddress(6, k); break;
        case Property::Birthday:
            // One birthday a card; one that is no date stays readable in
            // the note.
            if (!m_birthday && (m_birthday = IsoDateOfLine(m_lines[k])))
                break;
            AddLabelled(k);
            break;
        case Property::Note: m_notes.push_back(TrimBlanks(m_lines[k])); break;
        case Property::None: AddLabelled(k); break;
        }
    }

    // The properties gathered from several lines: the address, the
    // birthday, the note.
    void WriteGathered()
    {
        if (m_hasAddress) {
            std::string adr = "ADR:";
            for (std::size_t part = 0; part < m_address.size(); ++part)
                adr += (part ? ";" : "") + m_address[part];
            AddLine(m_out, adr);
        }
        if (m_birthday)
            AddLine(m_out, "BDAY:" + *m_birthday);
        m_notes.insert(m_notes.end(), m_labelled.begin(), m_labelled.end());
        if (!m_notes.empty()) {
            std::string note;
            for (const auto& part : m_notes)
                note += (note.empty() ? "" : "\n") + part;
            AddLine(m_out, "NOTE:" + Escaped(note));
        }
    }

    std::string& m_out;
    const CImportTable& m_table;
    std::vector<std::string> m_lines;
    // Whether line k is carried by a marked property of its own.
    std::array<bool, kMaxLines> m_carried {};
    std::array<std::string, 7> m_address;
    bool m_hasAddress = false;
    std::optional<std::string> m_birthday;
    std::vector<std::string> m_notes;
    std::vector<std::string> m_labelled;
};

}  // namespace

std::string BuildVCards(const CImportTable& table)
{
    std::string out;
    for (int r = 1; r < table.RecordCount(); ++r)
        VCardOfRecord(out, table, r).Write();
    return out;
}

Outcome WriteVCardFile(const std::string& path, const CImportTable& table)
{
    return WriteWholeFile(path, BuildVCards(table));
}

}  // namespace velkaro
