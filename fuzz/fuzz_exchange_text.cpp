// The separated-text reader over any bytes; what it builds stays within
// BuildBound.h.
#include "BuildBound.h"
#include "exchange/TextReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    velkaro::CImportTable table;
    velkaro::ReadTextBytes({ reinterpret_cast<const char*>(data), size }, table);
    velkaro::fuzz::CheckBuilt(table, size);
    table.DropEmptyRecords();
    (void)table.WidestRecord();
    return 0;
}
