// The views' per-keystroke costs against the size of the address book: a
// navigation key and filling the visible overview rows must not grow with
// the number of entries; a type-ahead character may cost one pass over the
// entry index (its search; two when nothing matches), measured here against
// a bare pass of that kind.
// Prints the ratios of 1,000,000 entries to 1,000 at the end.
#include <benchmark/benchmark.h>

#include "ratio_reporter.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "../tests/support/fake_port.h"
#include "data/sort.h"
#include "data/store.h"
#include "generate.h"
#include "views/overview.h"

namespace {

// One sorted address book of a given size with an overview over it, as the
// program holds it while the overview is active.
struct Book {
    explicit Book(std::int64_t entries) {
        fake.window_exists = false;
        const std::string text = lumo::bench::generate_address_book(static_cast<std::int32_t>(entries));
        lumo::TextBuffer buffer = store.allocate_text(static_cast<std::int32_t>(text.size()) + lumo::text_headroom);
        std::memcpy(buffer.data(), text.data(), text.size());
        store.adopt_text(std::move(buffer), static_cast<std::int32_t>(text.size()));
        store.reindex();
        lumo::sort(store);
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

Book& book(std::int64_t entries) {
    static std::map<std::int64_t, std::unique_ptr<Book>> books;
    auto& slot = books[entries];
    if (!slot) slot = std::make_unique<Book>(entries);
    slot->fake.calls.clear();
    return *slot;
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(1000000)->UseRealTime();
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
void type_and_erase(benchmark::State& state, char c) {
    Book& b = book(state.range(0));
    for (auto _ : state) {
        b.overview.type_ahead(static_cast<unsigned char>(c));
        b.overview.type_ahead(2);
        b.fake.calls.clear();
    }
    benchmark::DoNotOptimize(b.view.top_entry);
}
// A letter that headings begin with: the search stops at the first of them.
void BM_TypeAheadCharacter(benchmark::State& state) { type_and_erase(state, 's'); }
// The worst case: nothing begins with it and nothing folds higher, so the
// search runs through every entry twice.
void BM_TypeAheadNoMatch(benchmark::State& state) { type_and_erase(state, '~'); }

// The baseline for the search: read the first byte of every entry once.
void BM_EntryIndexPass(benchmark::State& state) {
    Book& b = book(state.range(0));
    for (auto _ : state) {
        unsigned sum = 0;
        for (std::int32_t i = 0; i < b.store.entry_count(); ++i)
            sum += static_cast<unsigned char>(b.store.text_view().data()[b.store.entry_start(i)]);
        benchmark::DoNotOptimize(sum);
    }
}

BENCHMARK(BM_NavigationKey)->Apply(sizes);
BENCHMARK(BM_FillVisibleRows)->Apply(sizes);
BENCHMARK(BM_TypeAheadCharacter)->Apply(sizes);
BENCHMARK(BM_TypeAheadNoMatch)->Apply(sizes);
BENCHMARK(BM_EntryIndexPass)->Apply(sizes);

void print_ratios(const RatioReporter& r) {
    print_ratio_table(r, {
        {"navigation key 1M / 1k", "BM_NavigationKey/1000000", "BM_NavigationKey/1000", 3},
        {"fill visible rows 1M / 1k", "BM_FillVisibleRows/1000000", "BM_FillVisibleRows/1000", 3},
        {"type-ahead char 1M / 1k", "BM_TypeAheadCharacter/1000000", "BM_TypeAheadCharacter/1000", 0,
         "(stops at the first match)"},
        {"type-ahead no match / index pass, 1M", "BM_TypeAheadNoMatch/1000000", "BM_EntryIndexPass/1000000", 3},
    });
}

}  // namespace

int main(int argc, char** argv) { return run_benchmarks(argc, argv, print_ratios); }
