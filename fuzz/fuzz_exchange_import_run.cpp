// The import run over a table read from any bytes: filling cards by an
// assignment (cut to the line lengths, the DOS conversion, only numbers),
// inserting them in each mode, numbering equal names and taking the
// field-names card out. A second run over the same table meets the cards of
// the first, as an import into a full telephone book does. With dialable
// numbers, the number lines' values are replaced before the cut (here by
// their digits, standing in for the telephone's rules).

#include "exchange/ImportConfig.h"
#include "exchange/ImportRun.h"
#include "exchange/TextReader.h"
#include "model/CardList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace velkaro;
    constexpr std::size_t kHead = 1 + kMaxLines;
    if (size < kHead)
        return 0;
    const std::uint8_t flags = data[0];
    CImportConfig config;
    config.skipFirst = flags & 0x01;
    config.onlyNumbers = (flags >> 1) & 0x01;
    config.characterSet = static_cast<std::uint8_t>((flags & 0x04) ? CharacterSet::Dos : CharacterSet::Windows);
    const int mode = std::min((flags >> 3) & 0x03, 2);
    const bool twice = flags & 0x20;
    for (int line = 0; line < kMaxLines; ++line) {
        // Mostly the first columns, now and then none or one far beyond.
        const std::uint8_t b = data[1 + line];
        config.assignment[static_cast<std::size_t>(line)] =
            b == 0xFF ? int16_t { 32767 } : b >= 0xF0 ? int16_t { -1 } : static_cast<int16_t>(b % 12);
    }

    CImportTable table;
    if (!ReadTextBytes({ reinterpret_cast<const char*>(data + kHead), size - kHead }, table))
        return 0;
    table.DropEmptyRecords();
    ImportNumbers numbers;
    if (flags & 0x40)
        numbers = { ImportNumberLines(table, config, nullptr), [](const std::string& text, int) {
                       std::string digits;
                       for (char ch : text)
                           if (ch >= '0' && ch <= '9')
                               digits += ch;
                       return digits;
                   } };
    CCardList cards;
    const int records = table.RecordCount();
    const int expected = records - (config.skipFirst && records > 0 ? 1 : 0);
    for (int run = 0; run < (twice ? 2 : 1); ++run) {
        const int count = ImportRun(cards, table, config, mode, nullptr, nullptr, &numbers);
        if (count != expected)
            std::abort();
    }
    if (cards.Count() > (twice ? 2 : 1) * expected)
        std::abort();
    return 0;
}
