// The filter of the window of all logs, against a baseline measured in the same run:
//   merged_filter_10x10MB_vs_one_100MB   a plain word filtered across ten merged logs of
//                                        10 MB each, from the filter set to every log's scan
//                                        done and its matches in time order, against the
//                                        same filter over one document of the same 100 MB
// The logs are the benchmarks' usual log text (the word "error" on 2.7% of the lines, any
// case). Times are processor times of the whole process (the scans' threads included), the
// median of the repetitions. Smaller than ten logs of 100 MB so that it runs in the memory and
// time of a shared build machine; the cost is per byte scanned and per match sorted, so the
// ratio does not depend on the size.
#include "benchclock.h"
#include "benchhost.h"
#include "ratioreporter.h"

#include "core/module1.h"
#include "core/refresh/posixfilesystem.h"
#include "core/refresh/systemclock.h"
#include "document/filter/filtermodel.h"
#include "document/filter/livefilter.h"
#include "document/frmdocument.h"
#include "merged/mergedfilter.h"
#include "merged/mergedlogs.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdio>

using namespace Orvik;

namespace {

constexpr qint64 LogMegabytes = 10;
constexpr int Logs = 10;

Contents logText(qint64 megabytes) {
    const std::string &block = logBlock();
    Contents text;
    for (qint64 i = 0; i < megabytes; ++i)
        text.append(block.data(), qint64(block.size()));
    return text;
}

const LineFilter &filter() {
    static const LineFilter word(QStringLiteral("error"), false, LineFilter::Kind::Plain);
    return word;
}

struct Documents {
    PosixFileSystem fileSystem;
    SystemClock clock;
    Module1 module{fileSystem, clock};
    std::vector<std::unique_ptr<frmDocument>> windows;

    frmDocument &add(qint64 megabytes) {
        windows.push_back(std::make_unique<frmDocument>(module));
        RichTextView &view = windows.back()->rtfText();
        view.setText(logText(megabytes));
        view.lineTimes(); // worked out before anything is timed
        return *windows.back();
    }
};

Documents *documents = nullptr;
RichTextView *one = nullptr;
MergedLogs *merged = nullptr;

void BM_OneDocument(benchmark::State &state) {
    FilterModel model(*one);
    LiveFilter live(*one, model);
    for (auto _ : state) {
        const double start = processSeconds();
        live.setFilter(filter());
        while (live.isScanning())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(processSeconds() - start);
    }
    state.counters["lines"] = double(model.rowCount());
}

void BM_Merged(benchmark::State &state) {
    MergedFilter across(*merged);
    for (auto _ : state) {
        const double start = processSeconds();
        across.setFilter(filter());
        while (across.isScanning())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(processSeconds() - start);
    }
    state.counters["lines"] = double(across.rowCount());
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    documents = new Documents;
    one = &documents->add(LogMegabytes * Logs).rtfText();
    merged = new MergedLogs(documents->module);
    for (int i = 0; i < Logs; ++i)
        merged->track(documents->add(LogMegabytes));
    std::printf("merged %lld rows of %d logs\n", merged->rowCount(), merged->mergedCount());
    BENCHMARK(BM_OneDocument)
        ->Name("filter_one")
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(2)
        ->Repetitions(5);
    BENCHMARK(BM_Merged)
        ->Name("filter_merged")
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(2)
        ->Repetitions(5);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("ratio merged_filter_10x10MB_vs_one_100MB %.3f limit 1.50\n",
                reporter.ratio("filter_merged", "filter_one"));
    delete merged;
    delete documents;
    return 0;
}
