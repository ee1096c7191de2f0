// The worksheet reader of .xlsx workbooks over any XML: the input is the
// worksheet, the shared strings and the styles part, split at the first and
// second byte 0x00 (which XML cannot hold). The limits are the users'; what
// the read builds stays within BuildBound.h.
#include "BuildBound.h"
#include "exchange/XlsxReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view parts[3];
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    for (int i = 0; i < 2; ++i) {
        std::size_t cut = rest.find('\0');
        if (cut == std::string_view::npos)
            break;
        parts[i] = rest.substr(0, cut);
        rest.remove_prefix(cut + 1);
    }
    // Without a separator, the whole input is the worksheet.
    (parts[0].empty() ? parts[0] : parts[2]) = rest;
    velkaro::CImportTable table;
    velkaro::ReadXlsxSheet(parts[0], parts[1], parts[2], table, { ',', '.', '.' }, 0, {});
    velkaro::fuzz::CheckBuilt(table, size);
    return 0;
}
