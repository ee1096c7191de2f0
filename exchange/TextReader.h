#pragma once

// Reading a separated text file (tab, semicolon, comma or vertical bar) into
// a CImportTable. A record is a line, or several where a field in double
// quotes holds line ends (RFC 4180). The bytes of the file go into the fields
// unchanged but for such quoting; the character set is decided later, when
// cards are filled.

#include "exchange/ImportTable.h"
#include "text/Outcome.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace velkaro {

class IMessageUi;

// Longest piece of a line that becomes one record: a longer physical line
// arrives as several records.
constexpr std::size_t kTextPieceMax = 9998;
// How much of the file the separator detection looks at.
constexpr std::size_t kSeparatorSampleMax = 10000;

// The separator with the most occurrences among tab, semicolon, comma and
// vertical bar (that order wins ties); 0 when none occurs.
char DetectSeparator(std::string_view sample);

// Parses one piece of a line as record `record` of the table, as the last
// piece of a text (a double quote still open at its end is read as
// written). With utf8 the
// fields are converted to Windows-1252 (Utf8FieldToAnsi) as a UTF-8 file's
// are (CImportTable::SetUtf8Record).
void ParseTextPiece(std::string_view piece, char sep, int record, CImportTable& table, bool utf8 = false);

// True when the bytes are valid UTF-8 and hold at least one multi-byte
// sequence: a modern export rather than a Windows or DOS file.
bool LooksLikeUtf8(std::string_view bytes);

// A UTF-8 field in Windows-1252. A character Windows-1252 lacks becomes what
// the telephone's character set makes of its base letter (the o of o with
// double acute), or its transliteration (letters of other scripts in Latin,
// TransliterateToAnsi); a malformed sequence becomes a blank.
std::string Utf8FieldToAnsi(std::string_view utf8);
// The same appended to `out`, whatever it holds before.
void AppendUtf8FieldAsAnsi(std::string& out, std::string_view utf8);

// UTF-16 code units (without their byte-order mark) in UTF-8. A surrogate
// without its other half becomes U+FFFD, so that one bad unit does not cost
// the file; an odd last byte is no character and is dropped.
std::string Utf16ToUtf8(std::string_view units, bool bigEndian);

// Reads the file into the table. A file that begins with
// the UTF-8 byte-order mark, or that LooksLikeUtf8, is converted (the
// table's TextIsUtf8). A file that begins with a UTF-16 byte-order mark
// (FF FE or FE FF) is read as its text in UTF-8 and converted the same way;
// its raw fields, those the DOS character set applies to, are that UTF-8.
// Success when the file was read (the table may still be empty); else an
// empty file or the system's refusal. ui shows the progress.
Outcome ReadTextFile(const std::string& fileName, CImportTable& table, IMessageUi& ui);

// The same over the file's bytes in memory, without progress; an empty input
// is refused as an empty file.
Outcome ReadTextBytes(std::string_view bytes, CImportTable& table);

}  // namespace velkaro
