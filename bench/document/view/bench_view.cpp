// Speed and memory of the document view against baselines measured in the same run:
// building the line index against a memchr count of the line feeds, an append to a large
// text against one to a small text, and painting the end of large texts against a small one.
#include "document/view/richtextview.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

using namespace Orvik;

namespace {

constexpr qint64 MB = 1024 * 1024;
constexpr qint64 LargeSize = 200 * MB;
constexpr qint64 SmallSize = 100 * 1024;
constexpr qint64 SingleLineSize = 50 * MB;
constexpr int ViewWidth = 1000;
constexpr int ViewHeight = 700;

// About 100 bytes a line, like a server log; every 50th line has an ERROR.
void appendLogLines(Contents &c, qint64 bytes, quint64 seed = 1) {
    char line[160];
    quint64 n = seed;
    const qint64 target = c.size() + bytes;
    while (c.size() < target) {
        n = n * 6364136223846793005ULL + 1442695040888963407ULL;
        const unsigned v = unsigned(n >> 33);
        const int len = std::snprintf(
            line, sizeof line,
            "2026-12-06 %02u:%02u:%02u.%03u %s [worker-%u] request %u handled in %u ms "
            "status=%u path=/api/items/%u\n",
            v % 24, v / 24 % 60, v / 1440 % 60, v % 1000, v % 50 == 0 ? "ERROR" : "INFO ", v % 16,
            v % 1000000, v % 500, v % 7 == 0 ? 404 : 200, v % 100000);
        const qint64 take = qMin<qint64>(len, target - c.size());
        std::memcpy(c.appendSpace(take), line, size_t(take));
        c.commitAppend(take);
    }
}

qint64 residentBytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}

void markErrors(RichTextView &view, const Contents &text, qint64 from) {
    const Contents tail = text.mid(from);
    const auto bytes = QByteArray::fromRawData(tail.data(), qsizetype(tail.size()));
    for (qsizetype p = bytes.indexOf("ERROR"); p >= 0; p = bytes.indexOf("ERROR", p + 1))
        view.colorRange(from + p, 5, HighlightColor);
}

struct Fixture {
    Contents large; // the document table's contents
    Contents small;
    Contents singleLine;
    RichTextView largeView;
    RichTextView smallView;
    RichTextView lineView;
};
Fixture *fixture = nullptr;

void prepare(RichTextView &view, const Contents &text, const QFont &font, int margin) {
    view.setFont(font);
    view.resize(ViewWidth, ViewHeight);
    view.show();
    view.setText(text);
    view.setRightMargin(margin);
    view.setSelStart(text.size());
    view.updateGeometryNow();
}

// One paint of the viewport with every visible row laid out anew (the margin flips by a
// pixel, which drops the layouts), as after a resize or a font change.
void paintCold(benchmark::State &state, RichTextView &view, int margin) {
    QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    int flip = 0;
    for (auto _ : state) {
        view.setRightMargin(margin - (flip ^= 1));
        view.viewport()->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void setupPaint(bool wrappedProportional) {
    Fixture &f = *fixture;
    QFont font(wrappedProportional ? QStringLiteral("DejaVu Sans")
                                   : QStringLiteral("DejaVu Sans Mono"));
    font.setPointSize(10);
    const int margin = wrappedProportional ? ViewWidth / 2 : ViewWidth;
    for (RichTextView *v : {&f.largeView, &f.smallView, &f.lineView}) {
        const Contents &text = v == &f.largeView   ? f.large
                               : v == &f.smallView ? f.small
                                                   : f.singleLine;
        prepare(*v, text, font, margin);
    }
    // 10,000 marks over the large text, and every ERROR at the end of both texts.
    for (qint64 i = 0; i < 10000; ++i)
        f.largeView.colorRange(i * (LargeSize / 10000), 5, HighlightColor);
    markErrors(f.largeView, f.large, f.large.size() - SmallSize);
    markErrors(f.smallView, f.small, 0);
}

void paintBenchmark(benchmark::State &state, RichTextView *view, bool wrappedProportional) {
    static int prepared = -1;
    if (prepared != int(wrappedProportional)) {
        setupPaint(wrappedProportional);
        prepared = int(wrappedProportional);
    }
    paintCold(state, *view, wrappedProportional ? ViewWidth / 2 : ViewWidth);
}

void BM_MemchrCount(benchmark::State &state) {
    for (auto _ : state) {
        const char *p = fixture->large.data();
        const char *end = p + fixture->large.size();
        qint64 count = 0;
        while (const void *hit = std::memchr(p, '\n', size_t(end - p))) {
            ++count;
            p = static_cast<const char *>(hit) + 1;
        }
        benchmark::DoNotOptimize(count);
    }
}

void BM_SetText(benchmark::State &state) {
    RichTextView view;
    for (auto _ : state)
        view.setText(fixture->large);
}

// Appends as the refresh cycle does: a view that follows the end gets the caret moved there;
// one whose reader scrolled back to the start (`away`) keeps its place.
void appendBenchmark(benchmark::State &state, qint64 startSize, bool away) {
    static QByteArray block;
    if (block.isEmpty()) {
        Contents c;
        appendLogLines(c, 4096, 99);
        block = c.toByteArray();
    }
    // The large table keeps growing over the repetitions: taking the 200 MB prefix again
    // would copy it, since its store has grown past it.
    static Contents largeTable = fixture->large;
    Contents table;
    if (startSize >= LargeSize)
        table = largeTable;
    else
        appendLogLines(table, startSize, 7);
    RichTextView view;
    view.resize(ViewWidth, ViewHeight);
    view.show();
    view.setText(table);
    view.setSelStart(away ? 0 : table.size());
    view.updateGeometryNow();
    if (view.followsEnd() == away)
        state.SkipWithError("the view is not where the benchmark put it");
    for (auto _ : state) {
        const qint64 before = table.size();
        std::memcpy(table.appendSpace(block.size()), block.constData(), size_t(block.size()));
        table.commitAppend(block.size());
        if (view.followsEnd()) {
            view.setSelStart(before);
            view.setSelText(table.mid(before));
            view.setSelStart(table.size());
        } else {
            view.appendKeepingSelection(table.mid(before));
        }
        view.updateGeometryNow();
    }
    if (startSize >= LargeSize)
        largeTable = table;
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Without colour codes, so that the ratio lines after the table start the line.
    RatioReporter()
        : ConsoleReporter(OO_None) {}
    // Fastest processor time per iteration by benchmark name: processor time holds on a
    // machine busy with other work, where wall time does not.
    std::map<std::string, double> best;
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0)
                continue;
            const std::string name = run.run_name.function_name;
            const double t = run.GetAdjustedCPUTime();
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

    // Memory: the large text in the table and in its view, against the process before it.
    {
        RichTextView warm;
        warm.resize(200, 100);
        warm.setText(Contents::fromByteArray("warm up the fonts\n"));
        QImage image(warm.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        warm.viewport()->render(&image);
    }
    fixture = new Fixture;
    const qint64 base = residentBytes();
    appendLogLines(fixture->large, LargeSize);
    prepare(fixture->largeView, fixture->large, QFont(), ViewWidth);
    {
        QImage image(fixture->largeView.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        fixture->largeView.viewport()->render(&image);
    }
    const double memory = double(residentBytes() - base) / double(LargeSize);

    appendLogLines(fixture->small, SmallSize);
    {
        QByteArray line(SingleLineSize, 'x');
        for (qint64 i = 0; i < SingleLineSize; i += 7)
            line[i] = ' ';
        fixture->singleLine = Contents::fromByteArray(line);
    }

    Fixture &f = *fixture;
    benchmark::RegisterBenchmark("memchr_200MB", BM_MemchrCount)->Repetitions(3);
    benchmark::RegisterBenchmark("set_text_200MB", BM_SetText)->Repetitions(3);
    benchmark::RegisterBenchmark("append_4KB_to_1KB", appendBenchmark, qint64(1024), false)
        ->Iterations(400)
        ->Repetitions(5);
    benchmark::RegisterBenchmark("append_4KB_to_200MB", appendBenchmark, LargeSize, false)
        ->Iterations(400)
        ->Repetitions(5);
    benchmark::RegisterBenchmark("append_4KB_to_200MB_scrolled_away", appendBenchmark, LargeSize,
                                 true)
        ->Iterations(400)
        ->Repetitions(5);
    for (bool wrapped : {false, true}) {
        const std::string suffix = wrapped ? "_wrapped_proportional" : "";
        benchmark::RegisterBenchmark(("paint_100KB" + suffix).c_str(), paintBenchmark, &f.smallView,
                                     wrapped)
            ->Repetitions(3);
        benchmark::RegisterBenchmark(("paint_end_200MB_10000_marks" + suffix).c_str(),
                                     paintBenchmark, &f.largeView, wrapped)
            ->Repetitions(3);
        if (wrapped)
            benchmark::RegisterBenchmark("paint_end_50MB_single_line_wrapped", paintBenchmark,
                                         &f.lineView, wrapped)
                ->Repetitions(3);
    }

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto &t = reporter.best;
    auto ratio = [&t](const char *a, const char *b) {
        return t.count(a) && t.count(b) && t[b] > 0 ? t[a] / t[b] : -1.0;
    };
    printRatio("view_set_text_200MB_vs_memchr", ratio("set_text_200MB", "memchr_200MB"), 1.5);
    printRatio("view_append_4KB_200MB_vs_1KB", ratio("append_4KB_to_200MB", "append_4KB_to_1KB"),
               1.5);
    printRatio("view_append_4KB_200MB_scrolled_away_vs_at_end",
               ratio("append_4KB_to_200MB_scrolled_away", "append_4KB_to_200MB"), 1.1);
    printRatio("view_paint_end_200MB_10000_marks_vs_100KB",
               ratio("paint_end_200MB_10000_marks", "paint_100KB"), 1.3);
    printRatio("view_paint_end_200MB_wrapped_proportional_vs_100KB",
               ratio("paint_end_200MB_10000_marks_wrapped_proportional",
                     "paint_100KB_wrapped_proportional"),
               1.3);
    printRatio("view_paint_end_50MB_single_line_vs_normal",
               ratio("paint_end_50MB_single_line_wrapped", "paint_100KB_wrapped_proportional"),
               1.3);
    printRatio("view_memory_200MB_table_and_view", memory, 1.15);
    return 0;
}
