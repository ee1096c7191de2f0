// The origin file of synced cards from any bytes: it reads, or it is
// refused with the line that is damaged and nothing kept; what it reads
// writes back to bytes that read as the same origin.

#include "carddav/SyncOrigin.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace velkaro;
    SyncOrigin origin;
    const int damaged = ParseSyncOrigin({ reinterpret_cast<const char*>(data), size }, origin);
    if (damaged != 0) {
        if (damaged < 1 || !origin.books.empty() || !origin.cards.empty())
            std::abort();
        return 0;
    }
    SyncOrigin again;
    if (ParseSyncOrigin(SerializeSyncOrigin(origin), again) != 0 || !(again == origin))
        std::abort();
    return 0;
}
