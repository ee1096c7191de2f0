// The separated-text reader over any bytes.
#include "exchange/TextReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    velkaro::CImportTable table;
    velkaro::ReadTextBytes({ reinterpret_cast<const char*>(data), size }, table);
    table.DropEmptyRecords();
    (void)table.WidestRecord();
    return 0;
}
