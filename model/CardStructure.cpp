#include "CardStructure.h"

#include "text/Language.h"
#include "text/MessageIds.h"

#include <memory>

namespace velkaro {

CCardStructure::CCardStructure(const CKarte* fieldNames, bool isActive)
    : active(isActive)
{
    if (fieldNames)
        m_working.CopyFrom(fieldNames);
}

void CCardStructure::PreviousPage()
{
    if (m_page > 1)
        --m_page;
}

void CCardStructure::NextPage()
{
    if (m_page < kPages)
        ++m_page;
}

int CCardStructure::LineOfEdit(int editId) const
{
    if (editId == structure_ctl::TelephoneEdit)
        return m_page == 1 ? 1 : -1;
    if (editId >= structure_ctl::FirstLineEdit && editId <= structure_ctl::LastLineEdit)
        return editId - 1117 + 6 * m_page;
    return -1;
}

std::string CCardStructure::EditText(int editId) const
{
    int line = LineOfEdit(editId);
    return line < 0 ? std::string() : std::string(m_working.GetLine(line));
}

void CCardStructure::StoreEdit(int editId, const std::string& text)
{
    int line = LineOfEdit(editId);
    if (line < 0)
        return;
    std::string label = text.substr(0, kMaxLabelLength);
    // An untouched empty label of a card that never held the line stays
    // absent, so opening and closing the dialog changes nothing.
    if (label.find_first_not_of(' ') == std::string::npos && line >= m_working.LineCount())
        return;
    m_working.SetLine(line, label);
}

std::string CCardStructure::RowLabelText(int labelId) const
{
    int k = labelId - structure_ctl::FirstRowLabel;
    if (k < 0 || k >= kLinesPerPage)
        return {};
    return FormatText(msg::FieldLabelLine, 6 * m_page - 5 + k);
}

std::string CCardStructure::PageText() const
{
    return FormatText(ctl::StructurePage, m_page);
}

bool ApplyCardStructure(CCardList& list, const CKarte& working)
{
    CKarte* names = list.FieldNames();
    if (names && working.IsSameAs(names))
        return false;
    if (!names) {
        list.SetFieldNames(std::make_unique<CKarte>());
        names = list.FieldNames();
    }
    names->CopyFrom(&working);
    names->SetLine(0, ReservedName());
    names->SetEdited(true);
    return true;
}

bool ShowsFieldNameColumn(bool structureActive, const CCardList& list)
{
    return structureActive && list.FieldNames() != nullptr;
}

std::string FieldColumnLabel(const CKarte& fieldNames, int row, int page)
{
    std::string label;
    if (row == 0)
        label = Text(msg::NameLabel);
    else if (row == 1)
        label = fieldNames.GetLine(1);
    else if (row >= 2 && row < 8)
        label = fieldNames.GetLine(row + 6 * page - 6);
    return label.substr(0, kMaxLabelLength);
}

}  // namespace velkaro
