#include "CardList.h"

#include "Charset.h"

#include <algorithm>

namespace velkaro {

CKarte* CCardList::At(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return m_cards[static_cast<std::size_t>(index)].get();
}

FindResult CCardList::FindName(const std::string& text) const
{
    int hi = Count() - 1;
    if (hi < 0)
        return {};
    NameCompare c = m_cards.front()->CompareName(text);
    if (c.order >= 0)
        return { 0, c.kind };
    c = m_cards[static_cast<std::size_t>(hi)]->CompareName(text);
    if (c.order < 0)
        return { -1, c.kind };
    int lo = 0;
    while (hi - lo > 1) {
        int mid = (lo + hi) / 2;
        if (m_cards[static_cast<std::size_t>(mid)]->CompareName(text).order < 0)
            lo = mid;
        else
            hi = mid;
    }
    return { hi, m_cards[static_cast<std::size_t>(hi)]->CompareName(text).kind };
}

int CCardList::InsertSorted(std::unique_ptr<CKarte> card, bool replace)
{
    if (!card)
        return -1;
    FindResult found = FindName(card->Name());
    int k = 0;
    while (found.kind == MatchKind::Equal) {
        if (replace)
            DeleteCardAt(found.index);
        else
            card->MakeNameUnique(++k);
        found = FindName(card->Name());
    }
    if (found.index < 0) {
        m_cards.push_back(std::move(card));
        return Count() - 1;
    }
    m_cards.insert(m_cards.begin() + found.index, std::move(card));
    return found.index;
}

void CCardList::DeleteCardAt(int index)
{
    if (index < 0 || index >= Count())
        return;
    m_cards.erase(m_cards.begin() + index);
}

void CCardList::DeleteAllCards()
{
    m_cards.clear();
}

std::unique_ptr<CKarte> CCardList::TakeAt(int index)
{
    if (index < 0 || index >= Count())
        return nullptr;
    auto card = std::move(m_cards[static_cast<std::size_t>(index)]);
    m_cards.erase(m_cards.begin() + index);
    return card;
}

int CCardList::SearchText(const std::string& text, int start, bool onlyForward, int* slots, int n) const
{
    if (n <= 0 || !slots)
        return 0;
    const std::string upper = AnsiToUpper(text);
    auto matches = [this, &upper](int i) { return m_cards[static_cast<std::size_t>(i)]->ContainsText(upper); };

    int from = 0;
    if (!onlyForward) {
        // Backward: the slots fill from the last one, so they end up in
        // ascending order.
        int found = 0;
        for (int i = std::min(start, Count() - 1); i >= 0; --i) {
            if (!matches(i))
                continue;
            slots[n - 1 - found] = i;
            if (++found == n)
                return n;
        }
        if (n <= 1)
            return found;
        // Too few before the start for a full window: search from the top.
    } else {
        from = std::max(start, 0);
    }
    std::fill(slots, slots + n, -1);
    int found = 0;
    for (int i = from; i < Count() && found < n; ++i)
        if (matches(i))
            slots[found++] = i;
    return found;
}

std::vector<CKarte*> CCardList::BuildSubset(bool onlyEdited, const std::string& text) const
{
    const std::string upper = AnsiToUpper(text);
    std::vector<CKarte*> subset;
    for (const auto& card : m_cards) {
        if (onlyEdited && card->edited != 1)
            continue;
        if (!upper.empty() && !card->ContainsText(upper))
            continue;
        subset.push_back(card.get());
    }
    return subset;
}

void CCardList::ExtractFieldNames()
{
    FindResult found = FindName(ReservedName());
    if (found.kind != MatchKind::Equal)
        return;
    m_fieldNames = TakeAt(found.index);
}

void CCardList::InsertFieldNames()
{
    if (m_fieldNames)
        InsertSorted(std::move(m_fieldNames), true);
}

}  // namespace velkaro
