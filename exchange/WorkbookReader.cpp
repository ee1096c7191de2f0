#include "WorkbookReader.h"

#include "OdsReader.h"
#include "XlsxReader.h"
#include "ZipArchive.h"
#include "app/Cp1252.h"
#include "app/Language.h"
#include "model/UserInterface.h"
#include "resources/MessageIds.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace velkaro {

namespace {

// A workbook file larger than this is not read into memory at all.
constexpr std::size_t kMaxFileBytes = 256u << 20;

}  // namespace

bool CSheetSink::Store(const std::string& ansiText, long long row, long long column)
{
    if (m_full)
        return false;
    if (row < 0 || column < 0 || row >= m_limits.rows || column >= m_limits.columns)
        return true;  // beyond what is read, as the BIFF reader drops columns beyond its formats
    if (++m_cells > m_limits.cells) {
        m_full = true;
        return false;
    }
    m_table.SetField(ansiText, static_cast<int>(row), static_cast<int>(column));
    return true;
}

std::string WorkbookText(std::string_view utf8)
{
    return Utf8ToAnsi(std::string(utf8));
}

bool IsWorkbookBytes(std::string_view bytes)
{
    if (!CZipArchive::HasSignature(bytes))
        return false;
    CZipArchive zip;
    return zip.Open(bytes) && (IsXlsxArchive(zip) || IsOdsArchive(zip));
}

SheetResult ReadWorkbookBytes(std::string_view bytes, CImportTable& table, const NumberSeparators& separators,
                              int language, const SheetLimits& limits)
{
    CZipArchive zip;
    if (!zip.Open(bytes))
        return CZipArchive::HasSignature(bytes) ? SheetResult::Damaged : SheetResult::NotAWorkbook;
    if (IsOdsArchive(zip))
        return ReadOdsArchive(zip, table, separators, language, limits);
    if (IsXlsxArchive(zip))
        return ReadXlsxArchive(zip, table, separators, language, limits);
    return SheetResult::NotAWorkbook;
}

int ReadWorkbookFile(const std::string& fileName, CImportTable& table, IUserInterface& ui,
                     const NumberSeparators& separators)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(fileName.c_str(), "rb"), &std::fclose);
    if (!file) {
        ui.Message(Text(msg::FileOpenError), MsgButtons::Ok, MsgIcon::None);
        return 0;
    }
    std::string bytes;
    char buf[64 * 1024];
    std::size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, file.get())) > 0) {
        if (bytes.size() + got > kMaxFileBytes) {
            ui.Message(Text(msg::WorkbookTooLarge), MsgButtons::Ok, MsgIcon::None);
            return 0;
        }
        bytes.append(buf, got);
    }
    if (std::ferror(file.get())) {
        ui.Message(std::strerror(errno != 0 ? errno : EIO), MsgButtons::Ok, MsgIcon::None);
        return 0;
    }
    ui.BeginWait();
    SheetResult result = ReadWorkbookBytes(bytes, table, separators);
    ui.EndWait();
    unsigned id = 0;
    switch (result) {
    case SheetResult::Ok: return 1;
    case SheetResult::NotAWorkbook: id = msg::UnknownFileFormat; break;
    case SheetResult::Damaged: id = msg::WorkbookDamaged; break;
    case SheetResult::TooLarge: id = msg::WorkbookTooLarge; break;
    }
    ui.Message(Text(id), MsgButtons::Ok, MsgIcon::None);
    return 0;
}

}  // namespace velkaro
