// 200 varied cards exported by `velkaro export` and imported again by
// `velkaro import` into a fresh archive come back identical; the vCard
// export opens in python3-vobject and khard.

#include "exchange/VCardWriter.h"

#include "text/Cp1252.h"
#include "model/Archive.h"
#include "model/Charset.h"
#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace velkaro {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;

// A card line as the program makes it (typed, imported or received): in the
// telephone's characters, so a backslash is already the slash the telephone
// shows for it. The writers' escaping of backslashes is checked byte for
// byte in the writer tests.
std::string A(const char* utf8)
{
    std::string text = Utf8ToAnsi(utf8);
    for (char& c : text)
        c = static_cast<char>(MapToDeviceCharset(static_cast<unsigned char>(c)));
    return text;
}

// Line texts that break naive writers and readers: quotes, separators,
// backslashes (a literal \n among them), colons, blanks in front, letters
// beyond ASCII that the telephone has, dates in several forms.
const char* const kTexts[] = {
    "Notiz mit \"Zitat\", Komma; Semi",
    "C:\\Pfad\\Datei",
    "  zwei Blanks vorn",
    "Umlaute: äöü ÄÖÜ éèçà ñ åæø €",
    "a@b.example; c@d.example",
    "Zeit: 12:30, Ort: Köln",
    "'t Hart Bakkerij",
    "\"ganz in Anführung\"",
    "Komma,am,Ende,",
    "Semikolon;;doppelt",
    "Zeile\\nkein Umbruch",
    "30 Zeichen lang: 1234567890123",
    "+49 (0)30 123-45",
    "15.03.1970",
    "=SUMME(1;2)",
    "#*+ ~ @ ! ? % & / < > $",
    "x",
    "1970-03-15",
    "3.4.1981",
    "19700315",
    "15/03/1970",
    "15.03.70",
    "Ende\\",
    ", ; : \\ \"",
};
const char* const kFamilies[] = { "Müller", "O'Neill", "Dü\"rr", "Kö;nig", "Ba\\ck", "Le:on", "Ñandu", "Åberg",
                                  "Smith, Jr", "Nuñez", "Øst", "Ärger", "Zoé", "Meier", "Berg", "Aa",
                                  "Æbelø", "Quirin", "Yilmaz", "Vogt" };
const char* const kGivens[] = { "Jürgen", "Anna", "\"Bo\"", "Li;Wu", "Léa", "a\\b", "Jo, Jo", "Ænne", "Ida", "Kai" };
const char* const kNumbers[] = { "030 1234567", "+49 (0)30 123-45", "0171,123;4", " 0301", "12\\34", "*31#",
                                 "0800 12345678901234" };

// The labels of the card structure; the other lines keep their defaults.
const char* const kLabels[] = { "Mobil", "E-Mail", "Firma", "Strasse", "PLZ", "Ort", "Geburtstag", "Notiz",
                                "Funktion", "Fax", "Privat", "Land", "Fach" };

// 200 cards: every tenth uses all 32 lines, the others fewer with gaps;
// some names are numbered as the collection numbers a second card of a name.
CCardList VariedCards(bool structure)
{
    CCardList cards;
    for (int i = 0; i < 200; ++i) {
        auto card = std::make_unique<CKarte>();
        std::string name = A(kFamilies[i % 20]) + ", " + A(kGivens[i / 20]);
        if (i % 25 == 3)
            name = CKarte::NumberedName(A(kFamilies[i % 20]), 1 + i / 25);
        card->SetLine(0, name);
        card->SetLine(1, A(kNumbers[i % 7]));
        const int last = i % 10 == 0 ? kMaxLines - 1 : 2 + (i * 7) % 30;
        for (int k = 2; k <= last; ++k)
            if (i % 10 == 0 || (i + k) % 5 != 0)
                card->SetLine(k, A(kTexts[(i + 3 * k) % std::size(kTexts)]));
        cards.InsertSorted(std::move(card), false);
    }
    if (structure) {
        auto names = std::make_unique<CKarte>();
        names->SetLine(0, ReservedName());
        for (std::size_t k = 0; k < std::size(kLabels); ++k)
            names->SetLine(static_cast<int>(k) + 2, kLabels[k]);
        cards.SetFieldNames(std::move(names));
    }
    return cards;
}

class ExportRoundTrip : public test::CliTest {
protected:
    // Saves the varied cards and exports them; the path of the export.
    fs::path Export(bool structure, const std::string& format)
    {
        CCardList cards = VariedCards(structure);
        EXPECT_TRUE(SaveCardFile((dir / "a.itx").string(), cards));
        const fs::path out = dir / ("a." + format);
        const test::CliRun run = Velkaro("export " + Quoted("a.itx") + " -o " + Quoted(out.filename()) + " --format "
                                         + format + (structure ? " --structure" : ""));
        EXPECT_EQ(run.status, 0) << run.err;
        return out;
    }

    // Everything the other programs are run with lies in the scratch folder.
    std::string Environment() const
    {
        const std::string home = (dir / "home").string();
        return "HOME='" + home + "' XDG_CONFIG_HOME='" + home + "/.config' XDG_CONFIG_DIRS='" + home
            + "/xdg' XDG_DATA_HOME='" + home + "/.local/share' ";
    }
};

// The import into a fresh archive (holding only the same card structure
// when it is active) gives every card back, all 32 lines byte for byte.
TEST_F(ExportRoundTrip, ExportedAndImportedAgainTheCardsAreIdentical)
{
    for (const std::string format : { "vcf", "csv-utf8" })
        for (bool structure : { false, true }) {
            SCOPED_TRACE(format + (structure ? " with the card structure" : " without a card structure"));
            const fs::path exported = Export(structure, format);
            CCardList fresh;
            if (structure)
                fresh.SetFieldNames(std::make_unique<CKarte>(*VariedCards(true).FieldNames()));
            fs::remove(dir / "b.itx");
            ASSERT_TRUE(SaveCardFile((dir / "b.itx").string(), fresh));
            const test::CliRun run = Velkaro("import '" + exported.string() + "' --into " + Quoted("b.itx")
                                             + (format == "csv-utf8" ? " --skip-first" : "")
                                             + (structure ? " --structure" : ""));
            EXPECT_EQ(run.status, 0) << run.err;

            CCardList back;
            ASSERT_TRUE(LoadCardFile((dir / "b.itx").string(), back));
            const CCardList cards = VariedCards(structure);
            EXPECT_EQ(back.Cards().size(), cards.Cards().size());
            // What went wrong, once for each sent text, so that one fault
            // does not hide the others.
            int wrong = 0;
            std::map<std::string, std::string> faults;
            std::string missing;
            for (const CKarte* card : cards.Cards()) {
                const FindResult found = back.FindName(card->Name());
                const CKarte* twin = found.kind == MatchKind::Equal ? back.At(found.index) : nullptr;
                if (twin && twin->IsSameAs(card))
                    continue;
                ++wrong;
                const std::string name = AnsiToUtf8(card->Name());
                if (!twin)
                    missing += (missing.empty() ? "[" : ", [") + name + "]";
                for (int k = 0; twin && k < kMaxLines; ++k)
                    if (twin->GetLine(k) != card->GetLine(k))
                        faults.emplace(card->GetLine(k), "line " + std::to_string(k) + " of [" + name
                                           + "] came back as [" + AnsiToUtf8(twin->GetLine(k)) + "]");
            }
            for (const auto& [sent, fault] : faults)
                ADD_FAILURE() << "[" << AnsiToUtf8(sent) << "]: " << fault;
            EXPECT_EQ(missing, "") << "no card of these names came back";
            EXPECT_EQ(wrong, 0) << "cards that did not come back identical";
        }
}

// python3-vobject reads every card of the export, each with its UID: the
// name-based UUID of its name in our name space, different for every card.
TEST_F(ExportRoundTrip, PythonVobjectReadsEveryCard)
{
    if (std::system("/usr/bin/python3 -c 'import vobject' 2>/dev/null") != 0)
        GTEST_SKIP() << "python3-vobject not installed (scripts/install-test-deps.sh installs it)";
    const fs::path exported = Export(true, "vcf");
    std::ofstream(dir / "read.py") << "import sys, uuid, datetime, vobject\n"
                                      "space = uuid.UUID(sys.argv[2])\n"
                                      "uids = set()\n"
                                      "for c in vobject.readComponents(open(sys.argv[1], encoding='utf-8').read()):\n"
                                      "    assert c.uid.value == str(uuid.uuid5(space, c.fn.value)), c.fn.value\n"
                                      "    uids.add(c.uid.value)\n"
                                      "    if 'bday' in c.contents: datetime.date.fromisoformat(c.bday.value)\n"
                                      "    print(c.fn.value)\n"
                                      "print(len(uids))\n";
    const std::string command = Environment() + "/usr/bin/python3 '" + (dir / "read.py").string() + "' '"
        + exported.string() + "' " + kVCardUidNamespace + " >'" + (dir / "read.out").string() + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadAll(dir / "read.out");

    const CCardList cards = VariedCards(true);
    std::string expected;
    for (const CKarte* card : cards.Cards())
        expected += AnsiToUtf8(card->Name()) + "\n";
    EXPECT_EQ(ReadAll(dir / "read.out"), expected + "200\n");
}

// khard, given the export split into one file a card as its address books
// are kept, lists all 200 cards.
TEST_F(ExportRoundTrip, KhardListsEveryCard)
{
    if (std::system("command -v khard >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "khard not installed (scripts/install-test-deps.sh installs it)";
    const std::string vcards = ReadAll(Export(true, "vcf"));
    const fs::path book = dir / "book";
    fs::create_directories(book);
    int files = 0;
    for (std::size_t begin = 0, end; (end = vcards.find("END:VCARD\r\n", begin)) != std::string::npos;
         begin = end + 11)
        std::ofstream(book / (std::to_string(++files) + ".vcf"), std::ios::binary)
            << vcards.substr(begin, end + 11 - begin);
    ASSERT_EQ(files, 200);
    std::ofstream(dir / "khard.conf") << "[addressbooks]\n[[export]]\npath = " << book.string() << "\n";

    const std::string command = Environment() + "khard -c '" + (dir / "khard.conf").string()
        + "' list --parsable >'" + (dir / "khard.out").string() + "' 2>'" + (dir / "khard.err").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadAll(dir / "khard.err");
    std::istringstream listed(ReadAll(dir / "khard.out"));
    std::set<std::string> uids;
    for (std::string row; std::getline(listed, row);)
        uids.insert(row.substr(0, row.find('\t')));
    EXPECT_EQ(uids.size(), 200u) << ReadAll(dir / "khard.out") << ReadAll(dir / "khard.err");
    const CCardList cards = VariedCards(true);
    for (const CKarte* card : cards.Cards())
        EXPECT_TRUE(uids.count(VCardUid(std::string(card->Name())))) << "khard does not list " << AnsiToUtf8(card->Name());
}

}  // namespace
}  // namespace velkaro
