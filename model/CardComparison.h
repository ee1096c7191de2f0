#pragma once

// What received cards would change in the stored collection: the cards are
// paired by name with the character order's equality (the order the
// collection is sorted by), and a pair differs when its lines or its mark
// differ. Also the merge that takes the telephone's new and changed cards
// and keeps the cards that only the computer holds.

#include "CardList.h"

#include <string>
#include <utility>
#include <vector>

namespace velkaro {

struct CardComparison {
    std::vector<const CKarte*> added;                            // only on the telephone
    std::vector<std::pair<const CKarte*, const CKarte*>> changed; // stored, received
    std::vector<const CKarte*> onlyHere;                         // only on the computer
    std::vector<const CKarte*> unchanged;                        // the stored card
};

// Compares the cards of received with those of stored. A card with the
// reserved name (the field-names card) takes part in neither side. The
// pointers point into the two collections and live as long as they do.
CardComparison CompareCollections(const CCardList& stored, const CCardList& received);

// The counts line: "12 neu, 3 geändert, 2 nur hier, 150 unverändert" in the
// current language.
std::string ComparisonCountsText(const CardComparison& comparison);

// Makes received the merged collection: the telephone's cards as they came,
// plus a copy of every card that only stored holds, marked as edited so that
// sending the edited cards brings it to the telephone. The received
// collection's field-names card is kept when it has one, else stored's.
void MergeInto(CCardList& received, const CCardList& stored);

}  // namespace velkaro
