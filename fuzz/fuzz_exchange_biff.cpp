// The spreadsheet reader over any bytes, both as a whole file (compound or
// bare record stream) and as a record stream.
#include "exchange/BiffReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    velkaro::CBiffReader reader({ ',', '.', '/' }, 0);
    velkaro::CImportTable table;
    reader.ReadFileBytes(bytes, table);
    velkaro::CImportTable stream;
    reader.ReadStream(bytes, stream);
    return 0;
}
