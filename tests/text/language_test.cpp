#include "text/Cp1252.h"
#include "text/Language.h"
#include "text/MessageIds.h"
#include "text/Outcome.h"
#include "text/StringTable.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

using namespace velkaro;

namespace {

std::map<unsigned, std::string> Entries(StringTableSpan span)
{
    std::map<unsigned, std::string> m;
    for (std::size_t i = 0; i < span.count; ++i)
        m[span.entries[i].id] = span.entries[i].utf8;
    return m;
}

class LanguageTest : public ::testing::Test {
protected:
    void TearDown() override { SetLanguageOffset(kLangGerman); }
};

TEST_F(LanguageTest, EveryGermanEntryHasItsEnglishAndFrenchEntry)
{
    const auto de = Entries(GermanStrings());
    const auto en = Entries(EnglishStrings());
    const auto fr = Entries(FrenchStrings());
    EXPECT_EQ(de.size(), GermanStrings().count) << "an id is listed twice in the German table";
    EXPECT_EQ(en.size(), EnglishStrings().count) << "an id is listed twice in the English table";
    EXPECT_EQ(fr.size(), FrenchStrings().count) << "an id is listed twice in the French table";
    for (const auto& [id, text] : de) {
        ASSERT_TRUE(en.count(id)) << "no English text for " << id << " \"" << text << "\"";
        ASSERT_TRUE(fr.count(id)) << "no French text for " << id << " \"" << text << "\"";
        EXPECT_FALSE(en.at(id).empty()) << id;
        EXPECT_FALSE(fr.at(id).empty()) << id;
        // A translation that takes other arguments would show them wrongly.
        EXPECT_EQ(FormatConversions(en.at(id)), FormatConversions(text)) << "English " << id;
        EXPECT_EQ(FormatConversions(fr.at(id)), FormatConversions(text)) << "French " << id;
        EXPECT_EQ(FormatConversions(text).find('?'), std::string::npos) << id << " \"" << text << "\"";
    }
    for (const auto& [id, text] : en)
        EXPECT_TRUE(de.count(id)) << "English text without a German one: " << id;
    for (const auto& [id, text] : fr)
        EXPECT_TRUE(de.count(id)) << "French text without a German one: " << id;
}

TEST_F(LanguageTest, EntriesOfTheLanguagesNeverShareATableId)
{
    std::map<unsigned, std::string> seen;
    auto place = [&seen](StringTableSpan span, int offset, const char* lang) {
        for (std::size_t i = 0; i < span.count; ++i) {
            unsigned tableId = StringTableId(span.entries[i].id, offset);
            auto [it, fresh] = seen.emplace(tableId, std::string(lang) + " " + std::to_string(span.entries[i].id));
            EXPECT_TRUE(fresh) << lang << " " << span.entries[i].id << " lands on " << tableId << " of " << it->second;
        }
    };
    place(GermanStrings(), kLangGerman, "German");
    place(EnglishStrings(), kLangEnglish, "English");
    place(FrenchStrings(), kLangFrench, "French");
}

TEST_F(LanguageTest, EveryTextIsWindows1252)
{
    for (StringTableSpan span : { GermanStrings(), EnglishStrings(), FrenchStrings() })
        for (std::size_t i = 0; i < span.count; ++i) {
            const std::string utf8 = span.entries[i].utf8;
            EXPECT_EQ(AnsiToUtf8(Utf8ToAnsi(utf8)), utf8) << span.entries[i].id;
        }
}

TEST_F(LanguageTest, EveryNamedIdHasItsGermanText)
{
    std::ifstream in(std::string(VELKARO_SOURCE_DIR) + "/text/MessageIds.h");
    ASSERT_TRUE(in);
    std::stringstream header;
    header << in.rdbuf();
    const std::string text = header.str();
    static const std::regex constant(R"(constexpr unsigned (\w+) = (\d+);)");
    const auto de = Entries(GermanStrings());
    int named = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), constant); it != std::sregex_iterator(); ++it) {
        const std::string name = (*it)[1];
        const unsigned id = static_cast<unsigned>(std::stoul((*it)[2]));
        if (name == "ProgressHeading" || name == "PortCombo")
            continue;  // controls whose text is set at run time
        ++named;
        EXPECT_TRUE(de.count(id)) << name << " = " << id << " has no text";
    }
    EXPECT_GT(named, 100);
}

TEST_F(LanguageTest, LookupFollowsTheLanguageOffset)
{
    EXPECT_EQ(Text(msg::Ready), "Bereit");
    EXPECT_EQ(Text(msg::NoCardsAvailable), "Es sind keine Karten vorhanden");
    EXPECT_EQ(Text(ctl::Cancel), "Abbre&chen");
    EXPECT_EQ(Text(dlg::CardStructure), "Kartenstruktur");

    SetLanguageOffset(kLangEnglish);
    EXPECT_EQ(Text(msg::Ready), "Ready");
    EXPECT_EQ(Text(msg::NoCardsAvailable), "There are no cards available");
    EXPECT_EQ(Text(ctl::Cancel), "&Cancel");
    EXPECT_EQ(Text(dlg::CardStructure), "Structure of Card");
    // The English entries lie 256 above the German ones.
    ASSERT_NE(LookupStringEntry(1264), nullptr);
    EXPECT_EQ(*LookupStringEntry(1264), "&Cancel");
    ASSERT_NE(LookupStringEntry(445), nullptr);
    EXPECT_EQ(*LookupStringEntry(445), "Structure of Card");
    ASSERT_NE(LookupStringEntry(0x9001), nullptr);
    EXPECT_EQ(*LookupStringEntry(0x9001), "Ready");

    SetLanguageOffset(kLangFrench);
    EXPECT_EQ(Text(msg::Ready), "Pr\xEAt");
    ASSERT_NE(LookupStringEntry(0xA401), nullptr);
    EXPECT_EQ(*LookupStringEntry(0xA401), "Pr\xEAt");
    EXPECT_EQ(Text(ctl::Cancel), "&Annuler");
    EXPECT_EQ(*LookupStringEntry(1520), "&Annuler");
    EXPECT_EQ(Text(dlg::CardStructure), "Structure de Fiche");
    EXPECT_EQ(*LookupStringEntry(701), "Structure de Fiche");
    EXPECT_EQ(Text(msg::CardCountPane), "%i Fiches");
}

TEST_F(LanguageTest, InvalidOffsetsAreRefused)
{
    SetLanguageOffset(kLangEnglish);
    SetLanguageOffset(7);
    EXPECT_EQ(LanguageOffset(), kLangEnglish);
    SetLanguageOffset(768);
    EXPECT_EQ(LanguageOffset(), kLangEnglish);
}

TEST_F(LanguageTest, MissingTextsFallBackToGerman)
{
    // A small table: a standard string with only its German text, one with an
    // empty English text, and a message with French only.
    const std::map<unsigned, std::string> table = {
        { 0xE001, "Bereit" },
        { 0xE002, "Zwei" }, { 0xE002 - 0x5000, "" },
        { 0x8500, "Deutsch" }, { 0x8700, "Fran\xE7" "ais" },
    };
    StringLookup lookup = [&table](unsigned id) -> const std::string* {
        auto it = table.find(id);
        return it == table.end() ? nullptr : &it->second;
    };
    EXPECT_EQ(ResolveText(0xE001, kLangEnglish, lookup), "Bereit");
    EXPECT_EQ(ResolveText(0xE002, kLangEnglish, lookup), "Zwei");
    EXPECT_EQ(ResolveText(0x8500, kLangEnglish, lookup), "Deutsch");
    EXPECT_EQ(ResolveText(0x8500, kLangFrench, lookup), "Fran\xE7" "ais");
    EXPECT_EQ(ResolveText(0x8501, kLangFrench, lookup), "");  // no German either
    // Ids between 0x9000 and 0xDFFF are looked up unchanged.
    EXPECT_EQ(StringTableId(0x9123, kLangFrench), 0x9123u);
    EXPECT_EQ(StringTableId(0x8FFF, kLangEnglish), 0x8FFFu + 256);
    EXPECT_EQ(StringTableId(0xE000, kLangEnglish), 0x9000u);
    EXPECT_EQ(StringTableId(0xE000, kLangFrench), 0xA400u);
    EXPECT_EQ(StringTableId(0xE000, kLangGerman), 0xE000u);

    // In the real table: an unknown id is empty in every language.
    SetLanguageOffset(kLangFrench);
    EXPECT_EQ(Text(4321), "");
}

TEST_F(LanguageTest, WorkingFileMessageIsExact)
{
    EXPECT_EQ(Text(msg::WorkingFileNotLoaded),
              Utf8ToAnsi("Die Datei %s konnte nicht geladen werden.\nBeenden Sie das Programm wieder.\n"
                         "Prüfen Sie, ob die Datei in einem andern Programm geöffnet ist.\n"
                         "Schliessen Sie die Datei und starten Sie %s neu."));
    SetLanguageOffset(kLangEnglish);
    EXPECT_EQ(FormatText(msg::WorkingFileNotLoaded, "/d/Velkaro_Desktop.itx", "Velkaro Desktop"),
              "The file /d/Velkaro_Desktop.itx could not be loaded.\nQuit the program.\n"
              "Make sure this file is not active in another program.\n"
              "Please close this file and restart Velkaro Desktop.");
}

TEST_F(LanguageTest, FormattedTextsAreCutAt499Characters)
{
    const std::string path(600, 'p');
    const std::string text = FormatText(msg::WorkingFileNotLoaded, path.c_str(), "Velkaro Desktop");
    EXPECT_EQ(text.size(), 499u);
    EXPECT_EQ(text.substr(0, 9), "Die Datei");
    EXPECT_EQ(FormatString("%s", std::string(498, 'x').c_str()).size(), 498u);
    EXPECT_EQ(FormatString("%s", std::string(499, 'x').c_str()).size(), 499u);
    EXPECT_EQ(FormatString("%s", std::string(500, 'x').c_str()).size(), 499u);
    EXPECT_EQ(FormatText(msg::CardCountPane, 12), "12 Karten");
}

TEST_F(LanguageTest, ArgumentsAreCheckedAgainstTheConversions)
{
    struct Case {
        const char* format;
        FormatArgs args;
        bool fits;
        std::string shown;
    };
    const Case cases[] = {
        { "%i Karten", { 12 }, true, "12 Karten" },
        { "%02i.%u:%s%%", { 7, 3u, std::string("x") }, true, "07.3:x%" },
        { "%5s|%-3i|%c", { "ab", -1, 'z' }, true, "   ab|-1 |z" },
        { "%ld %llu", { -5L, 9ull }, true, "-5 9" },
        // A missing, surplus or wrong argument is no crash: the conversion
        // stays as written.
        { "%s und %s", { "a" }, false, "a und %s" },
        { "%i", { 1, 2 }, false, "1" },
        { "%s!", { 4 }, false, "%s!" },
        { "%i!", { "4" }, false, "%i!" },
        { "%f", { 1 }, false, "%f" },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatArgumentsFit(c.format, c.args), c.fits) << c.format;
#ifndef NDEBUG
        if (!c.fits)
            continue;  // a debug build stops on it
#endif
        EXPECT_EQ(FormatChecked(c.format, c.args), c.shown) << c.format;
    }
    // Every language's text is checked, not only the current one's.
    EXPECT_TRUE(FormatTextFits(msg::CardCountPane, { 3 }));
    EXPECT_FALSE(FormatTextFits(msg::CardCountPane, { "3" }));
    EXPECT_FALSE(FormatTextFits(msg::WorkingFileNotLoaded, { "/a" }));
}

TEST_F(LanguageTest, AnOutcomeIsWordedWhenShown)
{
    const Outcome counted(OutcomeKind::BadInput, msg::CardCountPane, { 3 });
    SetLanguageOffset(kLangEnglish);
    EXPECT_EQ(counted.Message(), "3 Cards");
    EXPECT_FALSE(counted);
    EXPECT_EQ(Outcome::Verbatim(OutcomeKind::IoError, "No space left").Message(), "No space left");
    EXPECT_FALSE(Outcome(OutcomeKind::Cancelled).HasMessage());
    EXPECT_TRUE(Outcome());
}

TEST(Cp1252, PathsForDisplay)
{
    // UTF-8 paths of this platform become Windows-1252 for the messages.
    EXPECT_EQ(PathForDisplay("/home/j\xC3\xBCrgen/Karten.xls"), "/home/j\xFCrgen/Karten.xls");
    EXPECT_EQ(PathForDisplay("/tmp/plain.csv"), "/tmp/plain.csv");
    // A path in some other encoding is shown as it stands, not as question marks.
    EXPECT_EQ(PathForDisplay("/home/j\xFCrgen"), "/home/j\xFCrgen");
    EXPECT_EQ(PathForDisplay("/x/\xC3"), "/x/\xC3");
    // Characters Windows-1252 lacks cannot be shown.
    EXPECT_EQ(PathForDisplay("/\xD0\x96"), "/?");
}

}  // namespace
