#pragma once

// Rows of text fields, as the import readers deliver them and the field
// assignment, the import run and the writers consume them. Fields are the
// file's bytes, unconverted.
//
// A record is held as its fields' bytes one after another with the end of
// each, not as one string object a field: an import file of short fields
// then takes about twice its size in memory rather than four times.

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
    int RecordCount() const { return static_cast<int>(m_records.size()); }
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

private:
    // One record: the fields' bytes one after another, and where each ends.
    struct Fields {
        std::string bytes;
        std::vector<std::uint32_t> ends;

        std::size_t Count() const { return ends.size(); }
        std::string_view At(std::size_t c) const;
        void Set(std::size_t c, std::string_view text);
    };
    using Entries = std::vector<std::optional<Fields>>;
    static void Store(Entries& entries, std::string_view text, int record, int column);
    static const Fields* Find(const Entries& entries, int record);
    static const std::vector<std::string>* Expand(const Fields* fields, std::vector<std::string>& into);

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
