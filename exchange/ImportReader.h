#pragma once

// Reading an import file into a CImportTable as the import command does:
// the file's first bytes and its name's extension choose the reader: a zip
// container goes to the workbook reader (.xlsx, .ods), a compound file to the
// spreadsheet reader, a vCard file (by its name or its first line) to the
// vCard reader, and otherwise the extension chooses.

#include "exchange/BiffReader.h"
#include "exchange/ImportTable.h"
#include "exchange/SheetChoice.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace velkaro {

class IImportUi;
class IMessageUi;

// Which sheet of a workbook (.xls, .xlsx, .ods) the import reads.
struct SheetRequest {
    // A sheet's name or number (from 1) as the user gives it, Windows-1252;
    // empty: the first visible sheet. A file that is no workbook, or a
    // workbook without such a sheet, is refused with a message naming the
    // sheets.
    std::string sheet;
    // Asked to choose when no sheet is given and several are visible.
    IImportUi* chooser = nullptr;
};

// True when the text after the last dot of the name, lower-cased, is "xls"
// (at least one character must follow the dot).
bool IsSpreadsheetFileName(const std::string& fileName);

// What an import file holds, as far as its first bytes and its name tell.
enum class ImportFileKind {
    Text,          // read as separated text
    Spreadsheet,   // a BIFF record stream (by the name "xls")
    CompoundFile,  // an OLE compound file, whatever its name: a spreadsheet
                   // when it holds a workbook stream, else (a word
                   // processor's .doc) a wrong format
    ZipContainer,  // a zip file, whatever its name: an .xlsx or .ods
                   // workbook, or (.docx ...) a wrong format
    VCard,         // contacts as vCards: by the name .vcf/.vcard or by
                   // "BEGIN:VCARD" at the start (after a byte-order mark or
                   // blanks), so that a card file saved as .txt is still read
};

// An import file larger than this is refused before it is read.
constexpr std::size_t kMaxImportFileBytes = std::size_t { 256 } << 20;

// How many bytes of the file's beginning DetectImportFileKind looks at.
constexpr std::size_t kImportFileHeadSize = 64;

// The kind of the file whose first bytes (up to kImportFileHeadSize, fewer
// for a shorter file) are `head`. The signatures of compound and zip files
// win over the name, since those are never text; then a vCard by its name or
// first line; otherwise the name's extension decides.
ImportFileKind DetectImportFileKind(const std::string& fileName, std::string_view head);

// Reads the file with the reader its kind chooses: success when it was read
// (the table may hold no records); ui shows the progress and asks for the
// sheet. Only a regular file (or a link to one) of at most kMaxImportFileBytes
// is read. The separators are those numbers and dates of a spreadsheet are shown
// with.
Outcome ReadImportFile(const std::string& fileName, CImportTable& table, IMessageUi& ui,
                       const NumberSeparators& separators, const SheetRequest& sheet = {});

}  // namespace velkaro
