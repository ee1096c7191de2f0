#pragma once

// Undo and redo of the changes to the card collection. A step keeps only
// what its change did: the cards it took out and put in, and the marks and
// edited flags it changed, so that its memory grows with the change, not
// with the collection (an import of a million rows makes a collection far
// beyond the telephone's few thousand cards, and a one-card edit of it must
// not keep a copy of it a hundred times over). A bulk change (an import,
// deleting all cards) is one step like any other.

#include "CardList.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace velkaro {

// The cards and the field-names card of a collection, copied: the
// collection as it was while a change is open, and the whole copy the tests
// hold undo against.
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
    friend class CCardChange;
    std::vector<CKarte> m_cards;
    bool m_hasFieldNames = false;
    CKarte m_fieldNames;
};

// What one change did to a collection: the places of the cards only the
// state before has and of those only the state after has, the marks and
// edited flags of the cards both share that changed, and the field-names
// card when it changed. Of the cards only one state has, the change holds
// those of the state the collection is not in; the collection holds the
// others. Undo and Redo move them between the two.
class CCardChange {
public:
    CCardChange() = default;
    // The change that made after of before; the cards it needs are moved
    // out of before. Empty when after holds the same cards, marks and flags.
    static CCardChange Between(CCardSnapshot before, const CCardList& after);
    bool Empty() const;
    // list holds the state after the change: makes it the state before.
    // False, with list untouched, when list is not in that state (it was
    // changed in between without a step).
    bool Undo(CCardList& list) { return Apply(list, kAfter, kBefore); }
    // list holds the state before: makes it the state after; false likewise.
    bool Redo(CCardList& list) { return Apply(list, kBefore, kAfter); }
    // The bytes the change keeps, what its cards hold on the heap included.
    std::size_t Bytes() const;

private:
    enum { kBefore = 0, kAfter = 1 };
    // The cards only one state has.
    struct Side {
        std::uint32_t count = 0;              // cards of the whole collection
        std::vector<std::uint32_t> places;    // ascending
        std::vector<std::uint64_t> hashes;    // of the cards at places
        std::vector<CKarte> cards;            // held while the list is in the other state
        bool hasFieldNames = false;
        std::uint64_t fieldNamesHash = 0;
        std::unique_ptr<CKarte> fieldNames;   // likewise, when the field names changed
    };
    // A card both states have whose mark or edited flag changed.
    struct Flags {
        std::uint32_t place[2];
        std::uint8_t edited[2];
        std::uint8_t marked[2];
    };
    bool Apply(CCardList& list, int from, int to);
    void NoteFlags(std::uint32_t before, std::uint32_t after, const CKarte& was, const CKarte& is);
    // The field-name card, where it differs between before and after.
    void NoteFieldNames(CCardSnapshot& before, const CCardList& after);

    Side m_side[2];
    std::vector<Flags> m_flags;
    bool m_fieldNamesChanged = false;
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

    // A change was made; label names it in the menu. Steps that were undone
    // can no longer be redone.
    void Push(StepLabel label, CCardChange change);
    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }
    // The label of the step the next Undo/Redo takes back or makes again
    // (empty when there is none).
    std::string UndoLabel() const;
    std::string RedoLabel() const;
    // Takes back the last step on list, which holds the state it made, and
    // keeps it for Redo. Only when CanUndo(); false, with nothing changed,
    // when list is not in that state.
    bool Undo(CCardList& list);
    // Makes the last undone step again on list; only when CanRedo().
    bool Redo(CCardList& list);
    void Clear();
    std::size_t UndoCount() const { return m_undo.size(); }
    // The bytes the steps keep, for undo and redo.
    std::size_t Bytes() const;

private:
    struct Step {
        StepLabel label;
        CCardChange change;
    };
    std::size_t m_limit;
    std::deque<Step> m_undo;
    std::vector<Step> m_redo;
};

}  // namespace velkaro
