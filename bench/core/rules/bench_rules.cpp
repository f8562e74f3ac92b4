// The cost of the highlight rules, each against a baseline measured in the same run:
//   rules_pass_200MB          five plain rules and one regular expression marking 200 MB of log
//                             text, against the highlight's full pass over the same text
//   rule_pass_blocked_200MB   the time the event loop is kept busy while the marks of a rule
//                             that matches every line of a 200 MB document are found on a
//                             worker and shown, against reading the file
//   append_1000_lines_6rules  a refresh cycle that appends 1,000 lines to a document with six
//                             rules, against the same append with the highlight alone; for a
//                             1 MB and a 100 MB document, so that a size dependence shows
// The last lines printed are "ratio NAME VALUE limit LIMIT".

#include "benchclock.h"
#include "benchhost.h"
#include "core/marks/markruns.h"
#include "core/module1.h"
#include "core/refresh/posixfilesystem.h"
#include "core/refresh/systemclock.h"
#include "core/refreshcycle.h"
#include "core/rules/rulemarks.h"
#include "core/search/highlightsearch.h"
#include "document/view/richtextview.h"
#include "ratioreporter.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <string>

#include <time.h>

using namespace Orvik;

namespace {

constexpr qint64 MB = 1024 * 1024;

QTemporaryDir &workDir() {
    static QTemporaryDir dir;
    return dir;
}

QString logFile(const QString &name, qint64 size) {
    const QString path = workDir().filePath(name);
    if (QFile::exists(path))
        return path;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        std::abort();
    for (qint64 n = 0; n < size; n += qint64(logBlock().size()))
        f.write(logBlock().data(), qint64(logBlock().size()));
    return path;
}

const std::string &text200MB() {
    static const std::string text = [] {
        std::string all;
        all.reserve(size_t(200 * MB));
        while (qint64(all.size()) < 200 * MB)
            all += logBlock();
        return all;
    }();
    return text;
}

HighlightRule rule(const char *text, bool matchCase = false, bool regex = false) {
    HighlightRule r;
    r.text = QString::fromUtf8(text);
    r.matchCase = matchCase;
    r.regularExpression = regex;
    return r;
}

std::vector<HighlightRule> sixRules() {
    return {rule("ERROR"),    rule("WARN"),
            rule("worker-3"), rule("request 4242", true),
            rule("timeout"),  rule("failed with error [45]\\d\\d", false, true)};
}

void BM_RulesPass(benchmark::State &state) {
    const std::string &text = text200MB();
    const RuleSet rules(sixRules());
    qint64 marks = 0;
    for (auto _ : state) {
        RuleMarks found;
        found.collect(rules, text.data(), qint64(text.size()), 0);
        for (const MarkRuns &layer : found.layers)
            marks += layer.count();
    }
    state.counters["marks"] = double(marks) / double(state.iterations());
}

void BM_RulesPassBaseline(benchmark::State &state) {
    const std::string &text = text200MB();
    const HighlightSearch search(QStringLiteral("ERROR"));
    qint64 marks = 0;
    for (auto _ : state) {
        MarkRuns found;
        search.collect(text.data(), qint64(text.size()), 0, found);
        marks += found.count();
    }
    state.counters["marks"] = double(marks) / double(state.iterations());
}

using Host = BenchHost<RichTextView>;

struct Document {
    explicit Document(const QString &path) {
        module.MainForm = &host;
        module.OpenDocument(path);
    }
    PosixFileSystem fs;
    SystemClock clock;
    Host host;
    Module1 module{fs, clock};
};

// Every line holds a worker's number: the rule marks each line whole, a colour each round.
void BM_RulePassBlocked(benchmark::State &state) {
    Document d(logFile(QStringLiteral("big.log"), 200 * MB));
    d.module.setBackgroundCycles(true);
    QCoreApplication::processEvents(); // the window's own set-up, before any timing
    int round = 0;
    for (auto _ : state) {
        HighlightRule everyLine = rule("worker-");
        everyLine.wholeLine = true;
        everyLine.color = ColorNumber(round++);
        d.module.setHighlightRules({everyLine});
        const double before = threadSeconds();
        d.module.RefreshDocuments(0);
        state.SetIterationTime(blockedUntilIdle(d.module, threadSeconds() - before));
    }
    const SharedMarks marks = d.host.windows[0]->view.layerMarks(FirstRuleLayer);
    state.counters["marks"] = marks ? double(marks->count()) : 0;
}

// Reading the file whole into fresh memory, as any viewer must.
void BM_ReadFresh(benchmark::State &state) {
    const QString path = logFile(QStringLiteral("big.log"), 200 * MB);
    for (auto _ : state)
        state.SetIterationTime(readFreshSeconds(path));
}

// A refresh cycle run in one go after 1,000 lines were appended.
void appendCycle(benchmark::State &state, bool rules) {
    const qint64 size = state.range(0) * MB;
    const QString path =
        logFile(QStringLiteral("append-%1-%2.log").arg(size).arg(rules ? "rules" : "hl"), size);
    Document d(path);
    d.module.HighLightString = QStringLiteral("error");
    if (rules)
        d.module.setHighlightRules(sixRules());
    d.module.RefreshDocuments(0);
    const QByteArray lines = QByteArray::fromStdString(logBlock()).left(1024 * 1024);
    qsizetype thousand = 0;
    for (int i = 0; i < 1000; ++i)
        thousand = lines.indexOf('\n', thousand) + 1;
    const QByteArray more = lines.left(thousand);
    for (auto _ : state) {
        state.PauseTiming();
        QFile f(path);
        if (!f.open(QIODevice::Append) || f.write(more) != more.size())
            std::abort();
        f.close();
        state.ResumeTiming();
        d.module.RefreshDocuments(0);
    }
    QFile::remove(path);
}

void BM_AppendRules(benchmark::State &state) {
    appendCycle(state, true);
}
void BM_AppendHighlight(benchmark::State &state) {
    appendCycle(state, false);
}

BENCHMARK(BM_RulesPassBaseline)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RulesPass)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadFresh)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RulePassBlocked)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendHighlight)
    ->Arg(1)
    ->Arg(100)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_AppendRules)
    ->Arg(1)
    ->Arg(100)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("ratio rules_pass_200MB_vs_highlight %.3f limit 6.0\n",
                reporter.ratio("BM_RulesPass", "BM_RulesPassBaseline"));
    std::printf("ratio rule_pass_blocked_200MB_vs_read %.4f limit 0.02\n",
                reporter.ratio("BM_RulePassBlocked", "BM_ReadFresh"));
    std::printf("ratio append_1000_lines_6rules_1MB_vs_highlight %.3f limit 3.0\n",
                reporter.ratio("BM_AppendRules1", "BM_AppendHighlight1"));
    std::printf("ratio append_1000_lines_6rules_100MB_vs_highlight %.3f limit 3.0\n",
                reporter.ratio("BM_AppendRules100", "BM_AppendHighlight100"));
    return 0;
}
