// The card selection: its flags, the panel's visibility, the end by Stop or
// typing, the confirmation before printing, export, saving and sending.

#include "model/Selection.h"

#include "text/Language.h"
#include "text/MessageIds.h"
#include "support/Cards.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <memory>

namespace velkaro {
namespace {

using test::Card;

TEST(SelectionState, PanelShowsOnlyWhileActiveAndAllowed)
{
    CSelection sel;
    int changes = 0;
    sel.onChanged = [&] { ++changes; };
    EXPECT_FALSE(sel.IsPanelVisible());
    sel.Start(true);
    EXPECT_TRUE(sel.IsPanelVisible());
    sel.Allow(false);  // the field-name column takes the panel's place
    EXPECT_FALSE(sel.IsPanelVisible());
    EXPECT_TRUE(sel.IsActive());
    sel.Allow(true);
    EXPECT_TRUE(sel.IsPanelVisible());
    sel.End();
    EXPECT_FALSE(sel.IsPanelVisible());
    EXPECT_FALSE(sel.IsPermanent());
    EXPECT_EQ(changes, 4);
}

TEST(SelectionState, StopEndsOnlyASelectionThatIsNotPermanent)
{
    CSelection sel;
    sel.SetSearchText("mei");
    sel.Start(true);
    EXPECT_FALSE(sel.EndIfNotPermanent());
    EXPECT_TRUE(sel.IsActive());

    sel.End();
    sel.Start(false);
    EXPECT_TRUE(sel.EndIfNotPermanent());
    EXPECT_FALSE(sel.IsActive());
    // The text stays for the next time the dialog opens.
    EXPECT_EQ(sel.SearchText(), "mei");
}

TEST(SelectionState, SearchTextIsCutToTwentyCharacters)
{
    CSelection sel;
    sel.SetSearchText("abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(sel.SearchText(), "abcdefghijklmnopqrst");
    EXPECT_EQ(sel.FilterText(), "ABCDEFGHIJKLMNOPQRST");
}

TEST(SelectionState, FilterPassesCardsContainingTheTextInAnyLine)
{
    CCardList list;
    list.InsertSorted(Card({ "Meier", "0301234" }), false);
    list.InsertSorted(Card({ "Huber", "089555", "Hotel Meilenstein" }), false);
    list.InsertSorted(Card({ "Zander", "040777" }), false);

    CSelection sel;
    EXPECT_EQ(sel.Filter(list, false).size(), 3u);  // none active: every card

    sel.SetSearchText("mei");
    sel.Start(false);
    auto cards = sel.Filter(list, false);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_TRUE(sel.Passes(*list.At(0)));
    EXPECT_FALSE(sel.Passes(*list.At(2)));

    sel.SetSearchText("");
    EXPECT_EQ(sel.Filter(list, false).size(), 3u);  // an empty text passes every card
}

TEST(SelectionConfirm, AsksWithTheVerbWhileActive)
{
    CSelection sel;
    sel.SetSearchText("hotel");
    sel.Start(true);

    test::ScriptedUi ui;
    ui.answers.push_back(MsgAnswer::Ok);
    EXPECT_TRUE(sel.ConfirmFor(ui, msg::VerbPrinted));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(ui.shown[0].text, FormatText(msg::SelectionConfirm, Text(msg::VerbPrinted).c_str()));
    EXPECT_NE(ui.shown[0].text.find(Text(msg::VerbPrinted)), std::string::npos);

    ui.answers.push_back(MsgAnswer::Cancel);
    EXPECT_FALSE(sel.ConfirmFor(ui, msg::VerbSent));
}

TEST(SelectionConfirm, NoQuestionWithoutSelectionOrWithEmptyText)
{
    test::ScriptedUi ui;
    CSelection sel;
    EXPECT_TRUE(sel.ConfirmFor(ui, msg::VerbExported));
    sel.Start(false);  // active, but the text is empty: every card passes
    EXPECT_TRUE(sel.ConfirmFor(ui, msg::VerbExported));
    EXPECT_TRUE(ui.shown.empty());
}

TEST(SelectionConfirm, EnglishQuestion)
{
    SetLanguageOffset(kLangEnglish);
    CSelection sel;
    sel.SetSearchText("x");
    sel.Start(false);
    test::ScriptedUi ui;
    ui.answers.push_back(MsgAnswer::Ok);
    sel.ConfirmFor(ui, msg::VerbSaved);
    SetLanguageOffset(kLangGerman);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Selection activated:\nOnly the selected cards will be saved.");
}


}  // namespace
}  // namespace velkaro
