// The time index built while a log is read.
//   time_index_200MB_vs_read         what building the index adds to reading a 200 MB log of
//                                    ISO-timed lines as a view's preparation reads it (in
//                                    256 KiB stretches, the line index found on the reading
//                                    thread, the times from its lines' starts beside it),
//                                    against the read of the same file from the page
//                                    cache: the preparation's time less that of the line
//                                    index alone, over the read's, the three measured in
//                                    turn in each round (the median of the rounds counts)
//   time_index_syslog_200MB_vs_read  the same for a log of BSD syslog lines
//   time_index_bytes_per_line        the index's memory over its lines (ISO log)
// The times' own work over the read (what is
// done beside) is printed as a note. The last lines printed are
// "ratio NAME VALUE limit LIMIT".

#include "core/content/pagerelease.h"
#include "core/time/linetimes.h"
#include "document/view/lineindex.h"
#include "document/view/pendingtimes.h"
#include "document/view/richtextview.h"
#include "ratioreporter.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace Orvik;

namespace {

constexpr qint64 MB = 1024 * 1024;
constexpr qint64 LogSize = 200 * MB;
constexpr qint64 Stretch = 256 * 1024;

QTemporaryDir &workDir() {
    static QTemporaryDir dir;
    return dir;
}

std::vector<char> &buffer() {
    static std::vector<char> bytes(LogSize + Stretch, 1); // touched: no page faults timed
    return bytes;
}

double bytesPerLine = -1;

// A log of a busy service: times rising by 0 to 3 ms a line, in one of a few shapes.
QString writeLog(const char *name, bool syslog) {
    static const char *const Messages[] = {
        "[INFO ] worker-3: request 17 handled in 12 ms",
        "[DEBUG] pool: connection 5 returned to the pool",
        "[WARN ] cache: miss for key user:81734, loading from the store",
        "[INFO ] http: GET /api/v2/items?page=4 200 1832 bytes",
        "[ERROR] worker-1: timeout after 3000 ms talking to 10.0.4.17:5432"};
    const QString path = workDir().filePath(QString::fromLatin1(name));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        std::abort();
    QRandomGenerator random(7);
    qint64 t = QDateTime::fromString("2026-12-08T09:00:00", Qt::ISODate).toMSecsSinceEpoch();
    QByteArray chunk;
    qint64 written = 0;
    while (written < LogSize) {
        for (int n = 0; n < 10000; ++n) {
            t += random.bounded(4);
            const QDateTime local = QDateTime::fromMSecsSinceEpoch(t, Qt::LocalTime);
            chunk += local
                         .toString(syslog ? QStringLiteral("MMM d HH:mm:ss")
                                          : QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                         .toLatin1();
            if (syslog && local.date().day() < 10)
                chunk.insert(chunk.size() - 10, ' ');
            chunk += syslog ? " host app[812]: " : " ";
            chunk += Messages[random.bounded(5)];
            chunk += '\n';
        }
        written += f.write(chunk);
        chunk.clear();
    }
    return path;
}

const QString &isoLog() {
    static const QString path = writeLog("iso.log", false);
    return path;
}

const QString &syslogLog() {
    static const QString path = writeLog("syslog.log", true);
    return path;
}

// Reads the file in stretches into the buffer, calling `each` with the bytes so far.
template <class Each> qint64 readFile(const QString &path, Each each) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        std::abort();
    char *data = buffer().data();
    qint64 size = 0;
    for (;;) {
        const ssize_t got = ::read(fd, data + size, Stretch);
        if (got <= 0)
            break;
        size += got;
        each(data, size);
    }
    ::close(fd);
    return size;
}

// Only the times' own work counts, from the lines' starts the line index found in each
// stretch, with the bytes as warm as the read and the index leave them.
void indexWhileReading(benchmark::State &state, const QString &path, bool measureMemory) {
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        Clock::duration spent{};
        LineIndex lines;
        PendingTimes times;
        times.setStamp(QDateTime::currentDateTimeUtc());
        readFile(path, [&](const char *data, qint64 size) {
            lines.extend(data, size);
            const auto start = Clock::now();
            times.extendIndexed(data, size, lines);
            spent += Clock::now() - start;
        });
        const auto start = Clock::now();
        const SharedLineTimes index = times.finish();
        spent += Clock::now() - start;
        if (!index->hasTimes())
            std::abort();
        if (measureMemory)
            bytesPerLine = double(index->memoryUsage()) / double(index->lineCount());
        state.SetIterationTime(std::chrono::duration<double>(spent).count());
    }
}

// The line index alone, as a read found the lines before it had times.
void linesWhileReading(const QString &path) {
    LineIndex lines;
    readFile(path, [&](const char *data, qint64 size) { lines.extend(data, size); });
    benchmark::DoNotOptimize(lines.lineCount());
}

// The view's own preparation of a text read: its line index and its lines' times.
void prepareWhileReading(const RichTextView &view, const QString &path) {
    std::unique_ptr<TextPreparation> preparation = view.prepareText();
    readFile(path, [&](const char *data, qint64 size) {
        preparation->extendHeld(nullptr, data, size); // the buffer is kept as it is
    });
    preparation->settle();
    benchmark::DoNotOptimize(preparation.get());
}

// Each timed after the pages its predecessor dropped are given back, which the release
// thread would otherwise do while it runs.
template <class Work> double seconds(Work work) {
    PageRelease::waitForPending();
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    if (values.empty())
        return -1.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The read, the line index alone and the view's preparation, one after the other in each
// round, so that all three meet the machine in the same state: what the times add is the
// median over the rounds of the preparation less the index, over the read. The round's time
// is the preparation's.
struct Added {
    std::vector<double> rounds;
    double read = -1.0;
    void measure(benchmark::State &state, const QString &path) {
        RichTextView view;
        std::vector<double> reads;
        for (auto _ : state) {
            const double read = seconds([&] { readFile(path, [](const char *, qint64) {}); });
            const double lines = seconds([&] { linesWhileReading(path); });
            const double prepared = seconds([&] { prepareWhileReading(view, path); });
            reads.push_back(read);
            rounds.push_back((prepared - lines) / read);
            state.SetIterationTime(prepared);
        }
        read = median(reads);
    }
};
Added isoAdded;
Added syslogAdded;

void BM_AddedIso(benchmark::State &state) {
    isoAdded.measure(state, isoLog());
}
void BM_IndexIso(benchmark::State &state) {
    indexWhileReading(state, isoLog(), true);
}
void BM_AddedSyslog(benchmark::State &state) {
    syslogAdded.measure(state, syslogLog());
}

#define ORVIK_ROUNDS_BENCH(name, rounds)                                                           \
    BENCHMARK(name)->Iterations(rounds)->UseManualTime()->Unit(benchmark::kMillisecond)
ORVIK_ROUNDS_BENCH(BM_AddedIso, 15);
ORVIK_ROUNDS_BENCH(BM_IndexIso, 1)->Repetitions(7);
ORVIK_ROUNDS_BENCH(BM_AddedSyslog, 15);

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("note time_index_builder_200MB_vs_read %.3f (the times' work, done beside)\n",
                isoAdded.read > 0 ? reporter.time("BM_IndexIso") / 1000.0 / isoAdded.read
                                  : -1.0); // ms over s
    std::printf("ratio time_index_200MB_vs_read %.3f limit 0.20\n", median(isoAdded.rounds));
    std::printf("ratio time_index_syslog_200MB_vs_read %.3f limit 0.20\n",
                median(syslogAdded.rounds));
    std::printf("ratio time_index_bytes_per_line %.3f limit 4\n", bytesPerLine);
    return 0;
}
