#pragma once

// Writing cards as vCard 3.0 (RFC 2426) in UTF-8, one card per record of an
// export table: FN and N from the name line, TEL from the telephone line,
// and the other lines by their label (row 0) when it names a property in
// German, English or French (the column titles the vCard reader gives, and
// a few common variants); any other non-empty line as a NOTE "Label: text".

#include <optional>
#include <string>

namespace velkaro {

class CImportTable;
class IMessageUi;

std::string BuildVCards(const CImportTable& table);

// Writes the file; false after a failure, shown through ui when given.
bool WriteVCardFile(const std::string& path, const CImportTable& table, IMessageUi* ui);

}  // namespace velkaro
