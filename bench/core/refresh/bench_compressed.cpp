// Opening a compressed log, against the format's own tool decompressing the same file:
//   open_gzip_100MB_vs_tool  opening a 100 MB log compressed with gzip until the document
//                            holds its whole text, against `gzip -dc FILE > /dev/null`
//   open_zstd_100MB_vs_tool  the same with zstd, against `zstd -dc`
//   open_xz_100MB_vs_tool    the same with xz, against `xz -dc`
//   open_peak_<format>_100MB_vs_text  the most memory taken by that open, against its text
// BM_Open/3 opens the log uncompressed: what the open costs besides decoding.
// Each open is paired with a run of the tool right before or after it (the two turns about),
// and a ratio is the median of its pairs' ratios: this machine's speed drifts by a fifth
// within a minute, so an open and a tool run minutes apart compared the phases they met.
// The last lines printed are "ratio NAME VALUE limit LIMIT".

#include "benchhost.h"
#include "core/content/pagerelease.h"
#include "core/module1.h"
#include "core/refresh/posixfilesystem.h"
#include "core/refresh/systemclock.h"
#include "document/view/richtextview.h"
#include "ratioreporter.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Orvik;

namespace {

constexpr qint64 HundredMB = 100ll * 1024 * 1024;
const char *const Tools[] = {"gzip", "zstd", "xz", "cat"};

QTemporaryDir &workDir() {
    static QTemporaryDir dir;
    return dir;
}

// Runs `argv` with its output to /dev/null; false when it fails.
bool run(const std::vector<const char *> &argv) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char *> args;
    for (const char *arg : argv)
        args.push_back(const_cast<char *>(arg));
    args.push_back(nullptr);
    pid_t pid;
    const int failed = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return !failed && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// A 100 MB log whose lines do not repeat (as a server's do not), compressed by `tool`.
QString compressedLog(int format) {
    const QString plain = workDir().filePath(QStringLiteral("server.log"));
    if (!QFile::exists(plain)) {
        FILE *f = std::fopen(QFile::encodeName(plain).constData(), "w");
        const char *levels[] = {"INFO ", "INFO ", "DEBUG", "WARN ", "INFO ", "ERROR"};
        quint32 random = 1;
        for (qint64 written = 0, line = 0; written < HundredMB; ++line) {
            random = random * 1664525u + 1013904223u;
            written += std::fprintf(
                f, "2026-12-06 21:%02d:%02d.%03d [%s] worker-%u: request %lld handled in %u ms\n",
                int(line / 60000 % 60), int(line / 1000 % 60), int(line % 1000),
                levels[random >> 29 & 3 ? (random >> 24) % 6 : 0], random >> 16 & 7,
                static_cast<long long>(line), (random >> 8) % 500);
        }
        std::fclose(f);
    }
    if (format == 3)
        return plain;
    const QString path = plain + QLatin1Char('.') + QLatin1String(Tools[format]);
    if (!QFile::exists(path)) {
        const QByteArray in = QFile::encodeName(plain), out = QFile::encodeName(path);
        const QByteArray command = QByteArray(Tools[format]) + " -T1 -c " + in + " > " + out;
        const QByteArray gzipCommand = "gzip -c " + in + " > " + out;
        if (std::system((format == 0 ? gzipCommand : command).constData()) != 0)
            std::abort();
    }
    return path;
}

using Host = BenchHost<RichTextView>;

struct Opener {
    PosixFileSystem fs;
    SystemClock clock;
    Host host;
    Module1 module{fs, clock};
    Opener() { module.MainForm = &host; }
    void close() {
        host.windows.back()->view.setText(Contents());
        module.RemoveDocument(1);
    }
};

void BM_Open(benchmark::State &state) {
    const QString path = compressedLog(int(state.range(0)));
    Opener o;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        o.module.OpenDocument(path);
        state.SetIterationTime(double(t.nsecsElapsed()) / 1e9);
        if (o.module.DocContents[1].size() < HundredMB)
            state.SkipWithError("the text was not read whole");
        state.PauseTiming();
        o.close();
        PageRelease::waitForPending(); // the text before is given back before the next open
        state.ResumeTiming();
    }
}

double openVsTool[3] = {-1, -1, -1};

// An open of the compressed log and a run of its tool, one right after the other.
void BM_OpenAndTool(benchmark::State &state) {
    const int format = int(state.range(0));
    const QString path = compressedLog(format);
    const QByteArray encoded = QFile::encodeName(path);
    Opener o;
    std::vector<double> ratios;
    for (auto _ : state) {
        qint64 open = 0, tool = 0;
        for (int turn = 0; turn < 2; ++turn) {
            QElapsedTimer t;
            if ((turn == 0) == (ratios.size() % 2 == 0)) {
                t.start();
                if (!run({Tools[format], "-dc", encoded.constData()}))
                    state.SkipWithError("the tool failed");
                tool = t.nsecsElapsed();
                continue;
            }
            t.start();
            o.module.OpenDocument(path);
            open = t.nsecsElapsed();
            if (o.module.DocContents[1].size() < HundredMB)
                state.SkipWithError("the text was not read whole");
            o.close();
            PageRelease::waitForPending(); // the text is given back before what follows
        }
        state.SetIterationTime(double(open) / 1e9);
        ratios.push_back(double(open) / double(qMax<qint64>(1, tool)));
    }
    std::sort(ratios.begin(), ratios.end());
    const size_t middle = ratios.size() / 2;
    openVsTool[format] = ratios.size() % 2 ? ratios[middle]
                                           : (ratios[middle - 1] + ratios[middle]) / 2;
    state.counters["vs_tool"] = openVsTool[format];
}

double openPeak[3] = {0, 0, 0};

void BM_OpenPeak(benchmark::State &state) {
    const int format = int(state.range(0));
    const QString path = compressedLog(format);
    for (auto _ : state) {
        Opener o;
        PageRelease::waitForPending(); // the texts before are given back
        const qint64 baseKB = statusKilobytes("VmRSS");
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5"); // the peak starts again from here
        clear.close();
        QElapsedTimer t;
        t.start();
        o.module.OpenDocument(path);
        state.SetIterationTime(double(t.nsecsElapsed()) / 1e9);
        const double text = double(o.module.DocContents[1].size());
        const double peak = double(statusKilobytes("VmHWM") - baseKB) * 1024;
        openPeak[format] = qMax(openPeak[format], peak / text);
        o.close();
    }
}

BENCHMARK(BM_Open)->Arg(3)->Iterations(3)->Repetitions(5)->UseManualTime()->Unit(
    benchmark::kMillisecond);
BENCHMARK(BM_OpenAndTool)->DenseRange(0, 2)->Iterations(15)->UseManualTime()->Unit(
    benchmark::kMillisecond);
BENCHMARK(BM_OpenPeak)
    ->DenseRange(0, 2)
    ->Iterations(1)
    ->Repetitions(3)
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
    const double limits[] = {1.0, 1.1, 1.1};
    for (int format = 0; format < 3; ++format) {
        std::printf("ratio open_%s_100MB_vs_tool %.3f limit %.2f\n", Tools[format],
                    openVsTool[format], limits[format]);
    }
    for (int format = 0; format < 3; ++format)
        std::printf("ratio open_peak_%s_100MB_vs_text %.3f limit 1.10\n", Tools[format],
                    openPeak[format]);
    return 0;
}
