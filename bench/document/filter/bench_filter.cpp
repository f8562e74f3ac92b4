// Speed and memory of the filter, each against a baseline measured in the same run:
//   filter_match_case_200MB_vs_grep   a plain word with Match case over 200 MB of log text,
//                                     against `grep -F -c WORD FILE` on the same text
//   filter_folded_200MB_vs_grep       the same without Match case, against
//                                     `LC_ALL=C.UTF-8 grep -F -i -c WORD FILE`
//   filter_regex_200MB_vs_grep        `ERROR|WARN.*timeout` with Match case, against
//                                     `grep -E -c`
//   filter_append_1000_lines_20MB_vs_memchr, ..._200MB_vs_memchr
//                                     the filter's work for an append of 1,000 lines to a
//                                     filtered document, against memchr over the new lines
//   filter_append_200MB_vs_20MB       the same append to 200 MB against 20 MB
//   filter_index_bytes_per_line       the pane's index, in bytes a matching line
//   filter_pane_jump_1M_rows_vs_10    painting the pane after a jump among a million rows,
//                                     against painting ten rows
// The word is "error", on 2.7% of the lines. Times are processor times (a scan's worker
// included; grep's own, from wait4), the fastest of several repetitions.
#include "benchclock.h"
#include "benchhost.h"
#include "core/search/filterscan.h"
#include "document/filter/filterpane.h"
#include "document/view/richtextview.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>

#include <ctime>
#include <map>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

using namespace Orvik;

namespace {

constexpr qint64 MB = 1024 * 1024;
const char Word[] = "error";
const char Expression[] = "ERROR|WARN.*timeout";

QTemporaryDir *folder = nullptr;
Contents bigText;
std::string bigFile;

Contents logText(qint64 megabytes) {
    const std::string &block = logBlock();
    Contents text;
    for (qint64 i = 0; i < megabytes; ++i)
        text.append(block.data(), qint64(block.size()));
    return text;
}

// Runs grep on the big file; its processor time. Its count goes to a file: with its output on
// /dev/null grep would stop at the first match.
double grepSeconds(const std::vector<std::string> &options, bool utf8Locale) {
    std::vector<std::string> args{"grep"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(bigFile);
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e)
        if (!utf8Locale || std::strncmp(*e, "LC_ALL=", 7) != 0)
            env.emplace_back(*e);
    if (utf8Locale)
        env.emplace_back("LC_ALL=C.UTF-8");
    std::vector<char *> envp;
    for (std::string &e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string output = bigFile + ".count";
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "grep", &actions, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

void BM_Grep(benchmark::State &state, std::vector<std::string> options, bool utf8Locale) {
    for (auto _ : state)
        state.SetIterationTime(grepSeconds(options, utf8Locale));
}

// The whole text through a FilterScan, as the pane filters a large text.
qint64 filterCount(const LineFilter &filter, const Contents &text) {
    std::mutex mutex;
    std::condition_variable wake;
    bool noted = false;
    FilterScan scan([&] {
        std::lock_guard<std::mutex> lock(mutex);
        noted = true;
        wake.notify_one();
    });
    scan.start(filter, text, 0, text.size());
    qint64 count = 0;
    for (;;) {
        std::unique_lock<std::mutex> lock(mutex);
        wake.wait(lock, [&] { return noted; });
        noted = false;
        lock.unlock();
        const FilterScan::Found found = scan.take();
        count += qint64(found.lineStarts.size());
        if (!found.running)
            return count;
    }
}

void BM_Filter(benchmark::State &state, LineFilter filter) {
    qint64 count = 0;
    for (auto _ : state)
        count = filterCount(filter, bigText);
    state.counters["lines"] = double(count);
}

// A filtered document that grows by 1,000 lines an iteration; the time is the filter's part
// of each append, from the view's appended() to the filter's changed(). The baseline is taken
// at the same moment of the same append: memchr over the new bytes, in a receiver of
// appended() that runs before the filter's.
struct Growing {
    explicit Growing(qint64 megabytes)
        : text(logText(megabytes))
        , model(view) {
        QObject::connect(&view, &RichTextView::appended, [this](qint64 oldSize) {
            started = threadSeconds();
            if (!baseline)
                return;
            const char *p = view.viewText().data() + oldSize;
            const char *end = view.viewText().data() + view.viewText().size();
            qint64 lines = 0;
            while ((p = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p))))) {
                ++lines;
                ++p;
            }
            benchmark::DoNotOptimize(lines);
            measured += threadSeconds() - started;
            started = 0;
        });
        live = std::make_unique<LiveFilter>(view, model);
        QObject::connect(live.get(), &LiveFilter::changed, [this] {
            if (started > 0)
                measured += threadSeconds() - started;
            started = 0;
        });
        view.setText(text);
        live->setFilter(LineFilter(QString::fromLatin1(Word), false, LineFilter::Kind::Plain));
        while (live->isScanning())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const std::string &block = logBlock();
        size_t at = 0;
        for (int lines = 0; lines < 1000; ++lines)
            at = block.find('\n', at) + 1;
        chunk = block.substr(0, at);
    }
    Contents text;
    RichTextView view;
    FilterModel model;
    std::unique_ptr<LiveFilter> live;
    std::string chunk; // 1,000 lines
    bool baseline = false;
    double started = 0;
    double measured = 0;
};
std::map<qint64, Growing *> growing;

void BM_Append(benchmark::State &state, qint64 megabytes, bool baseline) {
    Growing &g = *growing[megabytes];
    g.baseline = baseline;
    for (auto _ : state) {
        const qint64 old = g.text.size();
        g.text.append(g.chunk.data(), qint64(g.chunk.size()));
        g.measured = 0;
        g.view.appendKeepingSelection(g.text.mid(old));
        state.SetIterationTime(g.measured);
    }
}

// A pane with `rows` matching lines, ten rows high.
struct Pane {
    explicit Pane(int rows)
        : pane(view, std::make_shared<FilterHistory>()) {
        QByteArray bytes;
        char line[32];
        for (int i = 0; i < rows; ++i)
            bytes.append(line, std::snprintf(line, sizeof line, "line %07d hit\n", i));
        view.setText(Contents::fromByteArray(bytes));
        pane.resize(800, 400);
        pane.show();
        pane.open();
        pane.filterBox().setEditText(QStringLiteral("hit"));
        while (pane.liveFilter().isScanning())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QListView &list = pane.rows();
        pane.resize(800,
                    pane.height() - list.viewport()->height() + 10 * list.sizeHintForRow(0) + 1);
        QCoreApplication::processEvents();
    }
    RichTextView view;
    FilterPane pane;
};
Pane *millionRows = nullptr;
Pane *tenRows = nullptr;

void BM_PaneJump(benchmark::State &state, Pane **pane) {
    QListView &list = (*pane)->pane.rows();
    QImage image(list.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    quint64 n = 1;
    for (auto _ : state) {
        n = n * 6364136223846793005ULL + 1442695040888963407ULL;
        QScrollBar *bar = list.verticalScrollBar();
        bar->setValue(int((n >> 33) % quint64(bar->maximum() + 1)));
        list.viewport()->render(&image);
    }
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter()
        : ConsoleReporter(OO_None) {}
    // Fastest time per iteration by name: manual (grep's processor time, or the part of an
    // append that is the filter's) where set, else processor time.
    std::map<std::string, double> best;
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0)
                continue;
            const std::string name = run.run_name.function_name;
            const bool manual = name.rfind("grep", 0) == 0 || name.rfind("append", 0) == 0;
            const double t = manual ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime();
            auto it = best.find(name);
            if (it == best.end() || t < it->second)
                best[name] = t;
        }
    }
};

void printRatio(const char *name, double value, double limit) {
    std::printf("ratio %s %.3f limit %.2f\n", name, value, limit);
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    folder = new QTemporaryDir;
    bigText = logText(200);
    bigFile = folder->filePath(QStringLiteral("big.log")).toStdString();
    {
        QFile file(QString::fromStdString(bigFile));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(bigText.data(), bigText.size()) != bigText.size())
            return 1;
    }
    growing[20] = new Growing(20);
    growing[200] = new Growing(200);
    const double indexBytes =
        double(growing[200]->model.memoryUsage()) / qMax(1, growing[200]->model.rowCount());
    // The counts agree with grep's before anything is timed.
    using Kind = LineFilter::Kind;
    const QString word = QString::fromLatin1(Word);
    const QString expression = QString::fromLatin1(Expression);
    const std::pair<QStringList, LineFilter> checks[] = {
        {{"-F", "-c", word}, LineFilter(word, true, Kind::Plain)},
        {{"-F", "-i", "-c", word}, LineFilter(word, false, Kind::Plain)},
        {{"-E", "-c", expression}, LineFilter(expression, true, Kind::RegularExpression)}};
    for (const auto &[options, filter] : checks) {
        QProcess grep;
        grep.start(QStringLiteral("grep"), options + QStringList{QString::fromStdString(bigFile)});
        grep.waitForFinished(-1);
        const qint64 expected = grep.readAllStandardOutput().trimmed().toLongLong();
        const qint64 found = filterCount(filter, bigText);
        std::printf("check grep %s: %lld lines, the filter %lld%s\n", qPrintable(options.join(' ')),
                    expected, found, expected == found ? "" : "  MISMATCH");
    }
    millionRows = new Pane(1000000);
    tenRows = new Pane(10);

    const auto timed = [](benchmark::internal::Benchmark *b) {
        b->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(5);
    };
    timed(benchmark::RegisterBenchmark("grep_F", BM_Grep,
                                       std::vector<std::string>{"-F", "-c", Word}, false)
              ->UseManualTime());
    timed(benchmark::RegisterBenchmark("filter_match_case", BM_Filter,
                                       LineFilter(word, true, Kind::Plain))
              ->MeasureProcessCPUTime());
    timed(benchmark::RegisterBenchmark("grep_F_i", BM_Grep,
                                       std::vector<std::string>{"-F", "-i", "-c", Word}, true)
              ->UseManualTime());
    timed(benchmark::RegisterBenchmark("filter_folded", BM_Filter,
                                       LineFilter(word, false, Kind::Plain))
              ->MeasureProcessCPUTime());
    timed(benchmark::RegisterBenchmark("grep_E", BM_Grep,
                                       std::vector<std::string>{"-E", "-c", Expression}, false)
              ->UseManualTime());
    timed(benchmark::RegisterBenchmark("filter_regex", BM_Filter,
                                       LineFilter(expression, true, Kind::RegularExpression))
              ->MeasureProcessCPUTime());
    for (qint64 megabytes : {20, 200}) {
        for (bool baseline : {true, false}) {
            const std::string name = std::string(baseline ? "append_memchr_" : "append_filter_") +
                                     std::to_string(megabytes) + "MB";
            benchmark::RegisterBenchmark(name.c_str(), BM_Append, megabytes, baseline)
                ->UseManualTime()
                ->Unit(benchmark::kMicrosecond)
                ->Iterations(20)
                ->Repetitions(5);
        }
    }
    benchmark::RegisterBenchmark("pane_jump_10_rows", BM_PaneJump, &tenRows)
        ->Unit(benchmark::kMicrosecond)
        ->Iterations(200)
        ->Repetitions(3);
    benchmark::RegisterBenchmark("pane_jump_1M_rows", BM_PaneJump, &millionRows)
        ->Unit(benchmark::kMicrosecond)
        ->Iterations(200)
        ->Repetitions(3);

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto &t = reporter.best;
    auto ratio = [&t](const char *a, const char *b) {
        return t.count(a) && t.count(b) && t[b] > 0 ? t[a] / t[b] : -1.0;
    };
    printRatio("filter_match_case_200MB_vs_grep", ratio("filter_match_case", "grep_F"), 1.5);
    printRatio("filter_folded_200MB_vs_grep", ratio("filter_folded", "grep_F_i"), 1.5);
    printRatio("filter_regex_200MB_vs_grep", ratio("filter_regex", "grep_E"), 2.0);
    printRatio("filter_append_1000_lines_20MB_vs_memchr",
               ratio("append_filter_20MB", "append_memchr_20MB"), 2.0);
    printRatio("filter_append_1000_lines_200MB_vs_memchr",
               ratio("append_filter_200MB", "append_memchr_200MB"), 2.0);
    printRatio("filter_append_200MB_vs_20MB", ratio("append_filter_200MB", "append_filter_20MB"),
               1.5);
    printRatio("filter_index_bytes_per_line", indexBytes, 8.0);
    printRatio("filter_pane_jump_1M_rows_vs_10", ratio("pane_jump_1M_rows", "pane_jump_10_rows"),
               1.5);
    return 0;
}
