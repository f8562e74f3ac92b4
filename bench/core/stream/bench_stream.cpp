// A command's output followed as a document: 200 MB arriving on a pipe (`cat FILE`).
//   stream_200MB_vs_pipe_read   from starting the command until all of it is in the view,
//                               against starting the same command and reading its pipe into
//                               memory
//   stream_200MB_ui_blocked     processor time of the user-interface thread handling events
//                               meanwhile, against the time to the view
// Each the median of 5 repetitions. The last lines printed are "ratio NAME VALUE limit LIMIT".

#include "benchclock.h"
#include "benchhost.h"
#include "core/module1.h"
#include "core/refresh/posixfilesystem.h"
#include "core/refresh/systemclock.h"
#include "core/stream/commandprocess.h"
#include "core/stream/streamsource.h"
#include "document/view/richtextview.h"
#include "ratioreporter.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sys/mman.h>
#include <unistd.h>

using namespace Orvik;

namespace {

constexpr qint64 MB = 1024 * 1024;
constexpr qint64 Size = 200 * MB;

const QString &bigFile() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath(QStringLiteral("big.log"));
        QFile f(p);
        if (!f.open(QIODevice::WriteOnly))
            std::abort();
        const std::string &block = logBlock();
        for (qint64 done = 0; done < Size; done += qint64(block.size()))
            f.write(block.data(), qint64(qMin<qint64>(qint64(block.size()), Size - done)));
        return p;
    }();
    return path;
}

QString catCommand() {
    return QStringLiteral("cat '") + bigFile() + QLatin1Char('\'');
}

// The baseline: the same command started the same way, its pipe read into reserved memory.
void BM_PipeIntoMemory(benchmark::State &state) {
    const QByteArray command = catCommand().toLocal8Bit();
    for (auto _ : state) {
        void *room = mmap(nullptr, size_t(2 * Size), PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        QElapsedTimer t;
        t.start();
        CommandProcess process;
        int output = -1;
        QString error;
        if (!process.start(command, &output, &error))
            std::abort();
        qint64 done = 0;
        for (ssize_t n; (n = ::read(output, static_cast<char *>(room) + done, MB)) > 0;)
            done += n;
        ::close(output);
        process.waitForEnd(-1);
        state.SetIterationTime(double(t.nsecsElapsed()) / 1e9);
        if (done != Size)
            std::abort();
        munmap(room, size_t(2 * Size));
    }
}

std::vector<double> blockedShares; // one per repetition
// The same command opened as a document of the real view, as the program follows it.
void BM_CommandIntoView(benchmark::State &state) {
    const QString command = catCommand();
    for (auto _ : state) {
        PosixFileSystem fs;
        SystemClock clock;
        BenchHost<RichTextView> host;
        Module1 module(fs, clock);
        module.MainForm = &host;
        module.setBackgroundCycles(true);
        QElapsedTimer t;
        t.start();
        const double started = threadSeconds();
        module.OpenCommand(command);
        double blocked = threadSeconds() - started;
        while (host.windows[0]->view.text().size() < Size) {
            const double before = threadSeconds();
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            blocked += threadSeconds() - before;
        }
        const double seconds = double(t.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        blockedShares.push_back(blocked / seconds);
        state.counters["ui_blocked_share"] = blocked / seconds;
        module.refreshCycle().waitForIdle();
        host.windows[0]->view.setText(Contents());
        module.RemoveDocument(1);
        StreamSource::waitForAllStopped(std::chrono::seconds(5));
    }
}

} // namespace

BENCHMARK(BM_PipeIntoMemory)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CommandIntoView)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("ratio stream_200MB_vs_pipe_read %.3f limit 1.5\n",
                reporter.ratio("BM_CommandIntoView", "BM_PipeIntoMemory"));
    std::sort(blockedShares.begin(), blockedShares.end());
    std::printf("ratio stream_200MB_ui_blocked %.4f limit 0.05\n",
                blockedShares.empty() ? -1.0 : blockedShares[blockedShares.size() / 2]);
    return 0;
}
