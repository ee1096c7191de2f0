#pragma once

// Rows of text fields, as the import readers deliver them and the field
// assignment, the import run and the writers consume them. Fields are the
// file's bytes, unconverted.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkaro {

class CImportTable {
public:
    void SetField(const std::string& text, int record, int column);
    // Puts the fields as record r, replacing what was there: what a reader
    // that has parsed a whole record hands over, without copying its fields.
    void SetRecord(std::vector<std::string> fields, int record);
    const std::string& FieldText(int record, int column) const;
    int RecordLength(int record) const;
    void DropEmptyRecords();
    int WidestRecord() const;
    int RecordCount() const { return static_cast<int>(m_records.size()); }
    void RemoveAll();
    bool HasRecord(int record) const;
    const std::vector<std::string>* Record(int record) const;

    // A text file in UTF-8 has its fields converted to Windows-1252 as it is
    // read; the file's own bytes of each field are kept beside them, since
    // the DOS character set, when the user chooses it, applies to those.
    bool TextIsUtf8() const { return m_utf8; }
    void SetTextIsUtf8(bool utf8) { m_utf8 = utf8; }
    void SetRawField(const std::string& bytes, int record, int column);
    // The file's bytes of record r: the record itself where no field of it
    // was changed by the conversion.
    const std::vector<std::string>* RawRecord(int record) const;
    // Converts every field read from a UTF-8 text with `convert` and marks
    // the table TextIsUtf8. A record that the conversion changes keeps its
    // own bytes beside it; one that it leaves alone (plain ASCII) is held once.
    void ConvertUtf8Fields(std::string (*convert)(std::string_view));

private:
    using Entries = std::vector<std::optional<std::vector<std::string>>>;
    static void Store(Entries& entries, const std::string& text, int record, int column);

    // An absent entry is one no record was ever stored at.
    Entries m_records;
    // The file's bytes of converted records, by record; shorter than
    // m_records or absent where a record's bytes are the record itself.
    Entries m_raw;
    bool m_utf8 = false;
};

}  // namespace velkaro
