// Keeps the real time of every benchmark run so a program can print its
// figures as ratios to a baseline measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // By full name ("BM_Reindex/100000/real_time") and by function name.
    std::map<std::string, double> times;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration) continue;
            // With repetitions the fastest run counts: on a shared machine
            // the slower ones measure the neighbours, not the code.
            benchmark::BenchmarkName name = run.run_name;
            name.repetitions.clear();
            for (const std::string& key : {name.str(), name.function_name}) {
                const auto [it, added] = times.emplace(key, run.GetAdjustedRealTime());
                if (added) continue;
                const double t = run.GetAdjustedRealTime();
                it->second = run.repetition_index > 0 ? std::min(it->second, t) : t;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // The time of `name` ("BM_X" or "BM_X/1000"), or 0 when it did not run.
    double time(const std::string& name) const {
        for (const std::string& key : {name, name + "/real_time"}) {
            const auto it = times.find(key);
            if (it != times.end()) return it->second;
        }
        return 0;
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
            const double m = r.time(row.measured + suffix);
            const double b = r.time(row.baseline + suffix);
            if (m <= 0 || b <= 0) {
                std::printf(" %10s", "-");
                continue;
            }
            const bool counts = checked.empty() || std::find(checked.begin(), checked.end(), c) != checked.end();
            within = within && (!counts || m / b <= row.limit);
            std::printf(" %10.2f", m / b);
        }
        if (row.limit > 0)
            std::printf(" %6.1fx %s %s\n", row.limit, within ? "ok" : "OVER", row.note);
        else
            std::printf(" %7s %s\n", "-", row.note);
    }
}

// Runs the benchmarks named on the command line, then `report`.
inline int run_benchmarks(int argc, char** argv, const std::function<void(const RatioReporter&)>& report) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    report(reporter);
    benchmark::Shutdown();
    return 0;
}
