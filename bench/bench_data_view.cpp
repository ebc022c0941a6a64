// The data view's per-keystroke costs: a typed character as the main window
// handles it (undo snapshot, insert, re-index) against a memcpy of the whole
// buffer measured in the same run, and a full row fill of the data view,
// which must not grow with the number of entries. Prints the ratios at the end.
#include <benchmark/benchmark.h>

#include "ratio_reporter.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../tests/support/fake_port.h"
#include "data/store.h"
#include "generate.h"
#include "views/data_view.h"
#include "views/edit_engine.h"

namespace {

// An address book with the data view on an entry in its middle, caret on
// line 1, the data view active.
struct Book {
    explicit Book(std::int64_t entries) {
        fake.window_exists = false;
        const std::string text = lumo::bench::generate_address_book(static_cast<std::int32_t>(entries));
        lumo::TextBuffer buffer = store.allocate_text(static_cast<std::int32_t>(text.size()) + lumo::text_headroom);
        std::memcpy(buffer.data(), text.data(), text.size());
        store.adopt_text(std::move(buffer), static_cast<std::int32_t>(text.size()));
        store.reindex();
        state.geometry = {600, 40 * 16, 16, 254 * 8, 20};
        view.active_view = lumo::ActiveView::data_view;
        view.selected_entry_start = store.entry_start(store.entry_count() / 2);
        data_view.ensure_lines();
        view.caret_line = store.line_count() > 1 ? 1 : 0;
        // The undo copy exists after the first keystroke; its first
        // allocation is not what a keystroke costs.
        store.take_undo_snapshot();
        engine.edit('x');
        engine.edit(lumo::edit_code::backspace);
    }
    lumo::testing::FakePort fake;
    lumo::ViewState view;
    lumo::Store store{fake.port, view};
    lumo::DataViewState state;
    lumo::DataView data_view{store, view, state, fake.port};
    lumo::EditEngine engine{store, view, data_view, fake.port};
};

Book& book(std::int64_t entries) {
    static std::map<std::int64_t, std::unique_ptr<Book>> books;
    auto& slot = books[entries];
    if (!slot) slot = std::make_unique<Book>(entries);
    slot->fake.calls.clear();
    return *slot;
}

void sizes(benchmark::internal::Benchmark* b) { b->Arg(1000)->Arg(1000000)->UseRealTime(); }

// Two keystrokes, each as the main window handles it: a character, then
// Backspace, each after its undo snapshot (the size stays the same).
void BM_TypeCharacter(benchmark::State& state) {
    Book& b = book(state.range(0));
    for (auto _ : state) {
        b.store.take_undo_snapshot();
        b.engine.edit('x');
        b.store.take_undo_snapshot();
        b.engine.edit(lumo::edit_code::backspace);
        b.fake.calls.clear();
    }
    benchmark::DoNotOptimize(b.store.text_length());
}

// The baseline: two copies of the whole text buffer.
void BM_TwoMemcpy(benchmark::State& state) {
    Book& b = book(state.range(0));
    std::vector<char> copy(static_cast<std::size_t>(b.store.text_length()));
    for (auto _ : state) {
        std::memcpy(copy.data(), b.store.text_view().data(), copy.size());
        benchmark::ClobberMemory();
        std::memcpy(copy.data(), b.store.text_view().data(), copy.size());
        benchmark::ClobberMemory();
    }
}

// A full paint's work after a change: the line index rebuilt, the rows
// refilled and the plan made.
void BM_FillDataViewRows(benchmark::State& state) {
    Book& b = book(state.range(0));
    for (auto _ : state) {
        b.store.invalidate_current_entry();
        b.data_view.prepare_paint(lumo::DataViewPaintMode::full);
        benchmark::DoNotOptimize(b.data_view.plan_paint(lumo::DataViewPaintMode::full).rows.size());
    }
}

BENCHMARK(BM_TypeCharacter)->Apply(sizes);
BENCHMARK(BM_TwoMemcpy)->Apply(sizes);
BENCHMARK(BM_FillDataViewRows)->Apply(sizes);

void print_ratios(const RatioReporter& r) {
    print_ratio_table(r, {
        {"typed char / memcpy, 1M", "BM_TypeCharacter/1000000", "BM_TwoMemcpy/1000000", 4},
        {"typed char / memcpy, 1k", "BM_TypeCharacter/1000", "BM_TwoMemcpy/1000", 0},
        {"typed char 1M / 1k", "BM_TypeCharacter/1000000", "BM_TypeCharacter/1000", 0},
        {"data view row fill 1M / 1k", "BM_FillDataViewRows/1000000", "BM_FillDataViewRows/1000", 3},
    });
}

}  // namespace

int main(int argc, char** argv) { return run_benchmarks(argc, argv, print_ratios); }
