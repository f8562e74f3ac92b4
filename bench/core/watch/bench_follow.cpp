// Following at once: how soon and at what cost the kernel's news of a write reaches the view.
//   follow_p99_100MB_vs_interval  from writing one line to a 100 MB log until its view holds
//                                 it, the 99th percentile of 200 appends at random moments,
//                                 against the default refresh interval
//   burst_reads_1000_appends      reads made for 1,000 single-line appends written within
//                                 100 ms into one log (a count)
//   follow_cpu_500MB_vs_core      processor time of all threads over 10 s of following a
//                                 500 MB log that grows by 100 lines a second, against the
//                                 time of one core
//   quiet_cpu_10_logs_vs_timer    processor time of ten open logs nobody writes, followed at
//                                 once, against the timer alone
// The refresh timer runs at its interval throughout, as in the program. The last lines
// printed are "ratio NAME VALUE limit LIMIT".

#include "benchclock.h"
#include "benchhost.h"
#include "core/module1.h"
#include "core/refresh/posixfilesystem.h"
#include "core/refresh/systemclock.h"
#include "core/refreshcycle.h"
#include "core/watch/filewatcher.h"
#include "document/view/richtextview.h"
#include "ratioreporter.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

using namespace Orvik;

namespace {

constexpr qint64 MB = 1024 * 1024;
const QByteArray Line = "2026-12-08 20:00:00.000 [INFO ] worker-3: request 17 handled in 12 ms\n";

QTemporaryDir &workDir() {
    static QTemporaryDir dir;
    return dir;
}

void appendTo(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (!f.open(QIODevice::Append) || f.write(bytes) != bytes.size())
        std::abort();
}

// A fresh log of `megabytes` of lines.
QString logFile(const QString &name, qint64 megabytes) {
    const QString path = workDir().filePath(name);
    QByteArray block;
    while (block.size() < MB)
        block += Line;
    block.truncate(MB - MB % Line.size());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        std::abort();
    for (qint64 n = 0; n < megabytes; ++n)
        f.write(block);
    return path;
}

// The program's file system, counting the reads it is asked for.
class CountingFileSystem : public PosixFileSystem {
public:
    std::unique_ptr<FileReader> openForRead(const QString &path, QString *error) override {
        ++reads;
        return PosixFileSystem::openForRead(path, error);
    }
    std::atomic<int> reads{0};
};

using Host = BenchHost<RichTextView>;

// Documents followed as the program follows them: in the background, with the watcher on
// or off, and the refresh timer ticking at the default interval.
struct Followed {
    explicit Followed(bool instantly) {
        module.MainForm = &host;
        module.setBackgroundCycles(true);
        module.setFileWatcher(&watcher);
        module.setFollowInstantly(instantly);
        timer.setInterval(module.RefreshInterval);
        QObject::connect(&timer, &QTimer::timeout, [this] { module.timerUpdate_Timer(); });
        timer.start();
    }
    ~Followed() {
        timer.stop();
        module.refreshCycle().waitForIdle();
        while (module.DocCount > 0) {
            host.windows[size_t(module.DocCount - 1)]->view.setText(Contents());
            module.RemoveDocument(module.DocCount);
        }
    }
    void open(const QString &path) {
        module.OpenDocument(path);
        module.refreshCycle().waitForIdle();
        QCoreApplication::processEvents();
    }
    qint64 shown(int slot) const { return host.windows[size_t(slot - 1)]->view.text().size(); }
    // Runs the event loop for `seconds`, as the program's does while nothing is asked of it.
    static void idle(double seconds) {
        QEventLoop loop;
        QTimer::singleShot(qRound(seconds * 1000), &loop, &QEventLoop::quit);
        loop.exec();
    }

    CountingFileSystem fs;
    SystemClock clock;
    Host host;
    FileWatcher watcher;
    Module1 module{fs, clock};
    QTimer timer;
};

double followP99 = -1;

void BM_FollowLatency(benchmark::State &state) {
    const QString path = logFile(QStringLiteral("follow.log"), 100);
    Followed f(true);
    f.open(path);
    std::vector<double> latencies;
    for (auto _ : state) {
        for (int round = 0; round < 200; ++round) {
            // A random moment, well after the last read: reads are spaced by what they take.
            Followed::idle(0.08 + QRandomGenerator::global()->bounded(0.06));
            const qint64 expected = QFile(path).size() + Line.size();
            QElapsedTimer t;
            t.start();
            appendTo(path, Line);
            while (f.shown(1) < expected)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            latencies.push_back(double(t.nsecsElapsed()) / 1e9);
        }
    }
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&latencies](double q) {
        return latencies[size_t(q * double(latencies.size() - 1))];
    };
    followP99 = at(0.99);
    state.counters["median_ms"] = at(0.5) * 1e3;
    state.counters["p90_ms"] = at(0.9) * 1e3;
    state.counters["p99_ms"] = at(0.99) * 1e3;
    state.counters["max_ms"] = latencies.back() * 1e3;
}

// The least an exact follower does when a 100 MB log grew: read it and compare it with what
// it holds, in chunks of a megabyte.
void BM_ExactCompare(benchmark::State &state) {
    const QString path = workDir().filePath(QStringLiteral("follow.log"));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        std::abort();
    const QByteArray held = f.readAll();
    std::vector<char> chunk(static_cast<size_t>(MB));
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        bool same = true;
        for (qint64 done = 0; done < held.size();) {
            const ssize_t n = ::pread(fd, chunk.data(), chunk.size(), done);
            if (n <= 0)
                break;
            same = same && std::memcmp(chunk.data(), held.constData() + done, size_t(n)) == 0;
            done += n;
        }
        ::close(fd);
        benchmark::DoNotOptimize(same);
        state.SetIterationTime(double(t.nsecsElapsed()) / 1e9);
    }
}

int burstReads = -1;

void BM_BurstReads(benchmark::State &state) {
    const QString path = logFile(QStringLiteral("burst.log"), 1);
    Followed f(true);
    f.timer.stop(); // only what the notifications bring is counted
    f.open(path);
    for (auto _ : state) {
        const int before = f.fs.reads;
        const qint64 expected = QFile(path).size() + 1000 * Line.size();
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 1000; ++i) {
            appendTo(path, Line);
            // Spread over 100 ms, handling what arrives meanwhile as the program would.
            while (t.nsecsElapsed() < qint64(i) * 100000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        while (f.shown(1) < expected)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        Followed::idle(0.3); // and whatever reads the last notifications still bring
        burstReads = qMax(burstReads, f.fs.reads - before);
    }
}

double followCpu = -1;

void BM_FollowCpu(benchmark::State &state) {
    const QString path = logFile(QStringLiteral("busy.log"), 500);
    Followed f(true);
    f.open(path);
    QTimer writer;
    writer.setInterval(10); // 100 lines a second
    QObject::connect(&writer, &QTimer::timeout, [&path] { appendTo(path, Line); });
    for (auto _ : state) {
        writer.start();
        QElapsedTimer t;
        t.start();
        const double before = processSeconds();
        Followed::idle(10);
        const double used = processSeconds() - before;
        const double wall = double(t.nsecsElapsed()) / 1e9;
        writer.stop();
        state.SetIterationTime(wall);
        followCpu = qMax(followCpu, used / wall);
    }
}

void quietLogs(benchmark::State &state, bool instantly) {
    QStringList paths;
    for (int i = 0; i < 10; ++i)
        paths << logFile(QStringLiteral("quiet%1.log").arg(i), 1);
    Followed f(instantly);
    f.timer.setInterval(50); // many ticks, so that their cost is what is measured
    for (const QString &path : paths)
        f.open(path);
    for (auto _ : state) {
        const double before = processSeconds();
        Followed::idle(2);
        state.SetIterationTime(processSeconds() - before);
    }
}
void BM_QuietTimerOnly(benchmark::State &state) {
    quietLogs(state, false);
}
void BM_QuietInstantly(benchmark::State &state) {
    quietLogs(state, true);
}

BENCHMARK(BM_FollowLatency)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExactCompare)
    ->Iterations(10)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BurstReads)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FollowCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuietTimerOnly)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuietInstantly)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    // The read and compare alone, which a line shown exactly can never come sooner than.
    std::printf("baseline exact_compare_100MB_vs_interval %.4f\n",
                reporter.time("BM_ExactCompare") / 1e3 /
                    (Module1::DefaultRefreshInterval / 1000.0));
    std::printf("ratio follow_p99_100MB_vs_interval %.4f limit 0.02\n",
                followP99 / (Module1::DefaultRefreshInterval / 1000.0));
    std::printf("ratio burst_reads_1000_appends %d limit 3\n", burstReads);
    std::printf("ratio follow_cpu_500MB_vs_core %.3f limit 0.60\n", followCpu);
    std::printf("ratio quiet_cpu_10_logs_vs_timer %.3f limit 1.10\n",
                reporter.ratio("BM_QuietInstantly", "BM_QuietTimerOnly"));
    return 0;
}
