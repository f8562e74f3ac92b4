// Speed and memory of the monitoring core, each against a baseline measured in the same run:
//   append_cycle_100MB   RefreshDocuments on a 100 MB file grown by 4 KB, against pread of
//                        the whole file into a reused buffer plus memcmp with a copy
//   idle_cycle_10docs    a cycle over ten unchanged documents, against stat plus
//                        open/fstat/close of each file
//   highlight_pass_100MB a full highlight pass over 100 MB of log text, against a
//                        case-sensitive memmem scan of the same bytes
//   peak_memory_100MB    peak resident memory after following a 100 MB file through 100
//                        appends, against its contents plus the process's base
// The last lines printed are "ratio NAME VALUE limit LIMIT".

#include "benchhost.h"
#include "core/documentview.h"
#include "core/documentwindow.h"
#include "core/mainwindow.h"
#include "core/module1.h"
#include "core/refresh/posixfilesystem.h"
#include "core/refresh/systemclock.h"
#include "core/search/highlightsearch.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Orvik;

namespace {

constexpr qint64 HundredMB = 100ll * 1024 * 1024;
constexpr qint64 AppendBytes = 4096;

// --- A minimal in-memory view and windows: they keep the shared bytes and count marks.

class BenchView : public DocumentView {
public:
    void setText(const Contents &text) override { m_text = text; }
    Contents text() const override { return m_text; }
    void setSelStart(qint64 offset) override { m_caret = qBound<qint64>(0, offset, m_text.size()); }
    qint64 selStart() const override { return m_caret; }
    void setSelLength(qint64) override {}
    qint64 selLength() const override { return 0; }
    void setSelText(const Contents &text) override {
        if (!m_text.extendWith(text)) {
            QByteArray whole = m_text.toByteArray();
            whole.insert(m_caret, text.toByteArray());
            m_text = Contents::fromByteArray(whole);
        }
        m_caret += text.size();
    }
    QByteArray selText() const override { return {}; }
    void setSelColor(ColorNumber) override {}
    void colorRange(qint64, qint64, ColorNumber) override { ++marks; }
    SharedMarks layerMarks(int) const override { return m_marks; }
    void setLayerMarks(int, SharedMarks set) override { m_marks = std::move(set); }
    void addLayerMarks(int, const MarkRuns &set) override { marks += set.count(); }
    bool followsEnd() const override { return true; }
    void appendKeepingSelection(const Contents &text) override { m_text.extendWith(text); }
    void setDisplayFont(const DisplayFont &) override {}
    void setVisible(bool) override {}

    qint64 marks = 0;

private:
    Contents m_text;
    SharedMarks m_marks;
    qint64 m_caret = 0;
};

using BenchMain = BenchHost<BenchView>;

// --- Files.

QTemporaryDir &workDir() {
    static QTemporaryDir dir;
    return dir;
}

QString workPath(const QString &name) {
    return workDir().filePath(name);
}

void appendTo(const QString &path, const char *bytes, qint64 count) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0) {
        std::perror("open");
        std::exit(1);
    }
    while (count > 0) {
        const ssize_t n = ::write(fd, bytes, size_t(count));
        if (n <= 0) {
            std::perror("write");
            std::exit(1);
        }
        bytes += n;
        count -= n;
    }
    ::close(fd);
}

QString makeLogFile(const QString &name, qint64 size) {
    const QString path = workPath(name);
    QFile::remove(path);
    const std::string &block = logBlock();
    for (qint64 written = 0; written < size; written += qint64(block.size()))
        appendTo(path, block.data(), qMin<qint64>(qint64(block.size()), size - written));
    return path;
}

void appendChunk(const QString &path, int round) {
    std::string piece(size_t(AppendBytes), 'x');
    std::memcpy(piece.data(), logBlock().data() + (round * 997) % 4096, size_t(AppendBytes));
    piece.back() = '\n';
    appendTo(path, piece.data(), qint64(piece.size()));
}

// --- Memory.

struct MemoryResult {
    double ratio = 0;
    qint64 baseKB = 0;
    qint64 peakKB = 0;
    qint64 contentsKB = 0;
};

// Runs before anything else in the process, so the peak is this scenario's own.
MemoryResult measurePeakMemory() {
    const QString path = makeLogFile(QStringLiteral("memory.log"), HundredMB);
    PosixFileSystem fs;
    SystemClock clock;
    BenchMain main;
    Module1 module(fs, clock);
    module.MainForm = &main;
    module.HighLightString = QStringLiteral("error");
    {
        // Reset the peak to what is resident now (Linux 4.0 and later).
        FILE *f = std::fopen("/proc/self/clear_refs", "w");
        if (f) {
            std::fputs("5", f);
            std::fclose(f);
        }
    }
    MemoryResult result;
    result.baseKB = statusKilobytes("VmRSS");
    module.OpenDocument(path);
    for (int round = 0; round < 100; ++round) {
        appendChunk(path, round);
        module.RefreshDocuments(0);
    }
    result.peakKB = statusKilobytes("VmHWM");
    result.contentsKB = module.DocContents[1].size() / 1024;
    result.ratio = double(result.peakKB) / double(result.contentsKB + result.baseKB);
    QFile::remove(path);
    return result;
}

// --- Append cycle.

void BM_AppendCycle(benchmark::State &state) {
    const QString path = makeLogFile(QStringLiteral("append.log"), HundredMB);
    PosixFileSystem fs;
    SystemClock clock;
    BenchMain main;
    Module1 module(fs, clock);
    module.MainForm = &main;
    module.HighLightString = QStringLiteral("error");
    module.OpenDocument(path);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        appendChunk(path, round++);
        state.ResumeTiming();
        module.RefreshDocuments(0);
    }
    if (module.DocContents[1].size() != HundredMB + round * AppendBytes)
        state.SkipWithError("the contents did not follow the file");
    QFile::remove(path);
}

void BM_AppendCycleBaseline(benchmark::State &state) {
    const QString path = makeLogFile(QStringLiteral("append-baseline.log"), HundredMB);
    const QByteArray file = QFile::encodeName(path);
    WholeFileBaseline baseline;
    baseline.reserve(size_t(HundredMB + 1024 * AppendBytes));
    baseline.run(file);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        appendChunk(path, round++);
        state.ResumeTiming();
        baseline.run(file);
    }
    QFile::remove(path);
}

// --- Idle cycle.

QStringList idleFiles() {
    QStringList paths;
    for (int i = 0; i < 10; ++i) {
        const QString path = workPath(QStringLiteral("idle-%1.log").arg(i));
        if (!QFile::exists(path))
            appendTo(path, logBlock().data(), 64 * 1024);
        paths << path;
    }
    return paths;
}

void BM_IdleCycle(benchmark::State &state) {
    PosixFileSystem fs;
    SystemClock clock;
    BenchMain main;
    Module1 module(fs, clock);
    module.MainForm = &main;
    module.HighLightString = QStringLiteral("error");
    for (const QString &path : idleFiles())
        module.OpenDocument(path);
    module.RefreshDocuments(0);
    for (auto _ : state)
        module.RefreshDocuments(0);
}

void BM_IdleCycleBaseline(benchmark::State &state) {
    std::vector<QByteArray> names;
    for (const QString &path : idleFiles())
        names.push_back(QFile::encodeName(path));
    for (auto _ : state) {
        for (const QByteArray &name : names) {
            struct stat st;
            ::stat(name.constData(), &st);
            const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            ::fstat(fd, &st);
            ::close(fd);
            benchmark::DoNotOptimize(st.st_size);
        }
    }
}

// --- Highlight pass.

const std::string &hundredMBOfLog() {
    static const std::string text = [] {
        std::string all;
        all.reserve(size_t(HundredMB));
        while (qint64(all.size()) < HundredMB)
            all += logBlock();
        return all;
    }();
    return text;
}

void BM_HighlightPass(benchmark::State &state) {
    const std::string &text = hundredMBOfLog();
    const Contents contents = Contents::fromRaw(text.data(), qint64(text.size()));
    const HighlightSearch search(QStringLiteral("ERROR"));
    qint64 marks = 0;
    for (auto _ : state) {
        MarkRuns found;
        search.collect(contents.data(), contents.size(), 0, found);
        marks += found.count();
    }
    state.counters["matches"] = double(marks) / double(state.iterations());
}

void BM_HighlightPassBaseline(benchmark::State &state) {
    const std::string &text = hundredMBOfLog();
    qint64 found = 0;
    for (auto _ : state) {
        const char *p = text.data();
        const char *end = p + text.size();
        while (const void *hit = memmem(p, size_t(end - p), "error", 5)) {
            ++found;
            p = static_cast<const char *>(hit) + 1;
        }
        benchmark::DoNotOptimize(found);
    }
    state.counters["matches"] = double(found) / double(state.iterations());
}

BENCHMARK(BM_AppendCycleBaseline)->Iterations(30)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AppendCycle)->Iterations(30)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IdleCycleBaseline)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_IdleCycle)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_HighlightPassBaseline)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HighlightPass)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps each run's time per iteration for the ratio lines.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, so that piped output has clean "ratio" lines to grep.
    RatioReporter()
        : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
    }
    std::map<std::string, double> times;
};

std::string runName(const char *function, const char *suffix) {
    return std::string(function) + suffix;
}

} // namespace

int main(int argc, char **argv) {
    // A run of chosen benchmarks (--benchmark_filter) leaves the memory scenario out.
    bool filtered = false;
    for (int i = 1; i < argc; ++i)
        filtered |= std::strncmp(argv[i], "--benchmark_filter", 18) == 0;
    MemoryResult memory;
    if (!filtered) {
        memory = measurePeakMemory();
        std::printf("peak memory: base %lld KB, contents %lld KB, peak %lld KB\n",
                    (long long)memory.baseKB, (long long)memory.contentsKB,
                    (long long)memory.peakKB);
    }

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::fflush(stdout);
    std::printf("\n"); // a terminal's pending colour reset ends up on this line

    const auto line = [](const char *name, double value, double limit) {
        std::printf("ratio %s %.2f limit %.1f\n", name, value, limit);
    };
    const auto ratioOf = [&reporter](const char *base, const char *iterations) {
        // Google Benchmark names a run after its function plus its settings.
        const std::string a = runName(base, iterations);
        const std::string b = runName(base, "Baseline") + iterations;
        const auto ia = reporter.times.find(a);
        const auto ib = reporter.times.find(b);
        if (ia == reporter.times.end() || ib == reporter.times.end() || ib->second <= 0)
            return -1.0;
        return ia->second / ib->second;
    };
    line("append_cycle_100MB", ratioOf("BM_AppendCycle", "/iterations:30/real_time"), 1.3);
    line("idle_cycle_10docs", ratioOf("BM_IdleCycle", "/real_time"), 2.0);
    line("highlight_pass_100MB", ratioOf("BM_HighlightPass", "/iterations:20/real_time"), 2.0);
    if (!filtered)
        line("peak_memory_100MB", memory.ratio, 1.3);
    return 0;
}
