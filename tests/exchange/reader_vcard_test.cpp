// The vCard reader: files written by an independent library and by hand
// after the RFC examples, the details of the three versions, and the way
// into the import (file choice, column titles, field assignment).

#include "text/Cp1252.h"
#include "text/Language.h"
#include "exchange/ImportConfig.h"
#include "exchange/ImportReader.h"
#include "exchange/VCardReader.h"
#include "model/Karte.h"
#include "text/MessageIds.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace velkaro {
namespace {

namespace fs = std::filesystem;
using Fields = std::vector<std::string>;

std::string FixturePath(const std::string& name)
{
    return std::string(VELKARO_SOURCE_DIR) + "/tests/exchange/fixtures/vcard/" + name;
}

std::string Fixture(const std::string& name)
{
    std::ifstream in(FixturePath(name), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The column of the table titled `title` (German, UTF-8), -1 for none.
int ColumnTitled(const CImportTable& table, const std::string& title)
{
    for (int c = 0; c < table.RecordLength(0); ++c)
        if (table.FieldText(0, c) == Utf8ToAnsi(title))
            return c;
    return -1;
}

// The contact as the import's table has it, in UTF-8: the first column of
// each kind named (further values of a kind are in "Mobil 2" ...), names
// with the family name first.
Fields Pick(const Contact& card, std::initializer_list<int> kinds)
{
    CImportTable table;
    ContactsToTable({ card }, NameOrder::Family, table);
    Fields out;
    for (int kind : kinds) {
        const int column = ColumnTitled(table, AnsiToUtf8(VCardColumnTitle(kind, kLangGerman)));
        out.push_back(column < 0 ? std::string() : AnsiToUtf8(table.FieldText(1, column)));
    }
    return out;
}

std::string Field(const Contact& card, int kind)
{
    return Pick(card, { kind })[0];
}

Contact OnlyCard(const std::string& text)
{
    auto cards = ParseVCards(text);
    EXPECT_EQ(cards.size(), 1u) << text;
    return cards.empty() ? Contact {} : cards[0];
}

// vobject_30.tsv holds what the library that wrote the file reads from it.
TEST(VCardReader, ReadsTheIndependentLibrarysCardsAsItReadsThem)
{
    const auto cards = ParseVCards(Fixture("vobject_30.vcf"));
    ASSERT_EQ(cards.size(), 3u);
    std::istringstream expected(Fixture("vobject_30.tsv"));
    std::string line;
    for (const auto& card : cards) {
        ASSERT_TRUE(std::getline(expected, line));
        EXPECT_EQ(line.substr(0, line.find('\t')), card.fullName);
        // Every number and address the library read is in a column.
        std::istringstream parts(line.substr(line.find('\t') + 1));
        std::string part;
        while (std::getline(parts, part, '\t')) {
            const std::string number = part.substr(part.find(' ', part.find(' ') + 1) + 1);
            bool found = false;
            for (const auto& phone : card.phones)
                found = found || phone.number.find(number) != std::string::npos;
            for (const auto& email : card.emails)
                found = found || email == number;
            EXPECT_TRUE(found) << number;
        }
    }

    EXPECT_EQ(Pick(cards[0], { kVcName, kVcTelephone, kVcMobile, kVcHome, kVcWork, kVcFax, kVcEmail }),
              (Fields { "Müller Jürgen", "+49 30 1234567", "+49 171 7654321", "+49 30 555", "", "+49 30 7654322",
                        "juergen@example.org" }));
    EXPECT_EQ(Pick(cards[0], { kVcCompany, kVcTitle, kVcStreet, kVcPostalCode, kVcLocality, kVcCountry, kVcBirthday }),
              (Fields { "Müller & Söhne GmbH, Vertrieb", "Leiter Vertrieb", "Hauptstraße 5", "10115", "Berlin",
                        "Deutschland", "1970-04-12" }));
    // Escaped comma and semicolon, a line break, and a line folded by the writer.
    EXPECT_EQ(Field(cards[0], kVcNote),
              "Termine: Mo, Mi; nicht vor 9 Uhr zweite Zeile einer langen Notiz, die über die Zeilenlänge von "
              "fünfundsiebzig Zeichen hinausgeht");
    // Grouped properties; the preferred number is the card's number, and
    // not repeated in the column of its kind.
    EXPECT_EQ(Pick(cards[1], { kVcName, kVcTelephone, kVcMobile, kVcWork, kVcEmail }),
              (Fields { "l’Église Élodie", "+33 6 11 22 33 44", "", "+33 1 23 45 67 89", "elodie@example.fr" }));
    EXPECT_EQ(Pick(cards[2], { kVcName, kVcTelephone, kVcHome }), (Fields { "Petrow Oleg", "+7 495 1234567", "" }));
}

TEST(VCardReader, ReadsTheExamplesOfBothRfcs)
{
    const auto v3 = ParseVCards(Fixture("rfc2426_examples.vcf"));
    ASSERT_EQ(v3.size(), 2u);
    EXPECT_EQ(Pick(v3[0], { kVcName, kVcTelephone, kVcWork, kVcFax, kVcEmail, kVcCompany }),
              (Fields { "Frank Dawson", "+1-919-676-9515", "", "+1-919-676-9564", "Frank_Dawson@Lotus.com",
                        "Lotus Development Corporation" }));
    EXPECT_EQ(v3[0].emails, (Fields { "Frank_Dawson@Lotus.com", "fdawson@earthlink.net" }));
    // The address is folded between its components.
    EXPECT_EQ(Pick(v3[0], { kVcStreet, kVcLocality, kVcPostalCode, kVcCountry }),
              (Fields { "6544 Battleford Drive", "Raleigh", "27613-3502", "U.S.A." }));
    EXPECT_EQ(Pick(v3[1], { kVcName, kVcStreet, kVcLocality, kVcPostalCode }),
              (Fields { "Tim Howes", "501 E. Middlefield Rd.", "Mountain View", "94043" }));

    const auto v4 = ParseVCards(Fixture("rfc6350_example.vcf"));
    ASSERT_EQ(v4.size(), 1u);
    // TYPE="work,cell,..." as one quoted list, PREF=1, numbers as tel: URIs
    // with the extension dialled after the number.
    EXPECT_EQ(Pick(v4[0], { kVcName, kVcTelephone, kVcMobile, kVcWork, kVcBirthday }),
              (Fields { "Perreault Simon ing. jr M.Sc.", "+1-418-656-9254 102", "+1-418-262-6501", "", "--0203" }));
    EXPECT_EQ(Pick(v4[0], { kVcStreet, kVcLocality, kVcPostalCode, kVcCountry, kVcCompany }),
              (Fields { "2875 Laurier, Suite D2-630", "Quebec", "G1V 2M2", "Canada", "Viagenie" }));
}

TEST(VCardReader, ReadsVersion21WithQuotedPrintableAndCharsets)
{
    const auto cards = ParseVCards(Fixture("quoted_printable_21.vcf"));
    // The AGENT card nested in the first is not a contact of its own.
    ASSERT_EQ(cards.size(), 2u);
    // No FN: the name is built from N; the preferred number is the card's.
    EXPECT_EQ(Pick(cards[0], { kVcName, kVcTelephone, kVcMobile, kVcHome, kVcFax, kVcEmail }),
              (Fields { "Müller Jürgen Dr.", "+49 171 7654321", "", "+49 30 1234567", "+49 30 7654322",
                        "juergen@example.org" }));
    // A soft line break inside a word, ISO-8859-1 and UTF-8 bytes encoded.
    EXPECT_EQ(Pick(cards[0], { kVcStreet, kVcCountry, kVcNote }),
              (Fields { "Hauptstraße 5", "Deutschland", "Erste Zeile zweite Zeile – Straße" }));
    // Eight-bit text without a charset is Windows-1252.
    EXPECT_EQ(Pick(cards[1], { kVcName, kVcTelephone, kVcWork }),
              (Fields { "René Château", "01 23 45 67 89", "" }));
}

TEST(VCardReader, FoldingEscapesAndStructure)
{
    // LF only, a tab as folding white space, lower-case names, escapes.
    auto card = OnlyCard("begin:vcard\nversion:3.0\nfn:Anna\n\tBerg\nnote:a\\\\b\\nc\\,d\\;e\n"
                         "ORG:Eins\\;Zwei;Drei\nX-CUSTOM;TYPE=pref:ignored\nEND:VCARD\n");
    EXPECT_EQ(Pick(card, { kVcName, kVcNote, kVcCompany }), (Fields { "AnnaBerg", "a\\b c,d;e", "Eins;Zwei, Drei" }));

    // The parameters folded: the quoted-printable encoding is still seen.
    card = OnlyCard("BEGIN:VCARD\r\nNOTE;ENCODING=QUOTED-PRI\r\n NTABLE:Stra=C3=\r\n=9Fe\r\nEND:VCARD\r\n");
    EXPECT_EQ(Field(card, kVcNote), "Straße");

    // N with several values per component; without FN and N the company.
    card = OnlyCard("BEGIN:VCARD\r\nN:Berg;Anna,Maria;;Dr.;\r\nEND:VCARD\r\n");
    EXPECT_EQ(Field(card, kVcName), "Berg Anna Maria Dr.");
    card = OnlyCard("BEGIN:VCARD\r\nFN;ALTID=1;LANGUAGE=de:Anna Berg\r\nFN;ALTID=1;LANGUAGE=ru:Анна Берг\r\nEND:VCARD\r\n");
    EXPECT_EQ(Field(card, kVcName), "Anna Berg");
    // A declared character set other than UTF-8 and Windows-1252 (2.1).
    card = OnlyCard("BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=ISO-8859-5:\xBE\xDB\xD5\xD3\r\nEND:VCARD\r\n");
    EXPECT_EQ(card.fullName, "Олег");
    card = OnlyCard("BEGIN:VCARD\r\nORG:Stadtwerke\r\nTEL:0800 1\r\nTEL:0800 2\r\nEND:VCARD\r\n");
    // A second number without a kind is a second telephone number.
    EXPECT_EQ(Pick(card, { kVcName, kVcTelephone }), (Fields { "Stadtwerke", "0800 1" }));
    EXPECT_EQ(card.phones.size(), 2u);
    CImportTable stadtwerke;
    ContactsToTable({ card }, NameOrder::Family, stadtwerke);
    EXPECT_EQ(stadtwerke.FieldText(1, ColumnTitled(stadtwerke, "Telefon 2")), "0800 2");

    // The preferred address, not the first; a birthday in basic form.
    card = OnlyCard("BEGIN:VCARD\nFN:X\nADR:;;A-Weg 1;Aort;;1;\nADR;TYPE=home,pref:;;B-Weg 2;Bort;;2;\n"
                    "ADR:;;C-Weg 3;Cort;;3;\nBDAY:19700412T120000Z\nPHOTO;ENCODING=b;TYPE=JPEG:AAAA\nEND:VCARD\n");
    EXPECT_EQ(Pick(card, { kVcStreet, kVcLocality, kVcPostalCode, kVcBirthday }),
              (Fields { "B-Weg 2", "Bort", "2", "1970-04-12" }));
    // A birthday as text (4.0 VALUE=text, or an export's date) stays as written.
    EXPECT_EQ(OnlyCard("BEGIN:VCARD\nBDAY;VALUE=text:im Tal\nEND:VCARD\n").birthday, "im Tal");
    EXPECT_EQ(OnlyCard("BEGIN:VCARD\nBDAY:12.04.1970\nEND:VCARD\n").birthday, "1970-04-12");

    // Several cards; text outside them is none, a last card cut short is
    // kept, and cards nested deeper than any limit do not end the file.
    EXPECT_EQ(ParseVCards("Hallo\nBEGIN:VCARD\nFN:A\nEND:VCARD\nBEGIN:VCARD\nFN:B\nEND:VCARD\nBEGIN:VCARD\nFN:C\n").size(),
              3u);
    std::string deep = "BEGIN:VCARD\nFN:A\n";
    for (int i = 0; i < 20; ++i)
        deep += "AGENT:BEGIN:VCARD\nBEGIN:VCARD\nFN:agent\n";
    for (int i = 0; i < 20; ++i)
        deep += "END:VCARD\n";
    deep += "END:VCARD\nBEGIN:VCARD\nFN:B\nEND:VCARD\nBEGIN:VCARD\nFN:C\nEND:VCARD\n";
    const auto cards = ParseVCards(deep);
    ASSERT_EQ(cards.size(), 3u);
    EXPECT_EQ(cards[2].fullName, "C");
    EXPECT_TRUE(ParseVCards("Name;Telefon\nMeier;123\n").empty());
}

TEST(VCardReader, KeyAndGroupsOfAContact)
{
    // The first UID; the groups of every CATEGORIES, an escaped comma in a
    // name, blanks around and empty entries dropped.
    const auto card = OnlyCard("BEGIN:VCARD\nFN:A\nUID:urn:uuid:1234\nUID:other\n"
                               "CATEGORIES:Familie, Sport\\, Verein,,\nCATEGORIES:Arbeit\nEND:VCARD\n");
    EXPECT_EQ(card.uid, "urn:uuid:1234");
    EXPECT_EQ(card.categories, (Fields { "Familie", "Sport, Verein", "Arbeit" }));
    EXPECT_TRUE(OnlyCard("BEGIN:VCARD\nFN:B\nEND:VCARD\n").categories.empty());
}

TEST(VCardReader, RecognisesCardFilesByNameAndFirstLine)
{
    EXPECT_TRUE(IsVCardFileName("Kontakte.VCF"));
    EXPECT_TRUE(IsVCardFileName("a.vcard"));
    EXPECT_FALSE(IsVCardFileName("vcf"));
    EXPECT_FALSE(IsVCardFileName("a.vcf.txt"));
    EXPECT_TRUE(LooksLikeVCard("\xEF\xBB\xBF\r\n  begin:VCard\r\n"));
    EXPECT_FALSE(LooksLikeVCard("Name,BEGIN:VCARD"));
    EXPECT_FALSE(LooksLikeVCard("BEGIN:VCAL"));

    // UTF-16 with its byte-order mark, as some Windows programs write cards;
    // an unpaired surrogate costs one character, not the file.
    std::string little = "\xFF\xFE", big = "\xFE\xFF";
    for (unsigned char c : std::string("BEGIN:VCARD\r\nFN:M\xFCller\r\nEND:VCARD\r\n")) {
        little += std::string { static_cast<char>(c), '\0' };
        big += std::string { '\0', static_cast<char>(c) };
    }
    EXPECT_TRUE(LooksLikeVCard(little));
    CImportTable table;
    ASSERT_TRUE(ReadVCardBytes(little, table));
    EXPECT_EQ(table.FieldText(1, kVcName), "M\xFCller");
    ASSERT_TRUE(ReadVCardBytes(big, table));
    EXPECT_EQ(table.FieldText(1, kVcName), "M\xFCller");
    std::string broken = little;
    broken.insert(broken.size() - 26, "\x00\xD8", 2);
    ASSERT_TRUE(ReadVCardBytes(broken, table));
}

class VCardImport : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLanguageOffset(kLangGerman);
        dir = fs::temp_directory_path() / ("velkaro-vcard-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        SetLanguageOffset(kLangGerman);
        fs::remove_all(dir);
    }
    std::string Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return (dir / name).string();
    }

    fs::path dir;
    test::ScriptedUi ui;
    NumberSeparators separators {};
};

// The import reads a card file saved under any name; the table is a title
// record in the current language and one Windows-1252 record per card, and
// the automatic assignment finds the name and number columns.
TEST_F(VCardImport, ImportTableHasTitlesAndAssignsNameAndNumber)
{
    CImportTable table;
    ASSERT_EQ(test::Shown(ui, ReadImportFile(Write("kontakte.txt", Fixture("vobject_30.vcf")), table, ui, separators)), 1);
    EXPECT_TRUE(ui.shown.empty());
    ASSERT_EQ(table.RecordCount(), 4);
    EXPECT_EQ(table.Layout().headingRecord, 0);
    EXPECT_EQ(table.FieldText(0, kVcName), "Name");
    EXPECT_EQ(table.FieldText(0, kVcTelephone), "Telefon");
    EXPECT_GE(ColumnTitled(table, "Mobil"), 2);
    EXPECT_GE(ColumnTitled(table, "Notiz"), 2);
    EXPECT_EQ(table.FieldText(1, kVcName), Utf8ToAnsi("Müller Jürgen"));

    // Every column finds a line: name and number theirs, the others the
    // free lines in their order, or the line the card structure names.
    CImportConfig config;
    AutoAssign(table, nullptr, config);
    EXPECT_EQ(config.assignment[0], kVcName);
    EXPECT_EQ(config.assignment[1], kVcTelephone);
    for (int column = 2; column < table.RecordLength(0); ++column)
        EXPECT_EQ(config.assignment[column], column) << column;
    CKarte names;
    names.SetLine(0, ReservedName());
    names.SetLine(7, "Handy");
    AutoAssign(table, &names, config);
    EXPECT_EQ(config.assignment[7], ColumnTitled(table, "Mobil"));
    EXPECT_EQ(config.assignment[2], 2 == ColumnTitled(table, "Mobil") ? 3 : 2);

    SetLanguageOffset(kLangFrench);
    CImportTable french;
    ASSERT_TRUE(ReadVCardBytes(Fixture("rfc2426_examples.vcf"), french));
    EXPECT_EQ(french.FieldText(0, kVcName), "Nom");
    EXPECT_GE(ColumnTitled(french, "Courriel"), 2);
    EXPECT_GE(ColumnTitled(french, "Société"), 2);
}

TEST_F(VCardImport, EmptyAndCardlessFilesAreRefusedWithTheReason)
{
    // A file larger than the reader holds is refused, never read in part.
    const std::string huge = Write("gross.vcf", "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n");
    fs::resize_file(huge, 300u * 1024 * 1024);
    CImportTable big;
    EXPECT_EQ(test::Shown(ui, ReadImportFile(huge, big, ui, separators)), 0);
    EXPECT_EQ(ui.LastText(), FormatText(msg::FileTooLarge, 256));

    CImportTable table;
    EXPECT_EQ(test::Shown(ui, ReadImportFile(Write("leer.vcf", ""), table, ui, separators)), 0);
    EXPECT_EQ(ui.LastText(), Text(msg::EmptyFile));
    EXPECT_EQ(test::Shown(ui, ReadImportFile(Write("text.vcf", "Name;Telefon\nMeier;1\n"), table, ui, separators)), 0);
    EXPECT_EQ(ui.LastText(), Text(msg::UnknownFileFormat));
    EXPECT_EQ(table.RecordCount(), 0);
}

}  // namespace
}  // namespace velkaro
