#pragma once

// The sorted, name-unique card collection.

#include "Karte.h"

#include <cstddef>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

namespace velkaro {

// The cards of a collection in their order, read-only: each element is a
// const CKarte*. Changes go through the collection's operations, which keep
// the sorted, name-unique order.
class CConstCards {
    using Store = std::vector<std::unique_ptr<CKarte>>;

public:
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = const CKarte*;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = const CKarte*;

        Iterator() = default;
        explicit Iterator(Store::const_iterator at) : m_at(at) {}
        const CKarte* operator*() const { return m_at->get(); }
        Iterator& operator++()
        {
            ++m_at;
            return *this;
        }
        Iterator operator++(int)
        {
            Iterator before = *this;
            ++m_at;
            return before;
        }
        bool operator==(const Iterator&) const = default;

    private:
        Store::const_iterator m_at;
    };

    explicit CConstCards(const Store& cards) : m_cards(&cards) {}
    Iterator begin() const { return Iterator(m_cards->begin()); }
    Iterator end() const { return Iterator(m_cards->end()); }
    std::size_t size() const { return m_cards->size(); }
    bool empty() const { return m_cards->empty(); }
    const CKarte* operator[](std::size_t index) const { return (*m_cards)[index].get(); }
    const CKarte* front() const { return m_cards->front().get(); }
    const CKarte* back() const { return m_cards->back().get(); }

private:
    const Store* m_cards;
};

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
    const CKarte* At(int index) const;  // nullptr for an invalid index
    CKarte* At(int index) { return const_cast<CKarte*>(std::as_const(*this).At(index)); }

    FindResult FindName(std::string_view text) const;
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
    std::vector<const CKarte*> BuildSubset(bool onlyEdited, const std::string& text) const;
    std::vector<CKarte*> BuildSubset(bool onlyEdited, const std::string& text);

    // Unsorted access for readers and for moving cards between lists.
    void Append(std::unique_ptr<CKarte> card) { m_cards.push_back(std::move(card)); }
    std::unique_ptr<CKarte> TakeAt(int index);
    // Takes every card out in its order; the field-names card stays.
    std::vector<std::unique_ptr<CKarte>> TakeAll() { return std::exchange(m_cards, {}); }
    CConstCards Cards() const { return CConstCards(m_cards); }

    const CKarte* FieldNames() const { return m_fieldNames.get(); }
    CKarte* FieldNames() { return m_fieldNames.get(); }
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
