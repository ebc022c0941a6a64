// Keeps the real time of every benchmark run so a program can print its
// figures as ratios to a baseline measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

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
            times[run.benchmark_name()] = run.GetAdjustedRealTime();
            times[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // The time of `name` at argument `size`, or 0 when it did not run.
    double time(const std::string& name, const char* size) const {
        const auto it = times.find(name + "/" + size + "/real_time");
        return it == times.end() ? 0 : it->second;
    }
};
