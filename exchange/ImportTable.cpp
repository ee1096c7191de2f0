#include "ImportTable.h"

#include <algorithm>

namespace velkaro {

// ---- one record's fields ----

std::string_view CImportTable::Fields::At(std::size_t c) const
{
    const std::size_t begin = scattered ? spans[2 * c] : c == 0 ? 0 : spans[c - 1];
    const std::size_t end = scattered ? spans[2 * c + 1] : spans[c];
    return std::string_view(bytes).substr(begin, end - begin);
}

void CImportTable::Fields::Scatter()
{
    if (scattered)
        return;
    std::vector<std::uint32_t> pairs;
    pairs.reserve(2 * spans.size());
    std::uint32_t begin = 0;
    for (std::uint32_t end : spans) {
        pairs.push_back(begin);
        pairs.push_back(end);
        begin = end;
    }
    spans = std::move(pairs);
    scattered = true;
}

void CImportTable::Fields::Pack()
{
    std::string packed;
    packed.reserve(bytes.size() - unused);
    std::vector<std::uint32_t> ends;
    ends.reserve(Count());
    for (std::size_t c = 0; c < Count(); ++c) {
        packed.append(At(c));
        ends.push_back(static_cast<std::uint32_t>(packed.size()));
    }
    bytes = std::move(packed);
    spans = std::move(ends);
    unused = 0;
    scattered = false;
}

void CImportTable::Fields::Set(std::size_t c, std::string_view text)
{
    const auto size = static_cast<std::uint32_t>(bytes.size());
    if (c >= Count()) {
        // The skipped fields are empty; the common case, a field after the
        // last, is an append.
        if (scattered) {
            spans.resize(2 * c, size);
            spans.push_back(size);
        } else {
            spans.resize(c, size);
        }
        bytes.append(text);
        spans.push_back(static_cast<std::uint32_t>(bytes.size()));
        return;
    }
    const std::string_view old = At(c);
    const auto begin = static_cast<std::size_t>(old.data() - bytes.data());
    if (text.size() == old.size()) {
        bytes.replace(begin, text.size(), text);
        return;
    }
    if (!scattered && c + 1 == Count()) {
        // The last field: nothing follows it.
        bytes.replace(begin, old.size(), text);
        spans.back() = static_cast<std::uint32_t>(bytes.size());
        return;
    }
    Scatter();
    unused += static_cast<std::uint32_t>(old.size());
    if (text.size() < old.size()) {
        bytes.replace(begin, text.size(), text);
        spans[2 * c + 1] = static_cast<std::uint32_t>(begin + text.size());
        unused -= static_cast<std::uint32_t>(text.size());
    } else {
        spans[2 * c] = size;
        bytes.append(text);
        spans[2 * c + 1] = static_cast<std::uint32_t>(bytes.size());
    }
    // Packing costs the record's bytes and its fields: it waits until the
    // bytes left behind pay for it.
    if (unused > bytes.size() - unused && unused > 8 * Count())
        Pack();
}

void CImportTable::Fields::Assign(std::span<const std::string_view> fields)
{
    std::size_t size = 0;
    for (std::string_view field : fields)
        size += field.size();
    bytes.clear();
    spans.clear();
    bytes.reserve(size);
    spans.reserve(fields.size());
    for (std::string_view field : fields) {
        bytes.append(field);
        spans.push_back(static_cast<std::uint32_t>(bytes.size()));
    }
    unused = 0;
    scattered = false;
}

// ---- the records ----

std::uint32_t& CImportTable::Entries::Row(std::size_t r)
{
    // The index grows by its own doubling: growing by fixed steps copied
    // the whole table at every step.
    if (r >= m_rows.size())
        m_rows.resize(r + 1, kAbsent);
    return m_rows[r];
}

CImportTable::Fields& CImportTable::Entries::NewBlock(std::size_t r)
{
    m_fields.emplace_back();
    Row(r) = static_cast<std::uint32_t>(m_fields.size());
    return m_fields.back();
}

const CImportTable::Fields* CImportTable::Entries::Block(std::size_t r) const
{
    if (r >= m_rows.size() || m_rows[r] == kAbsent || (m_rows[r] & kEmptyFields))
        return nullptr;
    return &m_fields[m_rows[r] - 1];
}

CImportTable::Fields* CImportTable::Entries::Block(std::size_t r)
{
    return const_cast<Fields*>(std::as_const(*this).Block(r));
}

std::size_t CImportTable::Entries::Count(std::size_t r) const
{
    if (const Fields* fields = Block(r))
        return fields->Count();
    return Present(r) ? m_rows[r] & ~kEmptyFields : 0;
}

std::string_view CImportTable::Entries::At(std::size_t r, std::size_t c) const
{
    const Fields* fields = Block(r);
    return fields && c < fields->Count() ? fields->At(c) : std::string_view {};
}

void CImportTable::Entries::Set(std::size_t r, std::size_t c, std::string_view text)
{
    if (Fields* fields = Block(r)) {
        fields->Set(c, text);
        return;
    }
    const std::size_t count = Count(r);
    if (text.empty() && c < kEmptyFields - 1) {
        Row(r) = kEmptyFields | static_cast<std::uint32_t>(std::max(count, c + 1));
        return;
    }
    Fields& fields = NewBlock(r);
    fields.spans.assign(count, 0);
    fields.Set(c, text);
}

void CImportTable::Entries::Put(std::size_t r, std::span<const std::string_view> fields)
{
    if (Fields* block = Block(r)) {
        block->Assign(fields);
        return;
    }
    const bool empty = std::all_of(fields.begin(), fields.end(), [](std::string_view f) { return f.empty(); });
    if (empty && fields.size() < kEmptyFields)
        Row(r) = kEmptyFields | static_cast<std::uint32_t>(fields.size());
    else
        NewBlock(r).Assign(fields);
}

void CImportTable::Entries::Adopt(std::size_t r, Fields&& fields)
{
    if (Fields* block = Block(r))
        *block = std::move(fields);
    else
        NewBlock(r) = std::move(fields);
}

template <typename Keep>
void CImportTable::Entries::Compact(Keep keep)
{
    std::size_t kept = 0;
    for (std::size_t r = 0; r < m_rows.size(); ++r)
        if (keep(r))
            m_rows[kept++] = m_rows[r];
    m_rows.resize(kept);
}

void CImportTable::Entries::Clear()
{
    m_rows.clear();
    m_fields.clear();
}

std::size_t CImportTable::Entries::Footprint() const
{
    // A string holds up to 15 bytes within itself.
    std::size_t size = m_rows.capacity() * sizeof(std::uint32_t) + m_fields.capacity() * sizeof(Fields);
    for (const Fields& fields : m_fields)
        size += (fields.bytes.capacity() > 15 ? fields.bytes.capacity() + 1 : 0)
            + fields.spans.capacity() * sizeof(std::uint32_t);
    return size;
}

// ---- the table ----

const std::vector<std::string>* CImportTable::Expand(const Entries& entries, std::size_t record,
                                                     std::vector<std::string>& into)
{
    if (!entries.Present(record))
        return nullptr;
    const std::size_t count = entries.Count(record);
    into.resize(count);
    for (std::size_t c = 0; c < count; ++c)
        into[c] = entries.At(record, c);
    return &into;
}

void CImportTable::SetField(std::string_view text, int record, int column)
{
    if (record >= 0 && column >= 0)
        m_records.Set(static_cast<std::size_t>(record), static_cast<std::size_t>(column), text);
}

void CImportTable::SetRawField(std::string_view bytes, int record, int column)
{
    if (record >= 0 && column >= 0)
        m_raw.Set(static_cast<std::size_t>(record), static_cast<std::size_t>(column), bytes);
}

void CImportTable::SetRecord(std::span<const std::string_view> fields, int record)
{
    if (record >= 0)
        m_records.Put(static_cast<std::size_t>(record), fields);
}

void CImportTable::ConvertUtf8Fields(std::string (*convert)(std::string_view))
{
    m_utf8 = true;
    std::vector<std::string> converted;
    std::vector<std::string_view> views;
    for (std::size_t r = 0; r < m_records.Size(); ++r) {
        Fields* entry = m_records.Block(r);
        if (!entry)
            continue;  // absent, or empty fields only
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
        m_raw.Adopt(r, std::move(*entry));
        views.assign(converted.begin(), converted.end());
        m_records.Put(r, views);
    }
}

bool CImportTable::HasRecord(int record) const
{
    return record >= 0 && m_records.Present(static_cast<std::size_t>(record));
}

const std::vector<std::string>* CImportTable::Record(int record) const
{
    return record < 0 ? nullptr : Expand(m_records, static_cast<std::size_t>(record), m_recordView);
}

const std::vector<std::string>* CImportTable::RawRecord(int record) const
{
    if (m_utf8 && record >= 0 && m_raw.Present(static_cast<std::size_t>(record)))
        return Expand(m_raw, static_cast<std::size_t>(record), m_rawView);
    return Record(record);
}

std::string_view CImportTable::FieldView(int record, int column) const
{
    if (record < 0 || column < 0)
        return {};
    return m_records.At(static_cast<std::size_t>(record), static_cast<std::size_t>(column));
}

std::string CImportTable::FieldText(int record, int column) const
{
    return std::string(FieldView(record, column));
}

int CImportTable::RecordLength(int record) const
{
    return record < 0 ? 0 : static_cast<int>(m_records.Count(static_cast<std::size_t>(record)));
}

void CImportTable::DropEmptyRecords()
{
    // The raw fields go with their records.
    if (m_utf8 && m_raw.Size() > 0)
        m_raw.Resize(m_records.Size());
    else
        m_raw.Clear();
    const auto keep = [this](std::size_t r) { return m_records.Count(r) > 0; };
    if (m_raw.Size() > 0) {
        // Decided before the records move.
        std::vector<bool> kept(m_records.Size());
        for (std::size_t r = 0; r < kept.size(); ++r)
            kept[r] = keep(r);
        m_raw.Compact([&kept](std::size_t r) { return kept[r]; });
        m_records.Compact([&kept](std::size_t r) { return kept[r]; });
    } else {
        m_records.Compact(keep);
    }
}

int CImportTable::WidestRecord() const
{
    std::size_t widest = 0;
    for (std::size_t r = 0; r < m_records.Size(); ++r)
        widest = std::max(widest, m_records.Count(r));
    return static_cast<int>(widest);
}

void CImportTable::RemoveAll()
{
    m_records.Clear();
    m_raw.Clear();
    m_utf8 = false;
    m_layout = {};
    m_recordView.clear();
    m_rawView.clear();
}

std::size_t CImportTable::Footprint() const
{
    return sizeof *this + m_records.Footprint() + m_raw.Footprint();
}

}  // namespace velkaro
