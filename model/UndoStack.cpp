#include "UndoStack.h"

#include "text/Language.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace velkaro {

namespace {

bool SameCard(const CKarte& a, const CKarte& b)
{
    return a.StoredBytes() == b.StoredBytes() && a.EditedByte() == b.EditedByte() && a.MarkByte() == b.MarkByte();
}

std::uint64_t Mix(std::uint64_t hash, std::uint64_t value)
{
    return (hash ^ value) * 0x100000001B3ull + (hash >> 29);
}

// Equal lines give equal hashes: the cards a change kept are found by it.
std::uint64_t LinesHash(const CKarte& card)
{
    return Mix(static_cast<std::uint64_t>(card.StoredLineCount()), std::hash<std::string_view> {}(card.StoredBytes()));
}

// Lines, mark and edited flag: how a step knows that a card it takes out is
// the one it put in.
std::uint64_t CardHash(std::uint64_t linesHash, const CKarte& card)
{
    return Mix(linesHash, (static_cast<std::uint64_t>(card.EditedByte()) << 8) | card.MarkByte());
}

std::uint64_t CardHash(const CKarte& card)
{
    return CardHash(LinesHash(card), card);
}


// Of the pairs (index into before, index into after), in the order of
// before, the most that keep their order in both: the longest subsequence
// whose after indices rise, found in n log n.
std::vector<std::pair<std::uint32_t, std::uint32_t>> KeptInOrder(
    const std::vector<std::pair<std::uint32_t, std::uint32_t>>& pairs)
{
    std::vector<std::uint32_t> tails;  // per length, the pair ending the best run
    std::vector<std::int64_t> previous(pairs.size(), -1);
    for (std::uint32_t i = 0; i < pairs.size(); ++i) {
        auto at = std::lower_bound(tails.begin(), tails.end(), pairs[i].second,
                                   [&pairs](std::uint32_t t, std::uint32_t after) { return pairs[t].second < after; });
        if (at != tails.begin())
            previous[i] = *(at - 1);
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    std::vector<std::pair<std::uint32_t, std::uint32_t>> kept(tails.size());
    std::size_t k = tails.size();
    std::int64_t i = tails.empty() ? -1 : std::int64_t { tails.back() };
    for (; i >= 0; i = previous[static_cast<std::size_t>(i)])
        kept[--k] = pairs[static_cast<std::size_t>(i)];
    return kept;
}

}  // namespace

CCardSnapshot CCardSnapshot::Of(const CCardList& list)
{
    CCardSnapshot snapshot;
    snapshot.m_cards.reserve(static_cast<std::size_t>(list.Count()));
    for (const CKarte* card : list.Cards())
        snapshot.m_cards.push_back(*card);
    if (const CKarte* names = list.FieldNames()) {
        snapshot.m_hasFieldNames = true;
        snapshot.m_fieldNames = *names;
    }
    return snapshot;
}

void CCardSnapshot::RestoreInto(CCardList& list) const
{
    CCardList restored;
    for (const CKarte& card : m_cards)
        restored.Append(std::make_unique<CKarte>(card));
    if (m_hasFieldNames)
        restored.SetFieldNames(std::make_unique<CKarte>(m_fieldNames));
    list = std::move(restored);
}

bool CCardSnapshot::SameAs(const CCardList& list) const
{
    if (list.Count() != Count())
        return false;
    if ((list.FieldNames() != nullptr) != m_hasFieldNames)
        return false;
    if (m_hasFieldNames && !SameCard(*list.FieldNames(), m_fieldNames))
        return false;
    std::size_t i = 0;
    for (const CKarte* card : list.Cards())
        if (!SameCard(*card, m_cards[i++]))
            return false;
    return true;
}

void CCardChange::NoteFlags(std::uint32_t before, std::uint32_t after, const CKarte& was, const CKarte& is)
{
    if (was.EditedByte() != is.EditedByte() || was.MarkByte() != is.MarkByte())
        m_flags.push_back({ { before, after }, { was.EditedByte(), is.EditedByte() }, { was.MarkByte(), is.MarkByte() } });
}

void CCardChange::NoteFieldNames(CCardSnapshot& before, const CCardList& after)
{
    Side& out = m_side[kBefore];
    Side& in = m_side[kAfter];
    const CKarte* names = after.FieldNames();
    if (before.m_hasFieldNames != (names != nullptr) || (names && !SameCard(before.m_fieldNames, *names))) {
        m_fieldNamesChanged = true;
        out.hasFieldNames = before.m_hasFieldNames;
        if (out.hasFieldNames) {
            out.fieldNamesHash = CardHash(before.m_fieldNames);
            out.fieldNames = std::make_unique<CKarte>(std::move(before.m_fieldNames));
        }
        in.hasFieldNames = names != nullptr;
        if (names)
            in.fieldNamesHash = CardHash(*names);
    }
}

namespace {

// The cards of before (from head, mb of them) each matched with the first
// free card of after (from head, ma of them) with the same lines, as pairs
// of places; wasHash gets the lines' hash of each card of before.
std::vector<std::pair<std::uint32_t, std::uint32_t>> MatchSameLines(const std::vector<CKarte>& was,
                                                                    const CConstCards& is, std::size_t head,
                                                                    std::size_t mb, std::size_t ma,
                                                                    std::vector<std::uint64_t>& wasHash)
{
    std::vector<std::pair<std::uint64_t, std::uint32_t>> byHash(ma);
    for (std::size_t i = 0; i < ma; ++i)
        byHash[i] = { LinesHash(*is[head + i]), static_cast<std::uint32_t>(head + i) };
    std::sort(byHash.begin(), byHash.end());
    std::vector<bool> taken(ma, false);
    // Per run of equal hashes, from where its free cards start.
    std::vector<std::uint32_t> firstFree(ma);
    for (std::size_t i = 0; i < ma; ++i)
        firstFree[i] = static_cast<std::uint32_t>(i);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> matches;
    for (std::size_t i = 0; i < mb; ++i) {
        const CKarte& card = was[head + i];
        wasHash[i] = LinesHash(card);
        auto run = std::equal_range(byHash.begin(), byHash.end(), std::make_pair(wasHash[i], std::uint32_t { 0 }),
                                    [](const auto& a, const auto& b) { return a.first < b.first; });
        const std::size_t lo = static_cast<std::size_t>(run.first - byHash.begin());
        const std::size_t hi = static_cast<std::size_t>(run.second - byHash.begin());
        if (lo == hi)
            continue;
        std::uint32_t& free = firstFree[lo];
        while (free < hi && taken[free])
            ++free;
        for (std::size_t k = free; k < hi; ++k) {
            if (!taken[k] && is[byHash[k].second]->StoredBytes() == card.StoredBytes()) {
                taken[k] = true;
                matches.emplace_back(static_cast<std::uint32_t>(head + i), byHash[k].second);
                break;
            }
        }
    }
    return matches;
}

}  // namespace

CCardChange CCardChange::Between(CCardSnapshot before, const CCardList& after)
{
    std::vector<CKarte>& was = before.m_cards;
    const CConstCards is = after.Cards();
    const std::size_t nb = was.size();
    const std::size_t na = is.size();
    CCardChange change;
    change.m_side[kBefore].count = static_cast<std::uint32_t>(nb);
    change.m_side[kAfter].count = static_cast<std::uint32_t>(na);

    // Most changes touch a few cards: the cards before and after them stay
    // where they were and are passed over without hashing.
    std::size_t head = 0;
    while (head < nb && head < na && was[head].StoredBytes() == is[head]->StoredBytes()) {
        change.NoteFlags(static_cast<std::uint32_t>(head), static_cast<std::uint32_t>(head), was[head], *is[head]);
        ++head;
    }
    std::size_t tail = 0;
    while (tail < nb - head && tail < na - head && was[nb - 1 - tail].StoredBytes() == is[na - 1 - tail]->StoredBytes()) {
        change.NoteFlags(static_cast<std::uint32_t>(nb - 1 - tail), static_cast<std::uint32_t>(na - 1 - tail),
                         was[nb - 1 - tail], *is[na - 1 - tail]);
        ++tail;
    }

    // Between them, a card of before is matched with the first free card of
    // after with the same lines; of the matches, those in the same order in
    // both are kept. The rest were taken out or put in.
    const std::size_t mb = nb - head - tail;
    const std::size_t ma = na - head - tail;
    std::vector<std::uint64_t> wasHash(mb);
    const auto matches = MatchSameLines(was, is, head, mb, ma, wasHash);
    std::vector<bool> keptBefore(mb, false);
    std::vector<bool> keptAfter(ma, false);
    for (const auto& [b, a] : KeptInOrder(matches)) {
        keptBefore[b - head] = true;
        keptAfter[a - head] = true;
        change.NoteFlags(b, a, was[b], *is[a]);
    }

    Side& out = change.m_side[kBefore];
    for (std::size_t i = 0; i < mb; ++i) {
        if (keptBefore[i])
            continue;
        CKarte& card = was[head + i];
        out.places.push_back(static_cast<std::uint32_t>(head + i));
        out.hashes.push_back(CardHash(wasHash[i], card));
        out.cards.push_back(std::move(card));
    }
    Side& in = change.m_side[kAfter];
    for (std::size_t i = 0; i < ma; ++i) {
        if (keptAfter[i])
            continue;
        in.places.push_back(static_cast<std::uint32_t>(head + i));
        in.hashes.push_back(CardHash(*is[head + i]));
    }

    change.NoteFieldNames(before, after);

    for (Side& side : change.m_side) {
        side.places.shrink_to_fit();
        side.hashes.shrink_to_fit();
        side.cards.shrink_to_fit();
    }
    change.m_flags.shrink_to_fit();
    return change;
}

bool CCardChange::Empty() const
{
    return m_side[kBefore].places.empty() && m_side[kAfter].places.empty() && m_flags.empty() && !m_fieldNamesChanged;
}

bool CCardChange::Apply(CCardList& list, int from, int to)
{
    Side& leave = m_side[from];
    Side& enter = m_side[to];

    // The list must be in the state the step starts from; a change made in
    // between without a step would otherwise take out the wrong cards.
    if (static_cast<std::uint32_t>(list.Count()) != leave.count)
        return false;
    for (std::size_t i = 0; i < leave.places.size(); ++i)
        if (CardHash(*list.At(static_cast<int>(leave.places[i]))) != leave.hashes[i])
            return false;
    for (const Flags& flags : m_flags) {
        const CKarte* card = list.At(static_cast<int>(flags.place[from]));
        if (card->EditedByte() != flags.edited[from] || card->MarkByte() != flags.marked[from])
            return false;
    }
    if (m_fieldNamesChanged) {
        const CKarte* names = list.FieldNames();
        if ((names != nullptr) != leave.hasFieldNames || (names && CardHash(*names) != leave.fieldNamesHash))
            return false;
    }

    for (const Flags& flags : m_flags) {
        CKarte* card = list.At(static_cast<int>(flags.place[from]));
        card->SetEditedByte(flags.edited[to]);
        card->SetMarkByte(flags.marked[to]);
    }

    // One pass: the cards the list keeps stay the same objects, those of the
    // state left go into the change, those of the state entered come out.
    leave.cards.reserve(leave.places.size());
    std::vector<std::unique_ptr<CKarte>> result;
    result.reserve(enter.count);
    std::vector<std::unique_ptr<CKarte>> cards = list.TakeAll();
    std::size_t source = 0;
    std::size_t out = 0;
    std::size_t in = 0;
    auto skipLeaving = [&] {
        while (out < leave.places.size() && leave.places[out] == source) {
            leave.cards.push_back(std::move(*cards[source++]));
            ++out;
        }
    };
    for (std::uint32_t at = 0; at < enter.count; ++at) {
        if (in < enter.places.size() && enter.places[in] == at) {
            result.push_back(std::make_unique<CKarte>(std::move(enter.cards[in++])));
            continue;
        }
        skipLeaving();
        result.push_back(std::move(cards[source++]));
    }
    skipLeaving();
    std::vector<CKarte>().swap(enter.cards);
    for (auto& card : result)
        list.Append(std::move(card));

    if (m_fieldNamesChanged) {
        leave.fieldNames = list.TakeFieldNames();
        list.SetFieldNames(std::move(enter.fieldNames));
    }
    return true;
}

std::size_t CCardChange::Bytes() const
{
    std::size_t bytes = sizeof *this + m_flags.capacity() * sizeof(Flags);
    for (const Side& side : m_side) {
        bytes += side.places.capacity() * sizeof(std::uint32_t) + side.hashes.capacity() * sizeof(std::uint64_t)
            + side.cards.capacity() * sizeof(CKarte);
        for (const CKarte& card : side.cards)
            bytes += card.HeapBytes();
        if (side.fieldNames)
            bytes += sizeof(CKarte) + side.fieldNames->HeapBytes();
    }
    return bytes;
}

StepLabel StepLabel::Message(unsigned id)
{
    StepLabel label;
    label.m_id = id;
    return label;
}

StepLabel StepLabel::Counted(unsigned id, int count)
{
    StepLabel label;
    label.m_id = id;
    label.m_count = count;
    label.m_counted = true;
    return label;
}

std::string StepLabel::Text() const
{
    if (m_id == 0)
        return m_text;
    return m_counted ? FormatText(m_id, m_count) : velkaro::Text(m_id);
}

void CUndoStack::Push(StepLabel label, CCardChange change)
{
    m_redo.clear();
    m_undo.push_back({ std::move(label), std::move(change) });
    while (m_undo.size() > m_limit)
        m_undo.pop_front();
}

std::string CUndoStack::UndoLabel() const
{
    return m_undo.empty() ? std::string() : m_undo.back().label.Text();
}

std::string CUndoStack::RedoLabel() const
{
    return m_redo.empty() ? std::string() : m_redo.back().label.Text();
}

bool CUndoStack::Undo(CCardList& list)
{
    if (!m_undo.back().change.Undo(list))
        return false;
    m_redo.push_back(std::move(m_undo.back()));
    m_undo.pop_back();
    return true;
}

bool CUndoStack::Redo(CCardList& list)
{
    if (!m_redo.back().change.Redo(list))
        return false;
    m_undo.push_back(std::move(m_redo.back()));
    m_redo.pop_back();
    return true;
}

std::size_t CUndoStack::Bytes() const
{
    std::size_t bytes = 0;
    for (const Step& step : m_undo)
        bytes += sizeof step - sizeof step.change + step.change.Bytes();
    for (const Step& step : m_redo)
        bytes += sizeof step - sizeof step.change + step.change.Bytes();
    return bytes;
}

void CUndoStack::Clear()
{
    m_undo.clear();
    m_redo.clear();
}

}  // namespace velkaro
