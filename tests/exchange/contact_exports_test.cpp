// Address books' exports as the user gets them on the cards: the files in
// fixtures/contacts imitate what Google Contacts, Outlook (English, German,
// French), Thunderbird, macOS Contacts and Android write (make_contacts.py).
// Each is imported as the command does it, with no option, into an empty
// collection without a card structure; what the telephone lacks (ß) and
// what is longer than a line (20 characters for the name, 30 for the
// others) is as the card makes it.

#include "exchange/Contacts.h"
#include "exchange/ImportConfig.h"
#include "exchange/ImportReader.h"
#include "exchange/ImportRun.h"
#include "model/CardList.h"
#include "text/Cp1252.h"
#include "text/Language.h"
#include "support/Files.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace velkaro {
namespace {

struct Expected {
    std::string name;       // UTF-8
    std::string telephone;
    std::set<std::string> others;  // the further lines that must be there
};

struct Case {
    std::string fixture;
    std::size_t cards;
    std::vector<Expected> expected;
    std::vector<std::string> leftOut;  // columns the import says it did not take
    int cut = 0;                        // values the import says it cut
};

class ContactExports : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        SetLanguageOffset(kLangGerman);
        SetContactNameOrder(NameOrder::Family);
    }

    // The cards by name, each with its lines in UTF-8.
    std::map<std::string, std::vector<std::string>> Import(const std::string& fixture, ImportReport& report)
    {
        const std::string path = std::string(VELKARO_SOURCE_DIR) + "/tests/exchange/fixtures/contacts/" + fixture;
        CImportTable table;
        EXPECT_EQ(test::Shown(ui, ReadImportFile(path, table, ui, NumberSeparators {})), 1);
        table.DropEmptyRecords();
        RecogniseContactExport(table, ContactNameOrder());
        CImportConfig config;
        AutoAssign(table, nullptr, config);
        CCardList cards;
        ImportRun(cards, table, config, 0, nullptr, &report);
        std::map<std::string, std::vector<std::string>> byName;
        for (int i = 0; i < cards.Count(); ++i) {
            std::vector<std::string> lines;
            for (const auto& line : cards.At(i)->StoredLines())
                lines.push_back(AnsiToUtf8(line));
            lines.resize(kMaxLines);
            byName[lines[0]] = lines;
        }
        return byName;
    }

    test::ScriptedUi ui;
};

TEST_P(ContactExports, EveryContactIsOneWholeCard)
{
    const Case& c = GetParam();
    ImportReport report;
    const auto cards = Import(c.fixture, report);
    EXPECT_TRUE(ui.shown.empty()) << ui.LastText();
    EXPECT_EQ(cards.size(), c.cards);
    for (const Expected& e : c.expected) {
        const auto card = cards.find(e.name);
        std::string names;
        for (const auto& [name, lines] : cards)
            names += "[" + name + "] ";
        ASSERT_NE(card, cards.end()) << e.name << " among " << names;
        EXPECT_EQ(card->second[1], e.telephone) << e.name;
        const std::set<std::string> lines(card->second.begin() + 2, card->second.end());
        std::string all;
        for (const auto& line : card->second)
            all += "[" + line + "] ";
        for (const auto& other : e.others)
            EXPECT_TRUE(lines.count(other)) << e.name << ": " << other << " not in " << all;
    }
    EXPECT_EQ(report.nameless, 0);
    EXPECT_EQ(report.cut, c.cut);
    std::vector<std::string> leftOut;
    for (const auto& title : report.columnsLeftOut)
        leftOut.push_back(AnsiToUtf8(title));
    EXPECT_EQ(leftOut, c.leftOut);
}

INSTANTIATE_TEST_SUITE_P(
    Exporters, ContactExports,
    ::testing::Values(
        // Quoted line breaks and quotes, an apostrophe at the start of a
        // field, several numbers in one field, a fax listed first.
        Case { "google.csv",
               6,
               { { "Müller Hans", "+49 171 1234567",
                   { "+49 30 1234567", "hans@example.org", "Hauptstrasse 5", "10115", "Berlin", "Deutschland",
                     "1970-03-15", "Erste Zeile Zweite Zeile mit \"" } },
                 { "A't Hart Bakkerij", "+31 73 6123456", { "Markt 1", "'s-Hertogenbosch" } },
                 { "Schmidt-Weber Anna D", "+49 160 1111111", { "+49 160 2222222", "Klinik Nord", "Oberärztin" } },
                 { "Lefèvre Jean-Pierre", "+33 1 23 45 67 89", { "+33 1 23 45 67 00", "+33 6 00 00 00 01" } } },
               {},
               3 },
        Case { "outlook_en.csv",
               2,
               { { "Müller Hans Dr.", "+49 30 1234567",
                   { "+49 171 1234567", "+49 30 1234599", "hans@example.org", "Müller & Söhne", "Leiter",
                     "Hauptstrasse 5", "10115", "Berlin", "Germany", "1970-03-15", "Kunde seit 1998, \"Premium\"" } },
                 { "Stadtwerke Kiel", "+49 431 5940", {} } },
               { "Web Page" } },
        Case { "outlook_de.csv",
               1,
               { { "Weiss Jürgen", "0221 123456",
                   { "0171 2345678", "0172 3456789", "0221 123499", "juergen@example.de", "Bäckerei Weiss",
                     "Gartenweg 3", "50667", "Köln", "1970-03-15", "Schlüssel; beim Nachbarn" } } },
               {} },
        Case { "outlook_fr.csv",
               1,
               { { "Lefèvre Jean-Pierre", "01 23 45 67 89",
                   { "06 12 34 56 78", "01 23 45 67 00", "jp@example.fr", "Boulangerie Lefèvre", "12 rue de la Paix",
                     "75002", "Paris", "1970-03-15" } } },
               {},
               1 },
        Case { "thunderbird.csv",
               2,
               { { "Keller Urs", "+41 44 123 45 67",
                   { "+41 79 123 45 67", "urs@example.ch", "Keller AG", "Bahnhofstrasse 1", "8001", "Zürich",
                     "Schweiz", "1980-02-29", "Erreichbar ab 8 Uhr sonst Mobi" } },
                 { "Martin Sophie", "+33 1 44 55 66 77", { "--12-24" } } },
               {},
               1 },
        // Apple's item labels; Android's two mobiles and its own label.
        Case { "apple.vcf",
               1,
               { { "Müller Hans Dr.", "+49 171 1234567",
                   { "+49 30 1234567", "+49 89 5550", "+49 30 1234599", "hans@example.org", "Müller & Söhne GmbH",
                     "Hauptstrasse 5", "10115", "Berlin", "Deutschland", "1970-03-15",
                     "Schlüssel beim Nachbarn, Tür l" } } },
               {},
               1 },
        Case { "android.vcf",
               2,
               { { "Schmidt-Weber Anna D", "+49 160 1111111",
                   { "+49 160 2222222", "040 123456", "+49 40 5556", "+49 40 9990", "anna@klinik.example",
                     "anna@example.org", "Klinik Nord", "Oberärztin" } },
                 { "Pizzeria Roma", "+49 40 7778899", {} } },
               {},
               1 },
        // A tel: URI with an extension: dialled after the number.
        Case { "thunderbird.vcf",
               1,
               { { "Keller Urs", "+41-44-123-45-67 12",
                   { "+41 79 123 45 67", "urs@example.ch", "Bahnhofstrasse 1", "8001", "Zürich", "Schweiz" } } },
               {} }),
    [](const ::testing::TestParamInfo<Case>& info) {
        std::string name = info.param.fixture;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

// The name line in the three orders; title and suffix never lead it.
TEST(ContactNames, OrderAsAskedTitleLast)
{
    Contact person;
    person.fullName = "Dr. Hans Peter Müller jr.";
    person.prefix = "Dr.";
    person.given = "Hans";
    person.middle = "Peter";
    person.family = "Müller";
    person.suffix = "jr.";
    EXPECT_EQ(ContactName(person, NameOrder::Family), "Müller Hans Peter jr. Dr.");
    EXPECT_EQ(ContactName(person, NameOrder::Given), "Hans Peter Müller jr. Dr.");
    EXPECT_EQ(ContactName(person, NameOrder::AsIs), "Dr. Hans Peter Müller jr.");
    Contact company;
    company.organization = "Stadtwerke Kiel";
    EXPECT_EQ(ContactName(company, NameOrder::Family), "Stadtwerke Kiel");
    Contact onlyFull;
    onlyFull.fullName = "Anna Berg";
    EXPECT_EQ(ContactName(onlyFull, NameOrder::Family), "Anna Berg");
}

// Birthdays as address books write them become ISO dates; what is no date
// stays as written, and the "no date" of Outlook is nothing.
TEST(ContactNames, BirthdaysAsDates)
{
    const std::pair<const char*, const char*> cases[] = {
        { "15.03.1970", "1970-03-15" }, { "3/15/1970", "1970-03-15" }, { "15/03/1970", "1970-03-15" },
        { "19700315", "1970-03-15" },   { "1970-3-5", "1970-03-05" },  { "1970-03-15T00:00:00Z", "1970-03-15" },
        { "0.0.00", "" },               { "0/0/00", "" },              { "--03-15", "--03-15" },
        { "15.03.70", "15.03.70" },     { "im Tal", "im Tal" },        { "1970-0777777777777-12", "1970-0777777777777-12" },
    };
    for (const auto& [text, iso] : cases)
        EXPECT_EQ(NormalizeBirthday(text), iso) << text;
}

// A file of one's own with a name and a number column is read as it is.
TEST(ContactNames, PlainTablesAreNotContactExports)
{
    CImportTable table;
    for (const auto& [r, c, text] : { std::tuple { 0, 0, "Name" }, { 0, 1, "Telefon" }, { 0, 2, "Ort" },
                                       { 1, 0, "Meier" }, { 1, 1, "0301" }, { 1, 2, "Bonn" } })
        table.SetField(text, r, c);
    EXPECT_FALSE(RecogniseContactExport(table, NameOrder::Family));
    EXPECT_EQ(table.FieldText(0, 2), "Ort");
    EXPECT_EQ(table.Layout().headingRecord, -1);
}

}  // namespace
}  // namespace velkaro
