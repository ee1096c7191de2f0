#include "WorkbookReader.h"

#include "FileAccess.h"
#include "OdsReader.h"
#include "TextReader.h"
#include "XlsxReader.h"
#include "XmlParser.h"
#include "ZipArchive.h"
#include "text/Cp1252.h"
#include "text/Language.h"
#include "model/MessageUi.h"
#include "text/MessageIds.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

namespace velkaro {

namespace {

// A workbook file larger than this is not read into memory at all.
constexpr std::size_t kMaxFileBytes = 256u << 20;

long long ParseNumber(std::string_view s)
{
    long long v = -1;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && p == s.data() + s.size() ? v : -1;
}

}  // namespace

bool IsoDateSerial(std::string_view iso, double& serial)
{
    if (iso.size() < 10 || iso[4] != '-' || iso[7] != '-')
        return false;
    long long y = ParseNumber(iso.substr(0, 4));
    long long m = ParseNumber(iso.substr(5, 2));
    long long d = ParseNumber(iso.substr(8, 2));
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > 31)
        return false;
    long long days = DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) - DaysFromCivil(1899, 12, 30);
    if (days < 61)
        --days;
    serial = static_cast<double>(days);
    return true;
}

bool CSheetSink::Store(const std::string& ansiText, long long row, long long column)
{
    if (Full())
        return false;
    if (row < 0 || column < 0 || row >= m_limits.rows || column >= m_limits.columns)
        return true;  // beyond what is read, as the BIFF reader drops columns beyond its formats
    if (++m_cells > m_limits.cells) {
        m_full = true;
        return false;
    }
    // Rows come in order: a row met again is counted again, which no real
    // sheet does often.
    const std::size_t record = row != m_lastRow ? kBuildBytesPerRecord : 0;
    m_lastRow = row;
    if (!m_budget.Spend(ansiText.size() + kBuildBytesPerCell + record))
        return false;
    m_table.SetField(ansiText, static_cast<int>(row), static_cast<int>(column));
    return true;
}

void CSheetSink::AddInput(std::size_t bytes)
{
    if (m_limits.buildBytes != 0)
        return;
    const std::size_t before = BuildBudget(m_input);
    m_input += bytes;
    m_budget.Grow(BuildBudget(m_input) - before);
}

CWorkbookPart::CWorkbookPart(const CZipArchive& zip, std::string name, std::size_t maxBytes)
    : m_zip(&zip)
    , m_name(std::move(name))
    , m_maxBytes(maxBytes)
{
}

SheetResult CWorkbookPart::Parse(IXmlHandler& handler, CSheetSink* sink, bool needed) const
{
    const SheetResult absent = needed ? SheetResult::Damaged : SheetResult::Ok;
    if (!m_zip) {
        if (m_bytes.empty())
            return absent;
        return ParseXml(m_bytes, handler) ? SheetResult::Ok : SheetResult::Damaged;
    }
    CXmlStream stream(handler);
    std::size_t inflated = 0;
    const CZipArchive::Status status = m_zip->Stream(m_name, m_maxBytes, [&](std::string_view piece) {
        inflated += piece.size();
        if (sink)
            sink->AddInput(piece.size());
        return stream.Feed(piece);
    });
    if (status == CZipArchive::Status::TooLarge)
        return SheetResult::TooLarge;
    if (status == CZipArchive::Status::Damaged)
        return SheetResult::Damaged;
    if (status == CZipArchive::Status::Missing || inflated == 0)
        return absent;
    return stream.Finish() ? SheetResult::Ok : SheetResult::Damaged;
}

SheetResult CSheetSink::Result() const
{
    return m_budget.Exceeded() ? SheetResult::TooMuchText : m_full ? SheetResult::TooLarge : SheetResult::Ok;
}

std::string WorkbookText(std::string_view utf8)
{
    // As a UTF-8 text file's fields: what Windows-1252 lacks goes to its base
    // letter or is transliterated, not to a question mark.
    return Utf8FieldToAnsi(utf8);
}

SheetResult ReadWorkbookBytes(std::string_view bytes, CImportTable& table, const NumberSeparators& separators,
                              int language, const SheetLimits& limits, const SheetPicker& pick)
{
    CZipArchive zip;
    if (!zip.Open(bytes))
        return CZipArchive::HasSignature(bytes) ? SheetResult::Damaged : SheetResult::NotAWorkbook;
    // The budget grows with the file, not with the parts it inflates to.
    SheetLimits within = limits;
    if (within.buildBytes == 0)
        within.buildBytes = BuildBudget(bytes.size());
    if (IsOdsArchive(zip))
        return ReadOdsArchive(zip, table, separators, language, within, pick);
    if (IsXlsxArchive(zip))
        return ReadXlsxArchive(zip, table, separators, language, within, pick);
    return SheetResult::NotAWorkbook;
}

Outcome ReadWorkbookFile(const std::string& fileName, CImportTable& table, IMessageUi& ui,
                         const NumberSeparators& separators, const SheetPicker& pick)
{
    std::string bytes;
    // One byte beyond the largest workbook tells a file that is too large.
    const FileReadResult read = LoadWholeFile(fileName, bytes, kMaxFileBytes + 1);
    if (read.status == FileReadResult::Status::NotOpened)
        return Outcome(OutcomeKind::IoError, msg::FileOpenError);
    if (bytes.size() > kMaxFileBytes)
        return Outcome(OutcomeKind::BadInput, msg::WorkbookTooLarge);
    if (!read)
        return FileReadOutcome(read);
    ui.BeginWait();
    SheetResult result = ReadWorkbookBytes(bytes, table, separators, -1, {}, pick);
    ui.EndWait();
    auto bad = [](unsigned id, FormatArgs args = {}) { return Outcome(OutcomeKind::BadInput, id, std::move(args)); };
    switch (result) {
    case SheetResult::Ok: return {};
    case SheetResult::NoSheetChosen: return Outcome(OutcomeKind::Cancelled);
    case SheetResult::NotAWorkbook: return bad(msg::UnknownFileFormat);
    case SheetResult::Damaged: return bad(msg::WorkbookDamaged);
    case SheetResult::Encrypted: return bad(msg::PasswordProtected);
    case SheetResult::TooLarge: return bad(msg::WorkbookTooLarge);
    case SheetResult::TooMuchText: break;
    }
    table.RemoveAll();
    return bad(msg::ImportTooMuchText, { CBuildBudget(BuildBudget(bytes.size())).Megabytes() });
}

}  // namespace velkaro
