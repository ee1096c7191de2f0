#pragma once

// Writes a table of text cells as a one-sheet spreadsheet file in the old
// BIFF record format (BOF version word 7, worksheet), which spreadsheet
// programs open as an "xls" file. Every cell is a text label; row 0 may be
// bold, and column widths may be given.

#include "text/Outcome.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velkaro {

class CImportTable;

class CSpreadsheetWriter {
public:
    // The file's bytes. widths: characters per column from column 0, 0 = no
    // entry; nullptr for none.
    static std::string Build(const CImportTable& table, bool headerFormat,
                             const std::vector<uint16_t>* widths = nullptr);

    // Creates (replaces) the file; on failure the system's words.
    static Outcome WriteFile(const std::string& path, const CImportTable& table, bool headerFormat,
                             const std::vector<uint16_t>* widths = nullptr);
};

// The form the call list is saved in: no bold header, no column widths.
Outcome WriteSpreadsheet(const std::string& path, const CImportTable& table);

}  // namespace velkaro
