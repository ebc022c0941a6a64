// Store and address file costs against plain baselines measured in the same
// run: reindex and the keystroke path against a memcpy of the buffer,
// reading against reading the bytes with stdio, writing against copying the
// old file and writing the buffer with stdio, each flushed to the disk. Prints
// a ratio table at the end.
#include <benchmark/benchmark.h>

#include "ratio_reporter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#if defined(__unix__)
#include <unistd.h>
#endif

#include "data/address_file.h"
#include "data/sort.h"
#include "data/store.h"
#include "generate.h"
#include "stdio_read.h"
#include "../tests/support/fake_port.h"

namespace {

namespace fs = std::filesystem;

// The tests' recording fake, with no main window so that reindex reports
// nothing; it stays correct as the port grows.
struct NullPort {
    NullPort() { fake.window_exists = false; }
    lumo::testing::FakePort fake;
    lumo::Port& port = fake.port;
};

const std::string& book(std::int64_t entries) {
    static std::map<std::int64_t, std::string> books;
    auto it = books.find(entries);
    if (it == books.end()) it = books.emplace(entries, lumo::bench::generate_address_book(static_cast<std::int32_t>(entries))).first;
    return it->second;
}

const fs::path& folder() {
    static const fs::path f = [] {
        fs::path p = fs::temp_directory_path() / "lumo-bench-store";
        fs::create_directories(p);
        return p;
    }();
    return f;
}

// Writes every dirty page out before a read is timed, so that the kernel's
// background writeback of files written earlier does not run into it.
void settle_disk() {
#if defined(__unix__)
    ::sync();
#endif
}

enum class Kind { plain, protected_file, sorted };

std::string sorted_text(const std::string& text);

std::string file_of(std::int64_t entries, Kind kind) {
    const bool protected_file = kind == Kind::protected_file;
    const char* prefix = kind == Kind::plain ? "u" : protected_file ? "p" : "s";
    const fs::path p = folder() / (prefix + std::to_string(entries) + ".adr");
    if (!fs::exists(p)) {
        std::string bytes = kind == Kind::sorted ? sorted_text(book(entries)) : book(entries);
        lumo::to_oem(bytes.data(), bytes.size());
        if (protected_file) {
            std::string header = "Pquimbel";
            lumo::encipher(header.data() + 1, 7, "secret7");
            lumo::encipher(bytes.data(), bytes.size(), "secret7");
            bytes.insert(0, header);
        }
        std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    settle_disk();
    return p.string();
}

struct Loaded {
    NullPort null;
    lumo::ViewState view;
    lumo::Store store{null.port, view};
    explicit Loaded(std::int64_t entries) : Loaded(book(entries)) {}
    explicit Loaded(const std::string& text) {
        lumo::TextBuffer b = store.allocate_text(static_cast<std::int32_t>(text.size()) + lumo::text_headroom);
        std::memcpy(b.data(), text.data(), text.size());
        store.adopt_text(std::move(b), static_cast<std::int32_t>(text.size()));
        store.reindex();
    }
};

std::string sorted_text(const std::string& text) {
    Loaded loaded(text);
    lumo::sort(loaded.store);
    return std::string(loaded.store.text_view());
}

void set_bytes(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// ---- Baselines ----------------------------------------------------------------

void BM_Memcpy(benchmark::State& state) {
    const std::string& text = book(state.range(0));
    std::vector<char> to(text.size() + lumo::text_headroom);
    for (auto _ : state) {
        std::memcpy(to.data(), text.data(), text.size());
        benchmark::ClobberMemory();
    }
    set_bytes(state, text.size());
}

// Reads the file's bytes with stdio into `bytes`, sized as the store sizes
// its buffer.
void stdio_read(const std::string& path, std::unique_ptr<char[]>& bytes, bool fresh) {
    lumo::bench::stdio_read_all(path, bytes, fresh, lumo::text_headroom);
}

// Into one buffer kept from run to run, as the store keeps its buffer when a
// book is read again: neither side pays for fresh pages.
void BM_StdioRead(benchmark::State& state) {
    const std::string path = file_of(state.range(0), Kind::plain);
    std::unique_ptr<char[]> bytes;
    for (auto _ : state) stdio_read(path, bytes, false);
}

// Into fresh memory each time, the baseline of a read into a new store.
void BM_StdioReadFresh(benchmark::State& state) {
    const std::string path = file_of(state.range(0), Kind::plain);
    std::unique_ptr<char[]> bytes;
    for (auto _ : state) stdio_read(path, bytes, true);
}

// A save must survive a crash, so both files reach the disk before it ends.
void close_on_disk(std::FILE* f) {
    std::fflush(f);
#if defined(__unix__)
    ::fsync(fileno(f));
#endif
    std::fclose(f);
}

// The least a save does: copy the old file to its backup and write the new
// one, each on the disk.
void BM_StdioCopyAndWrite(benchmark::State& state) {
    const std::string& text = book(state.range(0));
    const std::string path = (folder() / "baseline.adr").string();
    const std::string backup = (folder() / "baseline.DUP").string();
    std::ofstream(path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    for (auto _ : state) {
        std::unique_ptr<char[]> old;
        const std::size_t size = lumo::bench::stdio_read_all(path, old, true);
        std::FILE* copy = std::fopen(backup.c_str(), "wb");
        std::fwrite(old.get(), 1, size, copy);
        close_on_disk(copy);
        std::FILE* out = std::fopen(path.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), out);
        close_on_disk(out);
    }
}

// ---- The store ------------------------------------------------------------------

void BM_Reindex(benchmark::State& state) {
    Loaded l(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(l.store.reindex());
    set_bytes(state, static_cast<std::size_t>(l.store.text_length()));
}

// One typed character as the edit engine handles it: ensure room, undo
// snapshot, shift the tail by one byte, then reindex. The character goes in
// front of the middle entry's first byte, so no terminator moves relative to
// its entry and, as in the edit engine, only the starts of the entries
// behind it move: one pass over the entry index (`full_scan`: rescan the
// whole text instead, shown only).
void type_one_character(lumo::Store& store, bool full_scan) {
    store.ensure_room();
    store.take_undo_snapshot();
    const std::int32_t at = store.entry_start(store.entry_count() / 2);
    store.replace_text(at, 0, "x");
    if (full_scan) store.rewrite_text();
    benchmark::DoNotOptimize(store.reindex());
    store.invalidate_current_entry();
}

void keystrokes(benchmark::State& state, bool full_scan) {
    Loaded l(state.range(0));
    type_one_character(l.store, full_scan);  // the first key allocates the snapshot; steady typing reuses it
    for (auto _ : state) type_one_character(l.store, full_scan);
    if (!l.store.check()) state.SkipWithError("store unsound after typing");
}
void BM_Keystroke(benchmark::State& state) { keystrokes(state, false); }
void BM_KeystrokeFullScan(benchmark::State& state) { keystrokes(state, true); }

// Opening a book while another is loaded, as the Open command does: the
// first read allocates the buffer, later ones reuse it (`cold`: every read
// starts from a new empty store and takes fresh memory, shown only).
void read_book(benchmark::State& state, bool protected_file, bool cold = false) {
    const std::string path = file_of(state.range(0), protected_file ? Kind::protected_file : Kind::plain);
    NullPort null;
    lumo::ViewState view;
    lumo::Store store{null.port, view};
    lumo::FileState file;
    auto open = [&] {
        file.file_password = protected_file ? "secret7" : "";
        if (lumo::read_address_file(store, file, path, 0).status != lumo::ReadStatus::read)
            state.SkipWithError("read failed");
        store.modified = false;  // as the Open command leaves a freshly loaded book
    };
    store.reset_store();
    if (!cold) open();
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            store.release_store();
            store.reset_store();
            state.ResumeTiming();
        }
        open();
    }
}
void BM_ReadPlain(benchmark::State& state) { read_book(state, false); }

// Opening a book as the program starts: a new empty store, the file read
// into fresh memory and sorted.
void open_and_sort(benchmark::State& state, Kind kind) {
    const std::string path = file_of(state.range(0), kind);
    NullPort null;
    lumo::ViewState view;
    lumo::FileState file;
    for (auto _ : state) {
        state.PauseTiming();
        auto store = std::make_unique<lumo::Store>(null.port, view);
        store->reset_store();
        state.ResumeTiming();
        if (lumo::read_address_file(*store, file, path, 0).status != lumo::ReadStatus::read)
            state.SkipWithError("read failed");
        lumo::sort(*store);
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
}
void BM_OpenAndSortRandom(benchmark::State& state) { open_and_sort(state, Kind::plain); }
void BM_OpenAndSortSorted(benchmark::State& state) { open_and_sort(state, Kind::sorted); }
void BM_ReadPlainCold(benchmark::State& state) { read_book(state, false, true); }
void BM_ReadProtected(benchmark::State& state) { read_book(state, true); }

void write_book(benchmark::State& state, bool protected_file) {
    Loaded l(state.range(0));
    lumo::FileState file;
    file.file_password = protected_file ? "secret7" : "";
    const std::string path = (folder() / (protected_file ? "written-p.adr" : "written.adr")).string();
    lumo::write_address_file(l.store, file, path);
    for (auto _ : state) {
        if (lumo::write_address_file(l.store, file, path) != lumo::WriteStatus::written)
            state.SkipWithError("write failed");
    }
}
void BM_WritePlain(benchmark::State& state) { write_book(state, false); }
void BM_WriteProtected(benchmark::State& state) { write_book(state, true); }

// Size by size, each baseline just before what is measured against it, so
// both run in the memory state the same earlier runs left behind (after the
// 1,000,000-entry runs the allocator and page cache are very different).
// Five rounds of each size, so that a slow spell of the machine meets
// baselines and measured code alike; the ratios take the fastest run of each.
void register_benchmarks() {
    using Function = void (*)(benchmark::State&);
    const std::pair<const char*, Function> order[] = {
        {"BM_Memcpy", BM_Memcpy},
        {"BM_Reindex", BM_Reindex},
        {"BM_Keystroke", BM_Keystroke},
        {"BM_KeystrokeFullScan", BM_KeystrokeFullScan},
        {"BM_StdioRead", BM_StdioRead},
        {"BM_ReadPlain", BM_ReadPlain},
        {"BM_ReadProtected", BM_ReadProtected},
        {"BM_StdioReadFresh", BM_StdioReadFresh},
        {"BM_ReadPlainCold", BM_ReadPlainCold},
        {"BM_OpenAndSortRandom", BM_OpenAndSortRandom},
        {"BM_OpenAndSortSorted", BM_OpenAndSortSorted},
        {"BM_StdioCopyAndWrite", BM_StdioCopyAndWrite},
        {"BM_WritePlain", BM_WritePlain},
        {"BM_WriteProtected", BM_WriteProtected},
    };
    for (const std::int64_t size : {10000, 100000, 1000000})
        for (int round = 0; round < 5; ++round)
            for (const auto& [name, function] : order)
                benchmark::RegisterBenchmark(name, function)->Arg(size)->Unit(benchmark::kMillisecond)->UseRealTime();
}

void print_ratios(const RatioReporter& reporter) {
    print_ratio_table(reporter, {
        {"reindex / memcpy", "BM_Reindex", "BM_Memcpy", 3},
        {"keystroke / memcpy", "BM_Keystroke", "BM_Memcpy", 4},
        {"keystroke, whole text rescanned / memcpy", "BM_KeystrokeFullScan", "BM_Memcpy", 0},
        {"read plain / stdio read", "BM_ReadPlain", "BM_StdioRead", 3},
        {"read protected / stdio read", "BM_ReadProtected", "BM_StdioRead", 4},
        {"read plain into a new store / stdio read into new memory", "BM_ReadPlainCold", "BM_StdioReadFresh", 0},
        {"open + sort, random order / stdio read into new memory", "BM_OpenAndSortRandom", "BM_StdioReadFresh", 4},
        {"open + sort, sorted book / stdio read into new memory", "BM_OpenAndSortSorted", "BM_StdioReadFresh", 2},
        {"write plain / stdio copy+write", "BM_WritePlain", "BM_StdioCopyAndWrite", 2},
        {"write protected / stdio copy+write", "BM_WriteProtected", "BM_StdioCopyAndWrite", 2},
    }, {"10000", "100000", "1000000"}, {"100000", "1000000"});
    print_time_table(reporter,
                     {
                         {"open + sort, random order", "BM_OpenAndSortRandom/%s", 250},
                         {"open + sort, sorted book", "BM_OpenAndSortSorted/%s", 0},
                     },
                     "milliseconds", {"10000", "100000", "1000000"});
}

}  // namespace

int main(int argc, char** argv) {
    register_benchmarks();
    const int status = run_benchmarks(argc, argv, print_ratios);
    fs::remove_all(folder());
    return status;
}
