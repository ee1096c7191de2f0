// The numbers of the cards as the telephone dials them: a line at a time
// from the home country, behind an outside line, and over a collection.

#include "device/DialableCards.h"

#include <gtest/gtest.h>

using namespace velkaro;

TEST(DialableCards, ALineAsTheTelephoneDialsIt)
{
    struct Case {
        const char* country;
        const char* outsideLine;
        const char* text;
        int line;
        const char* dialled;
    };
    const Case cases[] = {
        { "DE", "", "+49 (0)30 1234567", 1, "0301234567" },
        { "CH", "", "+49 (0)30 1234567", 1, "0049301234567" },
        { "FR", "", "+33 1 23 45 67 89", 5, "0123456789" },
        { "DE", "0", "030/123 45-67", 1, "00301234567" },
        { "DE", "0,", "030/123 45-67", 1, "00301234567" },  // only what a keypad has
        { "DE", "0", "23", 1, "23" },                        // an internal short number
        { "DE", "", "0800 FLOWERS", 1, "0800 FLOWERS" },
        // Converted before: the outside line and the rest as it is dialled.
        { "DE", "0", "00301234567", 1, "00301234567" },
        { "CH", "0", "00049301234567", 1, "00049301234567" },
        { "DE", "", "0301234567", 1, "0301234567" },
        // Too long for the telephone line once dialled: a cut number would
        // dial someone else.
        { "US", "999999", "+49 (0)30 12345678", 1, "+49 (0)30 12345678" },
        { "US", "999999", "+49 (0)30 12345678", 2, "999999011493012345678" },
        { "", "0", "+49 30 1234567", 1, "+49 30 1234567" },  // no home country
    };
    for (const Case& c : cases)
        EXPECT_EQ(CDialableNumbers(c.country, c.outsideLine).Line(c.text, c.line), c.dialled)
            << c.country << " " << c.outsideLine << " " << c.text;
    EXPECT_TRUE(CDialableNumbers("de", "").KnowsHomeCountry());
    EXPECT_FALSE(CDialableNumbers("", "0").KnowsHomeCountry());
}

TEST(DialableCards, TheNumberLinesOfEveryCardChangeOnceAndTheirCardsAreEdited)
{
    CCardList cards;
    const auto add = [&cards](const char* name, const char* number, const char* line2, const char* line3) {
        auto card = std::make_unique<CKarte>();
        card->SetLine(0, name);
        card->SetLine(1, number);
        card->SetLine(2, line2);
        card->SetLine(3, line3);
        cards.InsertSorted(std::move(card), false);
    };
    add("Albers", "+49 89 1234567", "10115 Berlin", "+49 171 1234567");
    add("Berg", "089 1234567", "Hauptstr. 5", "");
    auto names = std::make_unique<CKarte>();
    names->SetLine(0, ReservedName());
    names->SetLine(1, "+49 89 7654321");
    cards.SetFieldNames(std::move(names));

    EXPECT_EQ(MakeDialable(cards, { 1, 3 }, "DE", "0"), 3);
    const CKarte& albers = *cards.At(0);
    EXPECT_EQ(albers.GetLine(1), "00891234567");
    EXPECT_EQ(albers.GetLine(2), "10115 Berlin");
    EXPECT_EQ(albers.GetLine(3), "001711234567");
    EXPECT_EQ(cards.At(1)->GetLine(1), "00891234567");
    EXPECT_TRUE(albers.IsEdited());
    EXPECT_TRUE(cards.At(1)->IsEdited());
    // Once dialable, a number stays as it is.
    EXPECT_EQ(MakeDialable(cards, { 1, 3 }, "DE", "0"), 0);
    EXPECT_EQ(cards.FieldNames()->GetLine(1), "+49 89 7654321");
}
