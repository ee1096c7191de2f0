#include "ImportReader.h"

#include "text/Language.h"
#include "exchange/CompoundFile.h"
#include "exchange/TextReader.h"
#include "exchange/VCardReader.h"
#include "exchange/WorkbookReader.h"
#include "model/MessageUi.h"
#include "text/MessageIds.h"

#include <cstdio>
#include <memory>

namespace velkaro {

namespace {

// A zip file begins with a local file header, or with the end record when
// it holds nothing.
constexpr std::string_view kZipEntry = "PK\x03\x04";
constexpr std::string_view kZipEmpty = "PK\x05\x06";

// The first bytes of the file; empty when it cannot be opened or read (the
// chosen reader then reports that in its own way).
std::string ReadHead(const std::string& fileName)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(fileName.c_str(), "rb"), &std::fclose);
    if (!file)
        return {};
    char head[kImportFileHeadSize];
    std::size_t got = std::fread(head, 1, sizeof head, file.get());
    return std::string(head, got);
}

}  // namespace

bool IsSpreadsheetFileName(const std::string& fileName)
{
    std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || dot + 1 >= fileName.size())
        return false;
    std::string extension = fileName.substr(dot + 1);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return extension == "xls";
}

ImportFileKind DetectImportFileKind(const std::string& fileName, std::string_view head)
{
    if (CCompoundFile::HasSignature(head))
        return ImportFileKind::CompoundFile;
    if (head.substr(0, kZipEntry.size()) == kZipEntry || head.substr(0, kZipEmpty.size()) == kZipEmpty)
        return ImportFileKind::ZipContainer;
    if (IsVCardFileName(fileName) || LooksLikeVCard(head))
        return ImportFileKind::VCard;
    return IsSpreadsheetFileName(fileName) ? ImportFileKind::Spreadsheet : ImportFileKind::Text;
}

int ReadImportFile(const std::string& fileName, CImportTable& table, IMessageUi& ui,
                   const NumberSeparators& separators)
{
    switch (DetectImportFileKind(fileName, ReadHead(fileName))) {
    case ImportFileKind::Text:
        return ReadTextFile(fileName, table, ui);
    case ImportFileKind::VCard:
        return ReadVCardFile(fileName, table, ui);
    case ImportFileKind::ZipContainer:
        // An .xlsx or .ods workbook, whatever its name; any other zip
        // container is refused there as a foreign format.
        return ReadWorkbookFile(fileName, table, ui, separators);
    case ImportFileKind::Spreadsheet:
    case ImportFileKind::CompoundFile:
        break;
    }
    CBiffReader reader(separators);
    if (reader.ReadSpreadsheet(fileName, table, ui))
        return 1;
    reader.ReportError(ui);
    return 0;
}

}  // namespace velkaro
