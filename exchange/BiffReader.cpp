#include "BiffReader.h"

#include "CompoundFile.h"
#include "FileAccess.h"
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

// Substream types of a BOF.
constexpr unsigned kGlobals = 0x0005;
constexpr unsigned kWorksheet = 0x0010;

// The Excel formats of these versions have 256 columns; a column beyond is
// damage, and storing it would grow every record of the table.
constexpr unsigned kMaxColumns = 256;
// The progress window is repainted after this many bytes.
constexpr std::size_t kProgressBytes = 1000;

// Month and weekday names (Windows-1252), German, English, French.
constexpr const char* kMonths[3][12] = {
    { "Januar", "Februar", "M\xE4rz", "April", "Mai", "Juni", "Juli", "August", "September", "Oktober",
      "November", "Dezember" },
    { "January", "February", "March", "April", "May", "June", "July", "August", "September", "October",
      "November", "December" },
    { "janvier", "f\xE9vrier", "mars", "avril", "mai", "juin", "juillet", "ao\xFBt", "septembre", "octobre",
      "novembre", "d\xE9" "cembre" },
};
constexpr const char* kWeekdays[3][7] = {
    { "Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag" },
    { "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday" },
    { "dimanche", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi" },
};

// The built-in number formats that BIFF 5 and later files use without a
// FORMAT record, in the forms this program shows them.
struct BuiltIn {
    int index;
    const char* text;
};
constexpr BuiltIn kBuiltIns[] = {
    { 14, "dd/mm/yyyy" }, { 15, "d/mmm/yy" }, { 16, "d/mmm" },    { 17, "mmm/yy" },    { 22, "dd/mm/yyyy" },
    { 1, "0" },           { 2, "0.00" },      { 3, "#,##0" },     { 4, "#,##0.00" },   { 5, "#,##0" },
    { 6, "#,##0" },       { 7, "#,##0.00" },  { 8, "#,##0.00" },  { 9, "0%" },         { 10, "0.00%" },
    { 37, "#,##0" },      { 38, "#,##0" },    { 39, "#,##0.00" }, { 40, "#,##0.00" },  { 41, "#,##0" },
    { 42, "#,##0" },      { 43, "#,##0.00" }, { 44, "#,##0.00" },
};

// From 1970-01-01 back to the civil date (proleptic Gregorian).
void CivilFromDays(long long z, long long& y, unsigned& m, unsigned& d)
{
    z += 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    unsigned doe = static_cast<unsigned>(z - era * 146097);
    unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<long long>(yoe) + era * 400;
    unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

int LanguageRow(int offset)
{
    if (offset == kLangEnglish)
        return 1;
    if (offset == kLangFrench)
        return 2;
    return 0;
}

char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool IsDateLetter(char c)
{
    char l = Lower(c);
    return l == 'd' || l == 'm' || l == 'y';
}

// Where the part of a format before its first ";" ends (a ";" in quotes is
// text).
std::size_t FirstSection(std::string_view f)
{
    bool quoted = false;
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (f[i] == '"')
            quoted = !quoted;
        else if (f[i] == ';' && !quoted)
            return i;
    }
    return f.size();
}

void AppendNumber(std::string& out, long long v, int width)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*lld", width, v);
    out += buf;
}

std::string ToChars(double x, std::chars_format fmt, int precision)
{
    char buf[512];
    auto result = std::to_chars(buf, buf + sizeof buf, x, fmt, precision);
    if (result.ec != std::errc())
        return {};
    return std::string(buf, result.ptr);
}

char WideToAnsi(unsigned ch)
{
    if (ch < 256)
        return static_cast<char>(ch);
    int b = UnicodeToCp1252(static_cast<char32_t>(ch));
    return b >= 0 ? static_cast<char>(b) : '?';
}

}  // namespace

long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    long long era = (y >= 0 ? y : y - 399) / 400;
    unsigned yoe = static_cast<unsigned>(y - era * 400);
    unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}


CBiffReader::CBiffReader(NumberSeparators separators, int language)
    : m_sep(separators)
    , m_language(language < 0 ? LanguageOffset() : language)
{
}

// ---- the file ---------------------------------------------------------------

int CBiffReader::ReadSpreadsheet(const std::string& fileName, CImportTable& table, IMessageUi& ui)
{
    m_error = kNoError;
    std::string bytes;
    FileReadResult result = LoadWholeFile(fileName, bytes, std::string().max_size());
    if (result.outcome == FileReadResult::Outcome::NotOpened) {
        // Not even the compound-file test can look at it.
        m_error = kStorageFailure;
        return 0;
    }
    if (result.outcome == FileReadResult::Outcome::ReadFailed) {
        ui.Message(SystemErrorText(result.error), MsgButtons::Ok, MsgIcon::None);
        m_error = kFileException;
        return 0;
    }
    return ReadFileBytes(bytes, table, &ui);
}

int CBiffReader::ReadFileBytes(std::string_view bytes, CImportTable& table, IMessageUi* ui)
{
    m_error = kNoError;
    if (CCompoundFile::HasSignature(bytes)) {
        CCompoundFile storage;
        if (!storage.Open(bytes)) {
            m_error = kStorageFailure;
            return 0;
        }
        auto stream = storage.ReadStream("Workbook");
        if (!stream)
            stream = storage.ReadStream("Book");
        if (!stream) {
            // A compound file of another program, such as a word processor.
            m_error = kWrongFormat;
            return 0;
        }
        return ReadStream(*stream, table, ui);
    }
    if (bytes.empty()) {
        m_error = kEmpty;
        return 0;
    }
    return ReadStream(bytes, table, ui);
}

void CBiffReader::ReportError(IMessageUi& ui) const
{
    unsigned id = 0;
    switch (m_error) {
    case kEmpty: id = msg::EmptyFile; break;
    case kWrongFormat: id = msg::UnknownFileFormat; break;
    case kUnsupportedVersion: id = msg::UnreadableVersion; break;
    case kStorageFailure: id = msg::FileOpenError; break;
    case kPasswordProtected: id = msg::PasswordProtected; break;
    default: return;
    }
    ui.Message(Text(id), MsgButtons::Ok, MsgIcon::None);
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
bool CBiffReader::ReadUnicodeString(std::string& out)
{
    unsigned count, options;
    if (!Read16(count) || !Read8(options))
        return false;
    unsigned runs = 0;
    std::uint32_t extension = 0;
    if ((options & 0x08) && !Read16(runs))
        return false;
    if ((options & 0x04) && !Read32(extension))
        return false;
    bool wide = options & 0x01;
    out.clear();
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
            out.push_back(WideToAnsi(ch));
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
    return true;
}

// ---- the record loop ----------------------------------------------------------

int CBiffReader::ReadStream(std::string_view stream, CImportTable& table, IMessageUi* ui)
{
    m_error = kNoError;
    m_version = 0;
    m_stream = stream;
    m_rec = {};
    m_table = &table;
    m_sst.clear();
    m_xfFormats.clear();
    m_formats.clear();
    m_nextFormatIndex = 0;

    if (!NextRecord()) {
        m_error = kWrongFormat;
        return 0;
    }
    unsigned versionField = 0, substream = 0;
    switch (m_rec.type) {
    case kBof2: m_version = 2; break;
    case kBof3: m_version = 3; break;
    case kBof4: m_version = 4; break;
    case kBof5:
        if (!Read16(versionField)) {
            m_error = kWrongFormat;
            return 0;
        }
        if (versionField == 0x0500)
            m_version = 7;
        else if (versionField == 0x0600)
            m_version = 8;
        else {
            m_error = kUnsupportedVersion;
            return 0;
        }
        break;
    default:
        m_error = kWrongFormat;
        return 0;
    }
    if (m_version <= 4)
        Skip(2);
    Read16(substream);
    // Embedded charts bring their own BOF and EOF inside a worksheet, so the
    // substreams nest.
    std::vector<unsigned> substreams { substream };

    if (ui) {
        ui->BeginWait();
        ui->ProgressBegin(Text(msg::FileAnalyzing));
    }
    std::size_t shownAt = 0;
    bool done = false;
    while (!done && NextRecord()) {
        unsigned row, column;
        int format;
        switch (m_rec.type) {
        case kBof2:
        case kBof3:
        case kBof4:
        case kBof5:
            substream = 0;
            Skip(2);
            Read16(substream);
            substreams.push_back(substream);
            break;
        case kEof:
            if (!substreams.empty()) {
                unsigned ended = substreams.back();
                substreams.pop_back();
                if (ended == kGlobals && (m_version == 7 || m_version == 8))
                    RegisterBuiltInFormats();
                else if (ended == kWorksheet)
                    done = true;  // only the first worksheet is read
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
        case kInteger2: {
            unsigned v;
            if (ReadCellHeader(row, column, format) && Read16(v))
                StoreCell(NumberToText(format, v), row, column);
            break;
        }
        case kNumber2:
        case kNumber3: {
            double v;
            if (ReadCellHeader(row, column, format) && ReadDouble(v))
                StoreCell(NumberToText(format, v), row, column);
            break;
        }
        case kFilePass:
            // Its cells would be read as random numbers and texts.
            m_error = kPasswordProtected;
            done = true;
            break;
        case kRString:
            if (m_version < 7)
                break;
            [[fallthrough]];
        case kLabel2:
        case kLabel3: {
            // A rich text is a label followed by its formatting runs, which
            // are of no use to a card.
            std::string text;
            unsigned length;
            if (!ReadCellHeader(row, column, format))
                break;
            if (m_version == 8) {
                if (ReadUnicodeString(text))
                    StoreCell(text, row, column);
            } else if (m_version == 2 ? Read8(length) : Read16(length)) {
                ReadByteString(length, text);
                StoreCell(text, row, column);
            }
            break;
        }
        case kRk2:
        case kRk3: {
            std::uint32_t rk;
            if (ReadCellHeader(row, column, format) && Read32(rk))
                StoreCell(NumberToText(format, DecodeRk(rk)), row, column);
            break;
        }
        case kMulRk:
            ReadMulRk();
            break;
        case kLabelSst: {
            std::uint32_t index;
            if (ReadCellHeader(row, column, format) && Read32(index) && index < m_sst.size())
                StoreCell(m_sst[index], row, column);
            break;
        }
        default:
            break;
        }
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
    return m_error == kNoError ? 1 : 0;
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
    if (column < kMaxColumns)
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
        if (!ReadUnicodeString(text))
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
    if (index < 0 || index > 0xFFFF)
        return;
    if (static_cast<std::size_t>(index) >= m_formats.size())
        m_formats.resize(static_cast<std::size_t>(index) + 1);
    m_formats[static_cast<std::size_t>(index)] = ConvertFormat(formatText);
}

void CBiffReader::RegisterBuiltInFormats()
{
    for (const auto& b : kBuiltIns) {
        Format f = ConvertFormat(b.text);
        std::size_t i = static_cast<std::size_t>(b.index);
        if (i >= m_formats.size() || !m_formats[i].present || m_formats[i].kind != f.kind)
            SetFormat(b.index, b.text);
    }
}

CBiffReader::Format CBiffReader::ConvertFormat(std::string_view text) const
{
    Format f;
    f.present = true;
    std::string_view part = text.substr(0, FirstSection(text));
    bool hasPoint = false, grouping = false, hashAfterPoint = false;
    int maxDecimals = 0, minDecimals = 0, minInteger = 0;
    for (std::size_t i = 0; i < part.size() && f.kind != 2; ++i) {
        char c = part[i];
        switch (c) {
        case '\\':
        case '_':
        case '*':
            ++i;  // the next character is literal text or padding
            break;
        case '"':
            while (++i < part.size() && part[i] != '"') {
            }
            break;
        case '[':
            while (++i < part.size() && part[i] != ']') {
            }
            break;
        case '%':
            f.percent = true;
            break;
        case '.':
            hasPoint = true;
            f.kind = 1;
            break;
        case '#':
            f.kind = 1;
            if (hasPoint) {
                ++maxDecimals;
                hashAfterPoint = true;
            }
            break;
        case '0':
            f.kind = 1;
            if (!hasPoint) {
                ++minInteger;
            } else {
                ++maxDecimals;
                if (!hashAfterPoint)
                    ++minDecimals;
            }
            break;
        case ',':
            if (!hasPoint && f.kind == 1 && i + 1 < part.size() && (part[i + 1] == '#' || part[i + 1] == '0'))
                grouping = true;
            break;
        default:
            if (IsDateLetter(c))
                f.kind = 2;
        }
    }
    if (f.kind == 1) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%02i%02i%02i%i%i", maxDecimals, minDecimals, minInteger, hasPoint ? 1 : 0,
                      grouping ? 1 : 0);
        f.text = buf;
    } else if (f.kind == 2) {
        // The pattern with "/" as the locale's date separator. A character
        // after a backslash, and quoted text, are shown as they are: they
        // are kept behind a backslash here. Colours and locales in brackets
        // are dropped, and so is the time of day (from the first hour or
        // second), since only the day is shown.
        std::vector<std::pair<char, bool>> chars;  // character, taken literally
        bool cut = false;
        for (std::size_t i = 0; i < part.size() && !cut; ++i) {
            char c = part[i];
            switch (c) {
            case '\\':
                if (i + 1 < part.size())
                    chars.emplace_back(part[++i], true);
                break;
            case '"':
                while (++i < part.size() && part[i] != '"')
                    chars.emplace_back(part[i], true);
                break;
            case '[':
                while (++i < part.size() && part[i] != ']') {
                }
                break;
            case '/':
                chars.emplace_back(m_sep.date, true);
                break;
            case 'h':
            case 'H':
            case 's':
            case 'S':
                cut = true;
                break;
            default:
                chars.emplace_back(c, false);
            }
        }
        if (cut) {
            while (!chars.empty() && (chars.back().first == ' ' || chars.back().first == ':'))
                chars.pop_back();
        }
        std::string p;
        bool anyDateLetter = false;
        for (auto [c, literal] : chars) {
            if (literal || c == '\\')
                p += '\\';
            else if (IsDateLetter(c))
                anyDateLetter = true;
            p += c;
        }
        if (!anyDateLetter)
            f.kind = 0;  // a time of day alone
        else
            f.text = p;
    }
    return f;
}

bool CBiffReader::IsDateFormat(int index) const
{
    return index > 0 && static_cast<std::size_t>(index) < m_formats.size()
        && m_formats[static_cast<std::size_t>(index)].kind == 2;
}

std::string CBiffReader::NumberToText(int formatIndex, double x) const
{
    if (formatIndex > 0 && static_cast<std::size_t>(formatIndex) < m_formats.size()) {
        const Format& f = m_formats[static_cast<std::size_t>(formatIndex)];
        if (f.kind == 2) {
            std::string text = DateText(f.text, x);
            if (!text.empty())
                return text;
        } else if (f.kind == 1 && f.text.size() == 8) {
            return FixedText(f, x);
        }
    }
    return GeneralText(x);
}

std::string CBiffReader::GeneralText(double x) const
{
    std::string text = ToChars(x, std::chars_format::general, 12);
    std::size_t point = text.find('.');
    if (point == std::string::npos)
        point = text.find(',');
    if (point != std::string::npos)
        text[point] = m_sep.decimal;
    return text;
}

std::string CBiffReader::FixedText(const Format& f, double x) const
{
    int maxDecimals = std::stoi(f.text.substr(0, 2));
    int minDecimals = std::stoi(f.text.substr(2, 2));
    int minInteger = std::stoi(f.text.substr(4, 2));
    bool hasPoint = f.text[6] == '1';
    bool grouping = f.text[7] == '1';
    if (f.percent)
        x *= 100;

    std::string text = ToChars(x, std::chars_format::fixed, maxDecimals);
    if (!std::isfinite(x))
        return text;
    std::size_t point = text.find('.');
    if (point == std::string::npos && hasPoint) {
        point = text.size();
        text += '.';  // the point is shown even without decimals
    }
    if (point != std::string::npos) {
        text[point] = m_sep.decimal;
        if (minDecimals < maxDecimals) {
            std::size_t keep = point + 1 + static_cast<std::size_t>(minDecimals);
            while (text.size() > keep && text.back() == '0')
                text.pop_back();
        }
    }
    std::size_t intBegin = (!text.empty() && text[0] == '-') ? 1 : 0;
    std::size_t intEnd = point != std::string::npos ? point : text.size();
    if (minInteger > 0 && intEnd - intBegin < static_cast<std::size_t>(minInteger)) {
        std::size_t pad = static_cast<std::size_t>(minInteger) - (intEnd - intBegin);
        text.insert(intBegin, pad, '0');
        intEnd += pad;
    }
    if (grouping) {
        for (std::size_t at = intEnd; at > intBegin + 3;) {
            at -= 3;
            text.insert(at, 1, m_sep.thousands);
        }
    }
    if (f.percent)
        text += '%';
    return text;
}

std::string CBiffReader::DateText(const std::string& pattern, double x) const
{
    // Serials beyond the years 1..9999 are no dates.
    if (!(x > -693593.0 && x < 2958466.0))
        return {};
    long long serial = static_cast<long long>(std::trunc(x));
    // Day 1 is 1 January 1900; the spreadsheet counts a 29 February 1900
    // that did not exist.
    long long offset = serial - 1;
    if (offset > 58)
        --offset;
    long long days = DaysFromCivil(1900, 1, 1) + offset;
    long long year;
    unsigned month, day;
    CivilFromDays(days, year, month, day);
    int weekday = static_cast<int>(((days % 7) + 7 + 4) % 7);  // 1970-01-01 was a Thursday
    int lang = LanguageRow(m_language);
    std::string monthName = kMonths[lang][month - 1];
    std::string dayName = kWeekdays[lang][weekday];

    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        char c = pattern[i];
        if (c == '\\' && i + 1 < pattern.size()) {
            out += pattern[i + 1];
            i += 2;
            continue;
        }
        if (!IsDateLetter(c)) {
            out += c;
            ++i;
            continue;
        }
        char letter = Lower(c);
        std::size_t run = 1;
        while (i + run < pattern.size() && Lower(pattern[i + run]) == letter)
            ++run;
        i += run;
        if (letter == 'd') {
            if (run <= 2)
                AppendNumber(out, day, static_cast<int>(run));
            else if (run == 3)
                out += dayName.substr(0, 2);
            else
                out += dayName;
        } else if (letter == 'm') {
            if (run >= 5)
                run -= 2;  // "mmmmm" is shown as "mmm"
            if (run <= 2)
                AppendNumber(out, month, static_cast<int>(run));
            else if (run == 3)
                out += monthName.substr(0, 3);
            else
                out += monthName;
        } else {
            long long y = year < 0 ? -year : year;
            if (run == 1)
                AppendNumber(out, y % 10, 1);
            else if (run < 4)
                AppendNumber(out, y % 100, 2);
            else
                AppendNumber(out, year, 4);
        }
    }
    return out;
}

}  // namespace velkaro
