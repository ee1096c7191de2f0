#include "CardList.h"

#include "Charset.h"

#include <algorithm>
#include <unordered_map>

namespace velkaro {

namespace {

// The name as the comparison sees it: each byte replaced by its collating
// value. Two names are equal for the collection exactly when their keys are
// equal, and the keys order as the names do (byte-wise, a prefix first).
std::string OrderKey(const std::string& name)
{
    std::string key(name.size(), '\0');
    for (std::size_t i = 0; i < name.size(); ++i)
        key[i] = static_cast<char>(CharOrder(static_cast<unsigned char>(name[i])));
    return key;
}

}  // namespace

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

void CCardList::InsertAllSorted(std::vector<std::unique_ptr<CKarte>> cards, bool replace)
{
    // The shortcut relies on at most one card per name; a collection that is
    // not in order takes the cards one by one, as before.
    if (!IsStrictlySorted()) {
        for (auto& card : cards)
            InsertSorted(std::move(card), replace);
        return;
    }

    // Every card, old and new, by its place in `pool`; `where` finds the card
    // that holds a name now. Nothing moves until all names are settled.
    const std::size_t oldCount = m_cards.size();
    std::vector<std::unique_ptr<CKarte>> pool = std::move(m_cards);
    m_cards.clear();
    pool.reserve(oldCount + cards.size());
    std::vector<std::string> keys;
    keys.reserve(oldCount + cards.size());
    std::unordered_map<std::string, std::size_t> where;
    where.reserve(oldCount + cards.size());
    for (std::size_t i = 0; i < oldCount; ++i) {
        keys.push_back(OrderKey(pool[i]->Name()));
        where.emplace(keys.back(), i);
    }

    // Per numbered stem, the highest number handed out so far: all numbers up
    // to it are taken, and without replacing no name is ever freed again, so
    // the search for the next free number goes on from there instead of
    // starting at 1 for every card.
    std::unordered_map<std::string, int> lastNumber;
    for (auto& card : cards) {
        if (!card)
            continue;
        std::string key = OrderKey(card->Name());
        auto found = where.find(key);
        if (found != where.end()) {
            if (replace) {
                pool[found->second].reset();
                found->second = pool.size();
                pool.push_back(std::move(card));
                keys.push_back(std::move(key));
                continue;
            }
            // The numbered names depend only on the first 19 characters.
            int& last = lastNumber[OrderKey(CKarte::NumberedName(card->Name(), 1))];
            int k = last;
            do {
                key = OrderKey(CKarte::NumberedName(card->Name(), ++k));
            } while (where.count(key) != 0);
            last = k;
            card->MakeNameUnique(k);
        }
        where.emplace(key, pool.size());
        pool.push_back(std::move(card));
        keys.push_back(std::move(key));
    }

    // The old cards are in order already; the new ones are sorted and merged
    // in. No two names left are equal, so the order is the one that inserting
    // one by one gives.
    auto byKey = [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; };
    std::vector<std::size_t> oldOrder;
    oldOrder.reserve(oldCount);
    for (std::size_t i = 0; i < oldCount; ++i)
        if (pool[i])
            oldOrder.push_back(i);
    std::vector<std::size_t> newOrder;
    newOrder.reserve(pool.size() - oldCount);
    for (std::size_t i = oldCount; i < pool.size(); ++i)
        if (pool[i])
            newOrder.push_back(i);
    std::sort(newOrder.begin(), newOrder.end(), byKey);
    std::vector<std::size_t> order(oldOrder.size() + newOrder.size());
    std::merge(oldOrder.begin(), oldOrder.end(), newOrder.begin(), newOrder.end(), order.begin(), byKey);

    m_cards.reserve(order.size());
    for (std::size_t i : order)
        m_cards.push_back(std::move(pool[i]));
}

bool CCardList::IsStrictlySorted() const
{
    for (std::size_t i = 1; i < m_cards.size(); ++i)
        if (m_cards[i - 1]->CompareName(m_cards[i]->Name()).order >= 0)
            return false;
    return true;
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
