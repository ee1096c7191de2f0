#include "ImportTable.h"

#include <algorithm>

namespace velkaro {

std::string_view CImportTable::Fields::At(std::size_t c) const
{
    std::size_t begin = c == 0 ? 0 : ends[c - 1];
    return std::string_view(bytes).substr(begin, ends[c] - begin);
}

void CImportTable::Fields::Set(std::size_t c, std::string_view text)
{
    if (c >= ends.size()) {
        // The skipped fields are empty; the common case, a field after the
        // last, is an append.
        ends.resize(c, static_cast<std::uint32_t>(bytes.size()));
        bytes.append(text);
        ends.push_back(static_cast<std::uint32_t>(bytes.size()));
        return;
    }
    std::size_t begin = c == 0 ? 0 : ends[c - 1];
    std::size_t old = ends[c] - begin;
    bytes.replace(begin, old, text);
    const auto shift = static_cast<std::int64_t>(text.size()) - static_cast<std::int64_t>(old);
    for (std::size_t k = c; k < ends.size(); ++k)
        ends[k] = static_cast<std::uint32_t>(static_cast<std::int64_t>(ends[k]) + shift);
}

void CImportTable::Store(Entries& entries, std::string_view text, int record, int column)
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
    entry->Set(static_cast<size_t>(column), text);
}

const CImportTable::Fields* CImportTable::Find(const Entries& entries, int record)
{
    if (record < 0 || record >= static_cast<int>(entries.size()) || !entries[static_cast<size_t>(record)])
        return nullptr;
    return &*entries[static_cast<size_t>(record)];
}

const std::vector<std::string>* CImportTable::Expand(const Fields* fields, std::vector<std::string>& into)
{
    if (!fields)
        return nullptr;
    into.resize(fields->Count());
    for (std::size_t c = 0; c < fields->Count(); ++c)
        into[c] = fields->At(c);
    return &into;
}

void CImportTable::SetField(std::string_view text, int record, int column)
{
    Store(m_records, text, record, column);
}

void CImportTable::SetRawField(std::string_view bytes, int record, int column)
{
    Store(m_raw, bytes, record, column);
}

void CImportTable::SetRecord(std::span<const std::string_view> fields, int record)
{
    if (record < 0)
        return;
    if (record >= RecordCount())
        m_records.resize(static_cast<size_t>(record) + 1);
    Fields entry;
    std::size_t size = 0;
    for (std::string_view field : fields)
        size += field.size();
    entry.bytes.reserve(size);
    entry.ends.reserve(fields.size());
    for (std::string_view field : fields) {
        entry.bytes.append(field);
        entry.ends.push_back(static_cast<std::uint32_t>(entry.bytes.size()));
    }
    m_records[static_cast<size_t>(record)] = std::move(entry);
}

void CImportTable::ConvertUtf8Fields(std::string (*convert)(std::string_view))
{
    m_utf8 = true;
    std::vector<std::string> converted;
    std::vector<std::string_view> views;
    for (std::size_t r = 0; r < m_records.size(); ++r) {
        auto& entry = m_records[r];
        if (!entry)
            continue;
        // ASCII is the same in UTF-8 and Windows-1252: most records of most
        // files need no conversion at all.
        const bool ascii = std::all_of(entry->bytes.begin(), entry->bytes.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (ascii)
            continue;
        bool changed = false;
        converted.resize(entry->Count());
        for (std::size_t c = 0; c < entry->Count(); ++c) {
            converted[c] = convert(entry->At(c));
            changed = changed || converted[c] != entry->At(c);
        }
        if (!changed)
            continue;
        if (r >= m_raw.size())
            m_raw.resize(r + 1);
        m_raw[r] = std::move(entry);
        views.assign(converted.begin(), converted.end());
        SetRecord(views, static_cast<int>(r));
    }
}

bool CImportTable::HasRecord(int record) const
{
    return Find(m_records, record) != nullptr;
}

const std::vector<std::string>* CImportTable::Record(int record) const
{
    return Expand(Find(m_records, record), m_recordView);
}

const std::vector<std::string>* CImportTable::RawRecord(int record) const
{
    if (m_utf8)
        if (const Fields* raw = Find(m_raw, record))
            return Expand(raw, m_rawView);
    return Record(record);
}

std::string_view CImportTable::FieldView(int record, int column) const
{
    const Fields* fields = Find(m_records, record);
    if (!fields || column < 0 || static_cast<std::size_t>(column) >= fields->Count())
        return {};
    return fields->At(static_cast<std::size_t>(column));
}

std::string CImportTable::FieldText(int record, int column) const
{
    return std::string(FieldView(record, column));
}

int CImportTable::RecordLength(int record) const
{
    const Fields* fields = Find(m_records, record);
    return fields ? static_cast<int>(fields->Count()) : 0;
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
        if (!m_records[i] || m_records[i]->Count() == 0)
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
        if (entry && static_cast<int>(entry->Count()) > widest)
            widest = static_cast<int>(entry->Count());
    return widest;
}

void CImportTable::RemoveAll()
{
    m_records.clear();
    m_raw.clear();
    m_utf8 = false;
    m_layout = {};
    m_recordView.clear();
    m_rawView.clear();
}

}  // namespace velkaro
