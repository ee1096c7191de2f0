#pragma once

// The sync merged into the cards: what the fetches of the address books
// mean for the cards held (the plan, shown before anything changes), and
// the plan applied to the document as one undo step.
//
// The rules: a card made of a contact is the server's; every other card
// (typed here, received from the telephone) is never touched, even when it
// bears the same name; a new card that meets such a name is numbered, as
// the import numbers names it mixes in. A contact gone on the server, or
// one the filters now leave out, takes its card with it unless the card was
// changed here since it was synced: then the card stays, as the user's own.
// A contact changed on the server takes the place of its card even when the
// card was changed here too: the server's version is taken, the details say
// so, and the step's undo and the working file's history hold the card as
// it was. A vCard our reader refuses changes nothing of its cards. A card
// held here that is line for line what a contact makes, and that no sync
// claims (the origin file was lost, or the cards came back from a backup),
// becomes that contact's card instead of getting a numbered twin.

#include "carddav/ContactCards.h"
#include "carddav/SyncOrigin.h"
#include "carddav/SyncTypes.h"
#include "model/CardList.h"
#include "text/Outcome.h"

#include <string>
#include <vector>

namespace velkaro {

class CPcxDoc;
class IMessageUi;

// A card the sync writes: a new one, or one in place of the card it was.
struct SyncCardWrite {
    std::string replaces;  // the name of the card it takes the place of; empty for
                           // a new card
    CKarte card;
    OriginCard origin;  // its name and digest are set when it is written
};

struct SyncPlan {
    SyncCounts counts;
    std::vector<std::string> details;  // one line each, Windows-1252, in the current language
    // The details a user must hear of even when nobody looks at the
    // details: cards kept or overwritten against a change made here, vCards
    // that could not be read.
    std::vector<std::string> notices;
    std::vector<std::string> remove;   // the names of the cards the sync deletes
    std::vector<SyncCardWrite> write;
    // The origin after the sync, but for the cards of `write`, which join it
    // as they are written.
    SyncOrigin origin;
};

SyncPlan PlanSync(const CCardList& cards, const SyncOrigin& origin, const std::vector<FetchResult>& fetched,
    const CardMapping& mapping);
// The same with the mapping of the settings (MappingFromSettings).
SyncPlan PlanSync(const CCardList& cards, const SyncOrigin& origin, const std::vector<FetchResult>& fetched,
    const SyncFilters& filters, const std::string& outsideLine, const CKarte* fieldNames = nullptr);

// The details as the "Details" view shows them: one line each.
std::string SyncDetailsText(const SyncPlan& plan);

// Applies the plan made of the document's cards just before. When it
// changes cards: keeps the working file in its history first, makes the
// change one undo step (msg::StepSync), marks the new and changed cards as
// edited (so that "send changed cards" sends them; no other card's flags
// change) and writes the working file. Then writes the origin file beside it
// (SyncOriginPath) and takes the new origin into `origin`. A failed history
// copy changes nothing; a failed write of the working file (told by the
// document, as every write of it) leaves the origin file as it was; either
// returns a failure without a message. A failed write of the origin file is
// returned with its message.
Outcome ApplySync(CPcxDoc& doc, SyncOrigin& origin, const SyncPlan& plan, IMessageUi& ui);

}  // namespace velkaro
