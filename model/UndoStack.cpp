#include "UndoStack.h"

#include "text/Language.h"

#include <utility>

namespace velkaro {

namespace {

bool SameCard(const CKarte& a, const CKarte& b)
{
    return a.RawLines() == b.RawLines() && a.edited == b.edited && a.marked == b.marked;
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

void CUndoStack::Push(StepLabel label, CCardSnapshot before)
{
    m_redo.clear();
    m_undo.push_back({ std::move(label), std::move(before) });
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
