// The vCard reader over any bytes.
#include "exchange/VCardReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    velkaro::CImportTable table;
    velkaro::ReadVCardBytes({ reinterpret_cast<const char*>(data), size }, table);
    (void)table.WidestRecord();
    return 0;
}
