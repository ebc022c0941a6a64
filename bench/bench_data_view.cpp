// The data view's per-keystroke costs against the size of the book: typing,
// Backspace, Delete and Enter, each as the main window handles it (undo
// snapshot, the edit, re-index, the caret row repainted), with the caret in
// the first entry and in the last. A keystroke must cost the same in any
// book: each figure at 100,000 and 1,000,000 entries is a ratio to the same
// keystroke at 10,000 in this run. A full row fill of the data view is
// measured the same way. Prints the ratios at the end.
#include <benchmark/benchmark.h>

#include "ratio_reporter.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "../tests/support/fake_port.h"
#include "data/store.h"
#include "generate.h"
#include "views/data_view.h"
#include "views/edit_engine.h"

namespace {

enum Where : std::int64_t { first_entry = 0, last_entry = 1 };

// An address book with the data view active on its first or last entry,
// the caret on line 1, column 3.
struct Book {
    Book(std::int64_t entries, Where where) {
        fake.window_exists = false;
        const std::string text = lumo::bench::generate_address_book(static_cast<std::int32_t>(entries));
        lumo::TextBuffer buffer = store.allocate_text(static_cast<std::int32_t>(text.size()) + lumo::text_headroom);
        std::memcpy(buffer.data(), text.data(), text.size());
        store.adopt_text(std::move(buffer), static_cast<std::int32_t>(text.size()));
        store.reindex();
        state.geometry = {600, 40 * 16, 16, 254 * 8, 20};
        view.active_view = lumo::ActiveView::data_view;
        view.selected_entry_start = store.entry_start(where == first_entry ? 0 : store.entry_count() - 1);
        data_view.ensure_lines();
        view.caret_line = 1;
        view.caret_column = 3;
    }
    // One keystroke as the main window handles it.
    void key(int code) {
        store.ensure_room();
        store.take_undo_snapshot();
        engine.edit(code);
    }
    lumo::testing::FakePort fake;
    lumo::ViewState view;
    lumo::Store store{fake.port, view};
    lumo::DataViewState state;
    lumo::DataView data_view{store, view, state, fake.port};
    lumo::EditEngine engine{store, view, data_view, fake.port};
};

// One book at a time: a million entries are 100 MB.
Book& book(std::int64_t entries, std::int64_t where) {
    static std::pair<std::int64_t, std::int64_t> loaded{-1, -1};
    static std::unique_ptr<Book> current;
    if (loaded != std::pair{entries, where}) {
        current.reset();
        current = std::make_unique<Book>(entries, static_cast<Where>(where));
        loaded = {entries, where};
    }
    current->fake.calls.clear();
    return *current;
}

// Each pair of keystrokes leaves the text as it found it, so a run can
// repeat it as often as it likes.
template <typename Pair>
void keystrokes(benchmark::State& state, Pair pair) {
    Book& b = book(state.range(0), state.range(1));
    pair(b);  // the first pass settles the undo record and the row cache
    for (auto _ : state) {
        pair(b);
        b.fake.calls.clear();
    }
    if (!b.store.check()) state.SkipWithError("store unsound after typing");
}

void BM_TypeAndBackspace(benchmark::State& state) {
    keystrokes(state, [](Book& b) {
        b.key('x');
        b.key(lumo::edit_code::backspace);
    });
}

void BM_TypeAndDelete(benchmark::State& state) {
    keystrokes(state, [](Book& b) {
        b.key('x');
        b.view.caret_column -= 1;  // back in front of the typed character
        b.key(lumo::edit_code::delete_key);
    });
}

void BM_EnterAndBackspace(benchmark::State& state) {
    keystrokes(state, [](Book& b) {
        b.key(lumo::edit_code::enter);  // the caret goes to the start of the new line
        b.key(lumo::edit_code::backspace);
    });
}

// A full paint's work after a change: the line index rebuilt, the rows
// refilled and the plan made.
void BM_FillDataViewRows(benchmark::State& state) {
    Book& b = book(state.range(0), state.range(1));
    for (auto _ : state) {
        b.store.invalidate_current_entry();
        b.data_view.prepare_paint(lumo::DataViewPaintMode::full);
        benchmark::DoNotOptimize(b.data_view.plan_paint(lumo::DataViewPaintMode::full).rows.size());
    }
}

// Book by book (each size is loaded once), smallest first.
void register_benchmarks() {
    using Function = void (*)(benchmark::State&);
    const std::pair<const char*, Function> order[] = {
        {"BM_TypeAndBackspace", BM_TypeAndBackspace},
        {"BM_TypeAndDelete", BM_TypeAndDelete},
        {"BM_EnterAndBackspace", BM_EnterAndBackspace},
        {"BM_FillDataViewRows", BM_FillDataViewRows},
    };
    for (const std::int64_t size : {10000, 100000, 1000000})
        for (const std::int64_t where : {first_entry, last_entry})
            for (const auto& [name, function] : order)
                benchmark::RegisterBenchmark(name, function)->Args({size, where})->Repetitions(5)->UseRealTime();
}

void print_ratios(const RatioReporter& r) {
    // "BM_X/size/where": each size against 10,000 entries at the same place.
    auto rows = [](const char* what, const char* name, const char* where, double limit) {
        return RatioScaleRow{what, std::string(name) + "/%s/" + where, limit};
    };
    print_scale_table(r,
                      {
                          rows("typing + Backspace, first entry", "BM_TypeAndBackspace", "0", 2),
                          rows("typing + Backspace, last entry", "BM_TypeAndBackspace", "1", 2),
                          rows("typing + Delete, first entry", "BM_TypeAndDelete", "0", 2),
                          rows("typing + Delete, last entry", "BM_TypeAndDelete", "1", 2),
                          rows("Enter + Backspace, first entry", "BM_EnterAndBackspace", "0", 2),
                          rows("Enter + Backspace, last entry", "BM_EnterAndBackspace", "1", 2),
                          rows("data view row fill, first entry", "BM_FillDataViewRows", "0", 2),
                      },
                      "10000", {"10000", "100000", "1000000"});
}

}  // namespace

int main(int argc, char** argv) {
    register_benchmarks();
    return run_benchmarks(argc, argv, print_ratios);
}
