#pragma once

// The sorted, name-unique card collection.

#include "Karte.h"

#include <memory>
#include <vector>

namespace velkaro {

struct FindResult {
    int index = -1;
    MatchKind kind = MatchKind::None;
};

class CCardList {
public:
    CCardList() = default;
    CCardList(const CCardList&) = delete;
    CCardList& operator=(const CCardList&) = delete;
    CCardList(CCardList&&) = default;
    CCardList& operator=(CCardList&&) = default;

    int Count() const { return static_cast<int>(m_cards.size()); }
    bool IsEmpty() const { return m_cards.empty(); }
    CKarte* At(int index) const;  // nullptr for an invalid index

    FindResult FindName(const std::string& text) const;
    int InsertSorted(std::unique_ptr<CKarte> card, bool replace);
    // Many cards at once (an import, a transfer, an older archive): exactly
    // the collection that InsertSorted of each card in the given order makes,
    // the same numbers and the same replacements, but sorted once at the end
    // instead of card by card.
    void InsertAllSorted(std::vector<std::unique_ptr<CKarte>> cards, bool replace);
    // True when every name sorts after the one before it; false as soon as two
    // names are out of order or equal.
    bool IsStrictlySorted() const;
    void DeleteCardAt(int index);
    void DeleteAllCards();
    // Fills the result slots as the searches of the selection and the index
    // list expect; returns the number of matches.
    int SearchText(const std::string& text, int start, bool onlyForward, int* slots, int n) const;
    // Pointers into this list of the cards that pass.
    std::vector<CKarte*> BuildSubset(bool onlyEdited, const std::string& text) const;

    // Unsorted access for readers and for moving cards between lists.
    void Append(std::unique_ptr<CKarte> card) { m_cards.push_back(std::move(card)); }
    std::unique_ptr<CKarte> TakeAt(int index);
    std::vector<std::unique_ptr<CKarte>>& Cards() { return m_cards; }
    const std::vector<std::unique_ptr<CKarte>>& Cards() const { return m_cards; }

    CKarte* FieldNames() const { return m_fieldNames.get(); }
    void SetFieldNames(std::unique_ptr<CKarte> card) { m_fieldNames = std::move(card); }
    std::unique_ptr<CKarte> TakeFieldNames() { return std::move(m_fieldNames); }
    // Takes a card with the reserved name out of the array and makes it the
    // field-names card.
    void ExtractFieldNames();
    // Puts the field-names card into the array for writing (replacing any
    // card with the reserved name); ExtractFieldNames takes it out again.
    void InsertFieldNames();

private:
    std::vector<std::unique_ptr<CKarte>> m_cards;
    std::unique_ptr<CKarte> m_fieldNames;
};

}  // namespace velkaro
