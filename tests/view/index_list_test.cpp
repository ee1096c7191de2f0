// The index list's logic without a window: type-ahead with its two timeouts
// on a controlled clock, stepping in groups, the selection way, rows to cards.

#include "model/CardList.h"
#include "view/IndexList.h"
#include "view/ViewShared.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace velkaro;

namespace {

class IndexListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        index.SetClock([this] { return now; });
        index.SetSelection(&selection);
    }
    void Names(std::vector<std::string> names)
    {
        for (const auto& n : names) {
            auto card = std::make_unique<CKarte>();
            card->SetLine(0, n);
            list.InsertSorted(std::move(card), false);
        }
        index.SetCardList(&list);
    }
    // The names of the shown rows, empty rows left out.
    std::vector<std::string> Shown() const
    {
        std::vector<std::string> out;
        for (int card : index.ShownCards())
            if (card >= 0)
                out.emplace_back(list.At(card)->Name());
        return out;
    }
    void Type(const std::string& text)
    {
        for (unsigned char c : text)
            index.TypeCharacter(c);
    }

    int64_t now = 100000;
    CCardList list;
    SelectionState selection;
    CIndexList index;
};

using V = std::vector<std::string>;

}  // namespace

TEST_F(IndexListTest, StartsAtTheTopWithEightNames)
{
    Names({ "A1", "A2", "A3", "A4", "A5", "A6", "A7", "A8", "A9" });
    EXPECT_EQ(index.Top(), 0);
    EXPECT_EQ(index.Bottom(), 7);
    EXPECT_EQ(Shown().size(), 8u);
}

TEST_F(IndexListTest, EmptyCollection)
{
    index.SetCardList(&list);
    index.KeyDown(IndexKey::Home);
    index.KeyDown(IndexKey::End);
    index.KeyDown(IndexKey::Down);
    index.KeyDown(IndexKey::Up);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(index.RowToCard(0), -1);
}

TEST_F(IndexListTest, TypeAheadWithinFourSecondsExtendsTheSearch)
{
    Names({ "Anna", "Meier", "Merz", "Meyer", "Miller", "Moser", "Zorn" });
    Type("m");
    EXPECT_EQ(index.SearchString(), "M");
    EXPECT_EQ(Shown(), (V { "Meier", "Merz", "Meyer", "Miller", "Moser" }));
    EXPECT_EQ(index.TimerMs(), CIndexList::kMatchMs);
    now += 3999;
    Type("e");
    EXPECT_EQ(index.SearchString(), "ME");
    EXPECT_EQ(Shown(), (V { "Meier", "Merz", "Meyer" }));
    now += 3999;
    Type("r");
    EXPECT_EQ(Shown(), (V { "Merz" }));
}

TEST_F(IndexListTest, AfterFourSecondsALetterStartsANewSearch)
{
    Names({ "Anna", "Meier", "Zorn" });
    Type("m");
    now += 4000;
    Type("z");
    EXPECT_EQ(index.SearchString(), "Z");
    EXPECT_EQ(Shown(), (V { "Zorn" }));
}

TEST_F(IndexListTest, AMissShowsTheTextAndTimesOutAfterOneSecond)
{
    Names({ "Anna", "Berta" });
    Type("q");
    EXPECT_EQ(index.Top(), -1);
    EXPECT_EQ(index.SearchString(), "Q");
    EXPECT_EQ(index.TimerMs(), CIndexList::kMissMs);
    EXPECT_TRUE(Shown().empty());
    now += 999;
    Type("u");
    EXPECT_EQ(index.SearchString(), "QU");
    now += 1000;
    Type("b");
    EXPECT_EQ(index.SearchString(), "B");
    EXPECT_EQ(Shown(), (V { "Berta" }));
}

TEST_F(IndexListTest, IgnoredCharactersLeaveTheDeadline)
{
    Names({ "Anna" });
    Type("a");
    now += 1500;
    EXPECT_EQ(index.RemainingMs(), 2500);
    Type("[");
    EXPECT_EQ(index.RemainingMs(), 2500);
    now += 3000;
    EXPECT_EQ(index.RemainingMs(), 0);
}

TEST_F(IndexListTest, TimerExpiryEndsTyping)
{
    Names({ "Anna", "Anton" });
    Type("a");
    EXPECT_TRUE(index.IsTyping());
    index.TimerExpired();
    EXPECT_FALSE(index.IsTyping());
    Type("n");
    EXPECT_EQ(index.SearchString(), "N");
}

TEST_F(IndexListTest, DigitsOnlyAfterTheFirstLetter)
{
    Names({ "A1 Autos", "Anna" });
    Type("1");
    EXPECT_FALSE(index.IsTyping());
    EXPECT_EQ(index.SearchString(), "");
    Type("a1");
    EXPECT_EQ(index.SearchString(), "A1");
    EXPECT_EQ(Shown(), (V { "A1 Autos" }));
}

TEST_F(IndexListTest, CharactersOffTheTelephoneAreIgnored)
{
    Names({ "Anna" });
    Type("a[");
    EXPECT_EQ(index.SearchString(), "A");
}

TEST_F(IndexListTest, TheTwentyFirstCharacterIsIgnored)
{
    Names({ "Abcdefghijklmnopqrst" });
    Type("abcdefghijklmnopqrstu");
    EXPECT_EQ(index.SearchString(), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(Shown(), (V { "Abcdefghijklmnopqrst" }));
}

TEST_F(IndexListTest, AnnaAntonBerta)
{
    Names({ "Anna", "Anton", "Berta" });
    Type("a");
    EXPECT_EQ(Shown(), (V { "Anna", "Anton" }));
    index.KeyDown(IndexKey::Down);
    EXPECT_EQ(index.SearchString(), "B");
    EXPECT_EQ(Shown(), (V { "Berta" }));
    EXPECT_FALSE(index.IsTyping());
    index.KeyDown(IndexKey::Up);
    EXPECT_EQ(index.SearchString(), "A");
    EXPECT_EQ(Shown(), (V { "Anna", "Anton" }));
    index.KeyDown(IndexKey::Up);
    EXPECT_EQ(Shown(), (V { "Anna", "Anton" }));
}

TEST_F(IndexListTest, WithoutSearchTextStepsByEight)
{
    std::vector<std::string> names;
    for (int i = 0; i < 20; ++i)
        names.push_back("N" + std::string(1, static_cast<char>('a' + i)));
    Names(names);
    index.KeyDown(IndexKey::Down);
    EXPECT_EQ(index.Top(), 8);
    EXPECT_EQ(index.Bottom(), 15);
    index.KeyDown(IndexKey::PageDown);
    EXPECT_EQ(index.Top(), 16);
    EXPECT_EQ(index.Bottom(), 19);
    index.KeyDown(IndexKey::Down);  // past the end: nothing
    EXPECT_EQ(index.Top(), 16);
    index.KeyDown(IndexKey::Up);
    EXPECT_EQ(index.Top(), 8);
    index.KeyDown(IndexKey::PageUp);
    EXPECT_EQ(index.Top(), 0);
    index.KeyDown(IndexKey::Up);
    EXPECT_EQ(index.Top(), 0);
}

TEST_F(IndexListTest, GroupsOfOneLetterHoldAtMostEight)
{
    std::vector<std::string> names = { "Anna" };
    for (int i = 0; i < 10; ++i)
        names.push_back("M" + std::string(1, static_cast<char>('a' + i)));
    names.push_back("Zorn");
    Names(names);
    Type("m");
    EXPECT_EQ(index.Top(), 1);
    EXPECT_EQ(index.Bottom(), 8);
    index.KeyDown(IndexKey::Down);  // the rest of the M group
    EXPECT_EQ(index.Top(), 9);
    EXPECT_EQ(index.Bottom(), 10);
    index.KeyDown(IndexKey::Down);
    EXPECT_EQ(Shown(), (V { "Zorn" }));
    index.KeyDown(IndexKey::Up);
    EXPECT_EQ(index.Top(), 3);  // back over the M names, at most eight
    EXPECT_EQ(index.Bottom(), 10);
}

TEST_F(IndexListTest, DownAfterAMissContinuesWhereTheTextWouldStand)
{
    Names({ "Anna", "Berta", "Dora" });
    Type("c");
    EXPECT_EQ(index.Top(), -1);
    EXPECT_EQ(index.Bottom(), 2);
    index.KeyDown(IndexKey::Down);
    EXPECT_EQ(Shown(), (V { "Dora" }));

    Type("z");  // after every name
    index.KeyDown(IndexKey::Down);
    EXPECT_EQ(index.Top(), -1);
    index.KeyDown(IndexKey::Up);
    EXPECT_EQ(Shown(), (V { "Dora" }));
}

TEST_F(IndexListTest, HomeAndEndGoToTheGroupsOfTheFirstAndLastName)
{
    Names({ "Anna", "Anton", "Berta", "Zacharias", "Zorn" });
    index.KeyDown(IndexKey::End);
    EXPECT_EQ(index.SearchString(), "Z");
    EXPECT_EQ(Shown(), (V { "Zacharias", "Zorn" }));
    index.KeyDown(IndexKey::Home);
    EXPECT_EQ(Shown(), (V { "Anna", "Anton" }));
}

TEST_F(IndexListTest, RowToCard)
{
    Names({ "Anna", "Anton", "Berta" });
    EXPECT_EQ(index.RowToCard(0), 0);
    EXPECT_EQ(index.RowToCard(2), 2);
    EXPECT_EQ(index.RowToCard(4), -1);
    EXPECT_EQ(index.RowToCard(8), -1);
    EXPECT_EQ(index.RowToCard(-1), -1);
    Type("a");
    EXPECT_EQ(index.RowToCard(2), -1);  // Berta is not in the A group
}

TEST_F(IndexListTest, ResetReturnsToTheStart)
{
    Names({ "Anna", "Berta" });
    Type("b");
    index.Reset();
    EXPECT_EQ(index.Top(), 0);
    EXPECT_EQ(index.SearchString(), "");
    EXPECT_FALSE(index.IsTyping());
    EXPECT_EQ(Shown(), (V { "Anna", "Berta" }));
}

class IndexSelectionTest : public IndexListTest {
protected:
    void SetUp() override
    {
        IndexListTest::SetUp();
        // Twelve hotels among twenty names.
        std::vector<std::string> names;
        for (int i = 0; i < 20; ++i) {
            std::string name(1, static_cast<char>('A' + i));
            name += i % 5 < 3 ? " Hotel" : " Privat";
            names.push_back(name);
        }
        Names(names);
        selection.active = true;
        selection.permanent = true;
        selection.text = "hotel";
        index.ResetForSelection();
    }
    std::vector<char> Letters() const
    {
        std::vector<char> out;
        for (const auto& n : Shown())
            out.push_back(n[0]);
        return out;
    }
};

TEST_F(IndexSelectionTest, RowsHoldTheSelectedCards)
{
    EXPECT_EQ(Letters(), (std::vector<char> { 'A', 'B', 'C', 'F', 'G', 'H', 'K', 'L' }));
    EXPECT_EQ(index.RowToCard(3), 5);
    index.KeyDown(IndexKey::Down);
    EXPECT_EQ(Letters(), (std::vector<char> { 'M', 'P', 'Q', 'R' }));
    // The eighth row is empty now: Down does nothing.
    index.KeyDown(IndexKey::Down);
    EXPECT_EQ(Letters(), (std::vector<char> { 'M', 'P', 'Q', 'R' }));
    // Up: the eight selected cards before the first row.
    index.KeyDown(IndexKey::Up);
    EXPECT_EQ(Letters(), (std::vector<char> { 'A', 'B', 'C', 'F', 'G', 'H', 'K', 'L' }));
    index.KeyDown(IndexKey::Up);  // none before: from the top
    EXPECT_EQ(Letters(), (std::vector<char> { 'A', 'B', 'C', 'F', 'G', 'H', 'K', 'L' }));
    index.KeyDown(IndexKey::End);
    EXPECT_EQ(Letters(), (std::vector<char> { 'G', 'H', 'K', 'L', 'M', 'P', 'Q', 'R' }));
    index.KeyDown(IndexKey::Up);  // fewer than eight before G: from the top
    EXPECT_EQ(Letters().front(), 'A');
    index.KeyDown(IndexKey::Home);
    EXPECT_EQ(Letters().front(), 'A');
}

TEST_F(IndexSelectionTest, DownFromAFullLastWindowStartsAgain)
{
    selection.text = "privat";  // D E I J N O S T: exactly eight
    index.ResetForSelection();
    EXPECT_EQ(Letters(), (std::vector<char> { 'D', 'E', 'I', 'J', 'N', 'O', 'S', 'T' }));
    index.KeyDown(IndexKey::Down);
    EXPECT_EQ(Letters(), (std::vector<char> { 'D', 'E', 'I', 'J', 'N', 'O', 'S', 'T' }));
}

TEST_F(IndexSelectionTest, TypingALetterJumpsToTheSelectedCardsFromThere)
{
    Type("k");
    EXPECT_EQ(Letters().front(), 'K');
    EXPECT_EQ(index.SearchString(), "");
    EXPECT_FALSE(index.IsTyping());
    EXPECT_TRUE(selection.active);
    Type("1");  // no letter: ignored
    EXPECT_EQ(Letters().front(), 'K');
}

TEST_F(IndexSelectionTest, TypingWithoutAMatchShowsTheLetter)
{
    selection.text = "zzz";
    index.ResetForSelection();
    Type("b");
    EXPECT_EQ(index.Top(), -1);
    EXPECT_EQ(index.SearchString(), "B");
    EXPECT_EQ(index.TimerMs(), CIndexList::kMissMs);
}

TEST_F(IndexSelectionTest, TypingEndsASelectionThatIsNotPermanent)
{
    selection.permanent = false;
    EXPECT_TRUE(index.TypeCharacter('k'));
    EXPECT_FALSE(selection.active);
    EXPECT_EQ(Shown().front(), "K Hotel");
    EXPECT_EQ(index.SearchString(), "K");
    EXPECT_FALSE(index.TypeCharacter('l'));
}
