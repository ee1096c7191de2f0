#include "TextWriter.h"

#include "FileAccess.h"
#include "ImportTable.h"

#include "model/MessageUi.h"

namespace velkaro {

std::string BuildDelimitedText(const CImportTable& table, char separator, bool quote)
{
    const int width = table.WidestRecord();
    std::string out;
    for (int r = 0; r < table.RecordCount(); ++r) {
        for (int c = 0; c < width; ++c) {
            if (quote)
                out += '"';
            out += table.FieldText(r, c);
            if (quote)
                out += '"';
            if (c == width - 1)
                out += "\r\n";
            else
                out += separator;
        }
    }
    return out;
}

std::optional<std::string> WriteDelimitedTextFile(const std::string& path, const CImportTable& table,
                                                  char separator, bool quote)
{
    return WriteWholeFile(path, BuildDelimitedText(table, separator, quote));
}

bool WriteDelimitedText(const std::string& path, const CImportTable& table, char separator, bool quote,
                        IMessageUi* ui)
{
    auto error = WriteDelimitedTextFile(path, table, separator, quote);
    if (error && ui)
        ui->Message(*error, MsgButtons::Ok, MsgIcon::None);
    return !error;
}

}  // namespace velkaro
