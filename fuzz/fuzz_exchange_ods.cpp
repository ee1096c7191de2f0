// The table reader of .ods workbooks over any XML: the input is content.xml,
// or the styles part and content.xml split at the first byte 0x00. The
// limits are the users'; what the read builds stays within BuildBound.h.
#include "BuildBound.h"
#include "exchange/OdsReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view content(reinterpret_cast<const char*>(data), size);
    std::string_view styles;
    if (std::size_t cut = content.find('\0'); cut != std::string_view::npos) {
        styles = content.substr(0, cut);
        content.remove_prefix(cut + 1);
    }
    velkaro::CImportTable table;
    velkaro::ReadOdsContent(content, styles, table, { ',', '.', '.' }, 0, {});
    velkaro::fuzz::CheckBuilt(table, size);
    return 0;
}
