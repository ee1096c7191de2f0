// The compound-file reader over any bytes: open, list and read every stream.
#include "exchange/CompoundFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    velkaro::CCompoundFile file;
    if (!file.Open({ reinterpret_cast<const char*>(data), size }))
        return 0;
    for (const auto& name : file.RootNames())
        (void)file.ReadStream(name);
    return 0;
}
