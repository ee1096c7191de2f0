#pragma once

// Rows of text fields, as the import readers deliver them and the field
// assignment, the import run and the writers consume them. Fields are the
// file's bytes, unconverted.
//
// The records' bytes lie in one block, one record after the other, and
// where each field ends in one array of 32-bit offsets beside it: a record
// costs its text, four bytes a field and twenty bytes of index, and no
// allocation of its own, so that a text file of a million lines reads into
// a table about its size in a few large blocks. A record of empty fields
// only (an empty line, a line of separators) is held as the number of its
// fields alone, in the four bytes every record takes in the table's index,
// so that a file of nothing but line ends or separators takes a few times
// its size, not a hundred.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velkaro {

// What a reader knows of its table beyond the fields.
struct TableLayout {
    // The record that holds the columns' titles, -1 for none: it and the
    // records above it (a title, a date) are never cards, whatever the
    // choice of skipping the first record says.
    int headingRecord = -1;
    // A table of contacts (vCards, the contact exports of address books):
    // every column holds something of the contact, so a column whose title
    // names no line goes to the next free line rather than to none.
    bool assignEveryColumn = false;
    // The line (0..31) each column belongs to where the file itself says so,
    // -1 where it does not; shorter than the table where the rest is -1.
    std::vector<int> columnLines;
    // The titles of the file's columns that hold values a reader did not
    // take into the table (a contact export's web page, its groups), so that
    // the import can say what it left out.
    std::vector<std::string> columnsLeftOut;
};

class CImportTable {
public:
    void SetField(std::string_view text, int record, int column);
    // Puts the fields as record r, replacing what was there: what a reader
    // that has parsed a whole record hands over.
    void SetRecord(std::span<const std::string_view> fields, int record);
    std::string FieldText(int record, int column) const;
    // The same without a copy, valid until the table is next changed.
    std::string_view FieldView(int record, int column) const;
    // Every field of record r so, into `into` (emptied first): what a
    // writer of the whole table reads a record by.
    void RecordViews(int record, std::vector<std::string_view>& into) const;
    int RecordLength(int record) const;
    void DropEmptyRecords();
    // Only the columns `keep` marks keep their values; a record ends after
    // the last of them. An import that has its columns assigned needs no
    // more of the file, so that a table of a million records shrinks to
    // the few columns that go into cards before the cards are made. The
    // records stay where they are, their bytes move together in place.
    void KeepColumns(const std::vector<bool>& keep);
    int WidestRecord() const;
    int RecordCount() const { return static_cast<int>(m_records.Size()); }
    void RemoveAll();
    const TableLayout& Layout() const { return m_layout; }
    void SetLayout(TableLayout layout) { m_layout = std::move(layout); }
    bool HasRecord(int record) const;
    // The fields of record r; nullptr when it is absent. The vector is
    // made for the call and stays valid until the next call of Record.
    const std::vector<std::string>* Record(int record) const;

    // A text file in UTF-8 has its fields converted to Windows-1252 as it is
    // read; the file's own bytes of each field are kept beside them, since
    // the DOS character set, when the user chooses it, applies to those.
    bool TextIsUtf8() const { return m_utf8; }
    void SetTextIsUtf8(bool utf8) { m_utf8 = utf8; }
    void SetRawField(std::string_view bytes, int record, int column);
    // The file's bytes of record r: the record itself where no field of it
    // was changed by the conversion. Made like Record's, valid until the
    // next call of RawRecord (or of Record, when it is the record itself).
    const std::vector<std::string>* RawRecord(int record) const;
    // Puts record r of a UTF-8 text, its fields one after another in
    // `bytes`, each one's end in `ends` (the last at bytes' end), converted to Windows-1252 with
    // `convert`, which appends a field's conversion to its string, and marks
    // the table TextIsUtf8. A record of plain ASCII is the same in both and
    // is stored as it is; a record that the conversion changes keeps its own
    // bytes beside it (unless SetKeepsRawFields(false)), any other is held
    // once.
    void SetUtf8Record(std::string_view bytes, std::span<const std::uint32_t> ends, int record,
                       void (*convert)(std::string&, std::string_view));

    // Drops the file's own bytes kept beside converted fields: an import
    // that does not use the DOS character set has no need of them.
    void DropRawFields() { m_raw.Clear(); }
    // Whether a UTF-8 text keeps its own bytes beside the converted fields
    // (the default); a reader of the text only, as `velkaro table` is,
    // holds the converted records alone.
    void SetKeepsRawFields(bool keep) { m_keepRaw = keep; }
    // Room for a text of about `bytes` bytes in `records` records of
    // `fields` fields in all, made before a reader fills the table so that
    // its blocks are not copied as they grow. A table marked TextIsUtf8
    // that keeps its file's bytes claims as much again for those.
    void Reserve(std::size_t bytes, std::size_t fields, std::size_t records);

    // The bytes the table holds, its allocations counted by their capacity:
    // what a reader's bound on memory is checked against.
    std::size_t Footprint() const;

private:
    // The records by number, their bytes in one block. A record that is
    // stored whole (a line of a text) lies "packed": its fields one after
    // another from its start, each field's end in the array of ends. A
    // field set again where others follow it makes its record "scattered":
    // it holds where each field begins as well, a text of the old length or
    // shorter takes the old place and a longer one goes to the end of the
    // block, so that setting a field costs the length of its text whatever
    // follows it. The bytes no field uses any more are dropped once they
    // outnumber those in use.
    class Store {
    public:
        std::size_t Size() const { return m_rows.size(); }
        bool Present(std::size_t r) const { return r < m_rows.size() && m_rows[r] != kAbsent; }
        std::size_t Count(std::size_t r) const;
        std::string_view At(std::size_t r, std::size_t c) const;
        // What PutLatin1 made of a record.
        enum class Latin1 { Ascii, Converted, Other };
        // Puts record r, its fields in `bytes` cut at `ends`, in
        // Windows-1252 when they hold ASCII and Latin-1's letters only
        // (U+00A0 to U+00FF, two bytes each in UTF-8): such characters are
        // the same bytes in Windows-1252, so the record is converted as it
        // is copied. Other, and nothing stored, when a field holds any other
        // character or a pair cut by its end.
        Latin1 PutLatin1(std::size_t r, std::string_view bytes, std::span<const std::uint32_t> ends);
        void Set(std::size_t r, std::size_t c, std::string_view text);
        void Put(std::size_t r, std::span<const std::string_view> fields);
        // Record r becomes the fields `bytes` holds, cut at `ends`: in its
        // own place when it is packed and they fit there.
        void Replace(std::size_t r, std::string_view bytes, std::span<const std::uint32_t> ends);
        // Record r holds `count` empty fields.
        void PutEmpty(std::size_t r, std::size_t count);
        void Resize(std::size_t n) { m_rows.resize(n, kAbsent); }
        // Keeps the records for which keep(r) is true, in their order.
        template <typename Keep> void Compact(Keep keep);
        void KeepColumns(const std::vector<bool>& keep);
        void Reserve(std::size_t bytes, std::size_t fields, std::size_t records);
        void Clear();
        std::size_t Footprint() const;

    private:
        // Where a stored record's bytes begin, where its ends begin, and the
        // number of its fields with the scattered mark.
        struct Block {
            std::uint64_t at = 0;
            std::uint32_t ends = 0;
            std::uint32_t count = 0;
        };
        static constexpr std::uint32_t kAbsent = 0;
        static constexpr std::uint32_t kEmptyFields = 0x80000000u;  // | their number
        static constexpr std::uint32_t kScattered = 0x40000000u;
        static constexpr std::uint32_t kCountMask = 0x3FFFFFFFu;

        std::uint32_t& Row(std::size_t r);
        const Block* Stored(std::size_t r) const;
        std::size_t FieldsOf(const Block& block) const { return block.count & kCountMask; }
        bool AtTail(const Block& block) const;
        std::pair<std::uint32_t, std::uint32_t> Span(const Block& block, std::size_t c) const;
        Block& NewBlock(std::size_t r);
        void AppendPacked(Block& block, std::string_view bytes, std::span<const std::uint32_t> ends);
        void SetScattered(Block& block, std::size_t c, std::string_view text);
        void Scatter(Block& block);
        // Counts bytes and ends no field uses any more; the whole block's
        // when a record is stored anew.
        void Forget(std::size_t bytes, std::size_t ends);
        void Forget(Block& block);
        void RepackWhenWasteful();
        void Repack();
        // Every record packed, each after the one before in the blocks and
        // in the ends: what lets KeepColumns move bytes in place.
        bool InOrder() const;

        std::vector<std::uint32_t> m_rows;  // kAbsent, kEmptyFields | count, or 1 + index into m_blocks
        std::vector<Block> m_blocks;
        std::string m_bytes;
        std::vector<std::uint32_t> m_ends;  // a packed record's ends, a scattered one's begin and end pairs
        std::size_t m_unusedBytes = 0;
        std::size_t m_unusedEnds = 0;
    };
    static const std::vector<std::string>* Expand(const Store& store, std::size_t record,
                                                  std::vector<std::string>& into);

    // An absent entry is one no record was ever stored at.
    Store m_records;
    // The file's bytes of converted records, by record; shorter than
    // m_records or absent where a record's bytes are the record itself.
    Store m_raw;
    bool m_utf8 = false;
    bool m_keepRaw = true;
    TableLayout m_layout;
    // A UTF-8 record's conversion, made here before it is stored.
    std::string m_converted;
    std::vector<std::uint32_t> m_convertedEnds;
    mutable std::vector<std::string> m_recordView;
    mutable std::vector<std::string> m_rawView;
};

}  // namespace velkaro
