// The vCard writer over any card: the bytes, cut at NUL, are the 32 labels
// and then the 32 lines. Every non-empty line must come back from exactly
// one property marked with its number, its value (unescaped unless a TEL)
// the line in UTF-8 (a CR, which vCard cannot hold, as a line break).
#include "exchange/ImportTable.h"
#include "exchange/VCardWriter.h"

#include "text/Cp1252.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

namespace {

std::string Unescaped(const std::string& value)
{
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            ++i;
            out += value[i] == 'n' || value[i] == 'N' ? '\n' : value[i];
        } else {
            out += value[i];
        }
    }
    return out;
}

std::string Expected(const std::string& line)
{
    std::string out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\r' && i + 1 < line.size() && line[i + 1] == '\n')
            continue;
        out += line[i] == '\r' ? '\n' : line[i];
    }
    return velkaro::AnsiToUtf8(out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    velkaro::CImportTable table;
    std::string lines[32];
    std::size_t start = 0;
    for (int field = 0; field < 64 && start <= size; ++field) {
        std::size_t end = start;
        while (end < size && data[end] != 0)
            ++end;
        const std::string text(reinterpret_cast<const char*>(data) + start, end - start);
        table.SetField(text, field / 32, field % 32);
        if (field >= 32)
            lines[field - 32] = text;
        start = end + 1;
    }
    if (table.RecordCount() < 2)
        return 0;
    std::string vcard = velkaro::BuildVCards(table);
    for (std::size_t fold; (fold = vcard.find("\r\n ")) != std::string::npos;)
        vcard.erase(fold, 3);

    std::map<int, std::string> marked;
    for (std::size_t at = 0, end; (end = vcard.find("\r\n", at)) != std::string::npos; at = end + 2) {
        const std::string content = vcard.substr(at, end - at);
        const std::size_t colon = content.find(':');
        const std::size_t mark = content.find(";X-VELKARO-LINE=");
        if (mark == std::string::npos || mark > colon)
            continue;
        const int k = std::atoi(content.c_str() + mark + 16);
        const std::string value = content.substr(colon + 1);
        if (k < 0 || k > 31 || !marked.emplace(k, content.rfind("TEL", 0) == 0 ? value : Unescaped(value)).second)
            std::abort();
    }
    for (int k = 0; k < 32; ++k)
        if (lines[k].empty() ? marked.count(k) != 0 : marked.count(k) != 1 || marked[k] != Expected(lines[k]))
            std::abort();
    return 0;
}
