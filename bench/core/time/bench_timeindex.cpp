// The time index built while a log is read.
//   time_index_200MB_vs_read         what building the index adds to reading a 200 MB log of
//                                    ISO-timed lines as a view's preparation reads it (in
//                                    256 KiB stretches, the line index found on the reading
//                                    thread, the times from its lines' starts beside it),
//                                    against the read of the
//                                    same file from the page cache: the preparation's time
//                                    less that of the line index alone, over the read's
//   time_index_syslog_200MB_vs_read  the same for a log of BSD syslog lines
//   time_index_bytes_per_line        the index's memory over its lines (ISO log)
// Each counts by the median of its repetitions. The times' own work over the read (what is
// done beside) is printed as a note. The last lines printed are
// "ratio NAME VALUE limit LIMIT".

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

void readOnly(benchmark::State &state, const QString &path) {
    for (auto _ : state)
        benchmark::DoNotOptimize(readFile(path, [](const char *, qint64) {}));
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
void linesWhileReading(benchmark::State &state, const QString &path) {
    for (auto _ : state) {
        LineIndex lines;
        readFile(path, [&](const char *data, qint64 size) { lines.extend(data, size); });
        benchmark::DoNotOptimize(lines.lineCount());
    }
}

// The view's own preparation of a text read: its line index and its lines' times.
void prepareWhileReading(benchmark::State &state, const QString &path) {
    RichTextView view;
    for (auto _ : state) {
        std::unique_ptr<TextPreparation> preparation = view.prepareText();
        readFile(path, [&](const char *data, qint64 size) {
            preparation->extendHeld(nullptr, data, size); // the buffer is kept as it is
        });
        preparation->settle();
        benchmark::DoNotOptimize(preparation.get());
    }
}

void BM_ReadIso(benchmark::State &state) {
    readOnly(state, isoLog());
}
void BM_LinesIso(benchmark::State &state) {
    linesWhileReading(state, isoLog());
}
void BM_PrepareIso(benchmark::State &state) {
    prepareWhileReading(state, isoLog());
}
void BM_IndexIso(benchmark::State &state) {
    indexWhileReading(state, isoLog(), true);
}
void BM_ReadSyslog(benchmark::State &state) {
    readOnly(state, syslogLog());
}
void BM_LinesSyslog(benchmark::State &state) {
    linesWhileReading(state, syslogLog());
}
void BM_PrepareSyslog(benchmark::State &state) {
    prepareWhileReading(state, syslogLog());
}

#define ORVIK_READ_BENCH(name)                                                                     \
    BENCHMARK(name)->Repetitions(9)->Iterations(1)->Unit(benchmark::kMillisecond)
ORVIK_READ_BENCH(BM_ReadIso);
ORVIK_READ_BENCH(BM_LinesIso);
ORVIK_READ_BENCH(BM_PrepareIso);
BENCHMARK(BM_IndexIso)
    ->Repetitions(7)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
ORVIK_READ_BENCH(BM_ReadSyslog);
ORVIK_READ_BENCH(BM_LinesSyslog);
ORVIK_READ_BENCH(BM_PrepareSyslog);

// What the times add to the preparation, over the read.
double added(const RatioReporter &reporter, const char *prepare, const char *lines,
             const char *read) {
    const double withTimes = reporter.time(prepare);
    const double without = reporter.time(lines);
    const double base = reporter.time(read);
    return withTimes >= 0 && without >= 0 && base > 0 ? (withTimes - without) / base : -1.0;
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("note time_index_builder_200MB_vs_read %.3f (the times' work, done beside)\n",
                reporter.ratio("BM_IndexIso", "BM_ReadIso"));
    std::printf("ratio time_index_200MB_vs_read %.3f limit 0.20\n",
                added(reporter, "BM_PrepareIso", "BM_LinesIso", "BM_ReadIso"));
    std::printf("ratio time_index_syslog_200MB_vs_read %.3f limit 0.20\n",
                added(reporter, "BM_PrepareSyslog", "BM_LinesSyslog", "BM_ReadSyslog"));
    std::printf("ratio time_index_bytes_per_line %.3f limit 4\n", bytesPerLine);
    return 0;
}
