#include "ImportTable.h"

namespace velkaro {

namespace {
const std::string kEmpty;
}

void CImportTable::Store(Entries& entries, const std::string& text, int record, int column)
{
    if (record < 0 || column < 0)
        return;
    if (record >= static_cast<int>(entries.size())) {
        // Grows in steps of 100 records, a record in steps of 10 fields.
        if (entries.capacity() <= static_cast<size_t>(record))
            entries.reserve((static_cast<size_t>(record) / 100 + 1) * 100);
        entries.resize(static_cast<size_t>(record) + 1);
    }
    auto& entry = entries[static_cast<size_t>(record)];
    if (!entry)
        entry.emplace();
    if (column >= static_cast<int>(entry->size())) {
        if (entry->capacity() <= static_cast<size_t>(column))
            entry->reserve((static_cast<size_t>(column) / 10 + 1) * 10);
        entry->resize(static_cast<size_t>(column) + 1);
    }
    (*entry)[static_cast<size_t>(column)] = text;
}

void CImportTable::SetField(const std::string& text, int record, int column)
{
    Store(m_records, text, record, column);
}

void CImportTable::SetRawField(const std::string& bytes, int record, int column)
{
    Store(m_raw, bytes, record, column);
}

bool CImportTable::HasRecord(int record) const
{
    return record >= 0 && record < RecordCount() && m_records[static_cast<size_t>(record)].has_value();
}

const std::vector<std::string>* CImportTable::Record(int record) const
{
    return HasRecord(record) ? &*m_records[static_cast<size_t>(record)] : nullptr;
}

const std::vector<std::string>* CImportTable::RawRecord(int record) const
{
    if (!m_utf8)
        return Record(record);
    if (record < 0 || record >= static_cast<int>(m_raw.size()) || !m_raw[static_cast<size_t>(record)])
        return nullptr;
    return &*m_raw[static_cast<size_t>(record)];
}

const std::string& CImportTable::FieldText(int record, int column) const
{
    const auto* fields = Record(record);
    if (!fields || column < 0 || column >= static_cast<int>(fields->size()))
        return kEmpty;
    return (*fields)[static_cast<size_t>(column)];
}

int CImportTable::RecordLength(int record) const
{
    const auto* fields = Record(record);
    return fields ? static_cast<int>(fields->size()) : 0;
}

void CImportTable::DropEmptyRecords()
{
    // The raw fields go with their records.
    m_raw.resize(m_utf8 ? m_records.size() : 0);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        if (!m_records[i] || m_records[i]->empty())
            continue;
        if (kept != i) {
            m_records[kept] = std::move(m_records[i]);
            if (m_utf8)
                m_raw[kept] = std::move(m_raw[i]);
        }
        ++kept;
    }
    m_records.resize(kept);
    if (m_utf8)
        m_raw.resize(kept);
}

int CImportTable::WidestRecord() const
{
    int widest = 0;
    for (const auto& entry : m_records)
        if (entry && static_cast<int>(entry->size()) > widest)
            widest = static_cast<int>(entry->size());
    return widest;
}

void CImportTable::RemoveAll()
{
    m_records.clear();
    m_raw.clear();
    m_utf8 = false;
}

}  // namespace velkaro
