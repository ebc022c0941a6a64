// The views' per-keystroke costs against the size of the address book: a
// navigation key and filling the visible overview rows must not grow with
// the number of entries. A type-ahead character in the sorted book (as it
// is while the overview is active) must take at most 1 ms at 1,000,000
// entries; an unsorted book (the search then looks at every entry) is shown
// beside it. Prints the ratios to 10,000 entries and the times at the end.
#include <benchmark/benchmark.h>

#include "ratio_reporter.h"

#include <cstdio>
#include <cstring>
#include <utility>
#include <memory>
#include <string>

#include "../tests/support/fake_port.h"
#include "data/sort.h"
#include "data/store.h"
#include "generate.h"
#include "views/overview.h"

namespace {

// An address book of a given size with an overview over it, sorted as the
// program holds it while the overview is active (or not, `sorted` false).
struct Book {
    Book(std::int64_t entries, bool sorted) {
        fake.window_exists = false;
        const std::string text = lumo::bench::generate_address_book(static_cast<std::int32_t>(entries));
        lumo::TextBuffer buffer = store.allocate_text(static_cast<std::int32_t>(text.size()) + lumo::text_headroom);
        std::memcpy(buffer.data(), text.data(), text.size());
        store.adopt_text(std::move(buffer), static_cast<std::int32_t>(text.size()));
        store.reindex();
        if (sorted) lumo::sort(store);
        // A window of 40 rows, 8-pixel characters.
        state.geometry = {600, 40 * 24, 16, 254 * 8, 20};
        view.top_entry = store.entry_count() / 2;
    }
    lumo::testing::FakePort fake;
    lumo::ViewState view;
    lumo::Store store{fake.port, view};
    lumo::OverviewState state;
    lumo::Overview overview{store, state};
};

// One book at a time: a million entries are 100 MB.
Book& book(std::int64_t entries, bool sorted = true) {
    static std::pair<std::int64_t, bool> loaded{-1, false};
    static std::unique_ptr<Book> current;
    if (loaded != std::pair{entries, sorted}) {
        current.reset();
        current = std::make_unique<Book>(entries, sorted);
        loaded = {entries, sorted};
    }
    current->fake.calls.clear();
    return *current;
}

// Down then Up: two navigation keys, each with its data view follow.
void BM_NavigationKey(benchmark::State& state) {
    Book& b = book(state.range(0));
    for (auto _ : state) {
        b.overview.line_down(false);
        b.overview.line_up(false);
        b.fake.calls.clear();
    }
    benchmark::DoNotOptimize(b.view.selected_entry_start);
}

// What a paint does before drawing: repairs and the visible rows.
void BM_FillVisibleRows(benchmark::State& state) {
    Book& b = book(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(b.overview.prepare_paint());
        b.fake.calls.clear();
    }
}

// One typed character (a search) and Backspace (which ends the search).
void type_and_erase(benchmark::State& state, char c, bool sorted = true) {
    Book& b = book(state.range(0), sorted);
    for (auto _ : state) {
        b.overview.type_ahead(static_cast<unsigned char>(c));
        b.overview.type_ahead(2);
        b.fake.calls.clear();
    }
    benchmark::DoNotOptimize(b.view.top_entry);
}
// A letter that headings begin with: the search stops at the first of them.
void BM_TypeAheadCharacter(benchmark::State& state) { type_and_erase(state, 's'); }
// Nothing begins with it and nothing folds higher: the search runs to the
// end of the list.
void BM_TypeAheadNoMatch(benchmark::State& state) { type_and_erase(state, '~'); }
// The same in a book that is not sorted: every entry is looked at.
void BM_TypeAheadUnsorted(benchmark::State& state) { type_and_erase(state, '~', false); }

// Book by book (each size is loaded once), smallest first.
void register_benchmarks() {
    using Function = void (*)(benchmark::State&);
    const std::pair<const char*, Function> sorted[] = {
        {"BM_NavigationKey", BM_NavigationKey},
        {"BM_FillVisibleRows", BM_FillVisibleRows},
        {"BM_TypeAheadCharacter", BM_TypeAheadCharacter},
        {"BM_TypeAheadNoMatch", BM_TypeAheadNoMatch},
    };
    for (const std::int64_t size : {10000, 100000, 1000000}) {
        for (const auto& [name, function] : sorted)
            benchmark::RegisterBenchmark(name, function)->Arg(size)->Repetitions(5)->UseRealTime()->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("BM_TypeAheadUnsorted", BM_TypeAheadUnsorted)
            ->Arg(size)->Repetitions(3)->UseRealTime()->Unit(benchmark::kMicrosecond);
    }
}

void print_ratios(const RatioReporter& r) {
    print_scale_table(r,
                      {
                          {"navigation key", "BM_NavigationKey/%s", 3},
                          {"fill visible rows", "BM_FillVisibleRows/%s", 3},
                      },
                      "10000", {"10000", "100000", "1000000"});
    print_time_table(r,
                     {
                         {"type-ahead character, sorted book", "BM_TypeAheadCharacter/%s", 1000},
                         {"type-ahead character matching nothing, sorted", "BM_TypeAheadNoMatch/%s", 1000},
                         {"type-ahead character, unsorted book", "BM_TypeAheadUnsorted/%s", 0},
                     },
                     "microseconds", {"10000", "100000", "1000000"});
}

}  // namespace

int main(int argc, char** argv) {
    register_benchmarks();
    return run_benchmarks(argc, argv, print_ratios);
}
