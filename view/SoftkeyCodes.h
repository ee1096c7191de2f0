#pragma once

// What the seven softkey cells do and which set of them shows: the bar
// paints them, the card view's controller carries them out.

namespace velkaro {

// Action codes of the cells.
namespace softkey {
constexpr int More = 0;       // toggle between the page set and the state's set
constexpr int List = 1;       // back to list mode
constexpr int Dial = 2;       // dial the current card
constexpr int Delete = 3;     // delete the current card
constexpr int Save = 4;       // save the edited card
constexpr int Mark = 5;       // toggle the shown card's mark
constexpr int Page1 = 7;      // 7..11: show page 1..5
constexpr int Page5 = 11;
constexpr int Empty = 12;     // nothing

constexpr int SetList = 0;    // list mode
constexpr int SetBrowse = 1;  // card mode, browsing
constexpr int SetEdit = 2;    // card mode, editing
constexpr int SetPages = 3;   // page choice
}  // namespace softkey

}  // namespace velkaro
