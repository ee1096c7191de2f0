#include "ImportTable.h"

#include "text/Cp1252.h"

#include <algorithm>
#include <cstring>

namespace velkaro {

// ---- the records ----

std::uint32_t& CImportTable::Store::Row(std::size_t r)
{
    // The index grows by its own doubling: growing by fixed steps copied
    // the whole table at every step.
    if (r >= m_rows.size())
        m_rows.resize(r + 1, kAbsent);
    return m_rows[r];
}

const CImportTable::Store::Block* CImportTable::Store::Stored(std::size_t r) const
{
    if (r >= m_rows.size() || m_rows[r] == kAbsent || (m_rows[r] & kEmptyFields))
        return nullptr;
    return &m_blocks[m_rows[r] - 1];
}

std::size_t CImportTable::Store::Count(std::size_t r) const
{
    if (const Block* block = Stored(r))
        return FieldsOf(*block);
    return Present(r) ? m_rows[r] & ~kEmptyFields : 0;
}

std::pair<std::uint32_t, std::uint32_t> CImportTable::Store::Span(const Block& block, std::size_t c) const
{
    const std::uint32_t* ends = m_ends.data() + block.ends;
    if (block.count & kScattered)
        return { ends[2 * c], ends[2 * c + 1] };
    return { c == 0 ? 0 : ends[c - 1], ends[c] };
}

std::string_view CImportTable::Store::At(std::size_t r, std::size_t c) const
{
    const Block* block = Stored(r);
    if (!block || c >= FieldsOf(*block))
        return {};
    const auto [begin, end] = Span(*block, c);
    return std::string_view(m_bytes.data() + block->at + begin, end - begin);
}

namespace {

// The Windows-1252 byte of a UTF-8 pair for U+00A0..U+00FF, 0 for any other.
unsigned char Latin1Pair(unsigned char lead, unsigned char next)
{
    if (lead == 0xC2 && next >= 0xA0 && next <= 0xBF)
        return next;
    if (lead == 0xC3 && next >= 0x80 && next <= 0xBF)
        return static_cast<unsigned char>(next + 0x40);
    return 0;
}

}  // namespace

CImportTable::Store::Latin1 CImportTable::Store::PutLatin1(std::size_t r, std::string_view bytes,
                                                           std::span<const std::uint32_t> ends)
{
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    // Each pair within its field: one cut by a field's end is no character.
    bool pairs = false;
    for (std::size_t i = SkipAscii(in, 0, n), c = 0; i < n; i = SkipAscii(in, i + 2, n)) {
        while (c < ends.size() && ends[c] <= i)
            ++c;
        if (c == ends.size() || i + 1 >= ends[c] || !Latin1Pair(in[i], in[i + 1]))
            return Latin1::Other;
        pairs = true;
    }
    if (ends.size() >= kCountMask)
        return Latin1::Ascii;  // no record has a thousand million fields
    if (n == 0) {
        PutEmpty(r, ends.size());
        return Latin1::Ascii;
    }
    if (!pairs) {
        Replace(r, bytes, ends);
        return Latin1::Ascii;
    }
    Block& block = Stored(r) ? m_blocks[m_rows[r] - 1] : NewBlock(r);
    Forget(block);
    block = { m_bytes.size(), static_cast<std::uint32_t>(m_ends.size()), static_cast<std::uint32_t>(ends.size()) };
    // Copied whole, then from each pair on written again, the pair as its
    // one byte and the ASCII after it moved up; a field's end moves up by
    // the pairs before it. The bytes are looked at where they come from,
    // not where they were just written.
    m_bytes.append(bytes);
    auto* out = reinterpret_cast<unsigned char*>(m_bytes.data() + block.at);
    std::size_t to = SkipAscii(in, 0, n);
    std::size_t c = 0;
    for (std::size_t i = to; i < n;) {
        for (; ends[c] <= i; ++c)
            m_ends.push_back(static_cast<std::uint32_t>(ends[c] - (i - to)));
        out[to++] = Latin1Pair(in[i], in[i + 1]);
        const std::size_t next = SkipAscii(in, i + 2, n);
        std::memcpy(out + to, in + i + 2, next - i - 2);
        to += next - i - 2;
        i = next;
    }
    for (; c < ends.size(); ++c)
        m_ends.push_back(static_cast<std::uint32_t>(ends[c] - (n - to)));
    m_bytes.resize(block.at + to);
    RepackWhenWasteful();
    return Latin1::Converted;
}

bool CImportTable::Store::AtTail(const Block& block) const
{
    const std::size_t fields = FieldsOf(block);
    return !(block.count & kScattered) && block.ends + fields == m_ends.size()
        && block.at + m_ends[block.ends + fields - 1] == m_bytes.size();
}

CImportTable::Store::Block& CImportTable::Store::NewBlock(std::size_t r)
{
    m_blocks.emplace_back();
    Row(r) = static_cast<std::uint32_t>(m_blocks.size());
    return m_blocks.back();
}

void CImportTable::Store::Forget(std::size_t bytes, std::size_t ends)
{
    m_unusedBytes += bytes;
    m_unusedEnds += ends;
}

void CImportTable::Store::Forget(Block& block)
{
    const std::size_t fields = FieldsOf(block);
    const bool scattered = block.count & kScattered;
    std::size_t bytes = 0;
    for (std::size_t c = scattered ? 0 : fields - std::min<std::size_t>(fields, 1); c < fields; ++c)
        bytes += scattered ? Span(block, c).second - Span(block, c).first : Span(block, c).second;
    Forget(bytes, scattered ? 2 * fields : fields);
    block.count = 0;
}

void CImportTable::Store::RepackWhenWasteful()
{
    // Packing costs the table: it waits until what is left behind pays for it.
    constexpr std::size_t kSlack = 64 * 1024;
    if ((m_unusedBytes > kSlack && m_unusedBytes > m_bytes.size() - m_unusedBytes)
        || (m_unusedEnds > kSlack && m_unusedEnds > m_ends.size() - m_unusedEnds))
        Repack();
}

void CImportTable::Store::AppendPacked(Block& block, std::string_view bytes, std::span<const std::uint32_t> ends)
{
    block.at = m_bytes.size();
    block.ends = static_cast<std::uint32_t>(m_ends.size());
    block.count = static_cast<std::uint32_t>(ends.size());
    m_bytes.append(bytes);
    m_ends.insert(m_ends.end(), ends.begin(), ends.end());
}

void CImportTable::Store::Repack()
{
    std::string bytes;
    bytes.reserve(m_bytes.size() - m_unusedBytes);
    std::vector<std::uint32_t> ends;
    ends.reserve(m_ends.size() - m_unusedEnds);
    for (Block& block : m_blocks) {
        const std::size_t at = bytes.size();
        const std::size_t first = ends.size();
        for (std::size_t c = 0; c < FieldsOf(block); ++c) {
            const auto [begin, end] = Span(block, c);
            bytes.append(m_bytes, block.at + begin, end - begin);
            ends.push_back(static_cast<std::uint32_t>(bytes.size() - at));
        }
        block = { at, static_cast<std::uint32_t>(first), block.count & kCountMask };
    }
    m_bytes = std::move(bytes);
    m_ends = std::move(ends);
    m_unusedBytes = m_unusedEnds = 0;
}

// A packed record becomes scattered: its begin and end pairs go to the end
// of the ends, where more fields can follow them.
void CImportTable::Store::Scatter(Block& block)
{
    const std::size_t fields = FieldsOf(block);
    const bool scattered = block.count & kScattered;
    if (scattered && block.ends + 2 * fields == m_ends.size())
        return;
    const std::size_t from = block.ends;
    m_ends.reserve(m_ends.size() + 2 * fields);
    std::uint32_t begin = 0;
    for (std::size_t c = 0; c < fields; ++c) {
        const std::uint32_t end = m_ends[from + (scattered ? 2 * c + 1 : c)];
        m_ends.push_back(scattered ? m_ends[from + 2 * c] : begin);
        m_ends.push_back(end);
        begin = end;
    }
    block.ends = static_cast<std::uint32_t>(m_ends.size() - 2 * fields);
    block.count = static_cast<std::uint32_t>(fields) | kScattered;
    Forget(0, scattered ? 2 * fields : fields);
}

void CImportTable::Store::SetScattered(Block& block, std::size_t c, std::string_view text)
{
    std::size_t fields = FieldsOf(block);
    if (c >= fields) {
        Scatter(block);  // its pairs at the end, so that new ones follow them
        const auto tail = static_cast<std::uint32_t>(m_bytes.size() - block.at);
        for (; fields <= c; ++fields) {
            m_ends.push_back(tail);
            m_ends.push_back(tail);
        }
        block.count = static_cast<std::uint32_t>(fields) | kScattered;
    } else if (!(block.count & kScattered)) {
        Scatter(block);
    }
    std::uint32_t* pair = m_ends.data() + block.ends + 2 * c;
    const std::size_t old = pair[1] - pair[0];
    if (text.size() <= old) {
        std::copy(text.begin(), text.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(block.at + pair[0]));
        pair[1] = pair[0] + static_cast<std::uint32_t>(text.size());
    } else {
        pair[0] = static_cast<std::uint32_t>(m_bytes.size() - block.at);
        m_bytes.append(text);
        pair[1] = static_cast<std::uint32_t>(m_bytes.size() - block.at);
    }
    Forget(text.size() <= old ? old - text.size() : old, 0);
}

void CImportTable::Store::Set(std::size_t r, std::size_t c, std::string_view text)
{
    if (c >= kCountMask)
        return;  // no record has a thousand million fields
    const Block* stored = Stored(r);
    if (!stored) {
        const std::size_t count = std::max(Count(r), c + 1);
        if (text.empty()) {
            Row(r) = kEmptyFields | static_cast<std::uint32_t>(count);
            return;
        }
        Block& block = NewBlock(r);
        block = { m_bytes.size(), static_cast<std::uint32_t>(m_ends.size()), static_cast<std::uint32_t>(count) };
        m_bytes.append(text);
        for (std::size_t k = 0; k < count; ++k)
            m_ends.push_back(k < c ? 0 : static_cast<std::uint32_t>(text.size()));
        return;
    }
    Block& block = m_blocks[m_rows[r] - 1];
    const std::size_t fields = FieldsOf(block);
    if (AtTail(block) && c + 1 >= fields) {
        // The last field or one after it, as a sheet's row fills: nothing
        // follows it.
        const std::uint32_t begin = c < fields ? Span(block, c).first : Span(block, fields - 1).second;
        m_bytes.resize(block.at + begin);
        m_bytes.append(text);
        const auto end = static_cast<std::uint32_t>(m_bytes.size() - block.at);
        m_ends.resize(block.ends + std::max(fields, c + 1), begin);
        m_ends[block.ends + c] = end;
        block.count = static_cast<std::uint32_t>(std::max(fields, c + 1));
        return;
    }
    SetScattered(block, c, text);
    RepackWhenWasteful();
}

void CImportTable::Store::Put(std::size_t r, std::span<const std::string_view> fields)
{
    const bool empty = std::all_of(fields.begin(), fields.end(), [](std::string_view f) { return f.empty(); });
    if (empty && fields.size() < kEmptyFields) {
        PutEmpty(r, fields.size());
        return;
    }
    if (fields.size() >= kCountMask)
        return;
    const Block* stored = Stored(r);
    Block& block = stored ? m_blocks[m_rows[r] - 1] : NewBlock(r);
    Forget(block);
    block = { m_bytes.size(), static_cast<std::uint32_t>(m_ends.size()), static_cast<std::uint32_t>(fields.size()) };
    for (std::string_view field : fields) {
        m_bytes.append(field);
        m_ends.push_back(static_cast<std::uint32_t>(m_bytes.size() - block.at));
    }
    RepackWhenWasteful();
}

void CImportTable::Store::PutEmpty(std::size_t r, std::size_t count)
{
    if (Stored(r))
        Forget(m_blocks[m_rows[r] - 1]);
    Row(r) = kEmptyFields | static_cast<std::uint32_t>(count);
    RepackWhenWasteful();
}

void CImportTable::Store::Replace(std::size_t r, std::string_view bytes, std::span<const std::uint32_t> ends)
{
    const Block* stored = Stored(r);
    if (stored && !(stored->count & kScattered) && FieldsOf(*stored) == ends.size()
        && bytes.size() <= m_ends[stored->ends + ends.size() - 1]) {
        const std::size_t old = m_ends[stored->ends + ends.size() - 1];
        std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(stored->at));
        std::copy(ends.begin(), ends.end(), m_ends.begin() + stored->ends);
        Forget(old - bytes.size(), 0);
        return;
    }
    Block& block = stored ? m_blocks[m_rows[r] - 1] : NewBlock(r);
    Forget(block);
    AppendPacked(block, bytes, ends);
    RepackWhenWasteful();
}

template <typename Keep>
void CImportTable::Store::Compact(Keep keep)
{
    std::size_t kept = 0;
    for (std::size_t r = 0; r < m_rows.size(); ++r)
        if (keep(r))
            m_rows[kept++] = m_rows[r];
    m_rows.resize(kept);
}

void CImportTable::Store::Reserve(std::size_t bytes, std::size_t fields, std::size_t records)
{
    m_bytes.reserve(bytes);
    m_ends.reserve(fields);
    m_rows.reserve(records);
    m_blocks.reserve(records);
}

bool CImportTable::Store::InOrder() const
{
    std::uint64_t bytes = 0;
    std::uint32_t ends = 0;
    for (const Block& block : m_blocks) {
        if ((block.count & kScattered) || block.at < bytes || block.ends < ends)
            return false;
        ends = block.ends + static_cast<std::uint32_t>(FieldsOf(block));
        bytes = block.at + (FieldsOf(block) > 0 ? m_ends[ends - 1] : 0);
    }
    return true;
}

void CImportTable::Store::KeepColumns(const std::vector<bool>& keep)
{
    if (!InOrder())
        Repack();
    // Writing never overtakes reading: what is kept of the records before a
    // block is no longer than they were, and they lay before it. A block's
    // spans are read before its ends are written over.
    std::size_t bytesTo = 0;
    std::size_t endsTo = 0;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> spans;
    for (Block& block : m_blocks) {
        std::size_t count = std::min(FieldsOf(block), keep.size());
        while (count > 0 && !keep[count - 1])
            --count;
        spans.clear();
        for (std::size_t c = 0; c < count; ++c)
            spans.push_back(Span(block, c));
        const std::size_t at = bytesTo;
        const std::size_t first = endsTo;
        for (std::size_t c = 0; c < count; ++c) {
            if (keep[c]) {
                const std::size_t length = spans[c].second - spans[c].first;
                std::memmove(m_bytes.data() + bytesTo, m_bytes.data() + block.at + spans[c].first, length);
                bytesTo += length;
            }
            m_ends[endsTo++] = static_cast<std::uint32_t>(bytesTo - at);
        }
        block = { at, static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(count) };
    }
    m_bytes.resize(bytesTo);
    m_bytes.shrink_to_fit();
    m_ends.resize(endsTo);
    m_ends.shrink_to_fit();
    m_unusedBytes = m_unusedEnds = 0;
}

void CImportTable::Store::Clear()
{
    // Swapped with empty ones, so that the blocks go back to the system:
    // assigning an empty string keeps the old one's room.
    std::vector<std::uint32_t>().swap(m_rows);
    std::vector<Block>().swap(m_blocks);
    std::string().swap(m_bytes);
    std::vector<std::uint32_t>().swap(m_ends);
    m_unusedBytes = m_unusedEnds = 0;
}

std::size_t CImportTable::Store::Footprint() const
{
    return m_rows.capacity() * sizeof(std::uint32_t) + m_blocks.capacity() * sizeof(Block) + m_bytes.capacity()
        + m_ends.capacity() * sizeof(std::uint32_t);
}

// ---- the table ----

const std::vector<std::string>* CImportTable::Expand(const Store& store, std::size_t record,
                                                     std::vector<std::string>& into)
{
    if (!store.Present(record))
        return nullptr;
    const std::size_t count = store.Count(record);
    into.resize(count);
    for (std::size_t c = 0; c < count; ++c)
        into[c] = store.At(record, c);
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

void CImportTable::SetUtf8Record(std::string_view bytes, std::span<const std::uint32_t> ends, int record,
                                 void (*convert)(std::string&, std::string_view))
{
    if (record < 0)
        return;
    m_utf8 = true;
    const auto r = static_cast<std::size_t>(record);
    // ASCII is the same in UTF-8 and Windows-1252, and so are Latin-1's
    // letters but for their encoding: most records of most files take no
    // more than a pass over their bytes as they are copied.
    const Store::Latin1 latin1 = m_records.PutLatin1(r, bytes, ends);
    if (latin1 == Store::Latin1::Ascii)
        return;
    bool changed = latin1 == Store::Latin1::Converted;
    if (!changed) {
        m_converted.clear();
        m_convertedEnds.clear();
        std::uint32_t begin = 0;
        for (std::uint32_t end : ends) {
            const std::string_view field = bytes.substr(begin, end - begin);
            const std::size_t from = m_converted.size();
            convert(m_converted, field);
            m_convertedEnds.push_back(static_cast<std::uint32_t>(m_converted.size()));
            changed = changed || std::string_view(m_converted).substr(from) != field;
            begin = end;
        }
        m_records.Replace(r, m_converted, m_convertedEnds);
    }
    if (changed && m_keepRaw)
        m_raw.Replace(r, bytes, ends);
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

void CImportTable::RecordViews(int record, std::vector<std::string_view>& into) const
{
    into.clear();
    const std::size_t count = RecordLength(record);
    for (std::size_t c = 0; c < count; ++c)
        into.push_back(m_records.At(static_cast<std::size_t>(record), c));
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

void CImportTable::KeepColumns(const std::vector<bool>& keep)
{
    m_records.KeepColumns(keep);
    if (m_raw.Size() > 0)
        m_raw.KeepColumns(keep);
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

void CImportTable::Reserve(std::size_t bytes, std::size_t fields, std::size_t records)
{
    m_records.Reserve(bytes, fields, records);
    // The room is only claimed: pages that no record's bytes reach are
    // never touched.
    if (m_utf8 && m_keepRaw)
        m_raw.Reserve(bytes, fields, records);
}

std::size_t CImportTable::Footprint() const
{
    return sizeof *this + m_records.Footprint() + m_raw.Footprint();
}

}  // namespace velkaro
