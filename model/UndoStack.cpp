#include "UndoStack.h"

#include <utility>

namespace velkaro {

namespace {

bool SameCard(const CKarte& a, const CKarte& b)
{
    return a.RawLines() == b.RawLines() && a.edited == b.edited && a.marked == b.marked;
}

const std::string kNoLabel;

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

void CUndoStack::Push(std::string label, CCardSnapshot before)
{
    m_redo.clear();
    m_undo.push_back({ std::move(label), std::move(before) });
    while (m_undo.size() > m_limit)
        m_undo.pop_front();
}

const std::string& CUndoStack::UndoLabel() const
{
    return m_undo.empty() ? kNoLabel : m_undo.back().label;
}

const std::string& CUndoStack::RedoLabel() const
{
    return m_redo.empty() ? kNoLabel : m_redo.back().label;
}

CCardSnapshot CUndoStack::Undo(CCardSnapshot current)
{
    Step step = std::move(m_undo.back());
    m_undo.pop_back();
    CCardSnapshot restore = std::move(step.cards);
    m_redo.push_back({ std::move(step.label), std::move(current) });
    return restore;
}

CCardSnapshot CUndoStack::Redo(CCardSnapshot current)
{
    Step step = std::move(m_redo.back());
    m_redo.pop_back();
    CCardSnapshot restore = std::move(step.cards);
    m_undo.push_back({ std::move(step.label), std::move(current) });
    return restore;
}

void CUndoStack::Clear()
{
    m_undo.clear();
    m_redo.clear();
}

}  // namespace velkaro
