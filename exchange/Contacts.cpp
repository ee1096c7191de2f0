#include "Contacts.h"

#include "exchange/TextReader.h"
#include "model/Charset.h"
#include "text/Cp1252.h"
#include "text/Language.h"
#include "text/MessageIds.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <map>

namespace velkaro {

namespace {

std::string Upper(std::string_view s)
{
    return AnsiToUpper(std::string(s));
}

template <class Texts>
std::string JoinTexts(const Texts& parts, std::string_view separator)
{
    std::string out;
    for (std::string_view part : parts) {
        part = TrimBlanks(part);
        if (part.empty())
            continue;
        if (!out.empty())
            out += separator;
        out += part;
    }
    return out;
}

bool IsDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The value of a run of digits; -1 for one too long to be part of a date.
int DateNumber(std::string_view digits)
{
    if (digits.empty() || digits.size() > 4)
        return -1;
    int value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

std::atomic<NameOrder> g_nameOrder { NameOrder::Family };

}  // namespace

std::string JoinNonBlank(std::initializer_list<std::string_view> texts, std::string_view separator)
{
    return JoinTexts(texts, separator);
}

std::string JoinNonBlank(const std::vector<std::string>& texts, std::string_view separator)
{
    return JoinTexts(texts, separator);
}

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

int ContactKindOfLabel(std::string_view ansiLabel)
{
    static const std::map<std::string, int> kinds = [] {
        std::map<std::string, int> m;
        for (int column = kVcMobile; column < kVcColumnCount; ++column)
            for (int offset : { kLangGerman, kLangEnglish, kLangFrench })
                m.emplace(Upper(VCardColumnTitle(column, offset)), column);
        // Windows-1252.
        const std::pair<const char*, int> extra[] = {
            { "Handy", kVcMobile },         { "Cell", kVcMobile },           { "Mobiltelefon", kVcMobile },
            { "Mobile phone", kVcMobile },  { "T\xE9l. mobile", kVcMobile }, { "Telefax", kVcFax },
            { "Email", kVcEmail },          { "Mail", kVcEmail },            { "E-Mail-Adresse", kVcEmail },
            { "Stra\xDF" "e", kVcStreet },  { "Notes", kVcNote },            { "Bemerkung", kVcNote },
            { "Notizen", kVcNote },         { "Organisation", kVcCompany },  { "Organization", kVcCompany },
            { "Postleitzahl", kVcPostalCode }, { "Zip", kVcPostalCode },     { "Stadt", kVcLocality },
            { "Titel", kVcTitle },          { "Position", kVcTitle },        { "Gesch\xE4" "ftlich", kVcWork },
            { "B\xFC" "ro", kVcWork },      { "Bureau", kVcWork },           { "Business", kVcWork },
            { "Geburtsdatum", kVcBirthday }, { "Date de naissance", kVcBirthday },
        };
        for (const auto& [label, column] : extra)
            m.emplace(Upper(label), column);
        return m;
    }();
    std::string_view label = TrimBlanks(ansiLabel);
    // "Mobil 2" is a second mobile number.
    const std::size_t blank = label.find_last_of(' ');
    if (blank != std::string_view::npos && IsDigits(label.substr(blank + 1)))
        label = TrimBlanks(label.substr(0, blank));
    const auto found = kinds.find(Upper(label));
    return found == kinds.end() ? -1 : found->second;
}

std::optional<NameOrder> ParseNameOrder(std::string_view text)
{
    if (text == "family")
        return NameOrder::Family;
    if (text == "given")
        return NameOrder::Given;
    if (text == "as-is")
        return NameOrder::AsIs;
    return std::nullopt;
}

NameOrder ContactNameOrder()
{
    return g_nameOrder.load(std::memory_order_relaxed);
}

void SetContactNameOrder(NameOrder order)
{
    g_nameOrder.store(order, std::memory_order_relaxed);
}

bool Contact::HasMarkedLines() const
{
    return std::any_of(markedLines.begin(), markedLines.end(), [](const auto& line) { return line.has_value(); });
}

std::string ContactName(const Contact& contact, NameOrder order)
{
    const bool parts = !TrimBlanks(contact.given).empty() || !TrimBlanks(contact.family).empty() || !TrimBlanks(contact.middle).empty();
    if (order == NameOrder::AsIs || !parts) {
        std::string full(TrimBlanks(contact.fullName));
        if (!full.empty())
            return full;
    }
    std::string name = order == NameOrder::Family
        ? JoinNonBlank({ contact.family, contact.given, contact.middle, contact.suffix, contact.prefix }, " ")
        : JoinNonBlank({ contact.given, contact.middle, contact.family, contact.suffix, contact.prefix }, " ");
    if (!parts || name.empty())
        name = std::string(TrimBlanks(contact.organization));
    return name;
}

std::string NormalizeBirthday(std::string_view text)
{
    text = TrimBlanks(text);
    // "1970-03-15T00:00:00Z" and the like.
    const std::size_t time = text.find('T');
    if (time != std::string_view::npos && time > 0
        && std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(time),
                       [](char c) { return (c >= '0' && c <= '9') || c == '-'; }))
        text = text.substr(0, time);
    const auto pad = [](std::string_view digits) { return digits.size() == 1 ? "0" + std::string(digits) : std::string(digits); };
    const auto valid = [](int month, int day) { return month >= 1 && month <= 12 && day >= 1 && day <= 31; };
    if (text.size() == 8 && IsDigits(text))
        return std::string(text.substr(0, 4)) + "-" + std::string(text.substr(4, 2)) + "-" + std::string(text.substr(6, 2));
    // Day, month and year with one separator: "15.03.1970" (German), and
    // "0.0.00" or "0/0/00", which some exports write for no date.
    for (char separator : { '.', '/', '-' }) {
        const std::size_t first = text.find(separator);
        if (first == std::string_view::npos)
            continue;
        const std::size_t second = text.find(separator, first + 1);
        if (second == std::string_view::npos || text.find(separator, second + 1) != std::string_view::npos)
            continue;
        const std::string_view a = text.substr(0, first), b = text.substr(first + 1, second - first - 1),
                               c = text.substr(second + 1);
        if (!IsDigits(a) || !IsDigits(b) || !IsDigits(c))
            break;
        if (DateNumber(a) == 0 && DateNumber(b) == 0)
            return {};
        if (separator == '-' && a.size() == 4 && valid(DateNumber(b), DateNumber(c)))
            return std::string(a) + "-" + pad(b) + "-" + pad(c);
        if (c.size() != 4 || a.size() > 2 || b.size() > 2)
            break;
        int day = DateNumber(a), month = DateNumber(b);
        // Slashes are the month first in the English-speaking exports
        // ("3/15/1970"), unless the first number cannot be a month.
        if (separator == '/' && valid(day, month))
            std::swap(day, month);
        if (!valid(month, day))
            break;
        return std::string(c) + "-" + pad(std::to_string(month)) + "-" + pad(std::to_string(day));
    }
    return std::string(text);
}

namespace {

// A contact's values by kind of column; a kind's values in order, with
// empty texts where an address lacks a part.
using Distributed = std::array<std::vector<std::string>, kVcColumnCount>;

bool Dialled(PhoneKind kind)
{
    return kind != PhoneKind::Fax && kind != PhoneKind::Pager;
}

Distributed Distribute(const Contact& contact, NameOrder order)
{
    Distributed values;
    values[kVcName].push_back(ContactName(contact, order));
    // The card's telephone number is the number the telephone dials for the
    // card: the preferred voice number, else the first one; a fax or pager
    // only when the contact has nothing else.
    const auto& phones = contact.phones;
    auto main = std::find_if(phones.begin(), phones.end(),
                             [](const ContactPhone& p) { return p.preferred && Dialled(p.kind) && !p.number.empty(); });
    if (main == phones.end())
        main = std::find_if(phones.begin(), phones.end(),
                            [](const ContactPhone& p) { return Dialled(p.kind) && !p.number.empty(); });
    if (main == phones.end())
        main = std::find_if(phones.begin(), phones.end(), [](const ContactPhone& p) { return !p.number.empty(); });
    values[kVcTelephone].push_back(main != phones.end() ? main->number : std::string());
    for (auto phone = phones.begin(); phone != phones.end(); ++phone) {
        if (phone == main || phone->number.empty())
            continue;
        switch (phone->kind) {
        case PhoneKind::Mobile: values[kVcMobile].push_back(phone->number); break;
        case PhoneKind::Home: values[kVcHome].push_back(phone->number); break;
        case PhoneKind::Work: values[kVcWork].push_back(phone->number); break;
        case PhoneKind::Fax: values[kVcFax].push_back(phone->number); break;
        case PhoneKind::Voice:
        case PhoneKind::Pager: values[kVcTelephone].push_back(phone->number); break;
        }
    }
    for (const auto& email : contact.emails)
        if (!TrimBlanks(email).empty())
            values[kVcEmail].push_back(email);
    values[kVcCompany].push_back(contact.organization);
    values[kVcTitle].push_back(contact.title);
    for (const auto& address : contact.addresses) {
        values[kVcStreet].push_back(address.street);
        values[kVcPostalCode].push_back(address.postalCode);
        values[kVcLocality].push_back(address.locality);
        values[kVcCountry].push_back(address.country);
    }
    values[kVcBirthday].push_back(contact.birthday);
    values[kVcNote].push_back(contact.note);
    return values;
}

// How many columns of the kind the values need: up to the last one that is
// not empty.
std::size_t Needed(const std::vector<std::string>& values)
{
    for (std::size_t n = values.size(); n > 0; --n)
        if (!TrimBlanks(values[n - 1]).empty())
            return n;
    return 0;
}

void MarkedLinesToTable(const std::vector<Contact>& contacts, CImportTable& table)
{
    TableLayout layout;
    layout.headingRecord = 0;
    for (int line = 0; line < kMaxLines; ++line) {
        table.SetField(GetFieldLabel(line, nullptr), 0, line);
        layout.columnLines.push_back(line);
    }
    int record = 1;
    for (const auto& contact : contacts) {
        for (int line = 0; line < kMaxLines; ++line)
            table.SetField(Utf8FieldToAnsi(contact.markedLines[line].value_or(std::string())), record, line);
        ++record;
    }
    table.SetLayout(std::move(layout));
}

}  // namespace

void ContactsToTable(const std::vector<Contact>& contacts, NameOrder order, CImportTable& table)
{
    // Cards of our own export come back line for line; a file that mixes them
    // with other contacts is read by its properties.
    if (!contacts.empty()
        && std::all_of(contacts.begin(), contacts.end(), [](const Contact& c) { return c.HasMarkedLines(); })) {
        MarkedLinesToTable(contacts, table);
        return;
    }
    std::vector<Distributed> distributed;
    distributed.reserve(contacts.size());
    std::array<std::size_t, kVcColumnCount> needed {};
    needed[kVcName] = needed[kVcTelephone] = 1;
    for (const auto& contact : contacts) {
        distributed.push_back(Distribute(contact, order));
        for (int kind = 0; kind < kVcColumnCount; ++kind)
            needed[kind] = std::max(needed[kind], Needed(distributed.back()[kind]));
    }
    // The columns: each kind as often as needed, "Mobil", "Mobil 2", ...
    std::vector<std::pair<int, std::size_t>> columns;
    for (int kind = 0; kind < kVcColumnCount; ++kind)
        for (std::size_t k = 0; k < needed[kind]; ++k) {
            std::string title = VCardColumnTitle(kind);
            if (k > 0)
                title += " " + std::to_string(k + 1);
            table.SetField(title, 0, static_cast<int>(columns.size()));
            columns.emplace_back(kind, k);
        }
    int record = 1;
    for (const auto& values : distributed) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const auto& [kind, k] = columns[c];
            const std::string& text = k < values[kind].size() ? values[kind][k] : std::string();
            table.SetField(Utf8FieldToAnsi(TrimBlanks(text)), record, static_cast<int>(c));
        }
        ++record;
    }
    TableLayout layout;
    layout.headingRecord = 0;
    layout.assignEveryColumn = true;
    for (const auto& contact : contacts)
        for (const auto& kind : contact.leftOut)
            if (std::find(layout.columnsLeftOut.begin(), layout.columnsLeftOut.end(), kind) == layout.columnsLeftOut.end())
                layout.columnsLeftOut.push_back(kind);
    table.SetLayout(std::move(layout));
}

}  // namespace velkaro
