// vCard files through the built `velkaro`: `table` shows them, `import`
// imports them with the automatic and the --map assignment.
#include "model/Archive.h"
#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace velkaro {
namespace {

namespace fs = std::filesystem;
using test::CliRun;

class CliVCard : public test::CliTest {
protected:
    std::string Fixture(const std::string& name)
    {
        return "'" + std::string(VELKARO_SOURCE_DIR) + "/tests/exchange/fixtures/vcard/" + name + "'";
    }
    // The cards of the archive, each as its first `lines` lines.
    std::vector<std::vector<std::string>> Cards(const std::string& name, int lines)
    {
        CCardList list;
        EXPECT_TRUE(LoadCardFile((dir / name).string(), list));
        std::vector<std::vector<std::string>> cards;
        for (const auto& card : list.Cards()) {
            cards.emplace_back();
            for (int line = 0; line < lines; ++line)
                cards.back().emplace_back(card->GetLine(line));
        }
        return cards;
    }

};

// The columns are the kinds the file's cards have values of, a kind as
// often as the card with the most such values needs.
TEST_F(CliVCard, TableShowsTitlesAndOneRecordPerCard)
{
    CliRun run = Velkaro("table " + Fixture("rfc2426_examples.vcf") + " --lang en --name-order given");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "[\"Name\",\"Telephone number\",\"Fax\",\"Email\",\"Email 2\",\"Company\",\"Street\","
                       "\"Postcode\",\"City\",\"Country\"]\n"
                       "[\"Frank Dawson\",\"+1-919-676-9515\",\"+1-919-676-9564\",\"Frank_Dawson@Lotus.com\","
                       "\"fdawson@earthlink.net\",\"Lotus Development Corporation\",\"6544 Battleford Drive\","
                       "\"27613-3502\",\"Raleigh\",\"U.S.A.\"]\n"
                       "[\"Tim Howes\",\"+1-415-937-3419\",\"+1-415-528-4164\",\"howes@netscape.com\",\"\","
                       "\"Netscape Communications Corp.\",\"501 E. Middlefield Rd.\",\"94043\",\"Mountain View\","
                       "\"U.S.A.\"]\n");
    EXPECT_EQ(Velkaro("table " + Fixture("rfc2426_examples.vcf") + " --name-order surname").status, 2);
}

// The heading row is never a card, --skip-first or not; every column finds
// a line, and --map moves some.
TEST_F(CliVCard, ImportAssignsEveryColumnAndMapsSome)
{
    CliRun run = Velkaro("--lang de import " + Fixture("vobject_30.vcf") + " --into " + Quoted("c.itx")
                         + " --skip-first --map 'Zeile 1=Mobil,Zeile 2=E-Mail'");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto cards = Cards("c.itx", 15);
    ASSERT_EQ(cards.size(), 3u);
    // The typographic apostrophe and the Cyrillic name made readable.
    EXPECT_EQ(cards[0], (std::vector<std::string> { "l'Eglise Elodie", "+33 6 11 22 33 44", "", "elodie@example.fr",
                                                     "+33 1 23 45 67 89", "", "", "", "", "", "", "", "", "", "" }));
    EXPECT_EQ(cards[1],
              (std::vector<std::string> { "M\xFCller J\xFCrgen", "+49 30 1234567", "+49 171 7654321",
                                          "juergen@example.org", "", "+49 30 7654322", "",
                                          "M\xFCller & S\xF6hne GmbH, Vertrieb", "Leiter Vertrieb", "Hauptstrasse 5",
                                          "10115", "Berlin", "Deutschland", "1970-04-12",
                                          "Termine: Mo, Mi; nicht vor 9 U" }));
    EXPECT_EQ(cards[2][0], "Petrow Oleg");
    // The note was longer than its line.
    EXPECT_NE(run.out.find("1 Werte waren l\xC3\xA4nger als ihre Zeile"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace velkaro
