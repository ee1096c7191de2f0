// The address-book sync merged into the document, from fetches made of
// small vCards: which cards a sync adds, changes, removes and keeps, the
// filters and the per-number cards, the undo step, the history and the
// origin file beside the working file.

#include "carddav/AccountFetch.h"
#include "carddav/ContactCards.h"
#include "carddav/SyncOrigin.h"
#include "carddav/SyncPlan.h"
#include "exchange/VCardReader.h"
#include "model/Document.h"
#include "model/History.h"
#include "settings/Settings.h"
#include "support/Cards.h"
#include "support/Files.h"
#include "support/ScratchConfig.h"
#include "support/ScriptedUi.h"
#include "text/Cp1252.h"
#include "text/Language.h"
#include "text/MessageIds.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace velkaro {
namespace {

using Names = std::vector<std::string>;

const std::string kBook = "https://dav.example.org/hans/kontakte/";

// A vCard with a UID and a name (family;given) and the lines given.
std::string VCard(const std::string& uid, const std::string& name, const std::string& lines)
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nN:" + name + ";;;\r\n" + lines + "END:VCARD\r\n";
}

RemoteContact Remote(const std::string& id, const std::string& etag, const std::string& vcard)
{
    return { "/hans/kontakte/" + id + ".vcf", etag, vcard };
}

FetchResult Complete(std::vector<RemoteContact> changed, Names unchanged = {})
{
    FetchResult fetch;
    fetch.book = kBook;
    fetch.complete = true;
    fetch.changed = std::move(changed);
    fetch.unchanged = std::move(unchanged);
    return fetch;
}

const RemoteContact kMueller
    = Remote("m", "e1", VCard("u-m", "Müller;Hans", "TEL;TYPE=CELL:0171 1\r\nTEL;TYPE=HOME:030 2\r\n"));
const RemoteContact kMeier = Remote("a", "e1", VCard("u-a", "Meier;Anna", "TEL:040 3\r\nCATEGORIES:Familie\r\n"));
const RemoteContact kNoNumber = Remote("n", "e1", VCard("u-n", "Ohne;Nummer", "EMAIL:o@example.org\r\n"));

class SyncTest : public test::ScratchConfigTest {
protected:
    SyncTest()
        : ScratchConfigTest("carddav")
    {
    }

    void SetUp() override
    {
        ScratchConfigTest::SetUp();
        SetLanguageOffset(kLangGerman);
        mapping.filters.dialable = false;
        doc.SetWorkingPath((root / "Karten.vlx").string());
        doc.SetUserInterface(&ui);
        doc.Cards().InsertSorted(test::Card({ "Ziegler Eva", "089 9" }), false);
        ASSERT_TRUE(doc.AutoSave(false));
    }

    SyncPlan Sync(const std::vector<FetchResult>& fetched)
    {
        SyncPlan plan = PlanSync(doc.Cards(), origin, fetched, mapping);
        EXPECT_TRUE(ApplySync(doc, origin, plan, ui).Ok());
        return plan;
    }

    Names CardNames() const
    {
        Names names;
        for (const CKarte* card : doc.Cards().Cards())
            names.emplace_back(card->Name());
        return names;
    }

    CKarte& Card(const std::string& name)
    {
        const FindResult found = doc.Cards().FindName(Utf8ToAnsi(name));
        EXPECT_EQ(found.kind, MatchKind::Equal) << name;
        return *doc.Cards().At(found.index);
    }

    test::ScriptedUi ui;
    CPcxDoc doc;
    SyncOrigin origin;
    CardMapping mapping;
};

std::string Counts(const SyncCounts& c)
{
    return std::to_string(c.added) + " " + std::to_string(c.changed) + " " + std::to_string(c.removed) + " "
        + std::to_string(c.unchanged) + " " + std::to_string(c.keptChangedHere) + " " + std::to_string(c.damaged);
}

TEST_F(SyncTest, FirstSyncAddsTheContactsAsOneUndoStepAfterKeepingTheHistory)
{
    const SyncPlan plan = Sync({ Complete({ kMueller, kMeier, kNoNumber }) });
    EXPECT_EQ(Counts(plan.counts), "2 0 0 0 0 0");
    EXPECT_EQ(CardNames(), (Names { "Meier Anna", Utf8ToAnsi("Müller Hans"), "Ziegler Eva" }));
    // The first number on the telephone line, the next in its column.
    EXPECT_EQ(Card("Müller Hans").GetLine(1), "0171 1");
    EXPECT_EQ(Card("Müller Hans").GetLine(2), "030 2");
    EXPECT_TRUE(Card("Meier Anna").IsEdited());
    EXPECT_FALSE(Card("Ziegler Eva").IsEdited());
    EXPECT_EQ(SyncDetailsText(plan), Utf8ToAnsi("Neu: Müller Hans\nNeu: Meier Anna\n"));

    SyncOrigin stored;
    EXPECT_TRUE(ReadSyncOrigin(SyncOriginPath(doc.WorkingPath()), stored).Ok());
    EXPECT_EQ(stored, origin);
    ASSERT_EQ(origin.books.size(), 1u);
    EXPECT_EQ(origin.cards.size(), 2u);

    const auto history = ListHistory(doc.WorkingPath());
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].action, history::Sync);
    EXPECT_EQ(doc.UndoLabel(), Text(msg::StepSync));
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(CardNames(), (Names { "Ziegler Eva" }));
}

TEST_F(SyncTest, IncrementalChangeAndRemoval)
{
    Sync({ Complete({ kMueller, kMeier }) });
    FetchResult next;
    next.book = kBook;
    next.syncToken = "token-2";
    next.changed = { Remote("a", "e2", VCard("u-a", "Meier;Anna", "TEL:040 4\r\n")) };
    next.removed = { kMueller.href };
    const SyncPlan plan = Sync({ next });
    EXPECT_EQ(Counts(plan.counts), "0 1 1 0 0 0");
    EXPECT_EQ(CardNames(), (Names { "Meier Anna", "Ziegler Eva" }));
    EXPECT_EQ(Card("Meier Anna").GetLine(1), "040 4");
    EXPECT_EQ(origin.Book(kBook)->syncToken, "token-2");
    // Nothing new: nothing changes, no step is taken.
    next.changed.clear();
    next.removed.clear();
    EXPECT_EQ(Counts(Sync({ next }).counts), "0 0 0 1 0 0");
    EXPECT_EQ(CardNames().size(), 2u);
}

TEST_F(SyncTest, CardsChangedHereAreKeptOrTakenOverAsTheServerDecides)
{
    Sync({ Complete({ kMueller, kMeier }) });
    Card("Meier Anna").SetLine(5, "hier notiert");
    Card("Müller Hans").SetLine(5, "hier notiert");
    // Only a new ETag: the card as changed here stays.
    SyncPlan plan = Sync({ Complete({ Remote("m", "e2", kMueller.vcard) }, { kMeier.href }) });
    EXPECT_EQ(Counts(plan.counts), "0 0 0 2 0 0");
    EXPECT_EQ(Card("Müller Hans").GetLine(5), "hier notiert");
    // Changed on the server too: the server's version, and the details say so.
    plan = Sync({ Complete({ Remote("m", "e3", VCard("u-m", "Müller;Hans", "TEL:0171 5\r\n")) }) });
    EXPECT_EQ(Counts(plan.counts), "0 1 0 0 1 0");
    EXPECT_EQ(Card("Müller Hans").GetLine(5), "");
    // Gone on the server but changed here: kept, and the user's own now.
    EXPECT_EQ(Card("Meier Anna").GetLine(5), "hier notiert");
    EXPECT_EQ(plan.details,
        (Names { Utf8ToAnsi("Hier und auf dem Server geändert, die Fassung "
                            "des Servers gilt: Müller Hans"),
            Utf8ToAnsi("Behalten, weil hier geändert (auf dem Server "
                       "gelöscht): Meier Anna") }));
    EXPECT_EQ(origin.cards.size(), 1u);
}

TEST_F(SyncTest, ALocalCardOfTheSameNameIsNeverTouched)
{
    doc.Cards().InsertSorted(test::Card({ "Meier Anna", "0711 7" }), false);
    SyncPlan plan = Sync({ Complete({ kMeier }) });
    EXPECT_EQ(plan.details[0], "Neu: Meier Anna (der Name ist schon vergeben und wird nummeriert)");
    ASSERT_EQ(CardNames().size(), 3u);
    EXPECT_EQ(Card("Meier Anna").GetLine(1), "0711 7");
    plan = Sync({ Complete({}) });
    EXPECT_EQ(Counts(plan.counts), "0 0 1 0 0 0");
    EXPECT_EQ(CardNames(), (Names { "Meier Anna", "Ziegler Eva" }));
    EXPECT_EQ(Card("Meier Anna").GetLine(1), "0711 7");
}

TEST_F(SyncTest, ALostOriginFileDoublesNoCard)
{
    Sync({ Complete({ kMueller, kMeier }) });
    origin = SyncOrigin();
    SyncPlan plan = Sync({ Complete({ kMueller, kMeier }) });
    EXPECT_EQ(Counts(plan.counts), "0 0 0 2 0 0");
    EXPECT_EQ(CardNames(), (Names { "Meier Anna", Utf8ToAnsi("Müller Hans"), "Ziegler Eva" }));
    // The cards are the server's again: gone there, gone here.
    plan = Sync({ Complete({ kMeier }) });
    EXPECT_EQ(Counts(plan.counts), "0 0 1 1 0 0");
}

TEST_F(SyncTest, AnotherMappingFetchesEveryContactAgain)
{
    Sync({ Complete({ kMueller, kMeier }) });
    const std::string same = MappingFingerprint(mapping);
    EXPECT_EQ(StateOfBook(origin, kBook, same).knownEtags.size(), 2u);
    mapping.filters.onePerNumber = true;
    const BookState state = StateOfBook(origin, kBook, MappingFingerprint(mapping));
    EXPECT_TRUE(state.knownEtags.empty());
    EXPECT_TRUE(state.syncToken.empty());
}

TEST_F(SyncTest, ADamagedVCardIsCountedAndTheOthersApplied)
{
    Sync({ Complete({ kMeier }) });
    const SyncPlan plan = Sync({ Complete({ kMueller, Remote("a", "e2", "kein vCard") }) });
    EXPECT_EQ(Counts(plan.counts), "1 0 0 0 0 1");
    EXPECT_EQ(plan.details[1], Utf8ToAnsi("Nicht lesbarer Eintrag übergangen: /hans/kontakte/a.vcf"));
    // The damaged contact's card stays, and stays the server's.
    EXPECT_EQ(CardNames().size(), 3u);
    EXPECT_EQ(origin.cards.size(), 2u);
}

TEST_F(SyncTest, AContactTheFiltersNowLeaveOutTakesItsCard)
{
    Sync({ Complete({ kMueller, kMeier }) });
    mapping.filters.excludeCategories = { "FAMILIE" };
    const SyncPlan plan = Sync({ Complete({ kMeier }, { kMueller.href }) });
    EXPECT_EQ(Counts(plan.counts), "0 0 1 1 0 0");
    EXPECT_EQ(CardNames(), (Names { Utf8ToAnsi("Müller Hans"), "Ziegler Eva" }));
}

TEST(ContactCards, FiltersAndOneCardPerNumber)
{
    SetLanguageOffset(kLangGerman);
    const Contact contact = ParseVCards(VCard("u-m", "Müller;Hans",
                                            "TEL;TYPE=CELL:0171 1\r\nTEL;TYPE=HOME:030 "
                                            "2\r\nCATEGORIES:Familie,Sport\r\n"))
                                .front();
    struct Case {
        SyncFilters filters;
        Names names;
    };
    SyncFilters in, out, perNumber, all;
    in.includeCategories = { "sport" };
    out.excludeCategories = { "Verein", "FAMILIE" };
    perNumber.onePerNumber = true;
    const Case cases[] = {
        { all, { "Müller Hans" } },
        { in, { "Müller Hans" } },
        { out, {} },
        { perNumber, { "Müller Hans (Mobil)", "Müller Hans (Privat)" } },
    };
    for (const Case& c : cases) {
        CardMapping mapping;
        mapping.filters = c.filters;
        mapping.filters.dialable = false;
        Names names;
        for (const auto& card : ContactToCards(contact, mapping))
            names.emplace_back(AnsiToUtf8(card.card.Name()));
        EXPECT_EQ(names, c.names);
    }
    CardMapping perNumberMapping;
    perNumberMapping.filters = perNumber;
    perNumberMapping.filters.dialable = false;
    const auto cards = ContactToCards(contact, perNumberMapping);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[1].card.GetLine(1), "030 2");
    EXPECT_EQ(cards[1].numberKey, "home 1");
    // Without a number only when asked for.
    const Contact none = ParseVCards(kNoNumber.vcard).front();
    EXPECT_TRUE(ContactToCards(none, CardMapping()).empty());
    // A long name gives way to the kind on the 20 characters of the name line.
    const Contact longName = ParseVCards(VCard("u-s", "Schneider-Hoffmann;Max", "TEL;TYPE=CELL:0171 1\r\n")).front();
    EXPECT_EQ(ContactToCards(longName, perNumberMapping).front().card.Name(), "Schneider-Ho (Mobil)");
    CardMapping withoutNumbers;
    withoutNumbers.filters.onlyWithNumber = false;
    EXPECT_EQ(ContactToCards(none, withoutNumbers).size(), 1u);
}

TEST_F(SyncTest, DialableNumbersFromTheHomeCountryOfTheSettings)
{
    CSettings::Instance().SetHomeCountry("DE");
    SyncFilters filters;
    const RemoteContact remote = Remote("d", "e1", VCard("u-d", "Berg;Ute", "TEL:+49 30 1234567\r\n"));
    const SyncPlan plan = PlanSync(doc.Cards(), origin, { Complete({ remote }) }, filters, "0");
    ASSERT_EQ(plan.write.size(), 1u);
    EXPECT_EQ(plan.write[0].card.GetLine(1), "00301234567");
}

TEST(SyncOriginFile, RoundTripAndDamage)
{
    const std::filesystem::path folder = std::filesystem::path(std::getenv("VELKARO_TEST_HOME")) / "origin";
    const std::string path = (folder / "Karten.vlx.sync").string();
    SyncOrigin origin, read;
    origin.SetBook(kBook, "tok\ten");
    origin.cards.push_back(
        { kBook, "/a\\b.vcf", "\"e1\"", "u\n1", "mobile 1", "M\xFCller", "0123456789abcdef", "fedcba9876543210" });
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(WriteSyncOrigin(path, origin).Ok());
    EXPECT_TRUE(ReadSyncOrigin(path, read).Ok());
    EXPECT_EQ(read, origin);

    EXPECT_TRUE(ReadSyncOrigin(path + ".missing", read).Ok());
    EXPECT_TRUE(read.cards.empty());
    const std::string bytes = test::ReadAll(path);
    for (const std::string& damaged :
         Names { bytes.substr(0, bytes.size() - 3), "velkaro-sync-origin\t2\n", bytes + "x\n" }) {
        test::WriteAll(path, damaged);
        const Outcome outcome = ReadSyncOrigin(path, read);
        EXPECT_EQ(outcome.Kind(), OutcomeKind::BadInput);
        EXPECT_EQ(outcome.MessageId(), msg::SyncOriginDamaged);
        EXPECT_EQ(read, SyncOrigin());
    }
}

}  // namespace
}  // namespace velkaro
