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
    void RemoveAll() { m_records.clear(); }
    bool HasRecord(int record) const;
    const std::vector<std::string>* Record(int record) const;

private:
    // An absent entry is one no record was ever stored at.
    std::vector<std::optional<std::vector<std::string>>> m_records;
};

}  // namespace velkaro
