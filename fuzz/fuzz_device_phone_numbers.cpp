// Telephone numbers from the line and from the cards: any bytes as numbers,
// dialled from one of a few countries (the first byte picks it). Checks what
// the call list's name search relies on: a text without a digit is no
// number, and a text without letters ends with the digits that every way
// of writing its number ends with. Then the search itself against parsing
// every card. And each piece made dialable, behind an outside line or not:
// it stays as it was or becomes keypad characters that fit its line, and
// making it dialable again leaves it.

#include "device/CallListNames.h"
#include "device/DialableCards.h"
#include "device/PhoneNumbers.h"
#include "model/CardList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool HasDigit(const std::string& text)
{
    return !velkaro::CPhoneNumbers::DigitsOf(text).empty();
}

void CheckDialable(const velkaro::CDialableNumbers& dialable, const std::string& text, int line)
{
    const std::string dialled = dialable.Line(text, line);
    if (dialled == text)
        return;
    if (dialled.size() > static_cast<std::size_t>(velkaro::MaxLineLength(line))
        || dialled.find_first_not_of("0123456789*#") != std::string::npos || dialable.Line(dialled, line) != dialled)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    using namespace velkaro;
    if (size == 0)
        return 0;
    static const char* const countries[] = { "", "CH", "DE", "FR", "IT", "US", "GB", "AT" };
    const CPhoneNumbers numbers(countries[data[0] % 8]);
    const CDialableNumbers dialable(numbers.HomeCountry(), (data[0] & 0x08) ? "0" : "");

    // The rest, split at line feeds: the first half of the pieces are the
    // calls' numbers, the others the cards' telephone lines.
    std::vector<std::string> pieces(1);
    for (std::size_t i = 1; i < size && pieces.size() <= 40; ++i) {
        if (data[i] == '\n')
            pieces.emplace_back();
        else
            pieces.back() += static_cast<char>(data[i]);
    }
    for (const std::string& piece : pieces) {
        CheckDialable(dialable, piece, 1 + (data[0] >> 4) % 2);
        const PhoneNumberKey number = numbers.Understand(piece);
        if (number.key.empty() != !HasDigit(piece))
            std::abort();
        if (!number.key.empty() && !CPhoneNumbers::HasLetter(piece)) {
            const std::string digits = CPhoneNumbers::DigitsOf(piece);
            if (number.suffix.size() > digits.size()
                || digits.compare(digits.size() - number.suffix.size(), std::string::npos, number.suffix) != 0)
                std::abort();
        }
    }

    CCallList calls;
    CCardList cards;
    const std::size_t half = pieces.size() / 2;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i < half) {
            auto record = std::make_unique<CAnrufObj>();
            for (int f = 0; f < callfield::Number; ++f)
                record->AddField({});
            record->AddField(pieces[i]);
            calls.AddHead(std::move(record));
        } else {
            auto card = std::make_unique<CKarte>();
            card->SetLine(0, "K" + std::to_string(1000 + i));
            card->SetLine(1, pieces[i]);
            cards.InsertSorted(std::move(card), false);
        }
    }
    TakeCardNames(calls, cards, numbers);
    for (const CAnrufObj* record : calls.InOrder(true)) {
        const std::string key = numbers.Key(record->Field(callfield::Number));
        std::string expected;
        for (const CKarte* card : cards.Cards()) {
            if (!key.empty() && numbers.Key(std::string(card->GetLine(1))) == key) {
                expected = card->Name();
                break;
            }
        }
        if (record->cardName != expected)
            std::abort();
    }
    return 0;
}
