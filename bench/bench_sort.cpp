// Sort and data check against baselines measured in the same process.
//
// Every timed figure is a ratio:
//   sort        / (std::stable_sort of the entries by folded heading + one gather copy)
//   data check  / (memcpy of the whole text buffer)
// The counter "ratio" is that quotient over all iterations, "bound" the limit
// it must stay under. Peak memory is counted by replacing the global
// allocation functions: "peak_x_file" is the largest number of heap bytes
// live at once while sort runs, counting the loaded store's own text buffer
// and entry index but nothing else the benchmark holds, divided by the text
// length of the loaded file.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

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
std::string sorted_with_sorted_run(std::int32_t n) {
    return sorted_text(bench::generate_address_book(n - n / 10, 11)) +
           sorted_text(bench::generate_address_book(n / 10, 12));
}
std::string doubled_sorted_book(std::int32_t n) {
    const std::string book = random_book(n / 2);
    return sorted_text(book + book);
}

// The baseline: a stable sort of the entries by folded heading, then one
// gather of the bytes into a new buffer.
void baseline_sort(const Store& store) {
    const auto* text = reinterpret_cast<const std::uint8_t*>(store.text_view().data());
    const std::int32_t count = store.entry_count();
    const FoldTable& fold = sort_fold_table();
    std::vector<std::int32_t> order(static_cast<std::size_t>(count));
    for (std::int32_t k = 0; k < count; ++k) order[static_cast<std::size_t>(k)] = k;
    std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
        const std::uint8_t* x = text + store.entry_start(a);
        const std::uint8_t* y = text + store.entry_start(b);
        const std::int32_t lx = heading_length(x), ly = heading_length(y);
        for (std::int32_t c = 0; c < std::min(lx, ly); ++c)
            if (fold[x[c]] != fold[y[c]]) return fold[x[c]] < fold[y[c]];
        return lx < ly;
    });
    std::vector<std::uint8_t> out(static_cast<std::size_t>(store.text_length()) + text_headroom);
    gather_entries(text, {store.entry_index(), static_cast<std::size_t>(count) + 1}, order,
                   store.entry_start(count), store.text_length(), out.data());
    benchmark::DoNotOptimize(out.data());
}

void report(benchmark::State& state, double subject, double baseline, double bound) {
    state.counters["ratio"] = subject / baseline;
    state.counters["bound"] = bound;
}

void run_sort(benchmark::State& state, const std::string& input, double bound) {
    double subject = 0, baseline = 0;
    double peak = 0;
    for (auto _ : state) {
        {
            Loaded a(input);
            const Clock::time_point t = Clock::now();
            baseline_sort(a.store);
            baseline += seconds_since(t);
        }
        Loaded b(input);
        // Heap in use apart from the loaded store (the input string and the
        // like) is left out; the store's own text and index count.
        const std::size_t before = live_bytes.load();
        const auto own = static_cast<std::size_t>(b.store.text_capacity()) +
                         static_cast<std::size_t>(b.store.index_capacity()) * sizeof(std::int32_t);
        peak_bytes = before;
        const Clock::time_point t = Clock::now();
        sort(b.store);
        const double took = seconds_since(t);
        subject += took;
        peak = std::max(peak, static_cast<double>(peak_bytes.load() - before + own) /
                                  static_cast<double>(input.size()));
        state.SetIterationTime(took);
    }
    report(state, subject, baseline, bound);
    state.counters["peak_x_file"] = peak;
}

void BM_SortRandom(benchmark::State& state) {
    const std::string input = random_book(static_cast<std::int32_t>(state.range(0)));
    run_sort(state, input, 5.0);
}
void BM_SortSorted(benchmark::State& state) {
    const std::string input = sorted_book(static_cast<std::int32_t>(state.range(0)));
    run_sort(state, input, 1.5);
}
void BM_SortSortedPlusSortedRun(benchmark::State& state) {
    const std::string input = sorted_with_sorted_run(static_cast<std::int32_t>(state.range(0)));
    run_sort(state, input, 1.5);
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
    report(state, subject, baseline, 3.0);
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_SortSorted)->Apply(sizes);
BENCHMARK(BM_SortSortedPlusSortedRun)->Apply(sizes);
BENCHMARK(BM_SortRandom)->Apply(sizes);
BENCHMARK(BM_DataCheckDoubled)->Apply(sizes);

}  // namespace
}  // namespace lumo

BENCHMARK_MAIN();
