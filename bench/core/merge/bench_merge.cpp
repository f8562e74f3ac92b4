// The rows of the merged view of ten logs, made from their time indexes and kept up to date.
//   merge_10x100MB_vs_index         merging ten 100 MB logs that have their time indexes,
//                                   against building those ten indexes
//   merge_bytes_per_row             memory of the merged rows, per row
//   merge_append_1000_vs_log        adding 1,000 lines appended to one of ten merged 100 MB
//                                   logs, against that log's own indexing of their lines and
//                                   times
//   merge_append_others_100MB_vs_10MB  the same addition with the other nine at 100 MB,
//                                   against the other nine at 10 MB
// The last lines printed are "ratio NAME VALUE limit LIMIT".

#include "core/merge/mergedrows.h"
#include "core/time/linetimes.h"
#include "ratioreporter.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDateTime>

#include <cstring>

using namespace Orvik;

namespace {

constexpr qint64 MB = 1024 * 1024;
constexpr qint64 Stretch = 256 * 1024;
const QDateTime Stamp = QDateTime::fromString(QStringLiteral("2026-12-08T23:00:00Z"), Qt::ISODate);

// A log of about `megabytes` of lines, the n-th written at n * 7 ms + `log` ms.
QByteArray logText(int log, qint64 megabytes, qint64 firstLine = 0, qint64 lines = -1) {
    QByteArray text;
    text.reserve(megabytes * MB + 4096);
    const QDateTime start =
        QDateTime::fromString(QStringLiteral("2026-12-08T08:00:00.000Z"), Qt::ISODate);
    for (qint64 n = firstLine; lines < 0 ? text.size() < megabytes * MB : n < firstLine + lines;
         ++n) {
        text += start.addMSecs(n * 7 + log).toString(Qt::ISODateWithMs).toLatin1();
        text += " [INFO ] service-";
        text += QByteArray::number(log);
        text += ": request handled in 12 ms\n";
    }
    return text;
}

SharedLineTimes indexOf(const QByteArray &text, SharedLineTimes previous = {}, qint64 from = 0) {
    LineTimesBuilder builder =
        previous ? LineTimesBuilder(previous, Stamp) : LineTimesBuilder(Stamp);
    for (qint64 size = from; size < text.size();) {
        size = qMin<qint64>(text.size(), size + Stretch);
        builder.extend(text.constData(), size);
    }
    return builder.finish();
}

struct Logs {
    explicit Logs(qint64 othersMB) {
        for (int log = 0; log < 10; ++log) {
            texts.push_back(logText(log, log == 0 ? 100 : othersMB));
            times.push_back(indexOf(texts.back()));
        }
    }
    std::vector<MergedRows::Source> sources() const {
        std::vector<MergedRows::Source> all;
        for (int log = 0; log < 10; ++log)
            all.push_back({log, times[size_t(log)], times[size_t(log)]->lineCount() - 1});
        return all;
    }
    std::vector<QByteArray> texts;
    std::vector<SharedLineTimes> times;
};

Logs &logs(qint64 othersMB) {
    static Logs small(10);
    static Logs large(100);
    return othersMB == 10 ? small : large;
}

double bytesPerRow = -1;

void BM_IndexTen(benchmark::State &state) {
    const Logs &ten = logs(100);
    for (auto _ : state) {
        for (const QByteArray &text : ten.texts)
            benchmark::DoNotOptimize(indexOf(text));
    }
}

void BM_MergeTen(benchmark::State &state) {
    const Logs &ten = logs(100);
    for (auto _ : state) {
        const MergedRows rows = MergedRows::merged(ten.sources());
        bytesPerRow = double(rows.memoryUsage()) / double(rows.size());
        benchmark::DoNotOptimize(rows.size());
    }
}

// What the first log's own refresh does with 1,000 appended lines besides reading them: its
// lines and their times indexed.
void BM_LogAppend(benchmark::State &state) {
    const Logs &ten = logs(100);
    const QByteArray text = ten.texts[0] + logText(0, 0, ten.times[0]->lineCount() - 1, 1000);
    for (auto _ : state) {
        qint64 lines = 0;
        for (const char *p = text.constData() + ten.texts[0].size();
             (p = static_cast<const char *>(
                  std::memchr(p, '\n', size_t(text.constData() + text.size() - p)))) != nullptr;
             ++p)
            ++lines;
        benchmark::DoNotOptimize(lines);
        benchmark::DoNotOptimize(indexOf(text, ten.times[0], ten.texts[0].size()));
    }
}

void BM_MergedAppend(benchmark::State &state) {
    const Logs &ten = logs(state.range(0));
    const MergedRows rows = MergedRows::merged(ten.sources());
    const QByteArray text = ten.texts[0] + logText(0, 0, ten.times[0]->lineCount() - 1, 1000);
    const SharedLineTimes grown = indexOf(text, ten.times[0], ten.texts[0].size());
    const qint64 from = ten.times[0]->lineCount() - 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(rows.withLines(0, grown, from, from + 1000).size());
}

BENCHMARK(BM_IndexTen)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeTen)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LogAppend)->Repetitions(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MergedAppend)->Arg(10)->Arg(100)->Repetitions(5)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("ratio merge_10x100MB_vs_index %.3f limit 1.50\n",
                reporter.ratio("BM_MergeTen", "BM_IndexTen"));
    std::printf("ratio merge_bytes_per_row %.3f limit 8\n", bytesPerRow);
    std::printf("ratio merge_append_1000_vs_log %.3f limit 2\n",
                reporter.ratio("BM_MergedAppend100", "BM_LogAppend"));
    std::printf("ratio merge_append_others_100MB_vs_10MB %.3f limit 1.50\n",
                reporter.ratio("BM_MergedAppend100", "BM_MergedAppend10"));
    return 0;
}
