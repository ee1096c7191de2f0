#include "CardList.h"

#include "Charset.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace velkaro {

namespace {

// The name as the comparison sees it: each byte replaced by its collating
// value. Two names are equal for the collection exactly when their keys are
// equal, and the keys order as the names do (byte-wise, a prefix first).
void ToOrderKey(std::string& text)
{
    for (char& ch : text)
        ch = static_cast<char>(CharOrder(static_cast<unsigned char>(ch)));
}

void OrderKey(std::string_view name, std::string& key)
{
    key = name;
    ToOrderKey(key);
}

// Order of two names by their keys, without making the keys.
int CompareKeys(std::string_view a, std::string_view b)
{
    const auto& order = CharOrderTable();
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const uint8_t x = order[static_cast<unsigned char>(a[i])];
        const uint8_t y = order[static_cast<unsigned char>(b[i])];
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Whether the card's name has this key.
bool NameHasKey(std::string_view name, std::string_view key)
{
    if (name.size() != key.size())
        return false;
    const auto& order = CharOrderTable();
    for (std::size_t i = 0; i < name.size(); ++i)
        if (order[static_cast<unsigned char>(name[i])] != static_cast<uint8_t>(key[i]))
            return false;
    return true;
}

// The names of the cards being filed: a hash of the names in use (open
// addressing, 8 bytes a slot), each slot naming its card in `pool`, whose
// name is compared where the hashes agree. The names themselves are not
// copied, so that a large import costs the index little more than its slots.
class NameIndex {
public:
    static constexpr uint32_t kNone = UINT32_MAX;

    NameIndex(const std::vector<std::unique_ptr<CKarte>>& pool, std::size_t expected) : m_pool(pool)
    {
        std::size_t capacity = 16;
        while (capacity < 2 * expected)
            capacity *= 2;
        m_slots.assign(capacity, Slot {});
    }

    // The card that holds the name with this key, or kNone.
    uint32_t Holder(std::string_view key) const { return m_slots[Probe(key, Hash(key))].card; }

    // Card number `card` holds the name with this key from now on, in place
    // of any card that held it before; the card need not be in the pool yet.
    void Hold(uint32_t card, std::string_view key)
    {
        if (2 * (m_used + 1) > m_slots.size())
            Grow();
        const uint32_t hash = Hash(key);
        Slot& slot = m_slots[Probe(key, hash)];
        if (slot.card == kNone) {
            slot.hash = hash;
            ++m_used;
        }
        slot.card = card;
    }

private:
    struct Slot {
        uint32_t hash = 0;
        uint32_t card = kNone;
    };

    static uint32_t Hash(std::string_view key)
    {
        return static_cast<uint32_t>(std::hash<std::string_view> {}(key));
    }

    std::size_t Probe(std::string_view key, uint32_t hash) const
    {
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot& slot = m_slots[i];
            if (slot.card == kNone || (slot.hash == hash && NameHasKey(m_pool[slot.card]->Name(), key)))
                return i;
        }
    }

    void Grow()
    {
        std::vector<Slot> old = std::move(m_slots);
        m_slots.assign(old.size() * 2, Slot {});
        const std::size_t mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.card == kNone)
                continue;
            std::size_t i = slot.hash & mask;
            while (m_slots[i].card != kNone)
                i = (i + 1) & mask;
            m_slots[i] = slot;
        }
    }

    const std::vector<std::unique_ptr<CKarte>>& m_pool;
    std::vector<Slot> m_slots;
    std::size_t m_used = 0;
};

}  // namespace

const CKarte* CCardList::At(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return m_cards[static_cast<std::size_t>(index)].get();
}

FindResult CCardList::FindName(std::string_view text) const
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

    // Every card, old and new, by its place in `pool`; `names` tells which
    // card holds a name now. Nothing moves until all names are settled.
    // The room comes first, so that running out of memory leaves the
    // collection as it was.
    const std::size_t oldCount = m_cards.size();
    std::vector<std::unique_ptr<CKarte>> pool;
    pool.reserve(oldCount + cards.size());
    NameIndex names(pool, oldCount + cards.size());
    for (auto& card : m_cards)
        pool.push_back(std::move(card));
    m_cards.clear();
    std::string key;
    for (std::size_t i = 0; i < oldCount; ++i) {
        OrderKey(pool[i]->Name(), key);
        names.Hold(static_cast<uint32_t>(i), key);
    }

    // Per numbered stem, the highest number handed out so far: all numbers up
    // to it are taken, and without replacing no name is ever freed again, so
    // the search for the next free number goes on from there instead of
    // starting at 1 for every card.
    std::unordered_map<std::string, int> lastNumber;
    std::string stem;
    for (auto& card : cards) {
        if (!card)
            continue;
        OrderKey(card->Name(), key);
        const uint32_t holder = names.Holder(key);
        uint32_t replaced = NameIndex::kNone;
        if (holder != NameIndex::kNone) {
            if (replace) {
                // Dropped once the name is the new card's: the index looks
                // at the names of the cards it holds.
                replaced = holder;
            } else {
                // The numbered names depend only on the first 19 characters.
                CKarte::NumberedName(card->Name(), 1, stem);
                ToOrderKey(stem);
                int& last = lastNumber.try_emplace(stem, 0).first->second;
                int k = last;
                do {
                    CKarte::NumberedName(card->Name(), ++k, key);
                    ToOrderKey(key);
                } while (names.Holder(key) != NameIndex::kNone);
                last = k;
                card->MakeNameUnique(k);
            }
        }
        names.Hold(static_cast<uint32_t>(pool.size()), key);
        pool.push_back(std::move(card));
        if (replaced != NameIndex::kNone)
            pool[replaced].reset();
    }

    // The cards left hold one name each and no two names are equal, so their
    // order is the one that inserting one by one gives.
    // Sorted by the keys of their names held beside them: a name of the
    // telephone's 20 characters is ordered by them alone, without a visit to
    // its card. Longer names (from a damaged file) that agree there are
    // compared whole.
    struct Entry {
        std::array<uint8_t, kShortLineLength> key;
        uint8_t length;
        uint32_t card;
    };
    std::vector<Entry> order;
    order.reserve(pool.size());
    const auto& table = CharOrderTable();
    for (std::size_t i = 0; i < pool.size(); ++i) {
        if (!pool[i])
            continue;
        const std::string_view name = pool[i]->Name();
        Entry entry { {}, static_cast<uint8_t>(std::min<std::size_t>(name.size(), 255)), static_cast<uint32_t>(i) };
        for (std::size_t k = 0; k < std::min(name.size(), entry.key.size()); ++k)
            entry.key[k] = table[static_cast<unsigned char>(name[k])];
        order.push_back(entry);
    }
    std::sort(order.begin(), order.end(), [&pool](const Entry& a, const Entry& b) {
        if (const int c = std::memcmp(a.key.data(), b.key.data(), a.key.size()); c != 0)
            return c < 0;
        if (a.length <= kShortLineLength || b.length <= kShortLineLength)
            return a.length < b.length;
        return CompareKeys(pool[a.card]->Name(), pool[b.card]->Name()) < 0;
    });
    m_cards.reserve(order.size());
    for (const Entry& entry : order)
        m_cards.push_back(std::move(pool[entry.card]));
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

std::vector<const CKarte*> CCardList::BuildSubset(bool onlyEdited, const std::string& text) const
{
    const std::string upper = AnsiToUpper(text);
    std::vector<const CKarte*> subset;
    for (const auto& card : m_cards) {
        if (onlyEdited && !card->IsEdited())
            continue;
        if (!upper.empty() && !card->ContainsText(upper))
            continue;
        subset.push_back(card.get());
    }
    return subset;
}

std::vector<CKarte*> CCardList::BuildSubset(bool onlyEdited, const std::string& text)
{
    std::vector<CKarte*> subset;
    for (const CKarte* card : std::as_const(*this).BuildSubset(onlyEdited, text))
        subset.push_back(const_cast<CKarte*>(card));  // a card of this list, which may change
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
