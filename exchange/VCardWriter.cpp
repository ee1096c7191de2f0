#include "VCardWriter.h"

#include "FileAccess.h"
#include "ImportTable.h"
#include "VCardReader.h"

#include "text/Cp1252.h"
#include "text/Language.h"
#include "model/Charset.h"
#include "model/MessageUi.h"

#include <map>
#include <vector>

namespace velkaro {

namespace {

// RFC 2426 folds lines longer than 75 octets.
constexpr std::size_t kLineOctets = 75;

std::string Upper(std::string s)
{
    return AnsiToUpper(s);
}

std::string TrimBlanks(const std::string& s)
{
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The reader's column (kVcMobile..kVcNote) a label names, -1 for none: the
// column titles of the three languages, and the spellings people also use.
int ColumnOfLabel(const std::string& label)
{
    static const std::map<std::string, int> columns = [] {
        std::map<std::string, int> m;
        for (int column = kVcMobile; column < kVcColumnCount; ++column)
            for (int offset : { kLangGerman, kLangEnglish, kLangFrench })
                m.emplace(Upper(VCardColumnTitle(column, offset)), column);
        const std::pair<const char*, int> extra[] = {
            { "Handy", kVcMobile },         { "Cell", kVcMobile },       { "Telefax", kVcFax },
            { "Email", kVcEmail },          { "Mail", kVcEmail },        { "Stra\xDF" "e", kVcStreet },
            { "Notes", kVcNote },           { "Bemerkung", kVcNote },    { "Organisation", kVcCompany },
            { "Organization", kVcCompany }, { "Postleitzahl", kVcPostalCode }, { "Zip", kVcPostalCode },
            { "Stadt", kVcLocality },       { "Titel", kVcTitle },       { "Mobile phone", kVcMobile },
        };
        for (const auto& [label, column] : extra)
            m.emplace(Upper(label), column);
        return m;
    }();
    const auto found = columns.find(Upper(TrimBlanks(label)));
    return found == columns.end() ? -1 : found->second;
}

// A text value in UTF-8 with the escapes of RFC 2426.
std::string Escaped(const std::string& ansi)
{
    std::string out;
    for (char c : AnsiToUtf8(ansi)) {
        if (c == '\\' || c == ',' || c == ';')
            out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        if (c != '\r')
            out += c;
    }
    return out;
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

}  // namespace

std::string BuildVCards(const CImportTable& table)
{
    std::string out;
    for (int r = 1; r < table.RecordCount(); ++r) {
        const std::string name = TrimBlanks(table.FieldText(r, 0));
        AddLine(out, "BEGIN:VCARD");
        AddLine(out, "VERSION:3.0");
        AddLine(out, "FN:" + Escaped(name));
        // The telephone keeps the name as one line; it goes whole into the
        // family name.
        AddLine(out, "N:" + Escaped(name) + ";;;;");
        const std::string number = TrimBlanks(table.FieldText(r, 1));
        if (!number.empty())
            AddLine(out, "TEL;TYPE=VOICE,PREF:" + AnsiToUtf8(number));
        std::vector<std::string> address(7);
        bool hasAddress = false;
        std::vector<std::string> notes;
        for (int c = 2; c < table.RecordLength(r); ++c) {
            const std::string text = TrimBlanks(table.FieldText(r, c));
            if (text.empty())
                continue;
            const std::string& label = table.FieldText(0, c);
            switch (ColumnOfLabel(label)) {
            case kVcMobile: AddLine(out, "TEL;TYPE=CELL:" + AnsiToUtf8(text)); break;
            case kVcHome: AddLine(out, "TEL;TYPE=HOME:" + AnsiToUtf8(text)); break;
            case kVcWork: AddLine(out, "TEL;TYPE=WORK:" + AnsiToUtf8(text)); break;
            case kVcFax: AddLine(out, "TEL;TYPE=FAX:" + AnsiToUtf8(text)); break;
            case kVcEmail: AddLine(out, "EMAIL;TYPE=INTERNET:" + Escaped(text)); break;
            case kVcCompany: AddLine(out, "ORG:" + Escaped(text)); break;
            case kVcTitle: AddLine(out, "TITLE:" + Escaped(text)); break;
            case kVcStreet: address[2] = Escaped(text), hasAddress = true; break;
            case kVcLocality: address[3] = Escaped(text), hasAddress = true; break;
            case kVcPostalCode: address[5] = Escaped(text), hasAddress = true; break;
            case kVcCountry: address[6] = Escaped(text), hasAddress = true; break;
            case kVcBirthday: AddLine(out, "BDAY:" + Escaped(text)); break;
            case kVcNote: notes.insert(notes.begin(), Escaped(text)); break;
            default: notes.push_back(Escaped(TrimBlanks(label) + ": " + text)); break;
            }
        }
        if (hasAddress) {
            std::string adr = "ADR:";
            for (std::size_t k = 0; k < address.size(); ++k)
                adr += (k ? ";" : "") + address[k];
            AddLine(out, adr);
        }
        for (const auto& note : notes)
            AddLine(out, "NOTE:" + note);
        AddLine(out, "END:VCARD");
    }
    return out;
}

bool WriteVCardFile(const std::string& path, const CImportTable& table, IMessageUi* ui)
{
    auto error = WriteWholeFile(path, BuildVCards(table));
    if (error && ui)
        ui->Message(*error, MsgButtons::Ok, MsgIcon::None);
    return !error;
}

}  // namespace velkaro
