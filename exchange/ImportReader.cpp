#include "ImportReader.h"

#include "exchange/TextReader.h"
#include "exchange/VCardReader.h"

#include <cstdio>
#include <memory>

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

// A vCard goes to its own reader by its name or by its first line, so that a
// card file saved as .txt is still read as cards.
bool IsVCardFile(const std::string& fileName)
{
    if (IsVCardFileName(fileName))
        return true;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(fileName.c_str(), "rb"), &std::fclose);
    if (!file)
        return false;
    char head[64];
    const std::size_t got = std::fread(head, 1, sizeof head, file.get());
    return LooksLikeVCard({ head, got });
}

}  // namespace

int ReadImportFile(const std::string& fileName, CImportTable& table, IUserInterface& ui,
                   const NumberSeparators& separators)
{
    if (IsVCardFile(fileName))
        return ReadVCardFile(fileName, table, ui);
    if (!IsSpreadsheetFileName(fileName))
        return ReadTextFile(fileName, table, ui);
    CBiffReader reader(separators);
    if (reader.ReadSpreadsheet(fileName, table, ui))
        return 1;
    reader.ReportError(ui);
    return 0;
}

}  // namespace velkaro
