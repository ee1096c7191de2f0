// The vCard reader over any bytes; what it builds stays within BuildBound.h.
#include "BuildBound.h"
#include "exchange/VCardReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    velkaro::CImportTable table;
    velkaro::ReadVCardBytes({ reinterpret_cast<const char*>(data), size }, table);
    velkaro::fuzz::CheckBuilt(table, size);
    (void)table.WidestRecord();
    return 0;
}
