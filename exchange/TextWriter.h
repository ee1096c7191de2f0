#pragma once

// Writes a table as delimited text: one line per record, CR LF after each,
// every record as wide as the widest one. Fields are written byte for byte;
// with quoting each stands between double quotes (quotes inside it are not
// escaped, as the import reader reads them back).

#include "text/Outcome.h"

#include <string>

namespace velkaro {

class CImportTable;

std::string BuildDelimitedText(const CImportTable& table, char separator, bool quote);

// On failure the system's words.
Outcome WriteDelimitedText(const std::string& path, const CImportTable& table, char separator, bool quote);

// Comma-separated text as RFC 4180 gives it, in UTF-8 with a byte-order
// mark: a field holding a comma, a double quote or a line break stands
// between double quotes, its quotes doubled; lines end in CR LF.
std::string BuildCsvUtf8(const CImportTable& table);
Outcome WriteCsvUtf8(const std::string& path, const CImportTable& table);

}  // namespace velkaro
