// An address book's contact export from any bytes: the text read, the
// export recognised by its titles and made a contact table, the headings
// found and every column assigned, then the import run with its report.
// Every record after the headings becomes one card, no line takes two
// columns, and the report never counts more than there was.

#include "exchange/Contacts.h"
#include "exchange/ImportConfig.h"
#include "exchange/ImportRun.h"
#include "exchange/TextReader.h"
#include "model/CardList.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace velkaro;
    if (size < 1)
        return 0;
    const NameOrder order = static_cast<NameOrder>(data[0] % 3);
    CImportTable table;
    if (!ReadTextBytes({ reinterpret_cast<const char*>(data + 1), size - 1 }, table))
        return 0;
    table.DropEmptyRecords();
    RecogniseContactExport(table, order);
    TableLayout layout = table.Layout();
    layout.headingRecord = FindHeadingRecord(table, nullptr);
    table.SetLayout(layout);
    CImportConfig config;
    AutoAssign(table, nullptr, config);
    std::set<int> columns;
    for (int column : config.assignment)
        if (column >= 0 && !columns.insert(column).second)
            std::abort();
    CCardList cards;
    ImportReport report;
    const int count = ImportRun(cards, table, config, 0, nullptr, &report);
    if (count != std::max(table.RecordCount() - FirstCardRecord(table, config), 0))
        std::abort();
    if (report.nameless > count || report.cut > count * kMaxLines)
        std::abort();
    return 0;
}
