// Undo's memory: what one step keeps of a large book, for a one-card edit
// and for bulk changes, at the sizes an import brings. Two counters per
// step: bytes_per_step, the stack's own estimate, and heap_per_step, the
// heap the step gives back when the steps are dropped, counted at the
// allocator (glibc). The time is that of taking the step: the copy while
// the change is open and the one comparison pass.

#include "BenchSupport.h"

#include "model/Document.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Bytes freed while counting is on. Off, the count costs one load per free.
std::atomic<bool> g_counting { false };
std::atomic<std::size_t> g_freed { 0 };

}  // namespace

#if defined(__GLIBC__)
void* operator new(std::size_t size)
{
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept
{
    if (block && g_counting.load(std::memory_order_relaxed))
        g_freed.fetch_add(malloc_usable_size(block), std::memory_order_relaxed);
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    operator delete(block);
}
#endif

namespace velkaro::bench {
namespace {

// n typical cards in the collection's order, sorted at once.
void FillBook(CCardList& cards, int n)
{
    const std::vector<std::string> names = PeopleNames(n);
    std::vector<std::unique_ptr<CKarte>> book;
    book.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        book.push_back(TypicalCard(names[static_cast<std::size_t>(i)], i));
    cards.InsertAllSorted(std::move(book), false);
}

// A line of one card changed in the card window: taken out, filed again.
void EditOneCard(CCardList& cards, int round)
{
    auto card = cards.TakeAt((round * 7919) % cards.Count());
    card->SetLine(2, "Neue Strasse " + std::to_string(round));
    card->SetEdited(true);
    cards.InsertSorted(std::move(card), false);
}

// Every card marked or unmarked at once.
void ToggleEveryMark(CCardList& cards, int)
{
    for (int i = 0; i < cards.Count(); ++i)
        cards.At(i)->ToggleMark();
}

// A tenth of the book imported as new cards.
void ImportATenth(CCardList& cards, int round)
{
    std::vector<std::unique_ptr<CKarte>> imported;
    const int n = cards.Count() / 10;
    for (int i = 0; i < n; ++i)
        imported.push_back(TypicalCard("Neu " + std::to_string(round) + " " + std::to_string(i), i));
    cards.InsertAllSorted(std::move(imported), false);
}

void BM_UndoStepMemory(benchmark::State& state, void (*change)(CCardList&, int))
{
    const int n = static_cast<int>(state.range(0));
    CPcxDoc doc;
    FillBook(doc.Cards(), n);
    const CCardSnapshot book = CCardSnapshot::Of(doc.Cards());
    std::size_t kept = 0;
    std::size_t heap = 0;
    int round = 0;
    for (auto _ : state) {
        doc.BeginChange("Schritt");
        change(doc.Cards(), round++);
        doc.CommitChange();

        state.PauseTiming();
        kept = doc.UndoStack().Bytes();
        g_freed = 0;
        g_counting = true;
        doc.UndoStack().Clear();
        g_counting = false;
        heap = g_freed;
        book.RestoreInto(doc.Cards());
        if (kept == 0) {
            state.SkipWithError("the change made no step");
            break;
        }
        state.ResumeTiming();
    }
    state.counters["bytes_per_step"] = static_cast<double>(kept);
    state.counters["heap_per_step"] = static_cast<double>(heap);
}
BENCHMARK_CAPTURE(BM_UndoStepMemory, EditOneCard, EditOneCard)
    ->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoStepMemory, ToggleEveryMark, ToggleEveryMark)
    ->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoStepMemory, ImportATenth, ImportATenth)
    ->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velkaro::bench
