// How long the user-interface thread waits on file work, against doing that work in one go:
//   cycle_blocked_4x200MB  the time the event loop is kept busy by a background cycle over four
//                          200 MB documents that each grew by one line, against the same
//                          cycle run to completion
//   open_blocked_200MB     the time the event loop is kept busy by opening a 200 MB file in the
//                          background, against opening it in one go
//   open_painted_200MB     opening a 200 MB file in the background until its last rows are
//                          painted, against reading the file into fresh memory
//   cycle_cpu_4x200MB      processor time of all threads for a background cycle over four
//                          200 MB documents that each grew by one line, against the same cycle
//                          run in one go; its limit allows for what reading and comparing the
//                          four files on two threads costs over one ("baseline" line)
//   pass_blocked_200MB     the time the event loop is kept busy by a full highlight pass that
//                          marks every line of a 200 MB document, against reading the file
//   append_blocked_200MB   the time the event loop is kept busy by a 200 MB append to a 200 MB
//                          document already shown, against reading 200 MB
//   append_peak_200MB      the most memory taken while that append is read and shown, against
//                          the final text
//   replace_blocked_200MB  the time the event loop is kept busy by a 200 MB document whose
//                          first byte was rewritten, read anew and shown, then by the line
//                          appended to it, with an accessibility tool asking for the length
//                          and the caret after each, against reading 200 MB
//   close_during_read_1GB  from closing a document while its 1 GB file is read until its
//                          memory is back and three other documents showed their new lines,
//                          against the refresh interval (one second)
// The last lines printed are "ratio NAME VALUE limit LIMIT".

#include "benchclock.h"
#include "benchhost.h"
#include "core/content/bytestore.h"
#include "core/module1.h"
#include "core/refresh/documentreader.h"
#include "core/refresh/posixfilesystem.h"
#include "core/refresh/systemclock.h"
#include "core/refreshcycle.h"
#include "document/view/richtextview.h"
#include "ratioreporter.h"

#include <benchmark/benchmark.h>

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <thread>
#include <vector>

using namespace Orvik;

namespace {

constexpr qint64 TwoHundredMB = 200ll * 1024 * 1024;

QTemporaryDir &workDir() {
    static QTemporaryDir dir;
    return dir;
}

void appendTo(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (!f.open(QIODevice::Append) || f.write(bytes) != bytes.size())
        std::abort();
}

QString logFile(const QString &name) {
    const QString path = workDir().filePath(name);
    if (QFile::exists(path))
        return path;
    QByteArray block;
    for (int line = 0; block.size() < 1024 * 1024; ++line)
        block += "2026-12-06 21:00:00.000 [INFO ] worker-" + QByteArray::number(line % 8) +
                 ": request " + QByteArray::number(line) + " handled in 12 ms\n";
    block.truncate(1024 * 1024);
    block.back() = '\n';
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        std::abort();
    for (qint64 n = 0; n < TwoHundredMB; n += block.size())
        f.write(block);
    return path;
}

using Host = BenchHost<RichTextView>;

struct Documents {
    Documents(int count) {
        module.MainForm = &host;
        for (int i = 0; i < count; ++i) {
            paths << logFile(QStringLiteral("doc%1.log").arg(i));
            module.OpenDocument(paths.back());
        }
    }
    // Closes a document as its window does.
    void close(int slot) {
        host.windows[size_t(slot - 1)]->view.setText(Contents());
        module.RemoveDocument(slot);
    }
    void grow() {
        for (const QString &path : paths)
            appendTo(path, "2026-12-06 21:00:01.000 [INFO ] one more line\n");
    }
    PosixFileSystem fs;
    SystemClock clock;
    Host host;
    Module1 module{fs, clock};
    QStringList paths;
};

void BM_CycleSync(benchmark::State &state) {
    Documents d(4);
    for (auto _ : state) {
        d.grow();
        QElapsedTimer t;
        t.start();
        d.module.RefreshDocuments(0);
        state.SetIterationTime(double(t.nsecsElapsed()) / 1e9);
    }
}

void BM_CycleBlocked(benchmark::State &state) {
    Documents d(4);
    d.module.setBackgroundCycles(true);
    // The windows shown, laid out and painted first, as the open left them for the reader:
    // that is the open's work, not a cycle's.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        d.grow();
        const double before = threadSeconds();
        d.module.RefreshDocuments(0);
        state.SetIterationTime(blockedUntilIdle(d.module, threadSeconds() - before));
    }
}

void openOnce(benchmark::State &state, bool background, bool untilPainted) {
    const QString path = logFile(QStringLiteral("doc0.log"));
    Documents d(0);
    d.module.setBackgroundCycles(background);
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        const double before = threadSeconds();
        d.module.OpenDocument(path);
        double seconds = double(t.nsecsElapsed()) / 1e9;
        if (untilPainted) {
            d.module.refreshCycle().waitForIdle();
            d.host.windows.back()->view.viewport()->repaint();
            seconds = double(t.nsecsElapsed()) / 1e9;
        } else if (background) {
            seconds = blockedUntilIdle(d.module, threadSeconds() - before);
        }
        state.SetIterationTime(seconds);
        state.PauseTiming();
        d.host.windows.back()->view.setText(Contents());
        d.module.RemoveDocument(1);
        state.ResumeTiming();
    }
}

void BM_OpenSync(benchmark::State &state) {
    openOnce(state, false, false);
}
void BM_OpenBlocked(benchmark::State &state) {
    openOnce(state, true, false);
}
void BM_OpenPainted(benchmark::State &state) {
    openOnce(state, true, true);
}

// Reading the file whole into memory fresh from the system, as any viewer must.
void BM_ReadFresh(benchmark::State &state) {
    const QString path = logFile(QStringLiteral("doc0.log"));
    for (auto _ : state)
        state.SetIterationTime(readFreshSeconds(path));
}

void cycleProcessorTime(benchmark::State &state, bool background) {
    Documents d(4);
    d.module.setBackgroundCycles(background);
    for (auto _ : state) {
        d.grow();
        const double before = processSeconds();
        d.module.RefreshDocuments(0);
        d.module.refreshCycle().waitForIdle();
        state.SetIterationTime(processSeconds() - before);
    }
}
void BM_CycleCpuSync(benchmark::State &state) {
    cycleProcessorTime(state, false);
}
void BM_CycleCpuBackground(benchmark::State &state) {
    cycleProcessorTime(state, true);
}

// Reads the file at `path` in chunks the size of the reader's, each compared with the held
// bytes: the least a cycle does to find that a document only grew.
void compareWithHeld(const QString &path, const Contents &held) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    std::vector<char> chunk(size_t(DocumentReader::DefaultChunkSize));
    bool same = true;
    for (qint64 done = 0; done < held.size();) {
        const ssize_t n = ::read(fd, chunk.data(),
                                 size_t(qMin<qint64>(qint64(chunk.size()), held.size() - done)));
        if (n <= 0)
            break;
        same = same && std::memcmp(chunk.data(), held.data() + done, size_t(n)) == 0;
        done += n;
    }
    ::close(fd);
    benchmark::DoNotOptimize(same);
}

// Processor time of all threads for that read and compare of the four documents of a cycle,
// on one thread or split between two: what the machine itself charges for two compares that
// share its memory, whatever the program around them does.
void compareProcessorTime(benchmark::State &state, int threads) {
    Documents d(4);
    const auto compare = [&d, threads](int first) {
        for (int slot = first; slot <= d.module.DocCount; slot += threads)
            compareWithHeld(d.module.DocFileName[slot], d.module.DocContents[slot]);
    };
    for (auto _ : state) {
        d.grow();
        const double before = processSeconds();
        std::vector<std::thread> workers;
        for (int t = 1; t < threads; ++t)
            workers.emplace_back(compare, 1 + t);
        compare(1);
        for (std::thread &worker : workers)
            worker.join();
        state.SetIterationTime(processSeconds() - before);
    }
}
void BM_CompareCpuOneThread(benchmark::State &state) {
    compareProcessorTime(state, 1);
}
void BM_CompareCpuTwoThreads(benchmark::State &state) {
    compareProcessorTime(state, 2);
}

// Every line holds "INFO": the pass marks each of them, in either case.
void BM_PassBlocked(benchmark::State &state) {
    Documents d(1);
    d.module.setBackgroundCycles(true);
    QCoreApplication::processEvents(); // the window's own set-up, before any timing
    int round = 0;
    for (auto _ : state) {
        d.module.HighLightString = round++ % 2 ? QStringLiteral("INFO") : QStringLiteral("info");
        d.module.HighLightPending = true;
        const double before = threadSeconds();
        d.module.RefreshDocuments(0);
        state.SetIterationTime(blockedUntilIdle(d.module, threadSeconds() - before));
    }
    const SharedMarks marks = d.host.windows[0]->view.layerMarks(HighlightLayer);
    state.counters["marks"] = marks ? double(marks->count()) : 0;
    state.counters["mark_bytes_per_text_byte"] =
        marks ? double(marks->memoryUsage()) / double(TwoHundredMB) : 0;
}

double appendPeak = 0;

void BM_AppendBlocked(benchmark::State &state) {
    const QString source = logFile(QStringLiteral("doc0.log"));
    const QString path = workDir().filePath(QStringLiteral("grown.log"));
    QFile f(source);
    f.open(QIODevice::ReadOnly);
    const QByteArray more = f.readAll();
    for (auto _ : state) {
        QFile::remove(path);
        QFile::copy(source, path);
        Documents d(0);
        const qint64 baseKB = statusKilobytes("VmRSS");
        d.module.OpenDocument(path);
        // The window's first paint (its backing store's pages faulted in) belongs to the open.
        QCoreApplication::processEvents();
        appendTo(path, more);
        d.module.setBackgroundCycles(true);
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5"); // the peak starts again from here
        clear.close();
        const double before = threadSeconds();
        d.module.RefreshDocuments(0);
        state.SetIterationTime(blockedUntilIdle(d.module, threadSeconds() - before));
        // The source may have grown a line a document in the benchmarks before.
        if (d.module.DocContents[1].size() != 2 * more.size())
            state.SkipWithError("the append was not followed");
        const double peak = double(statusKilobytes("VmHWM") - baseKB) * 1024;
        appendPeak = qMax(appendPeak, peak / double(2 * more.size()));
        d.close(1);
    }
    QFile::remove(path);
}

// The old text's pages, its line index and the accessibility tool's view of the new text all
// cost the user-interface thread nothing that grows with the text.
void BM_ReplaceBlocked(benchmark::State &state) {
    const QString source = logFile(QStringLiteral("doc0.log"));
    const QString path = workDir().filePath(QStringLiteral("replaced.log"));
    QFile::remove(path);
    QFile::copy(source, path);
    Documents d(0);
    d.module.setBackgroundCycles(true);
    d.module.OpenDocument(path);
    d.module.refreshCycle().waitForIdle();
    QCoreApplication::processEvents();
    QAccessibleTextInterface *tool =
        QAccessible::queryAccessibleInterface(&d.host.windows.back()->view)->textInterface();
    QDateTime stamp = QFileInfo(path).lastModified();
    int round = 0;
    for (auto _ : state) {
        QFile f(path);
        f.open(QIODevice::ReadWrite);
        f.write(round++ % 2 ? "2" : "X");
        f.setFileTime(stamp = stamp.addSecs(1), QFileDevice::FileModificationTime);
        f.close();
        double blocked = 0;
        for (int cycle = 0; cycle < 2; ++cycle) {
            const double before = threadSeconds();
            d.module.RefreshDocuments(0);
            blocked += blockedUntilIdle(d.module, threadSeconds() - before);
            const double asked = threadSeconds();
            if (tool->characterCount() < tool->cursorPosition())
                state.SkipWithError("the caret is past the end");
            blocked += threadSeconds() - asked;
            appendTo(path, "2026-12-06 21:00:01.000 [INFO ] one more line\n");
        }
        state.SetIterationTime(blocked);
    }
    d.close(1);
    QFile::remove(path);
}

double closeWait = 0;

void BM_CloseDuringRead(benchmark::State &state) {
    const QString big = workDir().filePath(QStringLiteral("big.log"));
    if (!QFile::exists(big)) {
        QFile f(logFile(QStringLiteral("doc0.log")));
        f.open(QIODevice::ReadOnly);
        const QByteArray block = f.readAll();
        for (int i = 0; i < 5; ++i)
            appendTo(big, block);
    }
    Documents d(0);
    QStringList small;
    for (int i = 0; i < 3; ++i) {
        small << workDir().filePath(QStringLiteral("small%1.log").arg(i));
        appendTo(small.back(), "a small log\n");
        d.module.OpenDocument(small.back());
    }
    d.module.setBackgroundCycles(true);
    for (auto _ : state) {
        const qint64 before = ByteStore::bytesCommitted();
        d.module.OpenDocument(big);
        while (ByteStore::bytesCommitted() < before + TwoHundredMB) // well into the read
            QThread::usleep(100);
        QElapsedTimer t;
        t.start();
        d.close(4);
        for (const QString &path : small)
            appendTo(path, "one more line\n");
        d.module.RefreshDocuments(0);
        const auto followed = [&d, &small] {
            for (int slot = 1; slot <= 3; ++slot)
                if (d.module.DocContents[slot].size() != QFileInfo(small[slot - 1]).size())
                    return false;
            return true;
        };
        while (ByteStore::bytesCommitted() > before || !followed()) {
            QCoreApplication::processEvents();
            QThread::usleep(100);
        }
        state.SetIterationTime(double(t.nsecsElapsed()) / 1e9);
        closeWait = qMax(closeWait, double(t.nsecsElapsed()) / 1e9);
    }
}

BENCHMARK(BM_CycleSync)->Iterations(4)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CycleBlocked)->Iterations(4)->UseManualTime()->Unit(benchmark::kMillisecond);
// The ratios of these take the median of five repetitions: each is over in a run now and
// then, when the other work on the machine happens to fall on one side of them.
BENCHMARK(BM_ReadFresh)
    ->Iterations(4)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenSync)->Iterations(4)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenBlocked)->Iterations(4)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenPainted)
    ->Iterations(4)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CycleCpuSync)
    ->Iterations(4)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CycleCpuBackground)
    ->Iterations(4)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompareCpuOneThread)
    ->Iterations(4)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompareCpuTwoThreads)
    ->Iterations(4)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PassBlocked)->Iterations(4)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendBlocked)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceBlocked)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CloseDuringRead)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("ratio cycle_blocked_4x200MB_vs_sync %.3f limit 0.10\n",
                reporter.ratio("BM_CycleBlocked", "BM_CycleSync"));
    std::printf("ratio open_blocked_200MB_vs_sync %.3f limit 0.10\n",
                reporter.ratio("BM_OpenBlocked", "BM_OpenSync"));
    std::printf("ratio open_painted_200MB_vs_read %.3f limit 1.20\n",
                reporter.ratio("BM_OpenPainted", "BM_ReadFresh"));
    // Two compares at once each take longer than one alone, in processor time, where they
    // share the memory bus (and, on a virtual machine, the host's cores): the background
    // cycle may cost 10% over what the same read and compare cost the machine on two threads.
    const double twoThreads = reporter.ratio("BM_CompareCpuTwoThreads", "BM_CompareCpuOneThread");
    std::printf("baseline compare_cpu_4x200MB_two_threads_vs_one %.3f\n", twoThreads);
    std::printf("ratio cycle_cpu_4x200MB_vs_sync %.3f limit %.2f\n",
                reporter.ratio("BM_CycleCpuBackground", "BM_CycleCpuSync"),
                1.10 * qMax(1.0, twoThreads));
    std::printf("ratio pass_blocked_200MB_vs_read %.4f limit 0.02\n",
                reporter.ratio("BM_PassBlocked", "BM_ReadFresh"));
    std::printf("ratio append_blocked_200MB_vs_read %.4f limit 0.05\n",
                reporter.ratio("BM_AppendBlocked", "BM_ReadFresh"));
    std::printf("ratio append_peak_200MB_vs_text %.3f limit 1.10\n", appendPeak);
    std::printf("ratio replace_blocked_200MB_vs_read %.4f limit 0.10\n",
                reporter.ratio("BM_ReplaceBlocked", "BM_ReadFresh"));
    std::printf("ratio close_during_read_1GB_vs_interval %.3f limit 1.00\n", closeWait);
    return 0;
}
