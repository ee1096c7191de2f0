// The zip container and the workbook readers behind it over any bytes, with
// the users' limits: a bomb shows as a refusal, and what the read builds
// stays within BuildBound.h.
#include "BuildBound.h"
#include "exchange/WorkbookReader.h"
#include "exchange/ZipArchive.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    velkaro::CZipArchive zip;
    if (zip.Open(bytes)) {
        std::string out;
        for (const char* name : { "mimetype", "content.xml", "xl/workbook.xml", "[Content_Types].xml" })
            zip.Read(name, 1 << 16, out);
    }
    velkaro::CImportTable table;
    velkaro::ReadWorkbookBytes(bytes, table, { ',', '.', '.' }, 0);
    velkaro::fuzz::CheckBuilt(table, size);
    return 0;
}
