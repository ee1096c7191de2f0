// The import configuration reader over arbitrary bytes: it must refuse or
// read without touching memory outside the input, and what it read must
// survive a write and a second read unchanged.

#include "exchange/ImportConfig.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace velkaro;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    CImportConfig config;
    if (!ParseImportConfig(bytes, config))
        return 0;
    std::string written = SerializeImportConfig(config);
    if (written.size() != kIcfFileSize)
        std::abort();
    CImportConfig again;
    again.assignment.fill(0x1234);
    if (!ParseImportConfig(written, again) || !(again == config))
        std::abort();
    return 0;
}
