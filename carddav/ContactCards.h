#pragma once

// The contacts of an address book as cards, made the way a vCard file
// import makes them: the contact table (name order of this run), its
// columns assigned by the card structure, each record filled into a card.
// Each contact is mapped on its own, so that the same vCard always gives the
// same card, whatever else a fetch brought. Before that the sync's filters
// choose the contacts, and its numbers may be made dialable.

#include "carddav/SyncTypes.h"
#include "exchange/Contacts.h"
#include "model/Karte.h"

#include <string>
#include <vector>

namespace velkaro {

struct CardMapping {
    SyncFilters filters;
    std::string homeCountry;             // for dialable numbers: "DE"; see CPhoneNumbers
    std::string outsideLine;             // the digit a private exchange wants before external numbers
    const CKarte* fieldNames = nullptr;  // labels the lines when the card structure is active
    NameOrder order = NameOrder::Family;
};

// The mapping with the home country of the settings
// (CPhoneNumbers::HomeCountry) and the name order of this run
// (ContactNameOrder).
CardMapping MappingFromSettings(
    const SyncFilters& filters, const std::string& outsideLine, const CKarte* fieldNames = nullptr);

// What the mapping makes of a contact depends on, as one text: when it
// differs from the last sync's, the contacts must all be mapped again.
std::string MappingFingerprint(const CardMapping& mapping);

// One card of a contact and which of the contact it is.
struct KeyedCard {
    std::string numberKey;  // one card per number: which number ("mobile 2"); else empty
    CKarte card;
};

// Whether the filters let the contact through.
bool PassesFilters(const Contact& contact, const SyncFilters& filters);

// The cards of one contact that passes the filters: one, or one per number
// ("Müller Hans (Mobil)", that number on the telephone line); none for a
// contact the filters leave out.
std::vector<KeyedCard> ContactToCards(const Contact& contact, const CardMapping& mapping);

// What one vCard of a fetch became.
struct RemoteCards {
    std::string href;
    std::string etag;
    std::string uid;               // the vCard's UID; its href where it has none
    bool damaged = false;          // our reader finds no contact in it
    std::vector<KeyedCard> cards;  // empty: left out by the filters (or damaged)
};

RemoteCards VCardToCards(const RemoteContact& remote, const CardMapping& mapping);

}  // namespace velkaro
