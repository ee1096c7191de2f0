#pragma once

// The logic of the card index list: eight rows of names like the telephone's
// own name list, reached by typing the first letters of a name (type-ahead),
// by stepping in groups, or, while a selection is active, over the selected
// cards only. No widgets here; CIndexWnd paints this state.

#include "model/CardList.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace velkaro {

struct SelectionState;

enum class IndexKey { Up, Down, PageUp, PageDown, Home, End };

class CIndexList {
public:
    static constexpr int kRows = 8;
    static constexpr int kMaxSearch = 20;
    static constexpr int kMissMs = 1000;   // after a text that matches nothing
    static constexpr int kMatchMs = 4000;  // after a text that matches

    // Milliseconds of a monotonic clock; replaceable for tests.
    using Clock = std::function<int64_t()>;

    CIndexList();

    void SetCardList(CCardList* list);
    CCardList* CardList() const { return m_list; }
    void SetSelection(SelectionState* selection) { m_selection = selection; }
    void SetClock(Clock clock) { m_clock = std::move(clock); }

    // A selection is active: keys, rows and painting go over the selected
    // cards. Typing goes that way only for a permanent selection.
    bool SelectionWay() const;

    void KeyDown(IndexKey key);
    // A typed character (Windows-1252). Returns true when it ended an active
    // selection (the view then hides the selection panel).
    bool TypeCharacter(unsigned char c);

    // The type-ahead timer: the time it was started with (0 = not running),
    // and its expiry. Typing after the expiry starts a new search even when
    // the expiry was not delivered yet.
    int TimerMs() const { return m_timerMs; }
    // Milliseconds until the timer expires (0 when not running).
    int RemainingMs() const;
    void TimerExpired();
    bool IsTyping() const { return m_typing; }

    // The card shown in a row (0..7), -1 for none.
    int RowToCard(int row) const;
    // The cards of the eight rows in order, -1 for empty rows.
    std::array<int, kRows> ShownCards() const;

    // Back to the start: top 0, no search text, typing ended.
    void Reset();
    // After a new selection: rows filled from the first selected card.
    void ResetForSelection();

    int Top() const { return m_top; }
    int Bottom() const { return m_bottom; }
    const std::string& SearchString() const { return m_search; }
    const std::array<int, kRows>& RowTable() const { return m_rows; }

private:
    int Count() const { return m_list ? m_list->Count() : 0; }
    bool Matches(int index) const;
    void GroupEnd();
    void Find();
    bool Fill(int start, bool forward);
    void NextGroup();
    void PreviousGroup();
    void SearchFromFirstCharacter(int index);
    void StartTimer(int ms);
    void StopTyping();
    void CheckTimer();

    CCardList* m_list = nullptr;
    SelectionState* m_selection = nullptr;
    Clock m_clock;
    std::array<int, kRows> m_rows;
    int m_top = 0;
    int m_bottom = -1;
    std::string m_search;
    bool m_typing = false;
    int m_timerMs = 0;
    int64_t m_deadline = 0;
};

}  // namespace velkaro
