#include "TextWriter.h"

#include "FileAccess.h"
#include "ImportTable.h"

#include "text/Cp1252.h"
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

Outcome WriteDelimitedText(const std::string& path, const CImportTable& table, char separator, bool quote)
{
    return WriteWholeFile(path, BuildDelimitedText(table, separator, quote));
}

std::string BuildCsvUtf8(const CImportTable& table)
{
    const int width = table.WidestRecord();
    std::string out = "\xEF\xBB\xBF";
    for (int r = 0; r < table.RecordCount(); ++r) {
        for (int c = 0; c < width; ++c) {
            const std::string field = AnsiToUtf8(table.FieldText(r, c));
            // A field that opens with an apostrophe is quoted too: readers,
            // ours among them, may take a closing apostrophe as its quote.
            if (field.find_first_of(",\"\r\n") == std::string::npos && (field.empty() || field[0] != '\'')) {
                out += field;
            } else {
                out += '"';
                for (char ch : field) {
                    if (ch == '"')
                        out += '"';
                    out += ch;
                }
                out += '"';
            }
            out += c == width - 1 ? "\r\n" : ",";
        }
    }
    return out;
}

Outcome WriteCsvUtf8(const std::string& path, const CImportTable& table)
{
    return WriteWholeFile(path, BuildCsvUtf8(table));
}

}  // namespace velkaro
