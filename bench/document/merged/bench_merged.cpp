// The filter of the window of all logs, against a baseline measured in the same run:
//   merged_filter_10x10MB_vs_one_100MB   a plain word filtered across ten merged logs of
//                                        10 MB each, from the filter set to every log's scan
//                                        done and its matches in time order, against the
//                                        same filter over one document of the same 100 MB
//   merged_append_1000_vs_log            the window's work for an append of 1,000 lines to one
//                                        of ten merged logs (its rows, its view, its caption),
//                                        against the log's own view taking the same appends in
//   merged_append_others_10MB_vs_1MB     the window's work for that append with the other nine
//                                        logs at 10 MB, against the other nine at 1 MB
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
#include "document/merged/frmmerged.h"
#include "document/merged/mergedfilter.h"
#include "document/merged/mergedlogs.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

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

// Ten merged logs in the window, one of them growing by 1,000 lines an iteration, later than
// every line before. The window's part of each append is its handling of the view's
// appended(), between the two slots the benchmark connects around the window's; the view's
// own part is the rest of the call.
struct Growing {
    explicit Growing(qint64 othersMegabytes)
        : window(docs.module) {
        for (int i = 0; i < Logs - 1; ++i)
            window.logs().track(docs.add(othersMegabytes));
        frmDocument &log = docs.add(1);
        view = &log.rtfText();
        text = view->text();
        // Connected before the window's and after it, so that they run around it.
        QObject::connect(view, &RichTextView::appended, [this] { appended = threadSeconds(); });
        window.logs().track(log);
        QObject::connect(view, &RichTextView::appended, [this] { handled = threadSeconds(); });
        // The first merge of the ten runs on a thread of its own; while it does, an append
        // only waits for it. The appends timed come after it.
        while (window.logs().isBuilding())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    // The next 1,000 lines, each a hundredth of a second after the one before.
    std::string next() {
        std::string chunk;
        for (int i = 0; i < 1000; ++i, ++line) {
            char buffer[128];
            const qint64 ms = line * 10;
            std::snprintf(
                buffer, sizeof buffer,
                "2026-12-06 23:%02lld:%02lld.%03lld [INFO ] worker-%lld: request handled\n",
                ms / 60000 % 60, ms / 1000 % 60, ms % 1000, line % 8);
            chunk += buffer;
        }
        return chunk;
    }
    Documents docs;
    frmMerged window;
    RichTextView *view = nullptr;
    Contents text;
    qint64 line = 0;
    double appended = 0;
    double handled = 0;
};
std::map<qint64, Growing *> growing;

// The window's part of each append, and the log's own in the same appends: a repetition's
// ratio is the one over the other, summed over its appends, so that both meet the machine and
// the lists in the same state.
std::map<qint64, std::vector<double>> appendRatios;

void BM_Append(benchmark::State &state, qint64 othersMegabytes) {
    Growing &g = *growing[othersMegabytes];
    double windowSum = 0;
    double logSum = 0;
    for (auto _ : state) {
        const qint64 old = g.text.size();
        const std::string chunk = g.next();
        g.text.append(chunk.data(), qint64(chunk.size()));
        const double start = threadSeconds();
        g.view->appendKeepingSelection(g.text.mid(old));
        const double end = threadSeconds();
        const double windowPart = g.handled - g.appended;
        windowSum += windowPart;
        logSum += end - start - windowPart;
        state.SetIterationTime(windowPart);
    }
    state.counters["log_us"] = logSum / double(state.iterations()) * 1e6;
    if (logSum > 0)
        appendRatios[othersMegabytes].push_back(windowSum / logSum);
}

double median(std::vector<double> values) {
    if (values.empty())
        return -1.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
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
    growing[1] = new Growing(1);
    growing[10] = new Growing(10);
    for (const auto &[megabytes, g] : growing) {
        const std::string size = std::to_string(megabytes) + "MB";
        benchmark::RegisterBenchmark(
            ("append_window_" + size).c_str(),
            [megabytes = megabytes](benchmark::State &state) { BM_Append(state, megabytes); })
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond)
            ->Iterations(50)
            ->Repetitions(5);
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("ratio merged_filter_10x10MB_vs_one_100MB %.3f limit 1.50\n",
                reporter.ratio("filter_merged", "filter_one"));
    std::printf("ratio merged_append_1000_vs_log %.3f limit 2.00\n", median(appendRatios[10]));
    std::printf("ratio merged_append_others_10MB_vs_1MB %.3f limit 1.50\n",
                reporter.ratio("append_window_10MB", "append_window_1MB"));
    for (const auto &entry : growing)
        delete entry.second;
    delete merged;
    delete documents;
    return 0;
}
