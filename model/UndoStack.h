#pragma once

// Undo and redo of the changes to the card collection. Each step keeps a
// whole copy of the collection as it was: an address book holds at most a
// few thousand short cards, so a copy is cheap, and a bulk change (an
// import, deleting all cards) is one step like any other.

#include "CardList.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace velkaro {

// The cards and the field-names card of a collection, copied.
class CCardSnapshot {
public:
    CCardSnapshot() = default;
    static CCardSnapshot Of(const CCardList& list);
    // Makes list hold copies of the snapshot's cards (the list object stays).
    void RestoreInto(CCardList& list) const;
    // True when list holds the same cards, marks and edited flags.
    bool SameAs(const CCardList& list) const;
    int Count() const { return static_cast<int>(m_cards.size()); }

private:
    std::vector<CKarte> m_cards;
    bool m_hasFieldNames = false;
    CKarte m_fieldNames;
};

// The name of a step in the Edit menu. Made from its message when the menu
// is drawn, so that it reads in the language shown then, not in the one of
// the moment the step was taken; a fixed text stays as it is.
class StepLabel {
public:
    StepLabel() = default;
    StepLabel(std::string text) : m_text(std::move(text)) {}
    StepLabel(const char* text) : m_text(text) {}
    static StepLabel Message(unsigned id);
    // A message with one "%i".
    static StepLabel Counted(unsigned id, int count);

    std::string Text() const;
    bool Empty() const { return m_id == 0 && m_text.empty(); }

private:
    unsigned m_id = 0;
    int m_count = 0;
    bool m_counted = false;
    std::string m_text;
};

class CUndoStack {
public:
    // Older steps beyond the limit are dropped.
    explicit CUndoStack(std::size_t limit = 100) : m_limit(limit) {}

    // A change was made; before is the collection as it was, label names the
    // change in the menu. Steps that were undone can no longer be redone.
    void Push(StepLabel label, CCardSnapshot before);
    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }
    // The label of the step the next Undo/Redo takes back or makes again
    // (empty when there is none).
    std::string UndoLabel() const;
    std::string RedoLabel() const;
    // Takes back the last step: returns the collection to restore and keeps
    // current for Redo. Only when CanUndo().
    CCardSnapshot Undo(CCardSnapshot current);
    // Makes the last undone step again; only when CanRedo().
    CCardSnapshot Redo(CCardSnapshot current);
    void Clear();
    std::size_t UndoCount() const { return m_undo.size(); }

private:
    struct Step {
        StepLabel label;
        CCardSnapshot cards;
    };
    std::size_t m_limit;
    std::deque<Step> m_undo;
    std::vector<Step> m_redo;
};

}  // namespace velkaro
