#include "SpreadsheetWriter.h"

#include "FileAccess.h"
#include "ImportTable.h"

#include "model/MessageUi.h"

#include <algorithm>
#include <cstring>

namespace velkaro {

namespace {

// Record numbers of the BIFF records written.
enum : uint16_t {
    kDimensions = 0x0000,
    kLabel = 0x0004,
    kRow = 0x0008,
    kBof = 0x0009,
    kEof = 0x000A,
    kCalcCount = 0x000C,
    kCalcMode = 0x000D,
    kPrecision = 0x000E,
    kRefMode = 0x000F,
    kDelta = 0x0010,
    kIteration = 0x0011,
    kHeader = 0x0014,
    kFooter = 0x0015,
    kWindowProtect = 0x0019,
    kFormat = 0x001E,
    kBuiltinFmtCount = 0x001F,
    kDateMode = 0x0022,
    kColWidth = 0x0024,
    kDefaultRowHeight = 0x0025,
    kLeftMargin = 0x0026,
    kRightMargin = 0x0027,
    kTopMargin = 0x0028,
    kBottomMargin = 0x0029,
    kPrintHeaders = 0x002A,
    kPrintGridlines = 0x002B,
    kFont = 0x0031,
    kBackup = 0x0040,
    kCodePage = 0x0042,
    kXf = 0x0043,
    kFontColor = 0x0045,
    kDefColWidth = 0x0055,
    kIndex = 0x020B,
};

constexpr int kRowsPerBlock = 32;
// Row indices are 16-bit; a sheet holds no more rows than that.
constexpr int kMaxRows = 0xFFFF;
constexpr std::size_t kMaxText = 255;
constexpr uint16_t kRowHeight = 0x80F0;  // default height, flagged as not customised

// The number formats every file of this kind carries; the bytes are exact.
const char* const kFormats[28] = {
    "General",
    "0",
    "0.00",
    "#,##0",
    "#,##0.00",
    "\"SFr.\"\\ #,##0;\"SFr.\"\\ \\-#,##0",
    "\"SFr.\"\\ #,##0;[Red]\"SFr.\"\\ \\-#,##0",
    "\"SFr.\"\\ #,##0.00;\"SFr.\"\\ \\-#,##0.00",
    "\"SFr.\"\\ #,##0.00;[Red]\"SFr.\"\\ \\-#,##0.00",
    "0%",
    "0.00%",
    "0.00E+00",
    "dd/mm/yyyy",
    "dd/\\ mmm\\ yy",
    "dd/\\ mmm",
    "mmm\\ yy",
    "h:mm\\ AM/PM",
    "h:mm:ss\\ AM/PM",
    "hh:mm",
    "hh:mm:ss",
    "dd/mm/yyyy\\ hh:mm",
    "#,##0;\\-#,##0",
    "#,##0;[Red]\\-#,##0",
    "#,##0.00;\\-#,##0.00",
    "#,##0.00;[Red]\\-#,##0.00",
    "##0.0E+0",
    "mm:ss",
    "@",
};

class Records {
public:
    std::size_t Position() const { return m_bytes.size(); }
    std::string& Data() { return m_bytes; }

    void Begin(uint16_t number, std::size_t length)
    {
        U16(number);
        U16(static_cast<uint16_t>(length));
    }
    void U8(uint8_t v) { m_bytes += static_cast<char>(v); }
    void U16(uint16_t v)
    {
        U8(static_cast<uint8_t>(v & 0xFF));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v)
    {
        U16(static_cast<uint16_t>(v & 0xFFFF));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void Double(double d)
    {
        uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        U32(static_cast<uint32_t>(bits & 0xFFFFFFFFu));
        U32(static_cast<uint32_t>(bits >> 32));
    }
    void Bytes(const std::string& s) { m_bytes += s; }

    void Word(uint16_t number, uint16_t value)
    {
        Begin(number, 2);
        U16(value);
    }
    void Real(uint16_t number, double value)
    {
        Begin(number, 8);
        Double(value);
    }
    void Empty(uint16_t number) { Begin(number, 0); }

    void PatchU16(std::size_t at, uint16_t v)
    {
        m_bytes[at] = static_cast<char>(v & 0xFF);
        m_bytes[at + 1] = static_cast<char>(v >> 8);
    }
    void PatchU32(std::size_t at, uint32_t v)
    {
        PatchU16(at, static_cast<uint16_t>(v & 0xFFFF));
        PatchU16(at + 2, static_cast<uint16_t>(v >> 16));
    }

private:
    std::string m_bytes;
};

// The length byte holds at most 255; longer texts are cut.
std::string CellText(const std::string& text)
{
    return text.size() > kMaxText ? text.substr(0, kMaxText) : text;
}

// The workbook's settings after the index: code page, calculation, printing.
void WriteSettings(Records& out)
{
    out.Word(kCodePage, 0x8001);
    out.Word(kCalcMode, 1);
    out.Word(kCalcCount, 100);
    out.Word(kRefMode, 1);
    out.Word(kIteration, 0);
    out.Real(kDelta, 0.001);
    out.Word(kPrecision, 1);
    out.Word(kDateMode, 0);
    out.Word(kPrintHeaders, 0);
    out.Word(kPrintGridlines, 0);
    out.Word(kDefaultRowHeight, kRowHeight);
}

void WriteFonts(Records& out, bool headerFormat)
{
    // Four plain fonts; with the header format a fifth, bold one, which the
    // second XF names (font index 4 does not exist in this format).
    const int fonts = headerFormat ? 5 : 4;
    for (int f = 0; f < fonts; ++f) {
        out.Begin(kFont, 10);
        out.U16(180);
        out.U16(f == 4 ? 1 : 0);
        out.U8(5);
        out.Bytes("Arial");
        out.Word(kFontColor, 0x7FFF);
    }
}

void WritePage(Records& out)
{
    out.Empty(kHeader);
    out.Empty(kFooter);
    out.Real(kLeftMargin, 0.787401575);
    out.Real(kRightMargin, 0.787401575);
    out.Real(kTopMargin, 0.984251969);
    out.Real(kBottomMargin, 0.984251969);
    out.Word(kBackup, 0);
}

void WriteFormats(Records& out)
{
    out.Word(kBuiltinFmtCount, 21);
    for (const char* format : kFormats) {
        std::string text = format;
        out.Begin(kFormat, text.size() + 1);
        out.U8(static_cast<uint8_t>(text.size()));
        out.Bytes(text);
    }
}

// The cell formats; the second, with the header format, names the bold font.
void WriteCellFormats(Records& out, bool headerFormat)
{
    out.Begin(kXf, 4);
    out.Bytes(std::string("\x00\x00\x40\x00", 4));
    if (headerFormat) {
        out.Begin(kXf, 4);
        out.Bytes(std::string("\x05\x00\x40\x00", 4));
    }
    out.Word(kDefColWidth, 10);
}

// One record per run of columns of the same width; a width of 0 is the default.
void WriteColumnWidths(Records& out, const std::vector<uint16_t>& widths)
{
    std::vector<uint16_t> list = widths;
    list.push_back(0);
    // Column numbers are one byte here.
    std::size_t usable = std::min<std::size_t>(list.size(), 257);
    list.resize(usable);
    list.back() = 0;
    std::size_t first = 0;
    for (std::size_t c = 1; c < list.size(); ++c) {
        if (list[c] == list[first])
            continue;
        if (list[first] != 0) {
            out.Begin(kColWidth, 4);
            out.U8(static_cast<uint8_t>(first));
            out.U8(static_cast<uint8_t>(c - 1));
            out.U16(static_cast<uint16_t>(list[first] * 256));
        }
        first = c;
    }
}

// Where the row blocks were written, for the offsets patched in afterwards.
struct SheetPositions {
    std::vector<std::size_t> blockStart;   // per block, its first ROW record
    std::vector<std::size_t> offsetField;  // per row, the offset field of its ROW record
    std::vector<std::size_t> cellsStart;   // per row, its first cell
};

void WriteRowRecords(Records& out, int from, int to, uint16_t columnCount, SheetPositions& at)
{
    for (int r = from; r < to; ++r) {
        out.Begin(kRow, 13);
        out.U16(static_cast<uint16_t>(r));
        out.U16(0);
        out.U16(columnCount);
        out.U16(kRowHeight);
        out.U16(0);
        out.U8(0);
        at.offsetField[r] = out.Position();
        out.U16(0);
    }
}

void WriteCells(Records& out, const CImportTable& table, int from, int to, bool headerFormat, SheetPositions& at)
{
    for (int r = from; r < to; ++r) {
        at.cellsStart[r] = out.Position();
        const uint8_t attribute = (headerFormat && r == 0) ? 0x41 : 0x40;
        const int length = table.RecordLength(r);
        for (int c = 0; c < length; ++c) {
            std::string text = CellText(table.FieldText(r, c));
            if (text.empty())
                continue;
            out.Begin(kLabel, text.size() + 8);
            out.U16(static_cast<uint16_t>(r));
            out.U16(static_cast<uint16_t>(c));
            out.U8(attribute);
            out.U8(0);
            out.U8(0);
            out.U8(static_cast<uint8_t>(text.size()));
            out.Bytes(text);
        }
    }
}

// The rows in blocks of 32: the ROW records of the block, then its cells.
SheetPositions WriteRowBlocks(Records& out, const CImportTable& table, int rows, int blocks, uint16_t columnCount,
                              bool headerFormat)
{
    SheetPositions at { std::vector<std::size_t>(static_cast<std::size_t>(blocks), 0),
                        std::vector<std::size_t>(static_cast<std::size_t>(rows)),
                        std::vector<std::size_t>(static_cast<std::size_t>(rows)) };
    for (int block = 0; block * kRowsPerBlock < rows; ++block) {
        const int from = block * kRowsPerBlock;
        const int to = std::min(from + kRowsPerBlock, rows);
        at.blockStart[block] = out.Position();
        WriteRowRecords(out, from, to, columnCount, at);
        WriteCells(out, table, from, to, headerFormat, at);
    }
    return at;
}

// Each row's offset field: from the block's first row to its first cell,
// then from cells to cells.
void PatchRowOffsets(Records& out, int rows, const SheetPositions& at)
{
    for (int r = 0; r < rows; ++r) {
        std::size_t offset = (r % kRowsPerBlock == 0) ? at.cellsStart[r] - (at.offsetField[r] + 2)
                                                       : at.cellsStart[r] - at.cellsStart[r - 1];
        out.PatchU16(at.offsetField[r], static_cast<uint16_t>(offset));
    }
}

void PatchIndex(Records& out, std::size_t indexData, std::size_t windowProtect, uint16_t rowCount,
                const SheetPositions& at)
{
    out.PatchU32(indexData, static_cast<uint32_t>(windowProtect));
    out.PatchU16(indexData + 4, 0);
    out.PatchU16(indexData + 6, rowCount);
    for (std::size_t block = 0; block < at.blockStart.size(); ++block)
        out.PatchU32(indexData + 8 + 4 * block, static_cast<uint32_t>(at.blockStart[block]));
}

}  // namespace

std::string CSpreadsheetWriter::Build(const CImportTable& table, bool headerFormat,
                                      const std::vector<uint16_t>* widths)
{
    const int rows = std::min(table.RecordCount(), kMaxRows);
    int columns = 0;
    for (int r = 0; r < rows; ++r)
        columns = std::max(columns, table.RecordLength(r));
    const uint16_t rowCount = static_cast<uint16_t>(rows);
    const uint16_t columnCount = static_cast<uint16_t>(std::min(columns, 0xFFFF));
    const int blocks = (rows - 1) / kRowsPerBlock + 1;  // an empty table has one block

    Records out;
    out.Begin(kBof, 4);
    out.U16(0x0007);
    out.U16(0x0010);

    out.Begin(kIndex, 8 + 4 * static_cast<std::size_t>(blocks));
    const std::size_t indexData = out.Position();
    out.Bytes(std::string(8 + 4 * static_cast<std::size_t>(blocks), '\0'));

    WriteSettings(out);
    WriteFonts(out, headerFormat);
    WritePage(out);
    WriteFormats(out);
    const std::size_t windowProtect = out.Position();
    out.Word(kWindowProtect, 0);
    WriteCellFormats(out, headerFormat);
    if (widths)
        WriteColumnWidths(out, *widths);

    out.Begin(kDimensions, 8);
    out.U16(0);
    out.U16(rowCount);
    out.U16(0);
    out.U16(columnCount);

    const SheetPositions at = WriteRowBlocks(out, table, rows, blocks, columnCount, headerFormat);
    PatchRowOffsets(out, rows, at);
    PatchIndex(out, indexData, windowProtect, rowCount, at);

    out.Empty(kEof);
    return std::move(out.Data());
}

Outcome CSpreadsheetWriter::WriteFile(const std::string& path, const CImportTable& table, bool headerFormat,
                                      const std::vector<uint16_t>* widths)
{
    return WriteWholeFile(path, Build(table, headerFormat, widths));
}

Outcome WriteSpreadsheet(const std::string& path, const CImportTable& table)
{
    return CSpreadsheetWriter::WriteFile(path, table, false);
}

}  // namespace velkaro
