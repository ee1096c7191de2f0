#include "carddav/ContactCards.h"

#include "carddav/SyncOrigin.h"

#include "device/PhoneNumbers.h"
#include "exchange/ImportConfig.h"
#include "exchange/ImportRun.h"
#include "exchange/TextReader.h"
#include "exchange/VCardReader.h"
#include "model/Charset.h"
#include "settings/Settings.h"
#include "text/Cp1252.h"

#include <algorithm>
#include <array>

namespace velkaro {

namespace {

std::string FoldedCategory(const std::string& utf8)
{
    return AnsiToUpper(Utf8ToAnsi(utf8));
}

bool InAnyOf(const Contact& contact, const std::vector<std::string>& categories)
{
    return std::any_of(contact.categories.begin(), contact.categories.end(), [&categories](const std::string& own) {
        return std::any_of(categories.begin(), categories.end(),
            [folded = FoldedCategory(own)](const std::string& c) { return FoldedCategory(c) == folded; });
    });
}

// The title of a number's kind in the current language, as the contact
// table names its column ("Mobil").
std::string KindTitle(PhoneKind kind)
{
    switch (kind) {
    case PhoneKind::Mobile: return VCardColumnTitle(kVcMobile);
    case PhoneKind::Home: return VCardColumnTitle(kVcHome);
    case PhoneKind::Work: return VCardColumnTitle(kVcWork);
    case PhoneKind::Fax: return VCardColumnTitle(kVcFax);
    case PhoneKind::Voice:
    case PhoneKind::Pager: break;
    }
    return VCardColumnTitle(kVcTelephone);
}

// The same in the origin file, whatever the language.
const char* KindKey(PhoneKind kind)
{
    static constexpr std::array<const char*, 6> kKeys = { "voice", "mobile", "home", "work", "fax", "pager" };
    return kKeys[static_cast<std::size_t>(kind)];
}

// The card of one contact, by the vCard import's mapping; a name given
// (Windows-1252) takes the place of the contact's.
CKarte MapContact(const Contact& contact, const CardMapping& mapping, const std::string* name)
{
    CImportTable table;
    ContactsToTable({ contact }, mapping.order, table);
    TableLayout layout = table.Layout();
    layout.headingRecord = FindHeadingRecord(table, mapping.fieldNames);
    table.SetLayout(std::move(layout));
    CImportConfig config;
    AutoAssign(table, mapping.fieldNames, config);
    const auto* record = table.Record(FirstCardRecord(table, config));
    std::vector<std::string> fields = record ? *record : std::vector<std::string>();
    const int nameColumn = config.assignment[0];
    if (name && nameColumn >= 0 && static_cast<std::size_t>(nameColumn) < fields.size())
        fields[static_cast<std::size_t>(nameColumn)] = *name;
    CKarte card;
    FillCardFromRecord(card, fields, config);
    return card;
}

}  // namespace

CardMapping MappingFromSettings(const SyncFilters& filters, const std::string& outsideLine, const CKarte* fieldNames)
{
    CardMapping mapping;
    mapping.filters = filters;
    mapping.homeCountry = CPhoneNumbers::HomeCountry(CSettings::Instance().HomeCountry());
    mapping.outsideLine = outsideLine;
    mapping.fieldNames = fieldNames;
    mapping.order = ContactNameOrder();
    return mapping;
}

std::string MappingFingerprint(const CardMapping& m)
{
    const SyncFilters& f = m.filters;
    std::string text = std::string(f.onlyWithNumber ? "n" : "-") + (f.onePerNumber ? "p" : "-") + (f.dialable ? "d" : "-")
        + " " + std::to_string(static_cast<int>(m.order));
    if (f.dialable)
        text += " " + m.homeCountry + " " + m.outsideLine;
    for (const auto& [mark, names] : { std::pair { " +", &f.includeCategories }, std::pair { " -", &f.excludeCategories } })
        for (const std::string& name : *names)
            text += mark + name;
    if (m.fieldNames)
        text += " " + CardDigest(*m.fieldNames);
    return text;
}

bool PassesFilters(const Contact& contact, const SyncFilters& filters)
{
    if (filters.onlyWithNumber && contact.phones.empty())
        return false;
    if (!filters.includeCategories.empty() && !InAnyOf(contact, filters.includeCategories))
        return false;
    return !InAnyOf(contact, filters.excludeCategories);
}

std::vector<KeyedCard> ContactToCards(const Contact& contact, const CardMapping& mapping)
{
    std::vector<KeyedCard> cards;
    if (!PassesFilters(contact, mapping.filters))
        return cards;
    Contact dialable = contact;
    if (mapping.filters.dialable) {
        const CPhoneNumbers numbers(mapping.homeCountry);
        for (auto& phone : dialable.phones)
            phone.number = AnsiToUtf8(numbers.Dialable(Utf8ToAnsi(phone.number), mapping.outsideLine));
    }
    if (!mapping.filters.onePerNumber || dialable.phones.empty()) {
        cards.push_back({ std::string(), MapContact(dialable, mapping, nullptr) });
        return cards;
    }
    // "Müller Hans (Mobil)", a second mobile number "(Mobil 2)".
    const std::string name = Utf8FieldToAnsi(ContactName(dialable, mapping.order));
    std::array<int, 6> ofKind {};
    for (const ContactPhone& phone : dialable.phones) {
        const int ordinal = ++ofKind[static_cast<std::size_t>(phone.kind)];
        const std::string suffix = ordinal > 1 ? " " + std::to_string(ordinal) : std::string();
        // The kind stays whole on the telephone's short name line; the name
        // gives way, so that two numbers of one contact never share a name.
        const std::string kind = " (" + KindTitle(phone.kind) + suffix + ")";
        const std::size_t room = static_cast<std::size_t>(std::max<int>(0, kShortLineLength - static_cast<int>(kind.size())));
        const std::string cardName = std::string(TrimBlanks(name.substr(0, std::min(name.size(), room)))) + kind;
        Contact one = dialable;
        one.phones = { phone };
        cards.push_back({ KindKey(phone.kind) + (" " + std::to_string(ordinal)), MapContact(one, mapping, &cardName) });
    }
    return cards;
}

RemoteCards VCardToCards(const RemoteContact& remote, const CardMapping& mapping)
{
    RemoteCards out;
    out.href = remote.href;
    out.etag = remote.etag;
    out.uid = remote.href;
    const auto contacts = LooksLikeVCard(remote.vcard) ? ParseVCards(remote.vcard) : std::vector<Contact>();
    if (contacts.empty()) {
        out.damaged = true;
        return out;
    }
    // A server keeps one contact per vCard; anything after the first is
    // not the contact this href names.
    const Contact& contact = contacts.front();
    if (!contact.uid.empty())
        out.uid = contact.uid;
    out.cards = ContactToCards(contact, mapping);
    return out;
}

}  // namespace velkaro
