#include "ImportReader.h"

#include "exchange/TextReader.h"
#include "exchange/WorkbookReader.h"
#include "exchange/ZipArchive.h"

#include <cstdio>

namespace velkaro {

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

namespace {

// A zip container (an .xlsx or .ods workbook) is told by its first bytes, so
// a workbook saved under another name is read too.
bool StartsAsZipContainer(const std::string& fileName)
{
    char head[4] = {};
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file)
        return false;
    std::size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    return CZipArchive::HasSignature(std::string_view(head, got));
}

}  // namespace

int ReadImportFile(const std::string& fileName, CImportTable& table, IUserInterface& ui,
                   const NumberSeparators& separators)
{
    if (StartsAsZipContainer(fileName))
        return ReadWorkbookFile(fileName, table, ui, separators);
    if (!IsSpreadsheetFileName(fileName))
        return ReadTextFile(fileName, table, ui);
    CBiffReader reader(separators);
    if (reader.ReadSpreadsheet(fileName, table, ui))
        return 1;
    reader.ReportError(ui);
    return 0;
}

}  // namespace velkaro
