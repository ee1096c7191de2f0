#pragma once

// A card for the tests: its lines from the name down, and its mark.

#include "model/Karte.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velkaro::test {

inline std::unique_ptr<CKarte> Card(const std::vector<std::string>& lines, std::uint8_t marked = 0)
{
    auto card = std::make_unique<CKarte>();
    for (std::size_t i = 0; i < lines.size(); ++i)
        card->SetLine(static_cast<int>(i), lines[i]);
    card->SetMarkByte(marked);
    return card;
}

}  // namespace velkaro::test
