// Soak: one document followed through 10,000 append cycles of a growing log (512 bytes of log
// lines added before each cycle), with the real view and a highlight text, as a long day of
// following would do. Checked against the same run:
//   soak_memory_10000  resident memory after the run, against the contents plus the base
//                      measured before the first cycle (no growth beyond the file)
//   soak_drift_10000   mean cycle time of the last 1000 cycles, against that of the first 1000
//                      plus what the file's growth explains: the growth of a baseline that
//                      reads the whole file into a reused buffer and compares it with a copy
//                      (the work an append cycle has to do), measured at the same cycles
// The last lines printed are "ratio NAME VALUE limit LIMIT".

#include "benchclock.h"
#include "benchhost.h"
#include "core/documentwindow.h"
#include "core/mainwindow.h"
#include "core/module1.h"
#include "core/refresh/posixfilesystem.h"
#include "core/refresh/systemclock.h"
#include "document/view/richtextview.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

using namespace Orvik;

namespace {

constexpr int Cycles = 10000;
constexpr int Window = 1000; // cycles compared at each end
constexpr int AppendBytes = 512;

using SoakMain = BenchHost<RichTextView>;

// About 512 bytes of log lines, numbered so that no two appends are alike.
QByteArray appendText(int cycle) {
    QByteArray text;
    for (int line = 0; text.size() < AppendBytes; ++line) {
        char buffer[128];
        std::snprintf(buffer, sizeof buffer, "2026-12-06 22:%02d:%02d [%s] cycle %d line %d\n",
                      cycle / 60 % 60, cycle % 60, (cycle + line) % 29 ? "INFO " : "ERROR", cycle,
                      line);
        text += buffer;
    }
    text.truncate(AppendBytes - 1);
    text += '\n';
    return text;
}

void appendTo(const QByteArray &path, const QByteArray &bytes) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size()) {
        std::perror("append");
        std::exit(1);
    }
    ::close(fd);
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("soak.log"));
    const QByteArray name = QFile::encodeName(path);
    appendTo(name, QByteArray());

    PosixFileSystem fs;
    SystemClock clock;
    SoakMain main;
    Module1 module(fs, clock);
    module.MainForm = &main;
    module.HighLightString = QStringLiteral("error");
    module.OpenDocument(path);
    // The base includes what the first text shown costs once (fonts, glyph caches), so
    // that only what grows with the run is left for the ratio.
    appendTo(name, appendText(-1));
    module.RefreshDocuments(0);
    (void)main.windows.back()->view.grab();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    const qint64 baseKB = statusKilobytes("VmRSS");

    WholeFileBaseline baseline;
    double cycleFirst = 0, cycleLast = 0, baseFirst = 0, baseLast = 0;
    for (int cycle = 0; cycle < Cycles; ++cycle) {
        appendTo(name, appendText(cycle));
        const double cycleStart = threadSeconds();
        module.RefreshDocuments(0);
        main.windows.back()->view.updateGeometryNow();
        const double cycleSeconds = threadSeconds() - cycleStart;
        const bool first = cycle < Window;
        const bool last = cycle >= Cycles - Window;
        if (first || last) {
            const double baseStart = threadSeconds();
            baseline.run(name);
            const double baseSeconds = threadSeconds() - baseStart;
            (first ? cycleFirst : cycleLast) += cycleSeconds;
            (first ? baseFirst : baseLast) += baseSeconds;
        }
        if (cycle % 100 == 0)
            QCoreApplication::processEvents(); // what the event loop does between ticks
    }
    QCoreApplication::processEvents();
    baseline = WholeFileBaseline(); // its buffers are not the follower's memory
    malloc_trim(0);                 // nor is what the allocator keeps of them

    const qint64 contents = module.DocContents[1].size();
    const bool followed = contents == qint64(Cycles + 1) * AppendBytes &&
                          main.windows.back()->view.text().size() == contents;
    const qint64 afterKB = statusKilobytes("VmRSS");
    const double memoryRatio = double(afterKB) / double(baseKB + contents / 1024);
    const double drift =
        (cycleLast / Window) / ((cycleFirst / Window) + qMax(0.0, (baseLast - baseFirst) / Window));

    std::printf("soak: %d cycles, contents %lld KB, base %lld KB, resident after %lld KB\n", Cycles,
                (long long)contents / 1024, (long long)baseKB, (long long)afterKB);
    std::printf("soak: mean cycle first %.1f us, last %.1f us; baseline first %.1f us, "
                "last %.1f us\n",
                cycleFirst / Window * 1e6, cycleLast / Window * 1e6, baseFirst / Window * 1e6,
                baseLast / Window * 1e6);
    if (!followed) {
        std::printf("soak: the view did not follow the file\n");
        return 1;
    }
    std::printf("ratio soak_memory_10000 %.2f limit 1.1\n", memoryRatio);
    std::printf("ratio soak_drift_10000 %.2f limit 1.5\n", drift);
    return 0;
}
