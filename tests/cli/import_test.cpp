// `velkaro import`, `velkaro export` and the command line's conventions, run
// as the built program: what a user gets on each stream and as exit status.

#include "model/Archive.h"
#include "model/History.h"
#include "text/Cp1252.h"

#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace velkaro {
namespace {

namespace fs = std::filesystem;

using test::CliRun;

class CliImport : public test::CliTest {
protected:
    std::string Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return Quoted(name);
    }

    // The names of the cards in the archive, in their order.
    std::vector<std::string> Names(const std::string& name)
    {
        CCardList list;
        EXPECT_TRUE(LoadCardFile((dir / name).string(), list));
        std::vector<std::string> names;
        for (const auto& card : list.Cards())
            names.emplace_back(card->GetLine(0));
        return names;
    }

    // An archive holding Alt and Berg.
    void TwoCards()
    {
        Write("two.csv", "Name;Telefon\nAlt;1\nBerg;2\n");
        ASSERT_EQ(Velkaro("import " + Quoted("two.csv") + " --into " + Quoted("cards.itx") + " --skip-first").status, 0);
        ASSERT_EQ(Names("cards.itx"), (std::vector<std::string> { "Alt", "Berg" }));
    }

};

using CardNames = std::vector<std::string>;

TEST_F(CliImport, AddsToTheCardsUnlessToldToReplaceThem)
{
    TwoCards();
    Write("new.csv", "Name;Telefon\nBerg;9\nCorn;3\n");
    const std::string import = "import " + Quoted("new.csv") + " --into " + Quoted("cards.itx") + " --skip-first";

    CliRun run = Velkaro(import);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "2 cards loaded from file\n" + (dir / "new.csv").string() + "\n");
    EXPECT_EQ(Names("cards.itx"), (CardNames { "Alt", "Berg", "Berg               1", "Corn" }));

    ASSERT_EQ(Velkaro(import + " --mode add-replace").status, 0);
    EXPECT_EQ(Names("cards.itx"), (CardNames { "Alt", "Berg", "Berg               1", "Corn" }));
    ASSERT_EQ(Velkaro(import + " --mode replace").status, 0);
    EXPECT_EQ(Names("cards.itx"), (CardNames { "Berg", "Corn" }));
    // The numbers stay accepted.
    ASSERT_EQ(Velkaro(import + " --mode 1").status, 0);
    EXPECT_EQ(Names("cards.itx"), (CardNames { "Berg", "Berg               1", "Corn", "Corn               1" }));
    ASSERT_EQ(Velkaro(import + " --mode 0").status, 0);
    EXPECT_EQ(Names("cards.itx"), (CardNames { "Berg", "Corn" }));
}

TEST_F(CliImport, DialableNumbersFromTheHomeCountryOfTheSettingsOrTheOptions)
{
    Write("numbers.csv", "Name;Telefon;Ort;Mobil\nMeier;+49 (0)30 1234567;10115 Berlin;+49 171 1234567\nAlt;23;;\n");
    const std::string import = "import " + Quoted("numbers.csv") + " --into " + Quoted("cards.itx")
        + " --skip-first --mode replace --map 3=Ort,4=Mobil";
    // Lines 1 to 3 of Meier, then Alt's telephone line.
    const auto numbers = [this] {
        CCardList list;
        EXPECT_TRUE(LoadCardFile((dir / "cards.itx").string(), list));
        std::vector<std::string> lines;
        for (const auto& card : list.Cards())
            for (int line = 1; line < (card->Name() == "Meier" ? 4 : 2); ++line)
                lines.emplace_back(card->GetLine(line));
        return lines;
    };
    const auto settings = [this](const std::string& values) {
        fs::create_directories(dir / "home/.config/Velkaro");
        std::ofstream(dir / "home/.config/Velkaro/Velkaro Desktop.ini") << "[Settings]\n" << values;
    };

    settings("HomeCountry=DE\nOutsideLinePrefix=0\n");
    ASSERT_EQ(Velkaro(import).status, 0);
    EXPECT_EQ(numbers(), (CardNames { "23", "+49 (0)30 1234567", "10115 Berlin", "+49 171 1234567" }));
    CliRun run = Velkaro(import + " --dialable");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(numbers(), (CardNames { "23", "00301234567", "10115 Berlin", "001711234567" }));
    ASSERT_EQ(Velkaro(import + " --dialable --home-country ch --outside-line 9").status, 0);
    EXPECT_EQ(numbers(), (CardNames { "23", "90049301234567", "10115 Berlin", "900491711234567" }));

    // Neither the settings nor the locale know the country: nothing is imported.
    settings("");
    run = Velkaro(import + " --dialable");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("HomeCountry"), std::string::npos) << run.err;
    EXPECT_EQ(numbers(), (CardNames { "23", "90049301234567", "10115 Berlin", "900491711234567" }));
    for (const char* wrong : { " --home-country CH", " --dialable --home-country Schweiz", " --dialable --outside-line 0w" }) {
        run = Velkaro(import + wrong);
        EXPECT_EQ(run.status, 2) << wrong;
        EXPECT_EQ(run.out, "") << wrong;
    }
}

TEST_F(CliImport, ReplacingModesKeepTheArchiveInItsHistoryAndRestoreBringsItBack)
{
    TwoCards();
    const std::string archive = (dir / "cards.itx").string();
    Write("new.csv", "Name;Telefon\nCorn;3\n");
    const std::string import = "import " + Quoted("new.csv") + " --into " + Quoted("cards.itx") + " --skip-first";
    ASSERT_EQ(Velkaro(import).status, 0);
    EXPECT_TRUE(ListHistory(archive).empty()) << "adding replaces nothing";
    ASSERT_EQ(Velkaro(import + " --mode replace").status, 0);
    ASSERT_EQ(Velkaro(import + " --mode add-replace").status, 0);
    auto kept = ListHistory(archive);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].action, "Import");
    EXPECT_EQ(Names("cards.itx"), (CardNames { "Corn" }));

    // The older copy (number 2) holds the cards before the replace.
    CliRun run = Velkaro("restore " + Quoted("cards.itx") + " 2");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Names("cards.itx"), (CardNames { "Alt", "Berg", "Corn" }));
}

TEST_F(CliImport, HeadersOfAnyLanguageAreAssigned)
{
    // Exported in German, French and English, imported under an English
    // and a French user.
    Write("de.csv", "Name;Telefon;Zeile 1\nAlt;1;Bonn\n");
    Write("fr.csv", "Nom;Num\xE9ro de t\xE9l\xE9phone\nBerg;2\n");
    CliRun run = Velkaro("import " + Quoted("de.csv") + " --into " + Quoted("c.itx") + " --skip-first", "LANG=fr_FR.UTF-8");
    ASSERT_EQ(run.status, 0) << run.err;
    run = Velkaro("import " + Quoted("fr.csv") + " --into " + Quoted("c.itx") + " --skip-first");
    ASSERT_EQ(run.status, 0) << run.err;
    CCardList list;
    ASSERT_TRUE(LoadCardFile((dir / "c.itx").string(), list));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Cards()[0]->GetLine(1), "1");
    EXPECT_EQ(list.Cards()[0]->GetLine(2), "Bonn");
    EXPECT_EQ(list.Cards()[1]->GetLine(1), "2");
}

TEST_F(CliImport, WithoutANameColumnNothingIsImported)
{
    Write("plain.csv", "Vorname;Tel\nAlt;1\n");
    CliRun run = Velkaro("import " + Quoted("plain.csv") + " --into " + Quoted("c.itx"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "velkaro: No column is assigned to the name line; nothing was imported. "
                       "Assign one with --map Name=COLUMN (--map Name=- imports without names).\n");
    EXPECT_FALSE(fs::exists(dir / "c.itx"));

    // The user's language, unless --lang says otherwise.
    run = Velkaro("import " + Quoted("plain.csv") + " --into " + Quoted("c.itx"), "LANG=de_DE.UTF-8");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("velkaro: Der Namen-Zeile ist keine Spalte zugeordnet", 0), 0u) << run.err;
    run = Velkaro("--lang fr import " + Quoted("plain.csv") + " --into " + Quoted("c.itx"), "LANG=de_DE.UTF-8");
    EXPECT_EQ(run.err.rfind("velkaro: Aucune colonne", 0), 0u) << run.err;

    // Said on purpose, the cards come without names.
    run = Velkaro("import " + Quoted("plain.csv") + " --into " + Quoted("c.itx") + " --map Name=- --skip-first");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Names("c.itx").size(), 1u);
}

TEST_F(CliImport, OurUtf8CsvExportReadsBackLineForLine)
{
    // Lines with what separated text has to quote; the second card's name
    // and line 2 open with an apostrophe, as Dutch names and places do.
    const std::vector<std::vector<std::string>> cards = {
        { "O'Neil, \"Bud\"", "+49 30 1234", "Notiz mit \"Zitat\", Komma; Semi", "a\"\"b", "\"" },
        { "'t Hart Bakkerij", "030;1", "'s-Hertogenbosch", "C:\\Pfad\\datei", "Ende'", "'quoted'" },
        { "M\xFCller; Hans", "", "", "\\\"", "x,'y'" },
    };
    CCardList list;
    for (const auto& lines : cards) {
        auto card = std::make_unique<CKarte>();
        for (std::size_t i = 0; i < lines.size(); ++i)
            card->SetLine(static_cast<int>(i), lines[i]);
        list.InsertSorted(std::move(card), false);
    }
    ASSERT_TRUE(SaveCardFile((dir / "cards.itx").string(), list));
    CliRun run = Velkaro("export " + Quoted("cards.itx") + " -o " + Quoted("out.csv") + " --format csv-utf8");
    ASSERT_EQ(run.status, 0) << run.err;
    run = Velkaro("table " + Quoted("out.csv"));
    ASSERT_EQ(run.status, 0) << run.err;

    std::string expected;
    std::getline(std::istringstream(run.out), expected);  // the headings
    expected += '\n';
    for (const auto& card : list.Cards()) {
        expected += '[';
        for (int i = 0; i < kMaxLines; ++i) {
            if (i > 0)
                expected += ',';
            AppendJsonString(expected, card->GetLine(i));
        }
        expected += "]\n";
    }
    EXPECT_EQ(run.out, expected);
}

TEST_F(CliImport, MapAssignsByLabelOrNumberAndHeaderOrNumber)
{
    Write("plain.csv", "Vorname;Ort;Tel\nAlt;Bonn;1\n");
    CliRun run = Velkaro("import " + Quoted("plain.csv") + " --into " + Quoted("c.itx")
                         + " --skip-first --map name=vorname,2=3 --map 'Ligne 1=ORT'");
    ASSERT_EQ(run.status, 0) << run.err;
    CCardList list;
    ASSERT_TRUE(LoadCardFile((dir / "c.itx").string(), list));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Cards()[0]->GetLine(0), "Alt");
    EXPECT_EQ(list.Cards()[0]->GetLine(1), "1");
    EXPECT_EQ(list.Cards()[0]->GetLine(2), "Bonn");

    // A column goes into one line only: the later entry takes it.
    run = Velkaro("import " + Quoted("plain.csv") + " --into " + Quoted("d.itx") + " --skip-first --map 1=1,3=1");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("No column is assigned to the name line"), std::string::npos) << run.err;

    run = Velkaro("import " + Quoted("plain.csv") + " --into " + Quoted("d.itx") + " --map Strasse=1");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("velkaro: --map: unknown card line \"Strasse\"\nusage: velkaro import ", 0), 0u) << run.err;
    run = Velkaro("import " + Quoted("plain.csv") + " --into " + Quoted("d.itx") + " --map 1=Nachname");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "velkaro: --map: the import file has no column \"Nachname\"\n");
    run = Velkaro("import " + Quoted("plain.csv") + " --into " + Quoted("d.itx") + " --map 1=4");
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(fs::exists(dir / "d.itx"));
}

// Usage errors exit 2 with the reason on standard error before any file is
// read or written.
TEST_F(CliImport, UsageErrorsExitTwoAndTouchNothing)
{
    Write("a.csv", "Name\nAlt\n");
    const std::string import = "import " + Quoted("a.csv") + " --into " + Quoted("c.itx");
    for (const std::string& args : std::vector<std::string> {
             import + " --mode delete", import + " --map Name", import + " --map 33=1", import + " --map 1=0",
           import + " --map =1", "import " + Quoted("a.csv"), import + " --bogus", "--lang xx " + import,
           "export " + Quoted("c.itx") + " -o " + Quoted("o.csv") + " --format doc",
           "export " + Quoted("c.itx") + " --format csv", "table " + Quoted("a.csv") + " --decimal ,,",
           "table", "cards", "convert " + Quoted("c.itx"), "cards --json", "convert --force " + Quoted("c.itx") }) {
        CliRun run = Velkaro(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_EQ(run.out, "") << args;
        EXPECT_NE(run.err.find("usage: velkaro"), std::string::npos) << args << "\n" << run.err;
    }
    EXPECT_FALSE(fs::exists(dir / "c.itx"));
    EXPECT_FALSE(fs::exists(dir / "o.csv"));
}

// With an import file and an archive, a message names the file it is about.
TEST_F(CliImport, ReadFailuresNameTheFile)
{
    Write("a.csv", "Name\nAlt\n");
    Write("bad.itx", "not a card file");
    CliRun run = Velkaro("import " + Quoted("missing.csv") + " --into " + Quoted("c.itx"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "velkaro: " + (dir / "missing.csv").string() + ": No such file or directory\n");
    run = Velkaro("import " + Quoted("a.csv") + " --into " + Quoted("bad.itx"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "velkaro: " + (dir / "bad.itx").string() + ": Unknown file format\n");
    EXPECT_EQ(test::ReadAll(dir / "bad.itx"), "not a card file");
    run = Velkaro("export " + Quoted("bad.itx") + " -o " + Quoted("o.csv") + " --format csv");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "velkaro: " + (dir / "bad.itx").string() + ": Unknown file format\n");
    EXPECT_FALSE(fs::exists(dir / "c.itx"));
    EXPECT_FALSE(fs::exists(dir / "o.csv"));
}

// A write that fails says where and why, with the system's reason.
TEST_F(CliImport, FailedWritesSayWhy)
{
    Write("a.csv", "Name\nAlt\n");
    CliRun run = Velkaro("import " + Quoted("a.csv") + " --into " + Quoted("missing/c.itx"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find((dir / "missing/c.itx").string()), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("No such file or directory"), std::string::npos) << run.err;

    ASSERT_EQ(Velkaro("import " + Quoted("a.csv") + " --into " + Quoted("c.itx")).status, 0);
    run = Velkaro("export " + Quoted("c.itx") + " -o " + Quoted("missing/o.csv") + " --format csv");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "velkaro: " + (dir / "missing/o.csv").string() + ": No such file or directory\n");

    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    // Standard output on a full disk.
    const fs::path home = dir / "home";
    const std::string command = "HOME='" + home.string() + "' XDG_CONFIG_HOME='" + home.string()
        + "' XDG_CONFIG_DIRS='" + home.string() + "' XDG_DATA_HOME='" + home.string() + "' LC_ALL=C '"
        + test::CliBinary().string() + "' cards " + Quoted("c.itx") + " >/dev/full 2>" + Quoted("full.err");
    const int raw = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1) << raw;
    EXPECT_EQ(test::ReadAll(dir / "full.err"), "velkaro: cannot write standard output: No space left on device\n");
}

}  // namespace
}  // namespace velkaro
