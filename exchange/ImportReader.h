#pragma once

// Reading an import file into a CImportTable as the import command does:
// the file name's extension chooses the spreadsheet or the text reader; a
// vCard file (by its name or its first line) goes to the vCard reader.

#include "exchange/BiffReader.h"
#include "exchange/ImportTable.h"

#include <string>

namespace velkaro {

class IUserInterface;

// True when the text after the last dot of the name, lower-cased, is "xls"
// (at least one character must follow the dot).
bool IsSpreadsheetFileName(const std::string& fileName);

// Reads the file with the reader its name chooses. 1 when it was read (the
// table may hold no records), 0 when not; the reason has been shown through
// ui. The separators are those numbers and dates of a spreadsheet are shown
// with.
int ReadImportFile(const std::string& fileName, CImportTable& table, IUserInterface& ui,
                   const NumberSeparators& separators);

}  // namespace velkaro
