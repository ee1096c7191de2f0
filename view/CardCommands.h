#pragma once

// The card commands of the card view as plain functions over the card
// collection: saving the edited card with its name checks and deleting the
// current card. The view only routes to them and shows what they report.
// Standard library only.

#include "model/CardList.h"
#include "model/MessageUi.h"

#include <string>

namespace velkaro {

struct SaveCardResult {
    bool saved = false;
    int newIndex = -1;        // where the saved card stands now
    unsigned messageId = 0;   // the refusal shown, 0 when saved
};

// Checks the working copy and puts it into the collection in place of the
// card at currentIndex (-1 for a new card). Refused, with nothing changed:
// msg::FirstLineNotAlphabetic when line 0 is empty or does not begin with a
// letter, msg::NameExists when the name is the reserved name of the
// field-names card or another card has the same name (the telephone's order
// treats upper and lower case alike), msg::NotEnoughMemory when no memory is
// left for the new card. The saved card is marked edited.
SaveCardResult SaveCard(CCardList& list, const CKarte& working, int currentIndex);
// The same, showing the refusal in an OK box.
SaveCardResult SaveCard(CCardList& list, const CKarte& working, int currentIndex, IMessageUi& ui);

// Asks msg::ReallyDeleteCard and deletes the card at currentIndex on Yes; true when deleted.
// An index outside the collection (a new, never saved card) asks nothing.
bool DeleteCard(CCardList& list, int currentIndex, IMessageUi& ui);

}  // namespace velkaro
