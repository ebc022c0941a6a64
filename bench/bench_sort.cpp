// Sort and data check against baselines measured in the same process.
//
// Every timed figure is a ratio:
//   sort        / (memcpy of the whole text buffer + one gather copy of the
//                  entries, in the order the sort produces, into new memory)
//   data check  / (memcpy of the whole text buffer)
// The counter "ratio" is that quotient over all iterations, "bound" the limit
// it must stay under; the table at the end repeats them by size. Peak memory
// is counted by replacing the global allocation functions: "peak_x_file" is
// the largest number of heap bytes live at once while a book is loaded,
// typed into and sorted, leaving out what the benchmark itself holds,
// divided by the text length of the book.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "ratio_reporter.h"

#include "data/sort.h"
#include "data/store.h"
#include "generate.h"
#include "../tests/support/fake_port.h"

// ---- Heap accounting -----------------------------------------------------------------

namespace {

std::atomic<std::size_t> live_bytes{0};
std::atomic<std::size_t> peak_bytes{0};

void* counted_alloc(std::size_t size) {
    // The size sits in a 16-byte header so that delete can subtract it.
    auto* block = static_cast<unsigned char*>(std::malloc(size + 16));
    if (block == nullptr) return nullptr;
    std::memcpy(block, &size, sizeof size);
    const std::size_t now = live_bytes.fetch_add(size) + size;
    std::size_t peak = peak_bytes.load();
    while (now > peak && !peak_bytes.compare_exchange_weak(peak, now)) {
    }
    return block + 16;
}

void counted_free(void* p) {
    if (p == nullptr) return;
    auto* block = static_cast<unsigned char*>(p) - 16;
    std::size_t size = 0;
    std::memcpy(&size, block, sizeof size);
    live_bytes.fetch_sub(size);
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
    if (void* p = counted_alloc(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return counted_alloc(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return counted_alloc(size); }
void operator delete(void* p) noexcept { counted_free(p); }
void operator delete[](void* p) noexcept { counted_free(p); }
void operator delete(void* p, std::size_t) noexcept { counted_free(p); }
void operator delete[](void* p, std::size_t) noexcept { counted_free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { counted_free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { counted_free(p); }

namespace lumo {
namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Loaded {
    testing::FakePort fake;  // the unit tests' recording port, kept in step with the port
    ViewState view;
    Store store{fake.port, view};

    explicit Loaded(const std::string& text) {
        store.reset_store();
        TextBuffer buffer = store.allocate_text(static_cast<std::int32_t>(text.size()) + text_headroom);
        std::memcpy(buffer.data(), text.data(), text.size());
        store.adopt_text(std::move(buffer), static_cast<std::int32_t>(text.size()));
        store.reindex();
    }
    std::string text() const { return std::string(store.text_view()); }
};

std::string sorted_text(const std::string& text) {
    Loaded loaded(text);
    sort(loaded.store);
    return loaded.text();
}

// The inputs, each built once per size.
std::string random_book(std::int32_t n) { return bench::generate_address_book(n); }
std::string sorted_book(std::int32_t n) { return sorted_text(random_book(n)); }
std::string doubled_sorted_book(std::int32_t n) {
    const std::string book = random_book(n / 2);
    return sorted_text(book + book);
}

// The baseline: a memcpy of the whole text buffer (into memory used
// before) and one gather of the entries in `order` into new memory, as the
// sort gathers them.
void copy_and_gather(const Store& store, const std::vector<std::int32_t>& order, std::vector<char>& copy) {
    const std::string_view text = store.text_view();
    copy.resize(std::max(copy.size(), text.size()));
    std::memcpy(copy.data(), text.data(), text.size());
    benchmark::ClobberMemory();
    std::unique_ptr<char[]> out(new char[text.size() + text_headroom]);
    gather_entries(reinterpret_cast<const std::uint8_t*>(text.data()),
                   {store.entry_index(), static_cast<std::size_t>(store.entry_count()) + 1}, order,
                   store.entry_start(store.entry_count()), store.text_length(), reinterpret_cast<std::uint8_t*>(out.get()));
    benchmark::DoNotOptimize(out.get());
}

// Ratios by benchmark and size, for the table at the end.
std::map<std::string, std::map<std::int64_t, double>>& ratios() {
    static std::map<std::string, std::map<std::int64_t, double>> all;
    return all;
}

void report(benchmark::State& state, const char* name, double subject, double baseline, double bound) {
    state.counters["ratio"] = subject / baseline;
    state.counters["bound"] = bound;
    ratios()[name][state.range(0)] = subject / baseline;
}

// Sorts a store loaded from `input` after `prepare` changed it, against
// copy_and_gather of the order the sort produces.
template <typename Prepare>
void run_sort(benchmark::State& state, const char* name, const std::string& input, double bound, Prepare prepare) {
    double subject = 0, baseline = 0;
    std::vector<char> copy(input.size());
    for (auto _ : state) {
        Loaded loaded(input);
        prepare(loaded.store);
        const std::vector<std::int32_t> order =
            sorted_entry_order(reinterpret_cast<const std::uint8_t*>(loaded.store.text_view().data()),
                               {loaded.store.entry_index(), static_cast<std::size_t>(loaded.store.entry_count()) + 1});
        Clock::time_point t = Clock::now();
        copy_and_gather(loaded.store, order, copy);
        baseline += seconds_since(t);

        t = Clock::now();
        sort(loaded.store);
        const double took = seconds_since(t);
        subject += took;
        state.SetIterationTime(took);
    }
    report(state, name, subject, baseline, bound);
}

void unchanged(Store&) {}

// A heading edited as typing does it: an undo snapshot, then a character
// in front of the middle entry's heading, which moves it far.
void edit_one_heading(Store& store) {
    store.take_undo_snapshot();
    store.replace_text(store.entry_start(store.entry_count() / 2), 0, "~");
    store.reindex();
}

void BM_SortAfterHeadingEdit(benchmark::State& state) {
    run_sort(state, "sort after one heading edit", sorted_book(static_cast<std::int32_t>(state.range(0))), 2.0,
             edit_one_heading);
}
void BM_SortSorted(benchmark::State& state) {
    run_sort(state, "sort of a sorted book", sorted_book(static_cast<std::int32_t>(state.range(0))), 1.5, unchanged);
}
void BM_SortRandom(benchmark::State& state) {
    run_sort(state, "sort of a book in random order", random_book(static_cast<std::int32_t>(state.range(0))), 0,
             unchanged);
}

void BM_DataCheckDoubled(benchmark::State& state) {
    const std::string input = doubled_sorted_book(static_cast<std::int32_t>(state.range(0)));
    double subject = 0, baseline = 0;
    std::vector<char> copy(input.size());
    for (auto _ : state) {
        Loaded loaded(input);
        Clock::time_point t = Clock::now();
        std::memcpy(copy.data(), loaded.store.text_view().data(), input.size());
        benchmark::DoNotOptimize(copy.data());
        baseline += seconds_since(t);

        t = Clock::now();
        data_check(loaded.store);
        const double took = seconds_since(t);
        subject += took;
        state.SetIterationTime(took);
    }
    report(state, "data check / memcpy", subject, baseline, 3.0);
}

// The most heap the store holds at once while a book is loaded, ten
// characters are typed into a heading (each after its undo snapshot) and
// the book is sorted, as a multiple of the file's size. Heap the benchmark
// itself holds (the input) is left out.
void BM_TypeAndSortPeak(benchmark::State& state) {
    const std::string input = random_book(static_cast<std::int32_t>(state.range(0)));
    double peak = 0;
    for (auto _ : state) {
        const std::size_t before = live_bytes.load();
        peak_bytes = before;
        const Clock::time_point t = Clock::now();
        {
            Loaded loaded(input);
            for (int k = 0; k < 10; ++k) {
                loaded.store.take_undo_snapshot();
                loaded.store.replace_text(loaded.store.entry_start(loaded.store.entry_count() / 2) + k, 0, "x");
                loaded.store.reindex();
            }
            sort(loaded.store);
        }
        state.SetIterationTime(seconds_since(t));
        peak = std::max(peak, static_cast<double>(peak_bytes.load() - before) / static_cast<double>(input.size()));
    }
    state.counters["peak_x_file"] = peak;
    state.counters["bound"] = 2.5;
    ratios()["peak memory / file size (typing, sorting)"][state.range(0)] = peak;
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_SortAfterHeadingEdit)->Apply(sizes);
BENCHMARK(BM_SortSorted)->Apply(sizes);
BENCHMARK(BM_SortRandom)->Apply(sizes);
BENCHMARK(BM_DataCheckDoubled)->Apply(sizes);
BENCHMARK(BM_TypeAndSortPeak)->Apply(sizes)->Iterations(1);

void print_ratios() {
    const std::pair<const char*, double> rows[] = {
        {"sort after one heading edit", 2.0},
        {"sort of a sorted book", 1.5},
        {"sort of a book in random order", 0},
        {"data check / memcpy", 3.0},
        {"peak memory / file size (typing, sorting)", 2.5},
    };
    std::printf("\n%-48s %10s %10s %10s %7s\n", "sort: ratio to memcpy + gather", "10000", "100000", "1000000", "limit");
    for (const auto& [what, limit] : rows) {
        std::printf("%-48s", what);
        bool within = true;
        for (const std::int64_t size : {10'000, 100'000, 1'000'000}) {
            const auto& by_size = ratios()[what];
            const auto it = by_size.find(size);
            if (it == by_size.end()) {
                std::printf(" %10s", "-");
                continue;
            }
            within = within && (limit <= 0 || it->second <= limit);
            std::printf(" %10.2f", it->second);
        }
        if (limit > 0)
            std::printf(" %6.1fx %s\n", limit, within ? "ok" : "OVER");
        else
            std::printf(" %7s\n", "-");
    }
}

}  // namespace
}  // namespace lumo

int main(int argc, char** argv) {
    big_blocks_as_on_windows();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    lumo::print_ratios();
    benchmark::Shutdown();
    return 0;
}
