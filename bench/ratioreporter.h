#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

// Prints the usual table and keeps each benchmark's wall time per iteration, by its name and
// arguments ("BM_Append" with Arg(100) is "BM_Append100"), for the ratio lines printed after
// the run. A benchmark run with repetitions counts by the median of its repetitions, so that
// one repetition slowed by other work on the machine does not decide a ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter()
        : ConsoleReporter(OO_None) {}

    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                m_times[run.run_name.function_name + run.run_name.args].push_back(
                    run.GetAdjustedRealTime());
    }

    // The median time of the benchmark's repetitions, or -1 when it did not run.
    double time(const std::string &name) const {
        const auto found = m_times.find(name);
        if (found == m_times.end() || found->second.empty())
            return -1.0;
        std::vector<double> times = found->second;
        std::sort(times.begin(), times.end());
        const size_t middle = times.size() / 2;
        return times.size() % 2 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
    }

    // a's time over b's, or -1 when either did not run.
    double ratio(const std::string &a, const std::string &b) const {
        const double x = time(a);
        const double y = time(b);
        return x >= 0 && y > 0 ? x / y : -1.0;
    }

private:
    std::map<std::string, std::vector<double>> m_times;
};
