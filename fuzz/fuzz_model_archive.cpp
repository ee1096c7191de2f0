// The archive reader over arbitrary bytes: it must refuse or read without
// touching memory outside the input or allocating beyond what the input
// could hold, and what it read must be written and read back to the same
// bytes.

#include "model/Archive.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Roughly what cards take in memory: the card, and per line the string and
// its bytes. Counted here on its own, apart from the reader's own limit.
std::size_t Footprint(const velkaro::CKarte& card)
{
    std::size_t size = 64;
    card.VisitStoredLines([&size](std::string_view line) { size += 32 + line.size(); });
    return size;
}

// A file byte may become one empty line (32) or a small part of a card, and
// a copy of a card or a number added to a name a little more: a read that
// builds more than this for its input multiplies something.
constexpr std::size_t kMostPerInputByte = 128;
constexpr std::size_t kMostExtra = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace velkaro;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    CCardList list;
    if (!ReadArchive(bytes, list))
        return 0;

    std::size_t built = list.FieldNames() ? Footprint(*list.FieldNames()) : 0;
    for (const auto& card : list.Cards())
        built += Footprint(*card);
    if (built > size * kMostPerInputByte + kMostExtra)
        std::abort();

    std::string written = WriteArchive(list);
    CCardList again;
    ArchiveResult result = ReadArchive(written, again);
    if (!result || result.fileVersion != kArchiveVersion)
        std::abort();
    if (WriteArchive(again) != written)
        std::abort();
    return 0;
}
