#include "view/IndexList.h"

#include "model/Charset.h"
#include "view/ViewShared.h"

#include <algorithm>
#include <chrono>

namespace velkaro {

namespace {

int64_t SteadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

CIndexList::CIndexList()
    : m_clock(SteadyMs)
{
    m_rows.fill(-1);
}

void CIndexList::SetCardList(CCardList* list)
{
    m_list = list;
    Reset();
}

bool CIndexList::SelectionWay() const
{
    return m_selection && m_selection->active;
}

bool CIndexList::Matches(int index) const
{
    const CKarte* card = m_list ? m_list->At(index) : nullptr;
    return card && card->CompareName(m_search).kind != MatchKind::None;
}

void CIndexList::GroupEnd()
{
    int last = Count() - 1;
    if (m_top < 0)
        return;
    if (m_search.empty()) {
        m_bottom = std::min(m_top + kRows - 1, last);
        return;
    }
    int limit = std::min(m_top + kRows - 1, last);
    int bottom = m_top - 1;
    for (int i = m_top; i <= limit && Matches(i); ++i)
        bottom = i;
    m_bottom = bottom;
}

void CIndexList::Find()
{
    m_search = AnsiToUpper(m_search);
    FindResult found = m_list ? m_list->FindName(m_search) : FindResult {};
    if (found.index >= 0 && found.kind != MatchKind::None) {
        m_top = found.index;
        GroupEnd();
    } else {
        m_top = -1;
        // Where the text would stand: Down continues from there.
        m_bottom = found.index >= 0 ? found.index : Count();
    }
}

bool CIndexList::Fill(int start, bool forward)
{
    int found = 0;
    if (m_list && m_selection)
        found = m_list->SearchText(m_selection->text, start, forward, m_rows.data(), kRows);
    else
        m_rows.fill(-1);
    m_top = 0;
    m_bottom = found - 1;
    return found > 0;
}

void CIndexList::SearchFromFirstCharacter(int index)
{
    const CKarte* card = m_list ? m_list->At(index) : nullptr;
    const std::string_view name = card ? card->Name() : std::string_view();
    m_search = name.empty() ? std::string() : name.substr(0, 1);
}

void CIndexList::NextGroup()
{
    int top = m_top >= 0 ? m_bottom + 1 : m_bottom;
    if (top > Count() - 1 || top < 0)
        return;
    m_top = top;
    if (!m_search.empty()) {
        SearchFromFirstCharacter(m_top);
        m_search = AnsiToUpper(m_search);
    }
    GroupEnd();
}

void CIndexList::PreviousGroup()
{
    if (m_top < 0)
        m_top = m_bottom;
    if (m_top <= 0)
        return;
    int a = std::max(m_top - kRows, 0);
    if (m_search.empty()) {
        m_top = a;
    } else {
        m_top = std::min(m_top, Count()) - 1;
        SearchFromFirstCharacter(m_top);
        m_search = AnsiToUpper(m_search);
        while (m_top > a && Matches(m_top - 1))
            --m_top;
    }
    GroupEnd();
}

void CIndexList::KeyDown(IndexKey key)
{
    CheckTimer();
    int count = Count();
    if (SelectionWay()) {
        switch (key) {
        case IndexKey::Down:
        case IndexKey::PageDown:
            if (m_rows[0] < 0) {
                Fill(0, true);
            } else if (m_rows[kRows - 1] >= 0) {
                int first = m_rows[0];
                if (!Fill(m_rows[kRows - 1] + 1, true))
                    Fill(first, true);
            }
            break;
        case IndexKey::Up:
        case IndexKey::PageUp:
            Fill(m_rows[0] < 0 ? count - 1 : m_rows[0] - 1, false);
            break;
        case IndexKey::Home:
            if (count > 0)
                Fill(0, true);
            break;
        case IndexKey::End:
            if (count > 0)
                Fill(count - 1, false);
            break;
        }
    } else {
        switch (key) {
        case IndexKey::Down:
        case IndexKey::PageDown:
            NextGroup();
            break;
        case IndexKey::Up:
        case IndexKey::PageUp:
            PreviousGroup();
            break;
        case IndexKey::Home:
            if (count > 0) {
                SearchFromFirstCharacter(0);
                Find();
            }
            break;
        case IndexKey::End:
            if (count > 0) {
                SearchFromFirstCharacter(count - 1);
                Find();
            }
            break;
        }
    }
    StopTyping();
}

bool CIndexList::TypeCharacter(unsigned char c)
{
    CheckTimer();
    if (CharOrder(c) == kNotOnTelephone)
        return false;

    if (m_selection && m_selection->active && m_selection->permanent) {
        if (!IsNameLetter(c))
            return false;
        m_search = std::string(1, static_cast<char>(AnsiToUpper(c)));
        FindResult found = m_list ? m_list->FindName(m_search) : FindResult {};
        if (Fill(found.index, true)) {
            m_search.clear();
            StopTyping();
        } else {
            m_top = -1;
            StartTimer(kMissMs);
        }
        return false;
    }

    bool ended = false;
    if (m_selection && m_selection->active) {
        m_selection->End();
        ended = true;
    }
    if (!m_typing) {
        if (!IsNameLetter(c))
            return ended;
        m_search = std::string(1, static_cast<char>(c));
    } else if (static_cast<int>(m_search.size()) < kMaxSearch) {
        m_search += static_cast<char>(c);
    }
    Find();
    StartTimer(m_top < 0 ? kMissMs : kMatchMs);
    return ended;
}

void CIndexList::StartTimer(int ms)
{
    m_timerMs = ms;
    m_deadline = m_clock() + ms;
    m_typing = true;
}

void CIndexList::StopTyping()
{
    m_typing = false;
    m_timerMs = 0;
}

void CIndexList::CheckTimer()
{
    if (m_timerMs != 0 && m_clock() >= m_deadline)
        StopTyping();
}

int CIndexList::RemainingMs() const
{
    if (m_timerMs == 0)
        return 0;
    return static_cast<int>(std::clamp<int64_t>(m_deadline - m_clock(), 0, m_timerMs));
}

void CIndexList::TimerExpired()
{
    StopTyping();
}

int CIndexList::RowToCard(int row) const
{
    if (row < 0 || row >= kRows)
        return -1;
    if (SelectionWay()) {
        int card = m_rows[static_cast<std::size_t>(row)];
        return m_list && m_list->At(card) ? card : -1;
    }
    if (m_top < 0)
        return -1;
    int card = m_top + row;
    if (card > m_bottom || !m_list || !m_list->At(card))
        return -1;
    return card;
}

std::array<int, CIndexList::kRows> CIndexList::ShownCards() const
{
    std::array<int, kRows> cards;
    for (int row = 0; row < kRows; ++row)
        cards[static_cast<std::size_t>(row)] = RowToCard(row);
    return cards;
}

void CIndexList::Reset()
{
    m_top = 0;
    m_search.clear();
    m_rows.fill(-1);
    GroupEnd();
    StopTyping();
}

void CIndexList::ResetForSelection()
{
    if (!SelectionWay())
        return;
    m_search.clear();
    Fill(0, true);
}

}  // namespace velkaro
