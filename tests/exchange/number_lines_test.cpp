// The lines of a card that hold telephone numbers, by the card structure.

#include "exchange/NumberLines.h"

#include "text/Cp1252.h"

#include <gtest/gtest.h>

using namespace velkaro;

TEST(NumberLines, TheTelephoneLineAndTheLinesLabelledWithAKindOfNumber)
{
    EXPECT_EQ(NumberLines(nullptr), (std::vector<int> { 1 }));

    struct Label {
        int line;
        const char* utf8;
        bool number;
    };
    const Label labels[] = {
        { 2, "Mobil", true },      { 3, "Ort", false },         { 4, "Telefon 2", true },
        { 5, "Fax", true },        { 6, "E-Mail", false },      { 7, "Cell", true },
        { 8, "Büro", true },       { 9, "Téléphone", true },    { 10, "Privat", true },
        { 11, "Geschäft", true },  { 12, "PLZ", false },        { 13, "Telefonzeit", false },
        { 14, "  handy ", true },  { 15, "Notiz", false },
    };
    CKarte structure;
    structure.SetLine(0, ReservedName());
    std::vector<int> expected { 1 };
    for (const Label& label : labels) {
        structure.SetLine(label.line, Utf8ToAnsi(label.utf8));
        EXPECT_EQ(IsNumberLabel(Utf8ToAnsi(label.utf8)), label.number) << label.utf8;
        if (label.number)
            expected.push_back(label.line);
    }
    EXPECT_EQ(NumberLines(&structure), expected);

    CCardList cards;
    auto names = std::make_unique<CKarte>();
    names->CopyFrom(&structure);
    cards.SetFieldNames(std::move(names));
    EXPECT_EQ(NumberLines(cards), expected);
}
