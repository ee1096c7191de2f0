#include "CallListNames.h"

#include "device/PhoneNumbers.h"
#include "model/CardList.h"

#include <set>
#include <unordered_map>
#include <unordered_set>

namespace velkaro {

bool HasNoName(const CAnrufObj& record)
{
    return record.Field(callfield::Name).find_first_not_of(' ') == std::string::npos;
}

std::string CallFieldFromCard(std::string_view name)
{
    std::string field;
    for (char ch : name) {
        if (field.size() >= static_cast<std::size_t>(kMaxCallFieldLength))
            break;
        if (IsCallFieldByte(static_cast<unsigned char>(ch)))
            field.push_back(ch == '"' ? '\'' : ch);
    }
    return field;
}

int TakeCardNames(CCallList& calls, const CCardList& cards, const CPhoneNumbers& numbers)
{
    // The numbers wanted, each with the records that wait for its name.
    std::unordered_map<std::string, std::vector<CAnrufObj*>> wanted;
    // Any way of writing a number ends with its national digits and
    // extension; a card's line without letters is parsed only when its
    // digits end with one of these (parsing is the slow part, and a
    // collection may hold many thousands of cards).
    std::unordered_set<std::string> suffixes;
    std::set<std::size_t> suffixLengths;
    for (CAnrufObj* record : calls.InOrder(true)) {
        record->cardName.clear();
        if (!HasNoName(*record))
            continue;
        PhoneNumberKey number = numbers.Understand(record->Field(callfield::Number));
        if (number.key.empty())
            continue;
        wanted[number.key].push_back(record);
        suffixLengths.insert(number.suffix.size());
        suffixes.insert(std::move(number.suffix));
    }
    if (wanted.empty())
        return 0;

    int named = 0;
    for (const CKarte* card : cards.Cards()) {
        const std::string line(card->GetLine(1));
        if (line.empty() || card->Name() == ReservedName())
            continue;
        if (!CPhoneNumbers::HasLetter(line)) {
            const std::string digits = CPhoneNumbers::DigitsOf(line);
            bool candidate = false;
            for (std::size_t length : suffixLengths) {
                if (length <= digits.size() && suffixes.count(digits.substr(digits.size() - length))) {
                    candidate = true;
                    break;
                }
            }
            if (!candidate)
                continue;
        }
        auto found = wanted.find(numbers.Key(line));
        if (found == wanted.end())
            continue;
        const std::string name = CallFieldFromCard(card->Name());
        for (CAnrufObj* record : found->second)
            record->cardName = name;
        named += static_cast<int>(found->second.size());
        // The first card with the number names it; later ones are not asked.
        wanted.erase(found);
        if (wanted.empty())
            break;
    }
    return named;
}

std::vector<std::string> FieldsToSave(const CAnrufObj& record, bool namesFromCards)
{
    std::vector<std::string> fields = record.fields;
    if (namesFromCards && !record.cardName.empty()) {
        if (fields.size() <= static_cast<std::size_t>(callfield::Name))
            fields.resize(callfield::Name + 1);
        fields[callfield::Name] = CallFieldFromCard(record.cardName);
    }
    return fields;
}

}  // namespace velkaro
