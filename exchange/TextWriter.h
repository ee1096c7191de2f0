#pragma once

// Writes a table as delimited text: one line per record, CR LF after each,
// every record as wide as the widest one. Fields are written byte for byte;
// with quoting each stands between double quotes (quotes inside it are not
// escaped, as the import reader reads them back).

#include <optional>
#include <string>

namespace velkaro {

class CImportTable;
class IMessageUi;

std::string BuildDelimitedText(const CImportTable& table, char separator, bool quote);

// The system's error text on failure.
std::optional<std::string> WriteDelimitedTextFile(const std::string& path, const CImportTable& table,
                                                  char separator, bool quote);
// The same, showing a failure in an OK box when ui is given; true when written.
bool WriteDelimitedText(const std::string& path, const CImportTable& table, char separator, bool quote,
                        IMessageUi* ui);

// Comma-separated text as RFC 4180 gives it, in UTF-8 with a byte-order
// mark: a field holding a comma, a double quote or a line break stands
// between double quotes, its quotes doubled; lines end in CR LF.
std::string BuildCsvUtf8(const CImportTable& table);
bool WriteCsvUtf8(const std::string& path, const CImportTable& table, IMessageUi* ui);

}  // namespace velkaro
