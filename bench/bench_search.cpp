// Search and replace on a 1,000,000-entry address book against baselines
// measured in the same run: replacing 100,000 hits (the one-pass rebuild,
// and the whole Replace command with its reindex and sort) against a memcpy
// of the buffer, each into memory in use and into memory taken fresh (whose
// page faults cost more than the copy on some machines); find next through the whole data against memchr and memmem
// scans. Prints a ratio table at the end.
#include <benchmark/benchmark.h>

#include "ratio_reporter.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "data/search.h"
#include "data/store.h"
#include "generate.h"
#include "../tests/support/fake_port.h"

namespace {

constexpr std::int32_t entries = 1000000;
constexpr std::int32_t hit_every = 10;  // 100,000 hits
constexpr std::string_view marker = "Qzqz";
constexpr std::string_view replacement = "Qzqz-Marker";

// The generated book with a line holding the marker in every tenth entry.
const std::string& marked_book() {
    static const std::string text = [] {
        const std::string plain = lumo::bench::generate_address_book(entries);
        std::string out;
        out.reserve(plain.size() + plain.size() / 10);
        std::size_t start = 0;
        std::int32_t k = 0;
        for (std::size_t end = plain.find("\r\n\r\n"); end != std::string::npos;
             start = end + 4, end = plain.find("\r\n\r\n", start), ++k) {
            out.append(plain, start, end + 2 - start);
            if (k % hit_every == 0) {
                out += "Notiz ";
                out += marker;
                out += " bitte\r\n";
            }
            out += "\r\n";
        }
        out.append(plain, start, std::string::npos);
        return out;
    }();
    return text;
}

struct Loaded {
    Loaded() { fake.window_exists = false; }
    lumo::testing::FakePort fake;
    lumo::ViewState view;
    lumo::Store store{fake.port, view};
    lumo::Search search{store};

    void load(const std::string& text) {
        lumo::TextBuffer b = store.allocate_text(static_cast<std::int32_t>(text.size()) + lumo::text_headroom);
        std::memcpy(b.data(), text.data(), text.size());
        store.adopt_text(std::move(b), static_cast<std::int32_t>(text.size()));
        store.reindex();
        view = {};
        fake.boxes.clear();
        fake.calls.clear();
    }
};

void set_bytes(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// ---- Baselines ----------------------------------------------------------------

void BM_Memcpy(benchmark::State& state) {
    const std::string& text = marked_book();
    std::vector<char> to(text.size() + lumo::text_headroom);
    for (auto _ : state) {
        std::memcpy(to.data(), text.data(), text.size());
        benchmark::ClobberMemory();
    }
    set_bytes(state, text.size());
}

// A byte nobody writes into an address book: memchr walks the whole text.
void BM_MemchrScan(benchmark::State& state) {
    const std::string& text = marked_book();
    for (auto _ : state) benchmark::DoNotOptimize(std::memchr(text.data(), '\x01', text.size()));
    set_bytes(state, text.size());
}

// An absent text whose first letter is common.
constexpr std::string_view absent_common = "Schmidtchen";
constexpr std::string_view absent_rare = "Qzqzx";

void memmem_scan(benchmark::State& state, std::string_view needle) {
    const std::string& text = marked_book();
    for (auto _ : state) {
        const char* found = nullptr;
        for (const char* p = text.data(); p + needle.size() <= text.data() + text.size();) {
            const void* c = std::memchr(p, needle[0], text.size() - static_cast<std::size_t>(p - text.data()));
            if (c == nullptr) break;
            p = static_cast<const char*>(c);
            if (std::memcmp(p, needle.data(), needle.size()) == 0) {
                found = p;
                break;
            }
            ++p;
        }
        benchmark::DoNotOptimize(found);
    }
    set_bytes(state, text.size());
}
void BM_MemmemCommon(benchmark::State& state) { memmem_scan(state, absent_common); }
void BM_MemmemRare(benchmark::State& state) { memmem_scan(state, absent_rare); }

// ---- Search ------------------------------------------------------------------

// Find next forward from the first byte through the whole data, case folded.
void find_through(benchmark::State& state, std::string_view needle) {
    Loaded l;
    l.load(marked_book());
    l.search.search_settings = {std::string(needle), lumo::SearchDirection::forward, true};
    for (auto _ : state) {
        l.search.search();
        if (l.fake.last_box() != lumo::text_nothing_found) state.SkipWithError("found something");
    }
    set_bytes(state, marked_book().size());
}
void BM_FindCommon(benchmark::State& state) { find_through(state, absent_common); }
void BM_FindRare(benchmark::State& state) { find_through(state, absent_rare); }

// Memory taken fresh for every copy: what a growing buffer costs, page
// faults included.
void BM_MemcpyFresh(benchmark::State& state) {
    const std::string& text = marked_book();
    for (auto _ : state) {
        lumo::TextBuffer to = lumo::TextBuffer::allocate(static_cast<std::int32_t>(text.size()) + lumo::text_headroom, {});
        std::memcpy(to.data(), text.data(), text.size());
        benchmark::ClobberMemory();
    }
    set_bytes(state, text.size());
}

// The replace-all core: collect the hits and write the new text, into a
// buffer in use (`fresh` false) or one taken fresh each time.
void rebuild(benchmark::State& state, bool fresh) {
    const std::string& text = marked_book();
    const auto length = static_cast<std::int32_t>(text.size());
    const lumo::Needle needle(marker, true);
    const auto size = static_cast<std::int32_t>(replacement.size());
    const std::int64_t bound = lumo::rebuilt_size_bound(length, entries / hit_every, needle.size(), size);
    lumo::TextBuffer warm = lumo::TextBuffer::allocate(static_cast<std::int32_t>(bound) + lumo::text_headroom, {});
    std::memset(warm.data(), 0, static_cast<std::size_t>(warm.capacity()));
    std::size_t hits_seen = 0;
    for (auto _ : state) {
        const auto hits = lumo::collect_hits_forward(needle, text.data(), length, 0, length);
        lumo::TextBuffer out;
        if (fresh) out = lumo::TextBuffer::allocate(static_cast<std::int32_t>(bound) + lumo::text_headroom, {});
        char* to = fresh ? out.data() : warm.data();
        benchmark::DoNotOptimize(lumo::write_replacements(text.data(), length, hits, needle.size(), replacement, to));
        benchmark::ClobberMemory();
        hits_seen = hits.size();
    }
    if (hits_seen != entries / hit_every) state.SkipWithError("wrong number of hits");
    set_bytes(state, text.size());
}
void BM_ReplaceAllRebuild(benchmark::State& state) { rebuild(state, false); }
void BM_ReplaceAllRebuildFresh(benchmark::State& state) { rebuild(state, true); }

// The whole Replace command: snapshot, rebuild, reindex, sort, message.
void BM_ReplaceAllCommand(benchmark::State& state) {
    Loaded l;
    for (auto _ : state) {
        state.PauseTiming();
        l.load(marked_book());
        l.search.replace_settings = {std::string(marker), std::string(replacement),
                                     lumo::SearchDirection::forward_wrap, true, true};
        state.ResumeTiming();
        l.search.replace(lumo::ReplaceScope::whole_data);
    }
    if (l.fake.last_box() != "100000 entries were replaced!") state.SkipWithError(l.fake.last_box().c_str());
}

void big(benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond)->UseRealTime(); }

BENCHMARK(BM_Memcpy)->Apply(big);
BENCHMARK(BM_MemchrScan)->Apply(big);
BENCHMARK(BM_MemmemCommon)->Apply(big);
BENCHMARK(BM_MemmemRare)->Apply(big);
BENCHMARK(BM_FindCommon)->Apply(big);
BENCHMARK(BM_FindRare)->Apply(big);
BENCHMARK(BM_MemcpyFresh)->Apply(big);
BENCHMARK(BM_ReplaceAllRebuild)->Apply(big);
BENCHMARK(BM_ReplaceAllRebuildFresh)->Apply(big);
BENCHMARK(BM_ReplaceAllCommand)->Apply(big)->Iterations(3);

// All at 1,000,000 entries.
void print_ratios(const RatioReporter& reporter) {
    print_ratio_table(reporter, {
        {"replace all 100k hits (rebuild) / memcpy", "BM_ReplaceAllRebuild", "BM_Memcpy", 5},
        {"the same, fresh buffers / memcpy, fresh buffer", "BM_ReplaceAllRebuildFresh", "BM_MemcpyFresh", 5},
        {"memcpy, fresh buffer / memcpy", "BM_MemcpyFresh", "BM_Memcpy", 0},
        {"replace all command (+reindex, sort) / memcpy", "BM_ReplaceAllCommand", "BM_Memcpy", 0},
        {"find, common first letter / memchr+memcmp", "BM_FindCommon", "BM_MemmemCommon", 0},
        {"find, rare first letter / memchr+memcmp", "BM_FindRare", "BM_MemmemRare", 0},
        {"find, rare first letter / memchr scan", "BM_FindRare", "BM_MemchrScan", 0},
    });
}

}  // namespace

int main(int argc, char** argv) { return run_benchmarks(argc, argv, print_ratios); }
