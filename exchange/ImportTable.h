#pragma once

// Rows of text fields, as the import readers deliver them and the field
// assignment, the import run and the writers consume them. Fields are the
// file's bytes, unconverted.

#include <optional>
#include <string>
#include <vector>

namespace velkaro {

class CImportTable {
public:
    void SetField(const std::string& text, int record, int column);
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
    // The file's bytes of record r: the record itself unless converted.
    const std::vector<std::string>* RawRecord(int record) const;

private:
    using Entries = std::vector<std::optional<std::vector<std::string>>>;
    static void Store(Entries& entries, const std::string& text, int record, int column);

    // An absent entry is one no record was ever stored at.
    Entries m_records;
    Entries m_raw;  // parallel to m_records, only for converted text
    bool m_utf8 = false;
};

}  // namespace velkaro
