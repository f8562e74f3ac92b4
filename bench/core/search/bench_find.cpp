// Speed of Find Next, each against a baseline measured in the same run:
//   find_at_end_200MB            a case-folded find of a text that occurs only at the end of
//                                200 MB of log text, against a memmem scan of the same bytes
//   find_at_end_match_case_200MB the same with Match case
//   find_next_far_from_start     the next of many occurrences from the middle of 200 MB,
//                                against the same find in a 1 MB text: the cost follows the
//                                distance to the match, not the size of the text
// The last lines printed are "ratio NAME VALUE limit LIMIT".

#include "benchhost.h"
#include "core/content/contents.h"
#include "core/search/findrun.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

using namespace Orvik;

namespace {

constexpr qint64 MB = 1024 * 1024;
const char Needle[] = "FATAL: disk quota exceeded";

// `megabytes` of log text ending in a line with the needle.
Contents logText(int megabytes) {
    const std::string block = logBlock();
    Contents text;
    for (int i = 0; i < megabytes; ++i)
        text.append(block.data(), qint64(block.size()));
    const std::string last = std::string("2026-12-06 22:00:00.000 [FATAL] ") + Needle + "\n";
    text.append(last.data(), qint64(last.size()));
    return text;
}

const Contents &bigText() {
    static const Contents text = logText(200);
    return text;
}

const Contents &smallText() {
    static const Contents text = logText(1);
    return text;
}

qint64 findFrom(const Contents &text, const char *what, bool matchCase, qint64 from) {
    FindRun run(TextFinder(QString::fromLatin1(what), matchCase), text, from, from,
                FindRun::Direction::Down);
    while (!run.step()) {
    }
    return run.match().offset;
}

void BM_FindAtEndBaseline(benchmark::State &state) {
    const Contents &text = bigText();
    for (auto _ : state) {
        const void *hit = memmem(text.data(), size_t(text.size()), Needle, std::strlen(Needle));
        benchmark::DoNotOptimize(hit);
    }
}

void BM_FindAtEnd(benchmark::State &state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(findFrom(bigText(), "fatal: DISK quota exceeded", false, 0));
}

void BM_FindAtEndMatchCase(benchmark::State &state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(findFrom(bigText(), Needle, true, 0));
}

void BM_FindNextFarFromStartBaseline(benchmark::State &state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(findFrom(smallText(), "error", false, 1000));
}

void BM_FindNextFarFromStart(benchmark::State &state) {
    const qint64 middle = bigText().size() / 2 + 1000;
    for (auto _ : state)
        benchmark::DoNotOptimize(findFrom(bigText(), "error", false, middle));
}

// On a shared machine a run is now and then slowed by other work: each ratio compares the
// fastest of several repetitions in processor time (the work is one thread's), measured the
// same way for the find and its baseline.
double fastest(const std::vector<double> &times) {
    return *std::min_element(times.begin(), times.end());
}

void repeated(benchmark::internal::Benchmark *b) {
    b->Repetitions(7)->ComputeStatistics("min", fastest)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_FindAtEndBaseline)->Iterations(2)->Unit(benchmark::kMillisecond)->Apply(repeated);
BENCHMARK(BM_FindAtEnd)->Iterations(2)->Unit(benchmark::kMillisecond)->Apply(repeated);
BENCHMARK(BM_FindAtEndMatchCase)->Iterations(2)->Unit(benchmark::kMillisecond)->Apply(repeated);
BENCHMARK(BM_FindNextFarFromStartBaseline)
    ->Iterations(2000)
    ->Unit(benchmark::kMicrosecond)
    ->Apply(repeated);
BENCHMARK(BM_FindNextFarFromStart)
    ->Iterations(2000)
    ->Unit(benchmark::kMicrosecond)
    ->Apply(repeated);

// Keeps the fastest repetition of each benchmark for the ratio lines.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter()
        : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min")
                times[run.run_name.function_name] = run.GetAdjustedCPUTime();
        }
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char **argv) {
    bigText();
    smallText();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::fflush(stdout);
    std::printf("\n"); // a terminal's pending colour reset ends up on this line

    const auto ratio = [&reporter](const std::string &run, const std::string &baseline) {
        const auto a = reporter.times.find(run);
        const auto b = reporter.times.find(baseline);
        if (a == reporter.times.end() || b == reporter.times.end() || b->second <= 0)
            return -1.0;
        return a->second / b->second;
    };
    const auto line = [](const char *name, double value, double limit) {
        std::printf("ratio %s %.2f limit %.1f\n", name, value, limit);
    };
    line("find_at_end_200MB", ratio("BM_FindAtEnd", "BM_FindAtEndBaseline"), 1.5);
    line("find_at_end_match_case_200MB", ratio("BM_FindAtEndMatchCase", "BM_FindAtEndBaseline"),
         1.2);
    line("find_next_far_from_start",
         ratio("BM_FindNextFarFromStart", "BM_FindNextFarFromStartBaseline"), 1.5);
    return 0;
}
