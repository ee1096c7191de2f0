#pragma once

// Names for the calls the telephone lists without one: the telephone knows
// only the names it stores, the cards on the computer may know more. A
// record whose name field is blank takes the name of the first card (in the
// collection's order) whose telephone line is the same number.

#include "device/AnrufObj.h"

#include <string>
#include <string_view>

namespace velkaro {

class CCardList;
class CPhoneNumbers;

// A card's name as it may stand in a call record's name field: what the
// line lets into a field (no byte below the blank, at most 30 characters),
// and a double quote as an apostrophe: the separated text writes fields
// between double quotes without doubling those inside, so one in a name
// could end its field early. The telephone's own fields are saved as sent.
std::string CallFieldFromCard(std::string_view name);

// Sets every record's cardName (clearing the old ones) and returns how many
// records got a name.
int TakeCardNames(CCallList& calls, const CCardList& cards, const CPhoneNumbers& numbers);

// The record's name field blank (absent or only blanks): the telephone sent
// no name for the call.
bool HasNoName(const CAnrufObj& record);

// The fields to save: the record's own, or with the card's name (as
// CallFieldFromCard gives it) in the name field when namesFromCards and the
// record has one (fields up to the name field are added empty when the
// telephone sent fewer).
std::vector<std::string> FieldsToSave(const CAnrufObj& record, bool namesFromCards);

}  // namespace velkaro
