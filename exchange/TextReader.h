#pragma once

// Reading a separated text file (tab, semicolon, comma or vertical bar) into
// a CImportTable. The bytes of the file go into the fields unchanged; the
// character set is decided later, when cards are filled.

#include "exchange/ImportTable.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace velkaro {

class IUserInterface;

// Longest piece of a line that becomes one record: a longer physical line
// arrives as several records.
constexpr std::size_t kTextPieceMax = 9998;
// How much of the file the separator detection looks at.
constexpr std::size_t kSeparatorSampleMax = 10000;

// The separator with the most occurrences among tab, semicolon, comma and
// vertical bar (that order wins ties); 0 when none occurs.
char DetectSeparator(std::string_view sample);

// Parses one piece of a line as record `record` of the table.
void ParseTextPiece(std::string_view piece, char sep, int record, CImportTable& table);

// Reads the file into the table. 1 when the file was read (the table may
// still be empty), 0 when nothing was read: an empty file or a file error,
// already shown through ui.
int ReadTextFile(const std::string& fileName, CImportTable& table, IUserInterface& ui);

// The same over the file's bytes in memory (no progress, no messages except
// that an empty input returns 0).
int ReadTextBytes(std::string_view bytes, CImportTable& table);

}  // namespace velkaro
