// Keeps the real time of every benchmark run so a program can print its
// figures as ratios to a baseline measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Every run's real time in the order they ran, by full name
    // ("BM_Reindex/100000/real_time") and by function name.
    std::map<std::string, std::vector<double>> times;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration) continue;
            benchmark::BenchmarkName name = run.run_name;
            name.repetitions.clear();
            for (const std::string& key : {name.str(), name.function_name}) times[key].push_back(run.GetAdjustedRealTime());
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // The median of a benchmark's runs, in its own time unit; 0 when it did
    // not run.
    double median(const std::string& name) const {
        const std::vector<double>* runs = runs_of(name);
        if (!runs) return 0;
        std::vector<double> sorted = *runs;
        std::sort(sorted.begin(), sorted.end());
        const std::size_t half = sorted.size() / 2;
        return sorted.size() % 2 ? sorted[half] : (sorted[half - 1] + sorted[half]) / 2;
    }
    // measured / baseline, or 0 when either did not run. Run as often as
    // each other, the k-th runs of both are a pair measured close together
    // and the median of the pairs' ratios counts: a slow spell of a shared
    // machine then slows both sides of a pair, and an odd pair is outvoted.
    // Otherwise the fastest run of each.
    double ratio(const std::string& measured, const std::string& baseline) const {
        const std::vector<double>* m = runs_of(measured);
        const std::vector<double>* b = runs_of(baseline);
        if (!m || !b) return 0;
        if (m->size() == b->size() && m->size() > 1) {
            std::vector<double> ratios;
            for (std::size_t k = 0; k < m->size(); ++k)
                if ((*b)[k] > 0) ratios.push_back((*m)[k] / (*b)[k]);
            if (ratios.empty()) return 0;
            std::sort(ratios.begin(), ratios.end());
            const std::size_t half = ratios.size() / 2;
            return ratios.size() % 2 ? ratios[half] : (ratios[half - 1] + ratios[half]) / 2;
        }
        const double fastest_b = *std::min_element(b->begin(), b->end());
        return fastest_b > 0 ? *std::min_element(m->begin(), m->end()) / fastest_b : 0;
    }

private:
    // The runs of `name` ("BM_X" or "BM_X/1000"), or null when it did not run.
    const std::vector<double>* runs_of(const std::string& name) const {
        for (const std::string& key : {name, name + "/real_time"}) {
            const auto it = times.find(key);
            if (it != times.end() && !it->second.empty()) return &it->second;
        }
        return nullptr;
    }
};

// One line of a ratio table: measured / baseline, with its bound (0: shown
// only). Names are function names, or "BM_X/size" for one argument.
struct RatioRow {
    const char* what;
    const char* measured;
    const char* baseline;
    double limit;
    const char* note = "";
};

// Prints the rows; with `sizes`, one column per benchmark argument. Bounds
// apply to the `bounded` columns (all when empty); the others are shown.
inline void print_ratio_table(const RatioReporter& r, const std::vector<RatioRow>& rows,
                              std::initializer_list<const char*> sizes = {},
                              std::initializer_list<const char*> bounded = {}) {
    std::vector<std::string> checked;
    for (const char* s : bounded) checked.emplace_back(s);
    std::vector<std::string> columns;
    for (const char* s : sizes) columns.emplace_back(s);
    if (columns.empty()) columns.emplace_back();
    std::printf("\n%-48s", "ratio");
    for (const auto& c : columns) std::printf(" %10s", c.empty() ? "value" : c.c_str());
    std::printf(" %7s\n", "limit");
    for (const RatioRow& row : rows) {
        std::printf("%-48s", row.what);
        bool within = true;
        for (const auto& c : columns) {
            const std::string suffix = c.empty() ? std::string() : "/" + c;
            const double ratio = r.ratio(row.measured + suffix, row.baseline + suffix);
            if (ratio <= 0) {
                std::printf(" %10s", "-");
                continue;
            }
            const bool counts = checked.empty() || std::find(checked.begin(), checked.end(), c) != checked.end();
            within = within && (!counts || ratio <= row.limit);
            std::printf(" %10.2f", ratio);
        }
        if (row.limit > 0)
            std::printf(" %6.1fx %s %s\n", row.limit, within ? "ok" : "OVER", row.note);
        else
            std::printf(" %7s %s\n", "-", row.note);
    }
}

// One line of a scale table: the same benchmark at several sizes, each
// against itself at the base size. `pattern` holds "%s" where the size goes
// in the name ("BM_X/%s/1").
struct RatioScaleRow {
    const char* what;
    std::string pattern;
    double limit;
};

// `pattern` with its "%s" replaced by `size`.
inline std::string at_size(const std::string& pattern, const char* size) {
    std::string out = pattern;
    out.replace(out.find("%s"), 2, size);
    return out;
}

// The title line of a table with one column per size and the bound.
inline void print_size_header(const std::string& title, std::initializer_list<const char*> sizes) {
    std::printf("\n%-48s", title.c_str());
    for (const char* s : sizes) std::printf(" %10s", s);
    std::printf(" %7s\n", "limit");
}

// Prints the rows, one column per size; bounds apply to every size.
inline void print_scale_table(const RatioReporter& r, const std::vector<RatioScaleRow>& rows, const char* base,
                              std::initializer_list<const char*> sizes) {
    print_size_header("ratio to the same at " + std::string(base), sizes);
    for (const RatioScaleRow& row : rows) {
        std::printf("%-48s", row.what);
        bool within = true;
        for (const char* s : sizes) {
            const double ratio = r.ratio(at_size(row.pattern, s), at_size(row.pattern, base));
            if (ratio <= 0) {
                std::printf(" %10s", "-");
                continue;
            }
            within = within && ratio <= row.limit;
            std::printf(" %10.2f", ratio);
        }
        std::printf(" %6.1fx %s\n", row.limit, within ? "ok" : "OVER");
    }
}

// One line of a table of times: a benchmark at several sizes (`pattern` as
// in RatioScaleRow), the median run in the benchmark's unit, and the bound
// that applies at the largest size.
struct TimeRow {
    const char* what;
    std::string pattern;
    double limit;
};

inline void print_time_table(const RatioReporter& r, const std::vector<TimeRow>& rows, const char* unit,
                             std::initializer_list<const char*> sizes) {
    print_size_header(std::string("time, ") + unit, sizes);
    for (const TimeRow& row : rows) {
        std::printf("%-48s", row.what);
        double last = 0;
        for (const char* s : sizes) {
            last = r.median(at_size(row.pattern, s));
            if (last <= 0)
                std::printf(" %10s", "-");
            else
                std::printf(" %10.1f", last);
        }
        if (row.limit > 0)
            std::printf(" %7.0f %s\n", row.limit, last > 0 && last <= row.limit ? "ok" : "OVER");
        else
            std::printf(" %7s\n", "-");
    }
}

// Registers the benchmarks in `order` for each size, `rounds` times over,
// each baseline right before what is measured against it: a slow spell of
// a shared machine then meets both sides of a pair.
using BenchmarkFunction = void (*)(benchmark::State&);
inline void register_in_rounds(std::initializer_list<std::pair<const char*, BenchmarkFunction>> order,
                               std::initializer_list<std::int64_t> sizes, int rounds = 5) {
    for (const std::int64_t size : sizes)
        for (int round = 0; round < rounds; ++round)
            for (const auto& [name, function] : order)
                benchmark::RegisterBenchmark(name, function)->Arg(size)->Unit(benchmark::kMillisecond)->UseRealTime();
}

// Big blocks as the Windows heap hands them out: straight from the system,
// with fresh pages every time. Left to itself glibc keeps a freed block of
// up to 32 MB for the next request, so a run would write into pages an
// earlier run paid for, the baselines included, or not, as it happens.
inline void big_blocks_as_on_windows() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 512 * 1024);
#endif
}

// Runs the benchmarks named on the command line, then `report`.
inline int run_benchmarks(int argc, char** argv, const std::function<void(const RatioReporter&)>& report) {
    big_blocks_as_on_windows();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    report(reporter);
    benchmark::Shutdown();
    return 0;
}
