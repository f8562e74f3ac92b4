#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>

// Prints the usual table and keeps each benchmark's wall time per iteration, by its name and
// arguments ("BM_Append" with Arg(100) is "BM_Append100"), for the ratio lines printed after
// the run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter()
        : ConsoleReporter(OO_None) {}

    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                m_time[run.run_name.function_name + run.run_name.args] = run.GetAdjustedRealTime();
    }

    // a's time over b's, or -1 when either did not run.
    double ratio(const std::string &a, const std::string &b) const {
        const auto x = m_time.find(a);
        const auto y = m_time.find(b);
        return x != m_time.end() && y != m_time.end() && y->second > 0 ? x->second / y->second
                                                                       : -1.0;
    }

private:
    std::map<std::string, double> m_time;
};
