#pragma once

// The bound a fuzz target holds a reader to: what it builds, counted by the
// table's own accounting, is at most a fixed multiple of its input and a
// constant. The multiple covers the workbook readers' budget twice over (a
// vector's spare room) and the table of a text of two-byte records; the
// constant the budget's floor twice over and the index of the million rows a
// sheet may address. A read beyond it multiplies something.

#include "exchange/ImportTable.h"
#include "exchange/ReadBudget.h"

#include <cstddef>
#include <cstdlib>

namespace velkaro::fuzz {

constexpr std::size_t kMostPerInputByte = 2 * kBuildBytesPerFileByte;
constexpr std::size_t kMostExtra = 2 * kBuildBytesFloor + (8u << 20);

inline void CheckBuilt(const CImportTable& table, std::size_t inputBytes)
{
    if (table.Footprint() > inputBytes * kMostPerInputByte + kMostExtra)
        std::abort();
}

}  // namespace velkaro::fuzz
