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
                cards.back().push_back(card->GetLine(line));
        }
        return cards;
    }

};

TEST_F(CliVCard, TableShowsTitlesAndOneRecordPerCard)
{
    CliRun run = Velkaro("table " + Fixture("rfc2426_examples.vcf") + " --lang en");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string titles = "[\"Name\",\"Telephone number\",\"Mobile\",\"Home\",\"Work\",\"Fax\",\"Email\","
                               "\"Company\",\"Job title\",\"Street\",\"Postcode\",\"City\",\"Country\",\"Birthday\","
                               "\"Note\"]\n";
    EXPECT_EQ(run.out.substr(0, titles.size()), titles);
    EXPECT_NE(run.out.find("[\"Tim Howes\",\"+1-415-937-3419\",\"\",\"\",\"+1-415-937-3419\",\"+1-415-528-4164\","
                           "\"howes@netscape.com\",\"Netscape Communications Corp.\",\"\",\"501 E. Middlefield Rd.\","
                           "\"94043\",\"Mountain View\",\"U.S.A.\",\"\",\"\"]\n"),
              std::string::npos)
        << run.out;
}

TEST_F(CliVCard, ImportAssignsNameAndNumberAndMapsTheOtherColumns)
{
    CliRun run = Velkaro("--lang de import " + Fixture("vobject_30.vcf") + " --into " + Quoted("c.itx")
                         + " --skip-first --map 'Zeile 1=Mobil,Zeile 2=E-Mail'");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto cards = Cards("c.itx", 4);
    ASSERT_EQ(cards.size(), 3u);
    // The typographic apostrophe and the Cyrillic name made readable.
    EXPECT_EQ(cards[0], (std::vector<std::string> { "Elodie l'Eglise", "+33 6 11 22 33 44", "+33 6 11 22 33 44",
                                                     "elodie@example.fr" }));
    EXPECT_EQ(cards[1], (std::vector<std::string> { "J\xFCrgen M\xFCller", "+49 30 1234567", "+49 171 7654321",
                                                     "juergen@example.org" }));
    EXPECT_EQ(cards[2], (std::vector<std::string> { "Oleg Petrow", "+7 495 1234567", "", "" }));
}

}  // namespace
}  // namespace velkaro
