#pragma once

// The field names of the card lines. The user may give lines 1..31 labels of
// their own; they live in the collection's field-names card (line 0 is the
// reserved name), are saved with the cards and sent to the telephone like a
// card. CCardStructure is what the card structure dialog works on: a working
// copy of the field-names card and the page shown (1..5).

#include "CardList.h"

#include <string>

namespace velkaro {

// Dialog control ids whose texts or contents the structure logic knows.
namespace structure_ctl {
constexpr int Active = 1110;
constexpr int NameField = 1111;      // read-only "Name", page 1 only
constexpr int TelephoneEdit = 1112;  // label of line 1, page 1 only
constexpr int FirstLineEdit = 1113;  // .. 1118: the six lines of the page
constexpr int LastLineEdit = 1118;
constexpr int NameLabel = 1119;
constexpr int TelephoneLabel = 1120;
constexpr int FirstRowLabel = 1121;  // .. 1126: "Zeile %i"
constexpr int PageField = 1127;
constexpr int NextPage = 1128;
constexpr int PrevPage = 1129;
}  // namespace structure_ctl

class CCardStructure {
public:
    // Starts on page 1 with a copy of the field-names card (empty without one).
    CCardStructure(const CKarte* fieldNames, bool active);

    int Page() const { return m_page; }
    bool CanGoBack() const { return m_page > 1; }
    bool CanGoForward() const { return m_page < kPages; }
    void PreviousPage();
    void NextPage();
    // The name and telephone rows are shown on page 1 only.
    bool ShowsFirstRows() const { return m_page == 1; }

    // The card line an edit holds on the current page: 1112 is line 1 (page
    // 1), 1113..1118 are lines 6p-4 .. 6p+1; -1 for any other control.
    int LineOfEdit(int editId) const;
    std::string EditText(int editId) const;
    // Stores an edit's text into the working copy (trailing blanks removed,
    // cut to the label length).
    void StoreEdit(int editId, const std::string& text);

    // "Zeile %i" for the labels 1121..1126 (numbers 6p-5 .. 6p) and
    // "Seite %i" for the page field, in the current language.
    std::string RowLabelText(int labelId) const;
    std::string PageText() const;

    bool active;
    CKarte& WorkingCopy() { return m_working; }
    const CKarte& WorkingCopy() const { return m_working; }

private:
    CKarte m_working;
    int m_page = 1;
};

// OK of the dialog: when the working copy differs from the field-names card
// (always when there is none), the card is created if needed, takes the
// working copy's lines with the reserved name in line 0, and is marked edited
// so that sending the edited cards sends the new names. True when it changed.
bool ApplyCardStructure(CCardList& list, const CKarte& working);

// Whether the card view shows the field-name column.
bool ShowsFieldNameColumn(bool structureActive, const CCardList& list);

// The label the field-name column shows beside display row 0..7 on a page:
// "Name" for row 0, the field-names card's line 1 for row 1, its line
// row + 6 x page - 6 for rows 2..7; cut to 10 characters.
std::string FieldColumnLabel(const CKarte& fieldNames, int row, int page);

}  // namespace velkaro
