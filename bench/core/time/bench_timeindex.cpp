// The time index built while a log is read.
//   time_index_200MB_vs_read         building the index of a 200 MB log of ISO-timed lines,
//                                    fed in 256 KiB stretches as a read brings them, against
//                                    the read of the same file from the page cache
//   time_index_syslog_200MB_vs_read  the same for a log of BSD syslog lines
//   time_index_bytes_per_line        the index's memory over its lines (ISO log)
// Each counts by the median of its repetitions. The last lines printed are
// "ratio NAME VALUE limit LIMIT".

#include "core/time/linetimes.h"
#include "ratioreporter.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
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

// Only the builder's own time counts, with the bytes as warm as a read leaves them.
void indexWhileReading(benchmark::State &state, const QString &path, bool measureMemory) {
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        Clock::duration spent{};
        LineTimesBuilder builder{QDateTime::currentDateTime()};
        readFile(path, [&](const char *data, qint64 size) {
            const auto start = Clock::now();
            builder.extend(data, size);
            spent += Clock::now() - start;
        });
        const auto start = Clock::now();
        const SharedLineTimes times = builder.finish();
        spent += Clock::now() - start;
        if (!times->hasTimes())
            std::abort();
        if (measureMemory)
            bytesPerLine = double(times->memoryUsage()) / double(times->lineCount());
        state.SetIterationTime(std::chrono::duration<double>(spent).count());
    }
}

void BM_ReadIso(benchmark::State &state) {
    readOnly(state, isoLog());
}
void BM_IndexIso(benchmark::State &state) {
    indexWhileReading(state, isoLog(), true);
}
void BM_ReadSyslog(benchmark::State &state) {
    readOnly(state, syslogLog());
}
void BM_IndexSyslog(benchmark::State &state) {
    indexWhileReading(state, syslogLog(), false);
}

BENCHMARK(BM_ReadIso)->Repetitions(7)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexIso)
    ->Repetitions(7)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSyslog)->Repetitions(7)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexSyslog)
    ->Repetitions(7)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("ratio time_index_200MB_vs_read %.3f limit 0.20\n",
                reporter.ratio("BM_IndexIso", "BM_ReadIso"));
    std::printf("ratio time_index_syslog_200MB_vs_read %.3f limit 0.20\n",
                reporter.ratio("BM_IndexSyslog", "BM_ReadSyslog"));
    std::printf("ratio time_index_bytes_per_line %.3f limit 4\n", bytesPerLine);
    return 0;
}
