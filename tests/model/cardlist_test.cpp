#include "model/CardList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <type_traits>
#include <utility>

namespace velkaro {
namespace {

std::unique_ptr<CKarte> NewCard(const std::string& name, const std::string& phone = {})
{
    auto card = std::make_unique<CKarte>();
    card->SetLine(0, name);
    if (!phone.empty())
        card->SetLine(1, phone);
    return card;
}

std::vector<std::string> Names(const CCardList& list)
{
    std::vector<std::string> names;
    for (const auto& card : list.Cards())
        names.emplace_back(card->Name());
    return names;
}

CCardList ListOf(std::initializer_list<std::string> names)
{
    CCardList list;
    for (const auto& name : names)
        list.InsertSorted(NewCard(name), false);
    return list;
}

TEST(CCardList, SortsByTheTelephoneOrder)
{
    CCardList list = ListOf({ "bach", "\xc5se", "Zug", "\xc4pfel", "Azur", "1Fix", ":Kolon", "~Tilde", "\x80uro", "a" });
    std::vector<std::string> expected = { ":Kolon", "~Tilde", "\x80uro", "1Fix", "a", "Azur", "\xc4pfel", "bach", "Zug", "\xc5se" };
    EXPECT_EQ(Names(list), expected);
}

TEST(CCardList, CaseFoldedNamesAreNumbered)
{
    CCardList list;
    list.InsertSorted(NewCard("Meier", "1"), false);
    int at = list.InsertSorted(NewCard("MEIER", "2"), false);
    EXPECT_EQ(list.At(at)->Name(), "MEIER" + std::string(14, ' ') + "1");
    // The first numbered candidate exists already: the third gets 2.
    at = list.InsertSorted(NewCard("meier", "3"), false);
    EXPECT_EQ(list.At(at)->Name(), "meier" + std::string(14, ' ') + "2");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.At(0)->GetLine(1), "1");
}

TEST(CCardList, ReplaceDeletesTheEqualName)
{
    CCardList list = ListOf({ "Anna", "Meier", "Zora" });
    int at = list.InsertSorted(NewCard("MEIER", "neu"), true);
    EXPECT_EQ(at, 1);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.At(1)->GetLine(1), "neu");
}

TEST(CCardList, FindNameIsALowerBound)
{
    CCardList empty;
    EXPECT_EQ(empty.FindName("x").index, -1);

    CCardList list = ListOf({ "Anna", "Bert", "Meier", "Zora" });
    FindResult r = list.FindName("Mei");
    EXPECT_EQ(r.index, 2);
    EXPECT_EQ(r.kind, MatchKind::Prefix);
    r = list.FindName("meier");
    EXPECT_EQ(r.index, 2);
    EXPECT_EQ(r.kind, MatchKind::Equal);
    r = list.FindName("C");
    EXPECT_EQ(r.index, 2);
    EXPECT_EQ(r.kind, MatchKind::None);
    r = list.FindName("A");
    EXPECT_EQ(r.index, 0);
    EXPECT_EQ(r.kind, MatchKind::Prefix);
    EXPECT_EQ(list.FindName("Zz").index, -1);
    EXPECT_EQ(list.FindName("Zora").index, 3);
    EXPECT_EQ(list.FindName("Zora").kind, MatchKind::Equal);
}

TEST(CCardList, DeleteAndSubset)
{
    CCardList list = ListOf({ "Anna", "Bert", "Carl" });
    list.At(0)->SetEditedByte(1);
    list.At(2)->SetEditedByte(1);
    list.At(2)->SetLine(2, "Bahnhofstrasse");
    EXPECT_EQ(list.BuildSubset(true, "").size(), 2u);
    auto subset = list.BuildSubset(false, "bahnhof");
    ASSERT_EQ(subset.size(), 1u);
    EXPECT_EQ(subset[0], list.At(2));  // a pointer into the list, not a copy
    EXPECT_TRUE(list.BuildSubset(true, "bert").empty());

    list.DeleteCardAt(5);
    list.DeleteCardAt(-1);
    EXPECT_EQ(list.Count(), 3);
    list.DeleteCardAt(1);
    EXPECT_EQ(Names(list), (std::vector<std::string> { "Anna", "Carl" }));

    list.SetFieldNames(NewCard(ReservedName()));
    list.DeleteAllCards();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_NE(list.FieldNames(), nullptr);  // the field-names card stays
}

// Cards 0..9; those whose index is in `hits` contain "X".
CCardList SearchList(std::initializer_list<int> hits)
{
    CCardList list;
    for (int i = 0; i < 10; ++i) {
        auto card = NewCard(std::string("Card ") + static_cast<char>('0' + i));
        for (int h : hits)
            if (h == i)
                card->SetLine(2, "x marks");
        list.Append(std::move(card));
    }
    return list;
}

TEST(SearchText, BackwardFillsSlotsFromTheLast)
{
    CCardList list = SearchList({ 1, 4, 6, 8 });
    int slots[3] = { 7, 7, 7 };
    EXPECT_EQ(list.SearchText("X", 7, false, slots, 3), 3);
    EXPECT_EQ(slots[0], 1);
    EXPECT_EQ(slots[1], 4);
    EXPECT_EQ(slots[2], 6);

    // The start is clamped to the last card.
    EXPECT_EQ(list.SearchText("x", 99, false, slots, 1), 1);
    EXPECT_EQ(slots[0], 8);
}

TEST(SearchText, BackwardShortOfMatchesSearchesForwardFromTheTop)
{
    CCardList list = SearchList({ 1, 4, 6, 8 });
    int slots[3] = { 7, 7, 7 };
    // Only 1 and 4 lie at or before 5: the window is taken from the top.
    EXPECT_EQ(list.SearchText("X", 5, false, slots, 3), 3);
    EXPECT_EQ(slots[0], 1);
    EXPECT_EQ(slots[1], 4);
    EXPECT_EQ(slots[2], 6);

    CCardList two = SearchList({ 2, 9 });
    int four[4] = { 7, 7, 7, 7 };
    EXPECT_EQ(two.SearchText("X", 9, false, four, 4), 2);
    EXPECT_EQ(four[0], 2);
    EXPECT_EQ(four[1], 9);
    EXPECT_EQ(four[2], -1);
    EXPECT_EQ(four[3], -1);
}

TEST(SearchText, SingleSlotKeepsItsValueWhenNothingFound)
{
    CCardList list = SearchList({ 8 });
    int slot = 5;
    EXPECT_EQ(list.SearchText("X", 3, false, &slot, 1), 0);
    EXPECT_EQ(slot, 5);
}

TEST(SearchText, OnlyForward)
{
    CCardList list = SearchList({ 1, 4, 6, 8 });
    int slots[3] = { 7, 7, 7 };
    EXPECT_EQ(list.SearchText("X", 5, true, slots, 3), 2);
    EXPECT_EQ(slots[0], 6);
    EXPECT_EQ(slots[1], 8);
    EXPECT_EQ(slots[2], -1);
    EXPECT_EQ(list.SearchText("X", -4, true, slots, 1), 1);
    EXPECT_EQ(slots[0], 1);
    EXPECT_EQ(list.SearchText("absent", 0, true, slots, 2), 0);
    EXPECT_EQ(slots[0], -1);
    EXPECT_EQ(slots[1], -1);
}

TEST(CCardList, FieldNamesCardGoesInForWritingAndOutAgain)
{
    CCardList list = ListOf({ "Anna", std::string(20, '\xc5') });  // a card with the reserved name, in capitals
    auto names = NewCard(ReservedName(), "Mobil");
    list.SetFieldNames(std::move(names));
    list.InsertFieldNames();
    EXPECT_EQ(list.FieldNames(), nullptr);
    ASSERT_EQ(list.Count(), 2);  // it replaced the card with the equal name
    EXPECT_EQ(list.At(1)->GetLine(1), "Mobil");
    list.ExtractFieldNames();
    EXPECT_EQ(list.Count(), 1);
    ASSERT_NE(list.FieldNames(), nullptr);
    EXPECT_EQ(list.FieldNames()->GetLine(1), "Mobil");
}

// Many cards at once must give exactly the collection that sorting them in one
// by one gives: the same order, the same numbers, the same replacements.
class InsertAllSorted : public ::testing::Test {
protected:
    // Names that collide a lot: a few stems in any case, names that are
    // numbered forms of them already, names of 19 to 22 characters (the
    // number cuts them), characters the telephone lacks (all compare alike),
    // empty names and the reserved name.
    std::string RandomName(std::mt19937& random)
    {
        static const std::vector<std::string> stems = { "Meier", "meier", "MEIER", "Anna", "A", "",
                                                         "M\xfcller", "M\xdcLLER", "Schmidt-Schneider-X",
                                                         "Schmidt-Schneider-XY", "Schmidt-Schneider-XYZ",
                                                         "Meier              1", "Meier             12",
                                                         "A                  2", "\x81\x8d", "\x8d\x90", ReservedName() };
        std::string name = stems[random() % stems.size()];
        if (random() % 8 == 0)
            name += " ";  // kept as it came: archives store lines untrimmed
        return name;
    }

    std::unique_ptr<CKarte> RandomCard(std::mt19937& random, int id)
    {
        auto card = std::make_unique<CKarte>();
        if (random() % 16 != 0)  // now and then a card without any line
            card->SetStoredLines({ RandomName(random), std::to_string(id) });
        card->SetEditedByte(static_cast<uint8_t>(random() % 2));
        card->SetMarkByte(static_cast<uint8_t>(random() % 3));
        return card;
    }

    static std::vector<std::string> Dump(const CCardList& list)
    {
        std::vector<std::string> out;
        for (const auto& card : list.Cards()) {
            std::string text = std::to_string(card->EditedByte()) + "/" + std::to_string(card->MarkByte());
            for (const auto& line : card->StoredLines())
                text += "|" + line;
            out.push_back(text);
        }
        if (const CKarte* names = list.FieldNames())
            out.push_back("fields|" + (names->StoredLines().empty() ? std::string() : names->StoredLines()[1]));
        return out;
    }
};

TEST_F(InsertAllSorted, GivesTheSameCollectionAsOneByOne)
{
    std::mt19937 random(20261209);
    for (int round = 0; round < 60; ++round) {
        const bool replace = round % 2 == 1;
        const int before = static_cast<int>(random() % 40);
        const int added = static_cast<int>(random() % 400);
        CCardList single;
        CCardList bulk;
        for (int i = 0; i < before; ++i) {
            std::mt19937 again = random;
            single.InsertSorted(RandomCard(random, i), false);
            bulk.InsertSorted(RandomCard(again, i), false);
        }
        std::vector<std::unique_ptr<CKarte>> cards;
        for (int i = 0; i < added; ++i) {
            std::mt19937 again = random;
            single.InsertSorted(RandomCard(random, before + i), replace);
            cards.push_back(RandomCard(again, before + i));
        }
        bulk.InsertAllSorted(std::move(cards), replace);
        single.ExtractFieldNames();
        bulk.ExtractFieldNames();
        ASSERT_EQ(Dump(bulk), Dump(single)) << "round " << round << (replace ? " replacing" : " numbering");
        EXPECT_TRUE(bulk.IsStrictlySorted());
    }
}

TEST_F(InsertAllSorted, NumbersGoOnPastTheWidthOfTheNumber)
{
    // 120 equal names: the numbers grow to three digits and cut the name
    // each time; the number always ends in column 20.
    std::vector<std::unique_ptr<CKarte>> cards;
    for (int i = 0; i < 120; ++i)
        cards.push_back(NewCard("Schmidt-Schneider-X", std::to_string(i)));
    CCardList list;
    list.InsertAllSorted(std::move(cards), false);
    ASSERT_EQ(list.Count(), 120);
    std::vector<std::string> names = Names(list);
    EXPECT_NE(std::find(names.begin(), names.end(), "Schmidt-Schneider-X"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "Schmidt-Schneider-X1"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "Schmidt-Schneider-10"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "Schmidt-Schneider119"), names.end());
    EXPECT_TRUE(list.IsStrictlySorted());
}

TEST_F(InsertAllSorted, CollectionOutOfOrderTakesTheCardsOneByOne)
{
    // As a damaged file leaves it: the same card twice, out of order.
    CCardList single;
    single.Append(NewCard("Zora"));
    single.Append(NewCard("Meier", "alt"));
    single.Append(NewCard("Meier", "alt"));
    CCardList bulk;
    for (const auto& card : single.Cards())
        bulk.Append(std::make_unique<CKarte>(*card));
    EXPECT_FALSE(bulk.IsStrictlySorted());
    single.InsertSorted(NewCard("Meier", "neu"), true);
    std::vector<std::unique_ptr<CKarte>> cards;
    cards.push_back(NewCard("Meier", "neu"));
    bulk.InsertAllSorted(std::move(cards), true);
    EXPECT_EQ(Dump(bulk), Dump(single));
}

TEST(CCardList, IsStrictlySortedRefusesEqualNeighbours)
{
    CCardList list = ListOf({ "Anna", "Meier" });
    EXPECT_TRUE(list.IsStrictlySorted());
    list.Append(NewCard("MEIER"));
    EXPECT_FALSE(list.IsStrictlySorted());
    CCardList reversed;
    reversed.Append(NewCard("Zora"));
    reversed.Append(NewCard("Anna"));
    EXPECT_FALSE(reversed.IsStrictlySorted());
    EXPECT_TRUE(CCardList().IsStrictlySorted());
}

// Callers see the cards and their lines read-only: a change has to go through
// SetLine and the collection's operations, which keep the line limits and the
// sorted, name-unique order that FindName relies on.
static_assert(std::is_same_v<decltype(*std::declval<const CCardList&>().Cards().begin()), const CKarte*>);
static_assert(std::is_same_v<decltype(std::declval<CCardList&>().Cards()[0]), const CKarte*>);
static_assert(std::is_same_v<decltype(std::declval<CKarte&>().GetLine(0)), std::string_view>);

TEST(CCardList, TakeAllEmptiesTheListInItsOrderAndKeepsTheFieldNames)
{
    CCardList list = ListOf({ "Berg", "Alt", "Cramer" });
    list.SetFieldNames(NewCard(ReservedName(), "Mobil"));
    std::vector<std::unique_ptr<CKarte>> taken = list.TakeAll();
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(taken[0]->Name(), "Alt");
    EXPECT_EQ(taken[2]->Name(), "Cramer");
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_TRUE(list.Cards().empty());
    ASSERT_NE(list.FieldNames(), nullptr);
    EXPECT_EQ(list.FieldNames()->GetLine(1), "Mobil");
}

TEST(CCardList, CardsIterateInTheSortedOrder)
{
    CCardList list = ListOf({ "Berg", "Alt", "Cramer" });
    const CConstCards cards = list.Cards();
    ASSERT_EQ(cards.size(), 3u);
    EXPECT_EQ(cards.front()->Name(), "Alt");
    EXPECT_EQ(cards[1]->Name(), "Berg");
    EXPECT_EQ(cards.back()->Name(), "Cramer");
    EXPECT_EQ(std::distance(cards.begin(), cards.end()), 3);
}

}  // namespace
}  // namespace velkaro
