// The archive reader over arbitrary bytes: it must refuse or read without
// touching memory outside the input or allocating beyond what the input
// could hold, and what it read must be written and read back to the same
// bytes.

#include "model/Archive.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace velkaro;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    CCardList list;
    if (!ReadArchive(bytes, list))
        return 0;
    std::string written = WriteArchive(list);
    CCardList again;
    ArchiveResult result = ReadArchive(written, again);
    if (!result || result.fileVersion != kArchiveVersion)
        std::abort();
    if (WriteArchive(again) != written)
        std::abort();
    return 0;
}
