#include "ImportReader.h"

#include "exchange/TextReader.h"

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

int ReadImportFile(const std::string& fileName, CImportTable& table, IUserInterface& ui,
                   const NumberSeparators& separators)
{
    if (!IsSpreadsheetFileName(fileName))
        return ReadTextFile(fileName, table, ui);
    CBiffReader reader(separators);
    if (reader.ReadSpreadsheet(fileName, table, ui))
        return 1;
    reader.ReportError(ui);
    return 0;
}

}  // namespace velkaro
