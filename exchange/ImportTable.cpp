#include "ImportTable.h"

namespace velkaro {

namespace {
const std::string kEmpty;
}

void CImportTable::Store(Entries& entries, const std::string& text, int record, int column)
{
    if (record < 0 || column < 0)
        return;
    // The vectors grow by their own doubling: growing by fixed steps copied
    // the whole table at every step.
    if (record >= static_cast<int>(entries.size()))
        entries.resize(static_cast<size_t>(record) + 1);
    auto& entry = entries[static_cast<size_t>(record)];
    if (!entry)
        entry.emplace();
    if (column >= static_cast<int>(entry->size()))
        entry->resize(static_cast<size_t>(column) + 1);
    (*entry)[static_cast<size_t>(column)] = text;
}

void CImportTable::SetRecord(std::vector<std::string> fields, int record)
{
    if (record < 0)
        return;
    if (record >= RecordCount())
        m_records.resize(static_cast<size_t>(record) + 1);
    m_records[static_cast<size_t>(record)] = std::move(fields);
}

void CImportTable::ConvertUtf8Fields(std::string (*convert)(std::string_view))
{
    m_utf8 = true;
    for (std::size_t r = 0; r < m_records.size(); ++r) {
        auto& entry = m_records[r];
        if (!entry)
            continue;
        std::optional<std::vector<std::string>> raw;
        for (std::size_t c = 0; c < entry->size(); ++c) {
            std::string converted = convert((*entry)[c]);
            if (converted == (*entry)[c])
                continue;
            if (!raw)
                raw = *entry;
            (*entry)[c] = std::move(converted);
        }
        if (!raw)
            continue;
        if (r >= m_raw.size())
            m_raw.resize(r + 1);
        m_raw[r] = std::move(raw);
    }
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
    if (m_utf8 && record >= 0 && record < static_cast<int>(m_raw.size()) && m_raw[static_cast<size_t>(record)])
        return &*m_raw[static_cast<size_t>(record)];
    return Record(record);
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
    if (m_utf8 && !m_raw.empty())
        m_raw.resize(m_records.size());
    else
        m_raw.clear();
    const bool withRaw = !m_raw.empty();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        if (!m_records[i] || m_records[i]->empty())
            continue;
        if (kept != i) {
            m_records[kept] = std::move(m_records[i]);
            if (withRaw)
                m_raw[kept] = std::move(m_raw[i]);
        }
        ++kept;
    }
    m_records.resize(kept);
    if (withRaw)
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
