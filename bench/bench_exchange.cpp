// Import and export files: a separated text file of a large contact export,
// and the spreadsheet the export writes and the import reads.

#include "BenchSupport.h"

#include "text/Cp1252.h"
#include "exchange/BiffReader.h"
#include "exchange/ImportReader.h"
#include "exchange/ImportRun.h"
#include "exchange/SpreadsheetWriter.h"
#include "exchange/TextReader.h"
#include "exchange/VCardReader.h"
#include "exchange/VCardWriter.h"

#include <benchmark/benchmark.h>

#include <string>

namespace velkaro::bench {
namespace {

// A contact export from another program easily has tens of thousands of
// rows; the import reads it whole before the user assigns the fields.
constexpr int kTextRows = 20000;
constexpr int kTextColumns = 10;
// An export of a full telephone: one row a card, one column a card line.
constexpr int kSheetRows = 5000;
constexpr int kSheetColumns = 32;

// Arg 0: a Windows-1252 file, as older programs write it; arg 1: the same
// in UTF-8, which the reader converts field by field.
std::string TextFileBytes(bool utf8)
{
    std::string text = SemicolonText(ContactTable(kTextRows, kTextColumns));
    return utf8 ? AnsiToUtf8(text) : text;
}

bool SameShape(const CImportTable& table, int rows, int columns)
{
    return table.RecordCount() == rows && table.RecordLength(0) == columns
        && table.RecordLength(rows - 1) == columns;
}

// The benchmark's loop over reading the file, each read checked for its
// shape; freeing the table is not part of the read.
void MeasureTextRead(benchmark::State& state, const std::string& path, int rows, int columns)
{
    SilentUi ui;
    for (auto _ : state) {
        {
            CImportTable table;
            const Outcome read = ReadTextFile(path, table, ui);
            if (!read || !SameShape(table, rows, columns)) {
                state.SkipWithError(("the text file did not read back: " + read.Message()).c_str());
                break;
            }
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
}

void BM_TextReadFile(benchmark::State& state)
{
    ScratchDir dir;
    const std::string path = dir.File("kontakte.csv");
    const std::string bytes = TextFileBytes(state.range(0) != 0);
    if (!WriteBytes(path, bytes)) {
        state.SkipWithError("the text file could not be written");
        return;
    }
    MeasureTextRead(state, path, kTextRows, kTextColumns);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
    state.SetItemsProcessed(state.iterations() * kTextRows);
}
BENCHMARK(BM_TextReadFile)->ArgName("utf8")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same bytes from memory: the parse without the file.
void BM_TextReadBytes(benchmark::State& state)
{
    const std::string bytes = TextFileBytes(state.range(0) != 0);
    for (auto _ : state) {
        {
            CImportTable table;
            if (!ReadTextBytes(bytes, table) || !SameShape(table, kTextRows, kTextColumns)) {
                state.SkipWithError("the text did not read back");
                break;
            }
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
    state.SetItemsProcessed(state.iterations() * kTextRows);
}
BENCHMARK(BM_TextReadBytes)->ArgName("utf8")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The spreadsheet's bytes, with the bold header row the export writes.
void BM_SpreadsheetBuild(benchmark::State& state)
{
    const CImportTable table = ContactTable(kSheetRows, kSheetColumns);
    std::size_t size = 0;
    for (auto _ : state) {
        std::string bytes = CSpreadsheetWriter::Build(table, true);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
    state.SetItemsProcessed(state.iterations() * kSheetRows);
}
BENCHMARK(BM_SpreadsheetBuild)->Unit(benchmark::kMillisecond);

void BM_SpreadsheetWriteFile(benchmark::State& state)
{
    ScratchDir dir;
    const std::string path = dir.File("export.xls");
    const CImportTable table = ContactTable(kSheetRows, kSheetColumns);
    const std::size_t size = CSpreadsheetWriter::Build(table, false).size();
    for (auto _ : state) {
        if (const Outcome written = WriteSpreadsheet(path, table); !written) {
            state.SkipWithError(("the spreadsheet could not be written: " + written.Message()).c_str());
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
    state.SetItemsProcessed(state.iterations() * kSheetRows);
}
BENCHMARK(BM_SpreadsheetWriteFile)->Unit(benchmark::kMillisecond);

// The written spreadsheet read back by the import's BIFF reader, from memory.
void BM_SpreadsheetReadBytes(benchmark::State& state)
{
    const std::string bytes = CSpreadsheetWriter::Build(ContactTable(kSheetRows, kSheetColumns), true);
    for (auto _ : state) {
        {
            CImportTable table;
            CBiffReader reader;
            if (!reader.ReadFileBytes(bytes, table) || !SameShape(table, kSheetRows, kSheetColumns)) {
                state.SkipWithError("the spreadsheet did not read back");
                break;
            }
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
    state.SetItemsProcessed(state.iterations() * kSheetRows);
}
BENCHMARK(BM_SpreadsheetReadBytes)->Unit(benchmark::kMillisecond);

// The import command's read: the ".xls" name chooses the BIFF reader.
void BM_SpreadsheetImportFile(benchmark::State& state)
{
    ScratchDir dir;
    const std::string path = dir.File("export.xls");
    const CImportTable source = ContactTable(kSheetRows, kSheetColumns);
    const std::size_t size = CSpreadsheetWriter::Build(source, true).size();
    if (!CSpreadsheetWriter::WriteFile(path, source, true)) {
        state.SkipWithError("the spreadsheet could not be written");
        return;
    }
    SilentUi ui;
    for (auto _ : state) {
        {
            CImportTable table;
            const Outcome read = ReadImportFile(path, table, ui, NumberSeparators {});
            if (!read || !SameShape(table, kSheetRows, kSheetColumns)) {
                state.SkipWithError(("the spreadsheet did not import: " + read.Message()).c_str());
                break;
            }
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
    state.SetItemsProcessed(state.iterations() * kSheetRows);
}
BENCHMARK(BM_SpreadsheetImportFile)->Unit(benchmark::kMillisecond);

// The import run: every record of a contact export becomes a card and joins
// the collection. The name column holds surnames, so thousands of cards
// share a name and are numbered. The first import: no cards before.
void BM_ImportRun(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    const CImportTable table = ContactTable(rows, kTextColumns);
    CImportConfig config;
    AutoAssign(table, nullptr, config);
    config.skipFirst = 1;
    for (auto _ : state) {
        {
            CCardList cards;
            int count = ImportRun(cards, table, config, static_cast<int>(ImportMode::DeleteOld));
            benchmark::DoNotOptimize(count);
            // Freeing the cards is not part of the run.
            state.PauseTiming();
            if (count != rows - 1 || cards.Count() != rows - 1) {
                state.SkipWithError("the records did not all become cards");
                break;
            }
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * (rows - 1));
}
BENCHMARK(BM_ImportRun)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// ---- the text reader at growing sizes ----
//
// The same kind of contact export at 10 000, 100 000 and 1 000 000 rows:
// with the file read once and the table growing by doubling, the time per
// row stays the same from one size to the next.

constexpr int kGrowthColumns = 10;

// The header and rows cycling through 1000 different contacts.
std::string ContactRows(int rows)
{
    const std::string block = SemicolonText(ContactTable(1001, kGrowthColumns));
    const std::size_t headerEnd = block.find('\n') + 1;
    const std::string_view body = std::string_view(block).substr(headerEnd);
    std::string text = block.substr(0, headerEnd);
    text.reserve(static_cast<std::size_t>(rows) / 1000 * body.size() + block.size());
    int written = 1;
    while (written < rows) {
        std::size_t at = 0;
        for (; written < rows && at < body.size(); ++written) {
            const std::size_t end = body.find('\n', at) + 1;
            text.append(body.substr(at, end - at));
            at = end;
        }
    }
    return text;
}

void BM_TextReaderRows(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    ScratchDir dir;
    const std::string path = dir.File("kontakte.csv");
    std::size_t size = 0;
    {
        const std::string bytes = ContactRows(rows);
        size = bytes.size();
        if (!WriteBytes(path, bytes)) {
            state.SkipWithError("the text file could not be written");
            return;
        }
    }
    MeasureTextRead(state, path, rows, kGrowthColumns);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
    state.SetItemsProcessed(state.iterations() * rows);
    state.counters["file_MB"] = static_cast<double>(size) / 1e6;
}
BENCHMARK(BM_TextReaderRows)->ArgName("rows")->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A contact export of a phone or mail program as vCards (arg 0), and one
// card whose note a writer folded after every byte (arg 1), which the
// reader must still read in time proportional to its size.
void BM_VCardReadBytes(benchmark::State& state)
{
    std::string bytes;
    std::size_t cards = 1;
    if (state.range(0) == 0) {
        const CImportTable table = ContactTable(kTextRows, kTextColumns);
        bytes = BuildVCards(table);
        cards = static_cast<std::size_t>(table.RecordCount() - 1);
    } else {
        bytes = "BEGIN:VCARD\r\nVERSION:3.0\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a";
        for (int i = 0; i < (1 << 20); ++i)
            bytes += "\r\n b";
        bytes += "\r\nEND:VCARD\r\n";
    }
    for (auto _ : state) {
        const auto parsed = ParseVCards(bytes);
        if (parsed.size() != cards) {
            state.SkipWithError("the cards did not read back");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_VCardReadBytes)->ArgName("folded")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velkaro::bench
