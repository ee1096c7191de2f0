#pragma once

// Rows of text fields, as the import readers deliver them and the field
// assignment, the import run and the writers consume them. Fields are the
// file's bytes, unconverted.
//
// A record is held as its fields' bytes one after another with the end of
// each, not as one string object a field: an import file of short fields
// then takes about twice its size in memory rather than four times. A record
// of empty fields only (an empty line, a line of separators) is held as the
// number of its fields alone, in the four bytes every record takes in the
// table's index, so that a file of nothing but line ends or separators takes
// a few times its size, not a hundred.

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
    int RecordLength(int record) const;
    void DropEmptyRecords();
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
    // Converts every field read from a UTF-8 text to Windows-1252 with
    // `convert` and marks the table TextIsUtf8. A record of plain ASCII is
    // the same in both and is not converted; a record that the conversion
    // changes keeps its own bytes beside it, any other is held once.
    void ConvertUtf8Fields(std::string (*convert)(std::string_view));

    // The bytes the table holds, its allocations counted by their capacity:
    // what a reader's bound on memory is checked against.
    std::size_t Footprint() const;

private:
    // One record: the fields' bytes one after another, and where each ends.
    // A field set again where others follow it does not move them: a text
    // of its old length or shorter takes its old place, a longer one goes
    // to the end of the bytes, and the record is then "scattered", holding
    // where each field begins as well. The bytes no field uses any more are
    // dropped once they outnumber those in use, so that setting a field
    // costs the length of its text, whatever follows it.
    struct Fields {
        std::string bytes;
        std::vector<std::uint32_t> spans;  // each field's end; begin and end once scattered
        std::uint32_t unused = 0;          // bytes of bytes that no field uses
        bool scattered = false;

        std::size_t Count() const { return scattered ? spans.size() / 2 : spans.size(); }
        std::string_view At(std::size_t c) const;
        void Set(std::size_t c, std::string_view text);
        void Assign(std::span<const std::string_view> fields);
        void Scatter();
        void Pack();
    };

    // The records by number. Each takes one 32-bit entry: none, the number
    // of its fields when all of them are empty, or where its Fields are.
    class Entries {
    public:
        std::size_t Size() const { return m_rows.size(); }
        bool Present(std::size_t r) const { return r < m_rows.size() && m_rows[r] != kAbsent; }
        std::size_t Count(std::size_t r) const;
        std::string_view At(std::size_t r, std::size_t c) const;
        // The Fields of record r; nullptr when it is absent or holds empty fields only.
        const Fields* Block(std::size_t r) const;
        Fields* Block(std::size_t r);
        void Set(std::size_t r, std::size_t c, std::string_view text);
        void Put(std::size_t r, std::span<const std::string_view> fields);
        // Record r becomes `fields`, which are not empty.
        void Adopt(std::size_t r, Fields&& fields);
        void Resize(std::size_t n) { m_rows.resize(n, kAbsent); }
        // Keeps the records for which keep(r) is true, in their order.
        template <typename Keep> void Compact(Keep keep);
        void Clear();
        std::size_t Footprint() const;

    private:
        static constexpr std::uint32_t kAbsent = 0;
        static constexpr std::uint32_t kEmptyFields = 0x80000000u;  // | their number
        std::uint32_t& Row(std::size_t r);
        Fields& NewBlock(std::size_t r);

        std::vector<std::uint32_t> m_rows;  // kAbsent, kEmptyFields | count, or 1 + index into m_fields
        std::vector<Fields> m_fields;
    };
    static const std::vector<std::string>* Expand(const Entries& entries, std::size_t record,
                                                  std::vector<std::string>& into);

    // An absent entry is one no record was ever stored at.
    Entries m_records;
    // The file's bytes of converted records, by record; shorter than
    // m_records or absent where a record's bytes are the record itself.
    Entries m_raw;
    bool m_utf8 = false;
    TableLayout m_layout;
    mutable std::vector<std::string> m_recordView;
    mutable std::vector<std::string> m_rawView;
};

}  // namespace velkaro
