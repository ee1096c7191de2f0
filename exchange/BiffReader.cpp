#include "BiffReader.h"

#include "CompoundFile.h"
#include "FileAccess.h"
#include "TextReader.h"
#include "text/Cp1252.h"
#include "text/Language.h"
#include "model/MessageUi.h"
#include "text/MessageIds.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace velkaro {

namespace {

// Record types.
constexpr std::uint16_t kBof2 = 0x0009, kBof3 = 0x0209, kBof4 = 0x0409, kBof5 = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kFormat2 = 0x001E, kFormat4 = 0x041E;
constexpr std::uint16_t kXf2 = 0x0043, kXf3 = 0x0243, kXf4 = 0x0443, kXf5 = 0x00E0;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kInteger2 = 0x0002;
constexpr std::uint16_t kNumber2 = 0x0003, kNumber3 = 0x0203;
constexpr std::uint16_t kLabel2 = 0x0004, kLabel3 = 0x0204;
constexpr std::uint16_t kRk2 = 0x007E, kRk3 = 0x027E;
constexpr std::uint16_t kMulRk = 0x00BD;
constexpr std::uint16_t kLabelSst = 0x00FD;
// A text cell with formatting runs, as Gnumeric writes every text that has
// a font change inside it (BIFF 5 and later).
constexpr std::uint16_t kRString = 0x00D6;
// The workbook is encrypted: every record after this one is ciphered.
constexpr std::uint16_t kFilePass = 0x002F;
// A sheet of the workbook: where its BOF lies, whether it is hidden, its
// kind and its name (BIFF 5 and later).
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr unsigned kSheetIsWorksheet = 0x00;

// Substream types of a BOF.
constexpr unsigned kGlobals = 0x0005;
constexpr unsigned kWorksheet = 0x0010;

// The Excel formats of these versions have 256 columns; a column beyond is
// damage, and storing it would grow every record of the table.
constexpr unsigned kMaxColumns = 256;
// The progress window is repainted after this many bytes.
constexpr std::size_t kProgressBytes = 1000;

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The 16-bit characters of a BIFF 8 text as Windows-1252. Characters up to
// 255 keep their code and Windows-1252's own (the euro, typographic quotes)
// become its bytes; a text with any other character (Cyrillic, Polish,
// Chinese names) is transliterated as a whole, as the .xlsx and .ods readers
// do, never written as question marks.
std::string WideText(const std::u16string& units)
{
    std::string out;
    out.reserve(units.size());
    for (char16_t u : units) {
        const int b = u < 256 ? u : UnicodeToCp1252(u);
        if (b < 0)
            break;
        out += static_cast<char>(b);
    }
    if (out.size() == units.size())
        return out;
    std::string utf8;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00u);
        else if (c >= 0xD800 && c < 0xE000)
            c = 0xFFFD;  // half of a pair
        AppendUtf8(utf8, c);
    }
    return Utf8FieldToAnsi(utf8);
}

}  // namespace

CBiffReader::CBiffReader(NumberSeparators separators, int language)
    : m_formats(separators, language)
{
}

// ---- the file ---------------------------------------------------------------

Outcome CBiffReader::ReadSpreadsheet(const std::string& fileName, CImportTable& table, IMessageUi& ui)
{
    m_error = BiffError::None;
    std::string bytes;
    // One byte beyond the largest file tells a file that is too large.
    FileReadResult result = LoadWholeFile(fileName, bytes, kMaxFileBytes + 1);
    if (result.status == FileReadResult::Status::NotOpened) {
        // Not even the compound-file test can look at it.
        m_error = BiffError::StorageFailure;
    } else if (!result) {
        m_readFailure = FileReadOutcome(result);
        m_error = BiffError::ReadFailed;
    } else if (bytes.size() > kMaxFileBytes) {
        m_error = BiffError::TooLarge;
    } else {
        ReadFileBytes(bytes, table, &ui);
    }
    return Result();
}

Outcome CBiffReader::ReadFileBytes(std::string_view bytes, CImportTable& table, IMessageUi* ui)
{
    m_error = BiffError::None;
    if (CCompoundFile::HasSignature(bytes)) {
        CCompoundFile storage;
        if (!storage.Open(bytes)) {
            m_error = BiffError::StorageFailure;
            return Result();
        }
        auto stream = storage.ReadStream("Workbook");
        if (!stream)
            stream = storage.ReadStream("Book");
        if (!stream) {
            // A workbook of today's format saved with a password is such a
            // compound file too, its zip ciphered inside; else a compound
            // file of another program, such as a word processor.
            m_error = storage.ReadStream("EncryptionInfo") ? BiffError::PasswordProtected : BiffError::WrongFormat;
            return Result();
        }
        // The budget grows with the file, whatever part of it the stream is.
        return ReadStream(*stream, table, ui, BuildBudget(bytes.size()));
    }
    if (bytes.empty()) {
        m_error = BiffError::Empty;
        return Result();
    }
    return ReadStream(bytes, table, ui);
}

Outcome CBiffReader::Result() const
{
    auto bad = [](unsigned id, FormatArgs args = {}) { return Outcome(OutcomeKind::BadInput, id, std::move(args)); };
    switch (m_error) {
    case BiffError::None: return {};
    case BiffError::ReadFailed: return m_readFailure;
    case BiffError::Empty: return bad(msg::EmptyFile);
    case BiffError::WrongFormat: return bad(msg::UnknownFileFormat);
    case BiffError::UnsupportedVersion: return bad(msg::UnreadableVersion);
    case BiffError::StorageFailure: return Outcome(OutcomeKind::IoError, msg::FileOpenError);
    case BiffError::PasswordProtected: return bad(msg::PasswordProtected);
    case BiffError::NoSheetChosen: return Outcome(OutcomeKind::Cancelled);
    case BiffError::TooMuchText: return bad(msg::ImportTooMuchText, { m_budget.Megabytes() });
    case BiffError::TooLarge: return bad(msg::FileTooLarge, { static_cast<int>(kMaxFileBytes >> 20) });
    }
    return {};
}

// ---- records ----------------------------------------------------------------

bool CBiffReader::NextRecord()
{
    std::size_t at = m_rec.end;
    if (at > m_stream.size() || m_stream.size() - at < 4)
        return false;
    auto b = [&](std::size_t i) { return static_cast<unsigned char>(m_stream[at + i]); };
    m_rec.type = static_cast<std::uint16_t>(b(0) | b(1) << 8);
    std::size_t length = b(2) | b(3) << 8;
    m_rec.pos = at + 4;
    m_rec.end = std::min(m_rec.pos + length, m_stream.size());
    return true;
}

bool CBiffReader::NextContinue()
{
    std::size_t at = m_rec.end;
    if (at > m_stream.size() || m_stream.size() - at < 4)
        return false;
    unsigned type = static_cast<unsigned char>(m_stream[at]) | static_cast<unsigned char>(m_stream[at + 1]) << 8;
    return type == kContinue && NextRecord();
}

bool CBiffReader::Skip(std::size_t n)
{
    if (m_rec.end - m_rec.pos < n)
        return false;
    m_rec.pos += n;
    return true;
}

bool CBiffReader::SkipAcrossContinue(std::size_t n)
{
    while (n > 0) {
        if (m_rec.pos == m_rec.end && !NextContinue())
            return false;
        std::size_t step = std::min(n, m_rec.end - m_rec.pos);
        m_rec.pos += step;
        n -= step;
    }
    return true;
}

bool CBiffReader::Read8(unsigned& v)
{
    if (m_rec.pos >= m_rec.end)
        return false;
    v = static_cast<unsigned char>(m_stream[m_rec.pos++]);
    return true;
}

bool CBiffReader::Read16(unsigned& v)
{
    if (m_rec.end - m_rec.pos < 2)
        return false;
    v = static_cast<unsigned char>(m_stream[m_rec.pos]) | static_cast<unsigned char>(m_stream[m_rec.pos + 1]) << 8;
    m_rec.pos += 2;
    return true;
}

bool CBiffReader::Read32(std::uint32_t& v)
{
    unsigned lo = 0, hi = 0;
    if (m_rec.end - m_rec.pos < 4)
        return false;
    Read16(lo);
    Read16(hi);
    v = static_cast<std::uint32_t>(lo) | static_cast<std::uint32_t>(hi) << 16;
    return true;
}

bool CBiffReader::ReadDouble(double& v)
{
    std::uint32_t lo = 0, hi = 0;
    if (m_rec.end - m_rec.pos < 8)
        return false;
    Read32(lo);
    Read32(hi);
    v = std::bit_cast<double>(static_cast<std::uint64_t>(hi) << 32 | lo);
    return true;
}

bool CBiffReader::ReadByteString(std::size_t length, std::string& out)
{
    // A text running past its record is cut there.
    std::size_t n = std::min(length, m_rec.end - m_rec.pos);
    out.assign(m_stream.data() + m_rec.pos, n);
    m_rec.pos += n;
    return true;
}

// A BIFF 8 string: 16-bit character count, option byte, optional run count
// and extension size, the characters (8 or 16 bits each), then the runs and
// the extension. Characters that do not fit in the record continue in the
// CONTINUE record after it, which starts with a new option byte.
bool CBiffReader::ReadUnicodeString(std::string& out, bool shortCount)
{
    unsigned count, options;
    if (!(shortCount ? Read8(count) : Read16(count)) || !Read8(options))
        return false;
    unsigned runs = 0;
    std::uint32_t extension = 0;
    if ((options & 0x08) && !Read16(runs))
        return false;
    if ((options & 0x04) && !Read32(extension))
        return false;
    bool wide = options & 0x01;
    std::u16string units;
    units.reserve(count);
    std::size_t remaining = count;
    while (remaining > 0) {
        std::size_t width = wide ? 2 : 1;
        std::size_t chars = std::min(remaining, (m_rec.end - m_rec.pos) / width);
        for (std::size_t i = 0; i < chars; ++i) {
            unsigned ch = 0;
            if (wide)
                Read16(ch);
            else
                Read8(ch);
            units.push_back(static_cast<char16_t>(ch));
        }
        remaining -= chars;
        if (remaining > 0) {
            unsigned next;
            if (!NextContinue() || !Read8(next))
                return false;  // the rest of the string is missing
            wide = next & 0x01;
        }
    }
    SkipAcrossContinue(static_cast<std::size_t>(runs) * 4 + extension);
    out = WideText(units);
    return true;
}

// ---- the record loop ----------------------------------------------------------

Outcome CBiffReader::ReadStream(std::string_view stream, CImportTable& table, IMessageUi* ui, std::size_t budget)
{
    m_error = BiffError::None;
    m_budget = CBuildBudget(budget ? budget : BuildBudget(stream.size()));
    m_lastRow = ~0u;
    m_version = 0;
    m_stream = stream;
    m_rec = {};
    m_table = &table;
    m_sst.clear();
    m_xfFormats.clear();
    m_sheets.clear();
    m_sheetOffsets.clear();
    m_formats.Clear();
    m_nextFormatIndex = 0;

    unsigned substream = 0;
    if (!ReadFirstBof(substream))
        return Result();
    // A file of one worksheet, without a workbook's globals.
    if (substream != kGlobals && !ChooseSheet())
        return Result();
    // Embedded charts bring their own BOF and EOF inside a worksheet, so the
    // substreams nest.
    std::vector<unsigned> substreams { substream };

    if (ui) {
        ui->BeginWait();
        ui->ProgressBegin(Text(msg::FileAnalyzing));
    }
    std::size_t shownAt = 0;
    bool done = false;
    while (!done && !m_budget.Exceeded() && NextRecord()) {
        if (!ReadCellRecord())
            done = ReadStructureRecord(substreams);
        if (ui && m_rec.end - shownAt > kProgressBytes) {
            shownAt = m_rec.end;
            ui->ProgressStep(static_cast<int>(1000 * static_cast<std::uint64_t>(m_rec.end) / m_stream.size()));
        }
    }
    if (ui) {
        ui->ProgressEnd();
        ui->EndWait();
    }
    m_table = nullptr;
    if (m_error == BiffError::None && m_budget.Exceeded()) {
        m_error = BiffError::TooMuchText;
        table.RemoveAll();
    }
    return Result();
}

bool CBiffReader::ReadFirstBof(unsigned& substream)
{
    if (!NextRecord()) {
        m_error = BiffError::WrongFormat;
        return false;
    }
    unsigned versionField = 0;
    switch (m_rec.type) {
    case kBof2: m_version = 2; break;
    case kBof3: m_version = 3; break;
    case kBof4: m_version = 4; break;
    case kBof5:
        if (!Read16(versionField)) {
            m_error = BiffError::WrongFormat;
            return false;
        }
        if (versionField == 0x0500)
            m_version = 7;
        else if (versionField == 0x0600)
            m_version = 8;
        else {
            m_error = BiffError::UnsupportedVersion;
            return false;
        }
        break;
    default:
        m_error = BiffError::WrongFormat;
        return false;
    }
    if (m_version <= 4)
        Skip(2);
    Read16(substream);
    return true;
}

bool CBiffReader::ReadStructureRecord(std::vector<unsigned>& substreams)
{
    switch (m_rec.type) {
    case kBof2:
    case kBof3:
    case kBof4:
    case kBof5: {
        unsigned substream = 0;
        Skip(2);
        Read16(substream);
        substreams.push_back(substream);
        break;
    }
    case kEof:
        if (!substreams.empty()) {
            unsigned ended = substreams.back();
            substreams.pop_back();
            if (ended == kGlobals && (m_version == 7 || m_version == 8))
                RegisterBuiltInFormats();
            if (ended == kGlobals && substreams.empty() && !ChooseSheet())
                return true;
            if (ended == kWorksheet)
                return true;  // only the first worksheet is read
        }
        break;
    case kFormat2:
    case kFormat4:
        ReadFormatRecord();
        break;
    case kXf2:
    case kXf3:
    case kXf4:
    case kXf5:
        ReadXfRecord();
        break;
    case kSst:
        ReadSst();
        break;
    case kBoundSheet:
        ReadBoundSheet();
        break;
    case kFilePass:
        // Its cells would be read as random numbers and texts.
        m_error = BiffError::PasswordProtected;
        return true;
    default:
        break;
    }
    return false;
}

bool CBiffReader::ReadCellRecord()
{
    unsigned row, column;
    int format;
    switch (m_rec.type) {
    case kInteger2: {
        unsigned v;
        if (ReadCellHeader(row, column, format) && Read16(v))
            StoreCell(NumberToText(format, v), row, column);
        return true;
    }
    case kNumber2:
    case kNumber3: {
        double v;
        if (ReadCellHeader(row, column, format) && ReadDouble(v))
            StoreCell(NumberToText(format, v), row, column);
        return true;
    }
    case kRString:
        if (m_version < 7)
            return true;
        [[fallthrough]];
    case kLabel2:
    case kLabel3: {
        // A rich text is a label followed by its formatting runs, which
        // are of no use to a card.
        std::string text;
        unsigned length;
        if (!ReadCellHeader(row, column, format))
            return true;
        if (m_version == 8) {
            if (ReadUnicodeString(text))
                StoreCell(text, row, column);
        } else if (m_version == 2 ? Read8(length) : Read16(length)) {
            ReadByteString(length, text);
            StoreCell(text, row, column);
        }
        return true;
    }
    case kRk2:
    case kRk3: {
        std::uint32_t rk;
        if (ReadCellHeader(row, column, format) && Read32(rk))
            StoreCell(NumberToText(format, DecodeRk(rk)), row, column);
        return true;
    }
    case kMulRk:
        ReadMulRk();
        return true;
    case kLabelSst: {
        std::uint32_t index;
        if (ReadCellHeader(row, column, format) && Read32(index) && index < m_sst.size())
            StoreCell(m_sst[index], row, column);
        return true;
    }
    default:
        return false;
    }
}

bool CBiffReader::ReadCellHeader(unsigned& row, unsigned& column, int& formatIndex)
{
    if (!Read16(row) || !Read16(column))
        return false;
    if (m_version == 2) {
        // Three attribute bytes; the second holds the format index itself.
        unsigned a0, a1, a2;
        if (!Read8(a0) || !Read8(a1) || !Read8(a2))
            return false;
        formatIndex = static_cast<int>(a1 & 0x3F);
        return true;
    }
    unsigned xf;
    if (!Read16(xf))
        return false;
    formatIndex = FormatOfXf(xf);
    return true;
}

int CBiffReader::FormatOfXf(unsigned xf) const
{
    return xf < m_xfFormats.size() ? m_xfFormats[xf] : -1;
}

void CBiffReader::StoreCell(const std::string& text, unsigned row, unsigned column)
{
    if (column >= kMaxColumns)
        return;
    const std::size_t record = row != m_lastRow ? kBuildBytesPerRecord : 0;
    m_lastRow = row;
    if (m_budget.Spend(text.size() + kBuildBytesPerCell + record))
        m_table->SetField(text, static_cast<int>(row), static_cast<int>(column));
}

void CBiffReader::ReadFormatRecord()
{
    unsigned index = 0;
    if (m_version >= 7) {
        if (!Read16(index))
            return;
    } else {
        // Older files number their formats in order of appearance.
        index = static_cast<unsigned>(m_nextFormatIndex++);
        if (m_version == 4)
            Skip(2);
    }
    std::string text;
    if (m_version == 8) {
        if (!ReadUnicodeString(text))
            return;
    } else {
        unsigned length;
        if (!Read8(length))
            return;
        ReadByteString(length, text);
    }
    SetFormat(static_cast<int>(index), text);
}

void CBiffReader::ReadXfRecord()
{
    unsigned format = 0;
    bool ok;
    if (m_version >= 7) {
        ok = Skip(2) && Read16(format);
    } else if (m_version >= 3) {
        ok = Skip(1) && Read8(format);
    } else {
        ok = Skip(2) && Read8(format);
        format &= 0x3F;
    }
    // A damaged XF still takes its number, so the later ones keep theirs.
    m_xfFormats.push_back(ok ? static_cast<int>(format) : -1);
}

void CBiffReader::ReadSst()
{
    std::uint32_t count;
    // The total number of uses, then the number of strings.
    if (!Skip(4) || !Read32(count))
        return;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (m_rec.pos >= m_rec.end && !NextContinue())
            break;
        std::string text;
        // An empty string takes three bytes of the file and more of memory.
        if (!ReadUnicodeString(text) || !m_budget.Spend(sizeof text + text.size()))
            break;
        m_sst.push_back(std::move(text));
    }
}

void CBiffReader::ReadMulRk()
{
    std::size_t length = m_rec.end - m_rec.pos;
    unsigned row, column;
    if (length < 6 || !Read16(row) || !Read16(column))
        return;
    std::size_t entries = (length - 6) / 6;
    for (std::size_t i = 0; i < entries; ++i) {
        unsigned xf;
        std::uint32_t rk;
        if (!Read16(xf) || !Read32(rk))
            return;
        StoreCell(NumberToText(FormatOfXf(xf), DecodeRk(rk)), row, column + static_cast<unsigned>(i));
    }
}

void CBiffReader::ReadBoundSheet()
{
    std::uint32_t offset;
    unsigned state, kind, length;
    if (m_version < 7 || !Read32(offset) || !Read8(state) || !Read8(kind))
        return;
    std::string name;
    if (m_version == 8) {
        if (!ReadUnicodeString(name, true))
            return;
    } else if (Read8(length)) {
        ReadByteString(length, name);
    }
    // Chart, macro and module sheets hold no cells to import.
    if (kind != kSheetIsWorksheet)
        return;
    // The state's low bits: 0 visible, 1 hidden, 2 hidden so that only a
    // macro shows it again.
    m_sheets.push_back({ std::move(name), (state & 0x03) == 0 });
    m_sheetOffsets.push_back(offset);
}

bool CBiffReader::ChooseSheet()
{
    if (m_sheets.empty()) {
        // No sheet listed: the worksheet that follows.
        m_sheets.push_back({});
        m_sheetOffsets.push_back(std::string_view::npos);
    }
    int index = FirstVisibleSheet(m_sheets);
    if (m_pick) {
        std::optional<int> chosen = m_pick(m_sheets);
        if (!chosen || *chosen < 0 || static_cast<std::size_t>(*chosen) >= m_sheets.size()) {
            m_error = BiffError::NoSheetChosen;
            return false;
        }
        index = *chosen;
    }
    // The sheet's BOF, when it lies after the globals; a sheet listed at a
    // wrong place is taken to be the worksheet that follows.
    const std::size_t at = m_sheetOffsets[static_cast<std::size_t>(index)];
    if (at >= m_rec.end && at < m_stream.size() && m_stream.size() - at >= 4) {
        const unsigned type = static_cast<unsigned char>(m_stream[at]) | static_cast<unsigned char>(m_stream[at + 1]) << 8;
        if (type == kBof5)
            m_rec.end = at;
    }
    return true;
}

double CBiffReader::DecodeRk(std::uint32_t rk)
{
    double value;
    if (rk & 0x02) {
        // A signed 30-bit integer in bits 31..2.
        value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        value = std::bit_cast<double>(static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32);
    }
    if (rk & 0x01)
        value *= 0.01;
    return value;
}

// ---- number formats -------------------------------------------------------------

void CBiffReader::SetFormat(int index, std::string_view formatText)
{
    m_formats.Set(index, formatText);
}

void CBiffReader::RegisterBuiltInFormats()
{
    m_formats.RegisterBuiltIns();
}

bool CBiffReader::IsDateFormat(int index) const
{
    return m_formats.IsDate(index);
}

std::string CBiffReader::NumberToText(int formatIndex, double x) const
{
    return m_formats.Text(formatIndex, x);
}

}  // namespace velkaro
