#pragma once

// The numbers of the cards as the telephone dials them. A table telephone
// on a landline dials digits only, and behind a private exchange it needs
// the digit of an outside line first; people write numbers as they read
// them ("+49 (0)30 1234567", "030/123 45-67"). The lines to convert come
// from the card structure (exchange/NumberLines.h).

#include "device/PhoneNumbers.h"
#include "model/CardList.h"

#include <string>
#include <vector>

namespace velkaro {

class CDialableNumbers {
public:
    // homeCountry: the region the telephone dials from ("DE"); empty or
    // unknown: no number is converted. outsideLine: what the private
    // exchange wants before an outside number; only the keypad's characters
    // of it count.
    CDialableNumbers(const std::string& homeCountry, const std::string& outsideLine);

    bool KnowsHomeCountry() const { return !m_numbers.HomeCountry().empty(); }

    // The text of card line `line` as the telephone dials it. Unchanged: a
    // text that is no number the telephone could dial so (CPhoneNumbers::
    // Dialable), one that would no longer fit its line, and one converted
    // before: the outside line before the dialled form of the rest.
    std::string Line(const std::string& text, int line) const;

    // The lines of the card converted; a card that changed is marked edited,
    // so that it goes to the telephone with the edited cards. Returns how
    // many lines changed.
    int MakeDialable(CKarte& card, const std::vector<int>& numberLines) const;
    // The same over every card of the collection (not the field-names card).
    int MakeDialable(CCardList& cards, const std::vector<int>& numberLines) const;

private:
    CPhoneNumbers m_numbers;
    std::string m_outsideLine;
};

// The cards' number lines converted from the home country with the outside
// line; returns how many lines changed.
int MakeDialable(CCardList& cards, const std::vector<int>& numberLines, const std::string& homeCountry,
                 const std::string& outsideLine);

}  // namespace velkaro
