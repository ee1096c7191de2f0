#include "model/CardComparison.h"
#include "model/Document.h"

#include "text/Language.h"
#include "text/MessageIds.h"

#include <gtest/gtest.h>

#include <memory>

namespace velkaro {
namespace {

std::unique_ptr<CKarte> NewCard(const std::string& name, const std::string& phone = {}, const std::string& extra = {})
{
    auto card = std::make_unique<CKarte>();
    card->SetLine(0, name);
    if (!phone.empty())
        card->SetLine(1, phone);
    if (!extra.empty())
        card->SetLine(2, extra);
    return card;
}

std::vector<std::string> Names(const std::vector<const CKarte*>& cards)
{
    std::vector<std::string> names;
    for (const CKarte* card : cards)
        names.emplace_back(card->Name());
    return names;
}

// Stored: Adler, Berger, Meier (marked), Zoller, Huber. Received: Berger
// unchanged, MEIER (equal by the character order) without mark, Huber with
// another number, Neu new, Zoller with an added line; Adler only here.
struct Collections {
    CCardList stored;
    std::unique_ptr<CCardList> received = std::make_unique<CCardList>();

    Collections()
    {
        stored.InsertSorted(NewCard("Adler", "111"), false);
        stored.InsertSorted(NewCard("Berger", "222"), false);
        auto meier = NewCard("Meier", "333");
        meier->SetMarkByte(1);
        stored.InsertSorted(std::move(meier), false);
        stored.InsertSorted(NewCard("Zoller", "444"), false);
        stored.InsertSorted(NewCard("Huber", "555"), false);

        received->InsertSorted(NewCard("Berger", "222"), false);
        received->InsertSorted(NewCard("Meier", "333"), false);
        received->InsertSorted(NewCard("Huber", "556"), false);
        received->InsertSorted(NewCard("Neu", "666"), false);
        received->InsertSorted(NewCard("Zoller", "444", "Bern"), false);
    }
};

TEST(CardComparisonTest, SortsEveryCardIntoOneGroup)
{
    Collections c;
    CardComparison result = CompareCollections(c.stored, *c.received);
    EXPECT_EQ(Names(result.added), std::vector<std::string>({ "Neu" }));
    EXPECT_EQ(Names(result.onlyHere), std::vector<std::string>({ "Adler" }));
    EXPECT_EQ(Names(result.unchanged), std::vector<std::string>({ "Berger" }));
    ASSERT_EQ(result.changed.size(), 3u);
    // Each changed pair holds the stored card first, the received second.
    EXPECT_EQ(result.changed[0].first->GetLine(1), "555");
    EXPECT_EQ(result.changed[0].second->GetLine(1), "556");
    EXPECT_EQ(result.changed[1].first->MarkByte(), 1);   // Meier: only the mark differs
    EXPECT_EQ(result.changed[1].second->MarkByte(), 0);
    EXPECT_EQ(result.changed[2].second->GetLine(2), "Bern");

    SetLanguageOffset(kLangEnglish);
    EXPECT_EQ(ComparisonCountsText(result), "1 new, 3 changed, 1 only here, 1 unchanged");
    SetLanguageOffset(kLangGerman);
    EXPECT_EQ(ComparisonCountsText(result), "1 neu, 3 ge\xE4ndert, 1 nur hier, 1 unver\xE4ndert");
}

TEST(CardComparisonTest, NamesAreEqualByTheCharacterOrderAndTheFieldNamesCardIsNoCard)
{
    CCardList stored, received;
    stored.InsertSorted(NewCard("Meier", "1"), false);
    stored.InsertSorted(NewCard(ReservedName(), "Mobil"), false);
    received.InsertSorted(NewCard("MEIER", "1"), false);
    received.InsertSorted(NewCard(ReservedName(), "Handy"), false);
    CardComparison result = CompareCollections(stored, received);
    EXPECT_TRUE(result.added.empty());
    EXPECT_TRUE(result.onlyHere.empty());
    EXPECT_TRUE(result.unchanged.empty());
    // The same card by name, but its name line reads differently.
    EXPECT_EQ(result.changed.size(), 1u);
}

TEST(CardComparisonTest, MergeTakesTheTelephonesCardsAndKeepsTheOnesOnlyHereAsEdited)
{
    Collections c;
    CPcxDoc doc;
    for (auto& card : c.stored.TakeAll())
        doc.Cards().InsertSorted(std::move(card), false);
    auto names = NewCard(ReservedName(), "Mobil");
    doc.Cards().SetFieldNames(std::move(names));
    int views = 0;
    doc.AddView([&](UpdateHint, CCardList*) { ++views; });

    doc.MergeCollection(std::move(c.received));

    const CCardList& cards = doc.Cards();
    ASSERT_EQ(cards.Count(), 6);
    EXPECT_TRUE(cards.IsStrictlySorted());
    std::vector<std::string> lines;
    for (const CKarte* card : cards.Cards())
        lines.emplace_back(std::string(card->Name()) + "|" + std::string(card->GetLine(1)) + "|" + std::string(card->GetLine(2)) + "|"
                        + std::to_string(card->EditedByte()) + std::to_string(card->MarkByte()));
    EXPECT_EQ(lines, std::vector<std::string>({ "Adler|111||10", "Berger|222||00", "Huber|556||00",
                                                "Meier|333||00", "Neu|666||00", "Zoller|444|Bern|00" }));
    // The telephone sent no field names: the stored ones stay.
    ASSERT_NE(cards.FieldNames(), nullptr);
    EXPECT_EQ(cards.FieldNames()->GetLine(1), "Mobil");
    EXPECT_GT(views, 0);

    // One step, named for the merge, that takes everything back.
    EXPECT_EQ(doc.UndoLabel(), FormatText(msg::StepMergedCards, 5));
    ASSERT_TRUE(doc.Undo());
    lines.clear();
    for (const CKarte* card : doc.Cards().Cards())
        lines.emplace_back(std::string(card->Name()) + "|" + std::string(card->GetLine(1)) + "|" + std::to_string(card->EditedByte()));
    EXPECT_EQ(lines, std::vector<std::string>({ "Adler|111|0", "Berger|222|0", "Huber|555|0", "Meier|333|0", "Zoller|444|0" }));
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(doc.Cards().Count(), 6);
}

TEST(CardComparisonTest, MergeTakesTheTelephonesFieldNamesWhenItSentThem)
{
    CCardList stored;
    stored.SetFieldNames(NewCard(ReservedName(), "Mobil"));
    stored.InsertSorted(NewCard("Adler", "1"), false);
    CCardList received;
    received.InsertSorted(NewCard(ReservedName(), "Handy"), false);
    MergeInto(received, stored);
    ASSERT_EQ(received.Count(), 1);
    EXPECT_EQ(received.At(0)->Name(), "Adler");
    ASSERT_NE(received.FieldNames(), nullptr);
    EXPECT_EQ(received.FieldNames()->GetLine(1), "Handy");
}

}  // namespace
}  // namespace velkaro
