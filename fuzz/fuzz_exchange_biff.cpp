// The spreadsheet reader over any bytes, both as a whole file (compound or
// bare record stream) and as a record stream; what each read builds stays
// within BuildBound.h.
#include "BuildBound.h"
#include "exchange/BiffReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    velkaro::CBiffReader reader({ ',', '.', '/' }, 0);
    velkaro::CImportTable table;
    reader.ReadFileBytes(bytes, table);
    velkaro::fuzz::CheckBuilt(table, size);
    velkaro::CImportTable stream;
    reader.ReadStream(bytes, stream);
    velkaro::fuzz::CheckBuilt(stream, size);
    return 0;
}
