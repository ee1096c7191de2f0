#include "ImportTable.h"

namespace velkaro {

namespace {
const std::string kEmpty;
}

void CImportTable::SetField(const std::string& text, int record, int column)
{
    if (record < 0 || column < 0)
        return;
    if (record >= RecordCount()) {
        if (m_records.capacity() <= static_cast<size_t>(record))
            m_records.reserve((record / 100 + 1) * 100);
        m_records.resize(record + 1);
    }
    auto& entry = m_records[record];
    if (!entry)
        entry.emplace();
    if (column >= static_cast<int>(entry->size()))
        entry->resize(column + 1);
    (*entry)[column] = text;
}

bool CImportTable::HasRecord(int record) const
{
    return record >= 0 && record < RecordCount() && m_records[record].has_value();
}

const std::vector<std::string>* CImportTable::Record(int record) const
{
    return HasRecord(record) ? &*m_records[record] : nullptr;
}

const std::string& CImportTable::FieldText(int record, int column) const
{
    const auto* fields = Record(record);
    if (!fields || column < 0 || column >= static_cast<int>(fields->size()))
        return kEmpty;
    return (*fields)[column];
}

int CImportTable::RecordLength(int record) const
{
    const auto* fields = Record(record);
    return fields ? static_cast<int>(fields->size()) : 0;
}

void CImportTable::DropEmptyRecords()
{
    std::erase_if(m_records, [](const auto& entry) { return !entry || entry->empty(); });
}

int CImportTable::WidestRecord() const
{
    int widest = 0;
    for (const auto& entry : m_records)
        if (entry && static_cast<int>(entry->size()) > widest)
            widest = static_cast<int>(entry->size());
    return widest;
}

}  // namespace velkaro
