// Saving and deleting cards from the card view: the name checks, the sorted
// place of the saved card, and the question before a delete.

#include "view/CardCommands.h"

#include "text/Language.h"
#include "text/MessageIds.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <memory>

namespace velkaro {
namespace {

class CardCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : { "Anna", "Berta", "Meier" }) {
            auto card = std::make_unique<CKarte>();
            card->SetLine(0, name);
            card->SetLine(1, "0301234");
            list.InsertSorted(std::move(card), false);
        }
    }

    static CKarte Working(const std::string& name, const std::string& tel = "089")
    {
        CKarte card;
        card.SetLine(0, name);
        card.SetLine(1, tel);
        return card;
    }

    int IndexOf(const std::string& name) const
    {
        for (int i = 0; i < list.Count(); ++i)
            if (list.At(i)->Name() == name)
                return i;
        return -1;
    }

    CCardList list;
    test::ScriptedUi ui;
};

TEST_F(CardCommands, NewCardTakesItsSortedPlaceAndIsMarkedEdited)
{
    SaveCardResult r = SaveCard(list, Working("Carla"), -1, ui);
    ASSERT_TRUE(r.saved);
    EXPECT_EQ(r.newIndex, 2);
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.At(2)->Name(), "Carla");
    EXPECT_EQ(list.At(2)->EditedByte(), 1);
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(CardCommands, FirstLineMustBeginWithALetter)
{
    for (const char* name : { "", "1Anton", " Anton", "\xE9mile", "\xE0 la carte" }) {
        SaveCardResult r = SaveCard(list, Working(name), -1, ui);
        EXPECT_FALSE(r.saved) << name;
        EXPECT_EQ(r.messageId, msg::FirstLineNotAlphabetic) << name;
    }
    EXPECT_EQ(list.Count(), 3);
    ASSERT_FALSE(ui.shown.empty());
    EXPECT_EQ(ui.shown.back().text, Text(msg::FirstLineNotAlphabetic));
    EXPECT_EQ(ui.shown.back().buttons, MsgButtons::Ok);
}

TEST_F(CardCommands, NameThatDiffersOnlyByCaseExistsAlready)
{
    SaveCardResult r = SaveCard(list, Working("MEIER"), -1, ui);
    EXPECT_FALSE(r.saved);
    EXPECT_EQ(r.messageId, msg::NameExists);
    // Editing Anna into "berta" collides with Berta as well.
    r = SaveCard(list, Working("berta"), IndexOf("Anna"));
    EXPECT_EQ(r.messageId, msg::NameExists);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.At(0)->Name(), "Anna");
}

TEST_F(CardCommands, TheFieldNamesCardsNameIsReserved)
{
    SaveCardResult r = SaveCard(list, Working(ReservedName()), -1);
    EXPECT_FALSE(r.saved);
    // Twenty times 0xE5 passes the letter test; the name check stops it.
    EXPECT_EQ(r.messageId, msg::NameExists);
    EXPECT_EQ(list.Count(), 3);
}

TEST_F(CardCommands, SavingUnderItsOwnNameReplacesTheCard)
{
    int anna = IndexOf("Anna");
    SaveCardResult r = SaveCard(list, Working("Anna", "040777"), anna);
    ASSERT_TRUE(r.saved);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.At(r.newIndex)->GetLine(1), "040777");
}

TEST_F(CardCommands, RenamedCardMovesToItsSortedPlace)
{
    SaveCardResult r = SaveCard(list, Working("Zora"), IndexOf("Anna"));
    ASSERT_TRUE(r.saved);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(r.newIndex, 2);
    EXPECT_EQ(list.At(0)->Name(), "Berta");
    EXPECT_EQ(list.At(2)->Name(), "Zora");
    EXPECT_EQ(IndexOf("Anna"), -1);
}

TEST_F(CardCommands, DeleteAsksAndDeletesOnYes)
{
    ui.answers.push_back(MsgAnswer::No);
    EXPECT_FALSE(DeleteCard(list, 1, ui));
    EXPECT_EQ(list.Count(), 3);
    ui.answers.push_back(MsgAnswer::Yes);
    EXPECT_TRUE(DeleteCard(list, 1, ui));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(IndexOf("Berta"), -1);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].text, Text(msg::ReallyDeleteCard));
    EXPECT_EQ(ui.shown[0].buttons, MsgButtons::YesNo);
}

TEST_F(CardCommands, DeleteOfANeverSavedCardAsksNothing)
{
    EXPECT_FALSE(DeleteCard(list, -1, ui));
    EXPECT_FALSE(DeleteCard(list, 3, ui));
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(list.Count(), 3);
}

}  // namespace
}  // namespace velkaro
