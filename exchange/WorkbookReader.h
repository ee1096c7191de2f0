#pragma once

// Reading one sheet of a zipped workbook into a CImportTable (the first
// visible one, or the one a picker chooses, SheetChoice.h): an
// Office Open XML workbook (.xlsx) or an OpenDocument spreadsheet (.ods),
// told apart by what the container holds, not by the file name. Cell (row r,
// column c) becomes field c of record r; numbers and dates become the text
// the cell shows, through the same number and date formatting as the BIFF
// reader; texts are converted from UTF-8 to Windows-1252.
//
// Every size is bounded: the bytes each part inflates to, the rows, columns
// and cells stored. A sheet claiming a billion empty rows costs nothing; one
// whose content would pass the limits is refused as too large.

#include "exchange/BiffReader.h"
#include "exchange/ImportTable.h"
#include "exchange/ReadBudget.h"
#include "exchange/SheetChoice.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace velkaro {

class CZipArchive;
class IMessageUi;
class IXmlHandler;

struct SheetLimits {
    std::size_t partBytes = 128u << 20;  // one XML part, inflated
    int rows = 1 << 20;                  // rows beyond are not read
    int columns = 256;                   // as the BIFF formats; beyond are not read
    std::size_t cells = 2'000'000;       // more is refused as too large
    // The bytes the cells' texts may build in all (ReadBudget.h); 0: by the
    // size of the file or of the parts read.
    std::size_t buildBytes = 0;
};

enum class SheetResult {
    Ok,
    NotAWorkbook,  // a zip container holding neither kind of workbook
    Damaged,       // the container or the XML of a needed part is broken
    TooLarge,      // a limit of SheetLimits was passed
    TooMuchText,   // the cells' texts would build more than the budget
    NoSheetChosen, // the picker chose none (it has said why)
    Encrypted,     // saved with a password: its parts are ciphered
};

// Stores cells into the table within the limits; shared by both readers.
class CSheetSink {
public:
    // inputBytes: the size the budget grows with, where the limits set none.
    CSheetSink(CImportTable& table, const SheetLimits& limits, std::size_t inputBytes)
        : m_table(table)
        , m_limits(limits)
        , m_budget(limits.buildBytes ? limits.buildBytes : BuildBudget(inputBytes))
        , m_input(inputBytes)
    {
    }
    // More of the input has come (a part streaming from its zip): the budget
    // grows with it, where the limits set none.
    void AddInput(std::size_t bytes);
    // False once the cell limit or the budget is passed (the cell is then
    // not stored).
    bool Store(const std::string& ansiText, long long row, long long column);
    // Bytes built on the way to a cell (the text of a cell being read); false
    // once the budget is passed.
    bool Spend(std::size_t bytes) { return m_budget.Spend(bytes); }
    bool Full() const { return m_full || m_budget.Exceeded(); }
    // What ended the read early, or Ok.
    SheetResult Result() const;
    const SheetLimits& Limits() const { return m_limits; }

private:
    CImportTable& m_table;
    SheetLimits m_limits;
    CBuildBudget m_budget;
    std::size_t m_input;
    std::size_t m_cells = 0;
    long long m_lastRow = -1;
    bool m_full = false;
};

// A part of a workbook as its reader takes it: its bytes in memory, or an
// entry of the zip inflated piece by piece into the parser, so that the
// part is never whole in memory.
class CWorkbookPart {
public:
    // An absent part.
    CWorkbookPart() = default;
    // The bytes, which must outlive the part; empty for an absent part.
    CWorkbookPart(std::string_view bytes)  // NOLINT(google-explicit-constructor): parts in memory pass as bytes
        : m_bytes(bytes)
    {
    }
    CWorkbookPart(const std::string& bytes)  // NOLINT(google-explicit-constructor)
        : m_bytes(bytes)
    {
    }
    // The entry `name` of the zip, which must outlive the part; more than
    // maxBytes inflated is too large.
    CWorkbookPart(const CZipArchive& zip, std::string name, std::size_t maxBytes);
    // The bytes known before the part is parsed: those in memory.
    std::size_t KnownSize() const { return m_zip ? 0 : m_bytes.size(); }
    // Parses the part into handler: Ok, Damaged or TooLarge. An absent or
    // empty part is Ok unparsed, or Damaged when it is needed. The bytes of
    // a streamed part go into the sink's budget as they come.
    SheetResult Parse(IXmlHandler& handler, CSheetSink* sink, bool needed) const;

private:
    std::string_view m_bytes;
    const CZipArchive* m_zip = nullptr;
    std::string m_name;
    std::size_t m_maxBytes = 0;
};

// "2021-03-15" or "2021-03-15T10:30:00" as the serial number spreadsheets
// count days by (1 = 1 January 1900, counting the 29 February 1900 the BIFF
// formats count). False when it is no such date.
bool IsoDateSerial(std::string_view iso, double& serial);

// UTF-8 text of a workbook in Windows-1252.
std::string WorkbookText(std::string_view utf8);

// Reads a sheet of the workbook in `bytes`.
SheetResult ReadWorkbookBytes(std::string_view bytes, CImportTable& table, const NumberSeparators& separators,
                              int language = -1, const SheetLimits& limits = {}, const SheetPicker& pick = {});

// Reads the file; ui shows the wait cursor.
Outcome ReadWorkbookFile(const std::string& fileName, CImportTable& table, IMessageUi& ui,
                         const NumberSeparators& separators, const SheetPicker& pick = {});

}  // namespace velkaro
