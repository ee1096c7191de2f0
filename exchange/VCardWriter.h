#pragma once

// Writing cards as vCard 3.0 (RFC 2426) in UTF-8, one card per record of an
// export table (row 0 the line labels, then 32 lines a card):
//
//   BEGIN:VCARD
//   VERSION:3.0
//   UID:<name-based UUID, version 5, of the name line>
//   FN;X-VELKARO-LINE=0:<name>           N:<name>;;;;
//   TEL;TYPE=VOICE,PREF;X-VELKARO-LINE=1:<telephone line>
//   TEL;TYPE=CELL|HOME|WORK|FAX, EMAIL;TYPE=INTERNET, ORG, TITLE
//                                        the lines whose label names them
//   ADR, BDAY, NOTE                      readable copies for other programs
//   X-VELKARO-TEXT;X-VELKARO-LINE=k:<line k>
//   END:VCARD
//
// The parameter X-VELKARO-LINE=k says that the property's value, read back
// (text unescaped as RFC 2426 says), is card line k exactly, blanks
// included. Every non-empty line 0..31 is carried by exactly one marked
// property: its own when the value is the line, else X-VELKARO-TEXT. So our
// import puts every line back where it was, whatever the labels.

#include "text/Outcome.h"

#include <optional>
#include <string>

namespace velkaro {

class CImportTable;

std::string BuildVCards(const CImportTable& table);

// The UID of a card: the name-based UUID (RFC 4122 version 5, SHA-1) of the
// name line in UTF-8, in the name space kVCardUidNamespace. Names are unique
// in a collection, so the UIDs are; the same card gets the same UID in every
// export.
inline constexpr char kVCardUidNamespace[] = "398ce645-3ddc-41e5-a9d9-d65b3bfb83b6";
std::string VCardUid(const std::string& nameLine);

// A birthday line as an ISO 8601 date (YYYY-MM-DD) when it reads as one:
// d.m.yyyy, d/m/yyyy (day first), yyyy-mm-dd or yyyymmdd, blanks around
// allowed; a two-digit year or a day the calendar lacks is no date.
std::optional<std::string> IsoDateOfLine(const std::string& line);

// Writes the file; on failure the system's words.
Outcome WriteVCardFile(const std::string& path, const CImportTable& table);

}  // namespace velkaro
