// The moves to a time, against baselines measured in the same run:
//   goto_time_1GB     Go to Time in a 1 GB document: the time typed read, its line found, the
//                     line selected and centred and the view painted, against moving the
//                     caret to a given line and painting the view
//   sync_10x100MB     one click in the first of ten tiled windows over 100 MB documents with
//                     Synchronize by Time on: the others shown at that time and all ten
//                     painted, against painting the ten windows anew
// The last lines printed are "ratio NAME VALUE limit LIMIT".
#include "commands/commandhost.h"
#include "commands/frmgototime.h"
#include "commands/timecommands.h"
#include "commands/timesync.h"
#include "commands/windowarranger.h"
#include "core/module1.h"
#include "core/refresh/posixfilesystem.h"
#include "core/refresh/systemclock.h"
#include "document/frmdocument.h"
#include "ratioreporter.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMdiArea>
#include <QWidget>

#include <cstdio>
#include <cstring>

using namespace Orvik;

namespace {

constexpr qint64 MB = 1024 * 1024;
constexpr qint64 Step = 16 * MB; // the read's stretches
const qint64 Start = QDateTime(QDate(2026, 12, 8), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();

// About 100 bytes a line, a millisecond or so apart from `first` on, with a stack trace now
// and then.
Contents logText(qint64 bytes, qint64 first, quint64 seed) {
    Contents c;
    char line[200];
    quint64 n = seed;
    qint64 time = first;
    while (c.size() < bytes) {
        n = n * 6364136223846793005ULL + 1442695040888963407ULL;
        const unsigned v = unsigned(n >> 33);
        time += v % 3;
        const QDateTime t = QDateTime::fromMSecsSinceEpoch(time, Qt::UTC);
        const int len =
            v % 97 == 0
                ? std::snprintf(line, sizeof line,
                                "    at com.example.Worker.run(Worker.java:%u)\n", v % 1000)
                : std::snprintf(line, sizeof line,
                                "%s INFO  [worker-%u] request %u handled in %u ms path=/api/%u\n",
                                t.toString(Qt::ISODateWithMs).toLatin1().constData(), v % 16,
                                v % 1000000, v % 500, v % 100000);
        std::memcpy(c.appendSpace(len), line, size_t(len));
        c.commitAppend(len);
    }
    return c;
}

// The document read as the refresh reads one: its line index and times prepared in
// stretches, then published.
void showRead(RichTextView &view, const Contents &text) {
    std::unique_ptr<TextPreparation> preparation = view.prepareText();
    for (qint64 end = 0; end < text.size();) {
        end = qMin(text.size(), end + Step);
        preparation->extend(text.data(), end);
    }
    view.setPreparedText(text, std::move(preparation));
}

// The main window as the commands see it: the workspace and the active document.
class Host : public CommandHost {
public:
    Module1 &module() override { return m_module; }
    frmDocument *activeDocument() override {
        return qobject_cast<frmDocument *>(area.currentSubWindow());
    }
    QMdiArea &workspace() override { return area; }
    QWidget *dialogOwner() override { return &area; }
    QAction &mnuViewToolbar() override { return m_toolbar; }
    QAction &mnuViewStatusBar() override { return m_status; }
    QWidget &tbToolBar() override { return m_bar; }
    QWidget &sbStatusBar() override { return m_bar; }
    void closeMainWindow() override {}

    frmDocument *add(const Contents &text) {
        auto *document = new frmDocument(m_module);
        area.addSubWindow(document);
        document->show();
        document->rtfText().show();
        showRead(document->rtfText(), text);
        return document;
    }

    QMdiArea area;

private:
    QAction m_toolbar;
    QAction m_status;
    QWidget m_bar;
    PosixFileSystem m_fileSystem;
    SystemClock m_clock;
    Module1 m_module{m_fileSystem, m_clock};
};

struct Fixture {
    Host one; // a 1 GB document
    Host ten; // ten of 100 MB
    std::vector<frmDocument *> tenDocuments;
    TimeSync sync{ten};
};
Fixture *fixture = nullptr;

void paint(RichTextView &view) {
    static QImage image;
    if (image.size() != view.viewport()->size())
        image = QImage(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    view.viewport()->render(&image);
    benchmark::DoNotOptimize(image.constBits());
}

quint64 nextRandom(quint64 &n) {
    n = n * 6364136223846793005ULL + 1442695040888963407ULL;
    return n >> 33;
}

void BM_GotoLine(benchmark::State &state) {
    RichTextView &view = fixture->one.activeDocument()->rtfText();
    const qint64 lines = view.viewText().lineCount();
    quint64 n = 5;
    std::vector<qint64> targets;
    for (int i = 0; i < 1000; ++i)
        targets.push_back(view.viewText().lineStart(qint64(nextRandom(n) % quint64(lines))));
    int next = 0;
    for (auto _ : state) {
        view.setSelStart(targets[size_t(next++ % 1000)]);
        view.updateGeometryNow();
        paint(view);
    }
}

void BM_GotoTime(benchmark::State &state) {
    Host &host = fixture->one;
    RichTextView &view = host.activeDocument()->rtfText();
    const LineTimes &times = *view.lineTimes();
    const qint64 lines = view.viewText().lineCount();
    TimeCommands commands(host);
    commands.goToTime();
    frmGoToTime &box = *commands.goToTimeWindow();
    quint64 n = 5;
    QStringList typed; // the times of the lines the baseline goes to
    for (int i = 0; i < 1000; ++i)
        typed << wantedTimeText(times.timeOf(qint64(nextRandom(n) % quint64(lines))));
    int next = 0;
    for (auto _ : state) {
        box.setTimeText(typed[next++ % typed.size()]);
        emit box.txtTime_Enter();
        view.updateGeometryNow();
        paint(view);
    }
}

void BM_RepaintTen(benchmark::State &state) {
    int flip = 0;
    for (auto _ : state) {
        flip ^= 1;
        for (frmDocument *document : fixture->tenDocuments) {
            RichTextView &view = document->rtfText();
            view.setRightMargin(view.width() - flip); // every row on screen laid out anew
            view.updateGeometryNow();
            paint(view);
        }
    }
}

void BM_SyncTen(benchmark::State &state) {
    frmDocument &source = *fixture->tenDocuments.front();
    RichTextView &view = source.rtfText();
    const qint64 lines = view.viewText().lineCount();
    const QMetaObject::Connection wired = QObject::connect(
        &view, &RichTextView::readerMoved, [&source] { fixture->sync.readerMoved(source); });
    quint64 n = 11;
    for (auto _ : state) {
        view.selectLineByReader(qint64(nextRandom(n) % quint64(lines)));
        for (frmDocument *document : fixture->tenDocuments) {
            document->rtfText().updateGeometryNow();
            paint(document->rtfText());
        }
    }
    QObject::disconnect(wired);
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    fixture = new Fixture;
    fixture->one.area.resize(1000, 700);
    fixture->one.area.show();
    fixture->one.add(logText(1024 * MB, Start, 1))->showMaximized();
    fixture->ten.area.resize(1600, 1000);
    fixture->ten.area.show();
    for (int i = 0; i < 10; ++i)
        fixture->tenDocuments.push_back(fixture->ten.add(logText(100 * MB, Start + i * 7, i + 2)));
    WindowArranger::tileHorizontal(fixture->ten.area);
    fixture->sync.setEnabled(true);
    QCoreApplication::processEvents();
    for (Host *host : {&fixture->one, &fixture->ten})
        if (!host->activeDocument() || !host->activeDocument()->rtfText().hasTimes()) {
            std::fprintf(stderr, "no times found in the documents\n");
            return 1;
        }

    benchmark::RegisterBenchmark("goto_line_1GB", BM_GotoLine)->Iterations(200)->Repetitions(5);
    benchmark::RegisterBenchmark("goto_time_1GB", BM_GotoTime)->Iterations(200)->Repetitions(5);
    benchmark::RegisterBenchmark("repaint_10x100MB", BM_RepaintTen)->Iterations(50)->Repetitions(5);
    benchmark::RegisterBenchmark("sync_10x100MB", BM_SyncTen)->Iterations(50)->Repetitions(5);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("ratio goto_time_1GB_vs_goto_line %.3f limit 2\n",
                reporter.ratio("goto_time_1GB", "goto_line_1GB"));
    std::printf("ratio sync_10x100MB_vs_repaint %.3f limit 2\n",
                reporter.ratio("sync_10x100MB", "repaint_10x100MB"));
    return 0;
}
