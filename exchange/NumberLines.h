#pragma once

// Which lines of a card hold telephone numbers. The telephone's own number
// line is the card's second; any other line holds one when the card
// structure labels it with a kind of telephone number.

#include "model/CardList.h"

#include <string_view>
#include <vector>

namespace velkaro {

// Whether a line's label or a column's title (Windows-1252) names a kind of
// telephone number: "Telefon", "Mobil", "Privat", "Geschäft", "Fax" and their
// English and French words, the other spellings people use ("Handy", "Cell",
// "Büro"), a trailing number ignored ("Telefon 2").
bool IsNumberLabel(std::string_view ansiLabel);

// Line 1 and every line from 2 whose label (the field-names card's, else
// the standard one) names a kind of telephone number, ascending.
std::vector<int> NumberLines(const CKarte* fieldNames);
// The same by the collection's card structure.
std::vector<int> NumberLines(const CCardList& cards);

}  // namespace velkaro
