// Writes sample tables with CSpreadsheetWriter and, beside each, the cells
// it holds as UTF-8 CSV, for check_with_libreoffice.sh to compare with what
// a real spreadsheet program reads from the file.

#include "text/Cp1252.h"
#include "exchange/ImportTable.h"
#include "exchange/SpreadsheetWriter.h"

#include <cstdio>
#include <fstream>
#include <string>

using namespace velkaro;

namespace {

std::string CsvField(const std::string& ansi)
{
    std::string text = AnsiToUtf8(ansi);
    bool quote = text.find_first_of(",\"\n") != std::string::npos;
    std::string out;
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return quote ? "\"" + out + "\"" : out;
}

void Write(const std::string& dir, const std::string& name, const CImportTable& table, bool header,
           const std::vector<uint16_t>* widths)
{
    if (const Outcome written = CSpreadsheetWriter::WriteFile(dir + "/" + name + ".xls", table, header, widths);
        !written) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), written.Message().c_str());
        std::exit(1);
    }
    std::ofstream csv(dir + "/" + name + ".expected.csv", std::ios::binary);
    const int width = table.WidestRecord();
    for (int r = 0; r < table.RecordCount(); ++r) {
        for (int c = 0; c < width; ++c) {
            std::string text = table.FieldText(r, c);
            if (text.size() > 255)
                text.resize(255);
            csv << (c ? "," : "") << CsvField(text);
        }
        csv << "\n";
    }
}

}  // namespace

int main(int argc, char** argv)
{
    std::string dir = argc > 1 ? argv[1] : ".";

    CImportTable cards;
    const char* labels[] = { "Name", "Telefon", "Zeile 1", "Zeile 2" };
    for (int c = 0; c < 4; ++c)
        cards.SetField(labels[c], 0, c);
    for (int r = 1; r < 70; ++r) {
        cards.SetField("M\xFCller " + std::to_string(r), r, 0);
        cards.SetField("+41 44 " + std::to_string(1000 + r), r, 1);
        if (r % 3 == 0)
            cards.SetField("Z\xFCrich \x80 \"quoted\", comma", r, 3);  // column 2 stays empty
    }
    std::vector<uint16_t> widths = { 25, 20, 30, 30, 30, 30, 30, 30 };
    Write(dir, "cards", cards, true, &widths);

    CImportTable calls;
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 7; ++c)
            calls.SetField(c == 6 ? std::string(300, static_cast<char>('a' + r)) : std::to_string(r * 10 + c), r, c);
    Write(dir, "calls", calls, false, nullptr);

    Write(dir, "empty", CImportTable(), false, nullptr);
    return 0;
}
