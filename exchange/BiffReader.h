#pragma once

// Reading one worksheet of an Excel spreadsheet (BIFF 2, 3, 4, 5/7 and 8)
// into a CImportTable: cell (row r, column c) becomes field c of record r.
// The workbook's BOUNDSHEET records list its sheets; the first visible one
// is read, or the one a picker chooses. Files before BIFF 5 hold one sheet.
// Numbers and dates become the text the cell shows, through the cell's
// number format and the locale's separators. Only constant cells are read:
// numbers, integers, packed numbers and texts (rich texts among them, read
// without their formatting).
//
// Files of BIFF 5 and later are compound files holding the record stream
// "Workbook" (BIFF 8) or "Book" (BIFF 5/7); older files are the bare record
// stream. All reads are bounded by the record and the stream.

#include "exchange/ImportTable.h"
#include "exchange/NumberFormat.h"
#include "exchange/ReadBudget.h"
#include "exchange/SheetChoice.h"
#include "text/Outcome.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velkaro {

class IMessageUi;

// Why a spreadsheet was not read.
enum class BiffError {
    None,
    ReadFailed,  // the system refused the read
    Empty,
    WrongFormat,
    UnsupportedVersion,
    StorageFailure,
    PasswordProtected,  // the workbook is encrypted (FILEPASS)
    NoSheetChosen,      // the picker chose none (it has said why)
    TooMuchText,        // the cells' texts would build more than the budget (ReadBudget.h)
    TooLarge,           // the file is larger than kMaxFileBytes
};

class CBiffReader {
public:

    // A file larger than this is not read into memory at all.
    static constexpr std::size_t kMaxFileBytes = std::size_t { 256 } << 20;

    // language: the program's language offset (kLangGerman ...), for the
    // month and weekday names of dates; -1 for the current one.
    explicit CBiffReader(NumberSeparators separators = {}, int language = -1);

    // Success when the file was parsed (the table may be empty), else the
    // error code is set and the outcome tells it. ui shows the progress.
    Outcome ReadSpreadsheet(const std::string& fileName, CImportTable& table, IMessageUi& ui);
    // The same over the whole file in memory (compound file or record
    // stream), without reading it from a file.
    Outcome ReadFileBytes(std::string_view bytes, CImportTable& table, IMessageUi* ui = nullptr);
    // The same over a workbook record stream. The cells' texts may build
    // `budget` bytes, by default what the stream's size allows.
    Outcome ReadStream(std::string_view stream, CImportTable& table, IMessageUi* ui = nullptr, std::size_t budget = 0);

    // Asked with the workbook's sheets once they are known; without a
    // picker the first visible sheet is read.
    void SetSheetPicker(SheetPicker pick) { m_pick = std::move(pick); }
    // The worksheets of the last stream read (chart and macro sheets left
    // out); one unnamed sheet for the files before BIFF 5.
    const std::vector<SheetInfo>& Sheets() const { return m_sheets; }

    BiffError ErrorCode() const { return m_error; }
    // 2, 3, 4, 7 (BIFF 5 and 7) or 8; 0 before a BOF was read.
    int Version() const { return m_version; }
    // How the last read ended, with the message for the user; a sheet
    // nobody chose has nothing more to say.
    Outcome Result() const;

    // The number format at `index`, as a FORMAT record gives it.
    void SetFormat(int index, std::string_view formatText);
    // The built-in formats that files of BIFF 5 and later (and .xlsx
    // workbooks) use by index without defining them.
    void RegisterBuiltInFormats();
    // True when the format at `index` shows a date.
    bool IsDateFormat(int index) const;
    // The text a cell with format index f and value x shows.
    std::string NumberToText(int formatIndex, double x) const;
    // The value of a packed number.
    static double DecodeRk(std::uint32_t rk);

private:
    // The current record and the read position in it.
    struct Cursor {
        std::size_t pos = 0;
        std::size_t end = 0;
        std::uint16_t type = 0;
    };

    bool NextRecord();
    bool NextContinue();
    bool Skip(std::size_t n);
    bool SkipAcrossContinue(std::size_t n);
    bool Read8(unsigned& v);
    bool Read16(unsigned& v);
    bool Read32(std::uint32_t& v);
    bool ReadDouble(double& v);
    bool ReadByteString(std::size_t length, std::string& out);
    // shortCount: the character count has 8 bits (a sheet's name).
    bool ReadUnicodeString(std::string& out, bool shortCount = false);

    bool ReadCellHeader(unsigned& row, unsigned& column, int& formatIndex);
    int FormatOfXf(unsigned xf) const;
    void StoreCell(const std::string& text, unsigned row, unsigned column);
    void ReadFormatRecord();
    void ReadXfRecord();
    void ReadSst();
    void ReadMulRk();
    void ReadBoundSheet();
    // At the end of the globals: where the chosen sheet's BOF lies; false
    // when none is to be read.
    bool ChooseSheet();
    // The BOF that opens the stream: its version and substream; false with
    // the error code set when the stream opens with none.
    bool ReadFirstBof(unsigned& substream);
    // A record of the workbook's structure (substreams, formats, shared
    // strings, sheets); true when reading ends with it.
    bool ReadStructureRecord(std::vector<unsigned>& substreams);
    // A cell record stored into the table; false when the record is none.
    bool ReadCellRecord();

    CNumberFormats m_formats;
    BiffError m_error = BiffError::None;
    Outcome m_readFailure;  // the system's words of ReadFailed
    int m_version = 0;

    std::string_view m_stream;
    Cursor m_rec;
    CImportTable* m_table = nullptr;

    CBuildBudget m_budget { 0 };
    unsigned m_lastRow = ~0u;  // the row of the cell stored last, whose record is counted
    std::vector<std::string> m_sst;
    std::vector<int> m_xfFormats;
    std::vector<SheetInfo> m_sheets;
    std::vector<std::size_t> m_sheetOffsets;  // each sheet's BOF in the stream
    SheetPicker m_pick;
    int m_nextFormatIndex = 0;
};

}  // namespace velkaro
