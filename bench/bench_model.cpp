// The card collection and the archive: sorting in what an import or a
// transfer brings, the index list's name look-up, the text search, and
// loading and saving the working file.

#include "BenchSupport.h"

#include "model/Archive.h"
#include "model/CardList.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace velkaro::bench {
namespace {

// The most cards the telephone's memory takes is a few thousand.
constexpr int kArchiveCards = 5000;

// N cards in arrival order, one at a time into the sorted collection, as a
// receive or an import mixes them in.
void BM_CardListInsertSorted(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const std::vector<std::string> names = PeopleNames(n);
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::unique_ptr<CKarte>> cards;
        cards.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            cards.push_back(TypicalCard(names[static_cast<std::size_t>(i)], i));
        {
            CCardList list;
            state.ResumeTiming();
            for (auto& card : cards)
                list.InsertSorted(std::move(card), false);
            benchmark::DoNotOptimize(list.Count());
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_CardListInsertSorted)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

// The same N cards joining the collection together, as an import, a
// transfer or an old archive brings them in.
void BM_CardListInsertAllSorted(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const std::vector<std::string> names = PeopleNames(n);
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::unique_ptr<CKarte>> cards;
        cards.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            cards.push_back(TypicalCard(names[static_cast<std::size_t>(i)], i));
        {
            CCardList list;
            state.ResumeTiming();
            list.InsertAllSorted(std::move(cards), false);
            benchmark::DoNotOptimize(list.Count());
            state.PauseTiming();
            if (list.Count() != n) {
                state.SkipWithError("cards went missing");
                break;
            }
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_CardListInsertAllSorted)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// N cards of one name, as an import with an empty name column (every card
// becomes "A") or an old archive of one family brings them: all but the
// first are numbered. The time should grow with N, not with its square.
void BM_NumberEqualNames(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const std::string expectedLast = "Meier" + std::string(20 - 5 - std::to_string(n - 1).size(), ' ') + std::to_string(n - 1);
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::unique_ptr<CKarte>> cards;
        cards.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            cards.push_back(TypicalCard("Meier", i));
        {
            CCardList list;
            state.ResumeTiming();
            list.InsertAllSorted(std::move(cards), false);
            benchmark::DoNotOptimize(list.Count());
            state.PauseTiming();
            if (list.Count() != n || list.FindName(expectedLast).kind != MatchKind::Equal) {
                state.SkipWithError("the equal names were not numbered 1 to N-1");
                break;
            }
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_NumberEqualNames)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// What the index list looks up as the user types: whole names and their
// first letters, spread over the collection.
void BM_CardListFindName(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    CCardList list = TypicalCollection(n);
    std::vector<std::string> queries;
    for (int i = 0; i < n; i += 7) {
        const std::string name(list.At(i)->Name());
        queries.push_back(name);
        queries.push_back(name.substr(0, 3));
    }
    std::size_t next = 0;
    for (auto _ : state) {
        FindResult found = list.FindName(queries[next]);
        benchmark::DoNotOptimize(found);
        if (++next == queries.size())
            next = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CardListFindName)->Arg(1000)->Arg(5000);

// The search for a text on any line of any card. The text is on the last
// card only, so every card is looked at; items are cards searched.
void BM_CardListSearchText(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    CCardList list = TypicalCollection(n);
    list.At(n - 1)->SetLine(20, "Treffpunkt Kirchturm");
    int slots[10];
    for (auto _ : state) {
        int found = list.SearchText("kirchturm", 0, true, slots, 10);
        benchmark::DoNotOptimize(found);
        if (found != 1) {
            state.SkipWithError("the search text was not found once");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_CardListSearchText)->Arg(1000)->Arg(5000)->Unit(benchmark::kMicrosecond);

void BM_ArchiveWrite(benchmark::State& state)
{
    CCardList list = FullCollection(kArchiveCards);
    std::size_t size = 0;
    for (auto _ : state) {
        std::string bytes = WriteArchive(list);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
    state.SetItemsProcessed(state.iterations() * kArchiveCards);
}
BENCHMARK(BM_ArchiveWrite)->Unit(benchmark::kMillisecond);

void BM_ArchiveRead(benchmark::State& state)
{
    CCardList list = FullCollection(kArchiveCards);
    const std::string bytes = WriteArchive(list);
    for (auto _ : state) {
        {
            CCardList into;
            ArchiveResult result = ReadArchive(bytes, into);
            if (!result || into.Count() != list.Count()) {
                state.SkipWithError("the archive did not read back");
                break;
            }
            // Freeing the cards is not part of the load.
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
    state.SetItemsProcessed(state.iterations() * kArchiveCards);
}
BENCHMARK(BM_ArchiveRead)->Unit(benchmark::kMillisecond);

// Opening a file of an older version: every card is filed again by the
// current order and equal names are numbered. Here one family of N cards
// of the same name.
void BM_ArchiveReadOlderVersionEqualNames(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    CCardList stored;
    for (int i = 0; i < n; ++i)
        stored.Append(TypicalCard("Meier", i));
    std::string bytes = WriteArchive(stored);
    bytes[8] = 11;  // the version byte after the magic
    for (auto _ : state) {
        {
            CCardList into;
            ArchiveResult result = ReadArchive(bytes, into);
            if (!result || into.Count() != n) {
                state.SkipWithError("the archive did not read back");
                break;
            }
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ArchiveReadOlderVersionEqualNames)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Saving the working file: the archive, written to a temporary file that is
// flushed to disk and renamed over the old one.
void BM_ArchiveSaveFile(benchmark::State& state)
{
    ScratchDir dir;
    const std::string path = dir.File("Velkaro_Desktop.itx");
    CCardList list = FullCollection(kArchiveCards);
    const std::size_t size = WriteArchive(list).size();
    for (auto _ : state) {
        if (!SaveCardFile(path, list)) {
            state.SkipWithError("the working file could not be saved");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
    state.SetItemsProcessed(state.iterations() * kArchiveCards);
}
BENCHMARK(BM_ArchiveSaveFile)->Unit(benchmark::kMillisecond);

void BM_ArchiveLoadFile(benchmark::State& state)
{
    ScratchDir dir;
    const std::string path = dir.File("Velkaro_Desktop.itx");
    CCardList list = FullCollection(kArchiveCards);
    const std::size_t size = WriteArchive(list).size();
    if (!SaveCardFile(path, list)) {
        state.SkipWithError("the working file could not be saved");
        return;
    }
    for (auto _ : state) {
        {
            CCardList into;
            if (!LoadCardFile(path, into) || into.Count() != list.Count()) {
                state.SkipWithError("the working file did not load back");
                break;
            }
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
    state.SetItemsProcessed(state.iterations() * kArchiveCards);
}
BENCHMARK(BM_ArchiveLoadFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velkaro::bench
