#include "viewharness.h"

#include <QFileInfo>
#include <QProcess>

#include <QElapsedTimer>

#include <csignal>

#include <sched.h>

using namespace Orvik;

namespace {

const QString Logrotate = QStringLiteral("/usr/sbin/logrotate");

// A writer process that keeps its log open for appending, as a daemon does, and writes
// numbered lines as fast as it can. It runs only between pause() and resume(), so the test
// decides when the file stands still.
class LiveWriter {
public:
    explicit LiveWriter(const QString &path) {
        m_process.start(QStringLiteral("/bin/sh"),
                        {QStringLiteral("-c"),
                         QStringLiteral("i=0; while :; do i=$((i+1)); "
                                        "echo \"writer line $i, still appending\"; done >>\"$0\""),
                         path});
        m_process.waitForStarted();
    }
    ~LiveWriter() {
        ::kill(pid_t(m_process.processId()), SIGKILL);
        ::kill(pid_t(m_process.processId()), SIGCONT);
        m_process.waitForFinished();
    }
    bool running() const { return m_process.state() == QProcess::Running; }
    // Returns once the writer has added at least `bytes` to the file at `path` (false after
    // a minute without that progress): a running writer makes progress on its own.
    static bool waitForGrowth(const QString &path, qint64 bytes) {
        const qint64 from = QFileInfo(path).size();
        QElapsedTimer elapsed;
        elapsed.start();
        while (QFileInfo(path).size() < from + bytes) {
            if (elapsed.hasExpired(60000))
                return false;
            sched_yield();
        }
        return true;
    }
    void resume() { ::kill(pid_t(m_process.processId()), SIGCONT); }
    // Stops the writer and returns once it is stopped: no write of its is in flight then.
    void pause() {
        const pid_t pid = pid_t(m_process.processId());
        ::kill(pid, SIGSTOP);
        const QString stat = QStringLiteral("/proc/%1/stat").arg(pid);
        for (;;) {
            QFile f(stat);
            if (!f.open(QIODevice::ReadOnly))
                return;
            const QByteArray line = f.readAll();
            const int close = line.lastIndexOf(')');
            if (close < 0 || line.mid(close + 2, 1) == "T")
                return;
        }
    }

private:
    QProcess m_process;
};

// A writer holding one descriptor across the test, with or without O_APPEND.
class HeldWriter {
public:
    HeldWriter(const QString &path, bool appendMode) {
        m_fd = ::open(QFile::encodeName(path).constData(),
                      O_WRONLY | O_CREAT | O_CLOEXEC | (appendMode ? O_APPEND : 0), 0644);
        if (!appendMode)
            ::lseek(m_fd, 0, SEEK_END);
    }
    ~HeldWriter() { ::close(m_fd); }
    void line(const QByteArray &text) {
        const QByteArray bytes = text + '\n';
        QCOMPARE(::write(m_fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    }

private:
    int m_fd = -1;
};

// Runs logrotate once, forced, on `path` with `directives`, with its own state file.
bool rotate(ViewHarness &h, const QString &path, const QByteArray &directives, QString *why) {
    const QString conf =
        h.files.write(QStringLiteral("logrotate.conf"),
                      QFile::encodeName(path) +
                          " {\n    rotate 5\n    missingok\n    nocompress\n" + directives + "}\n");
    QProcess logrotate;
    logrotate.start(Logrotate, {QStringLiteral("-f"), QStringLiteral("-s"),
                                h.files.path("logrotate.state"), conf});
    if (!logrotate.waitForFinished(60000) || logrotate.exitStatus() != QProcess::NormalExit ||
        logrotate.exitCode() != 0) {
        *why = QString::fromLocal8Bit(logrotate.readAllStandardError());
        return false;
    }
    return true;
}

#define ROTATE(h, path, directives)                                                                \
    do {                                                                                           \
        QString why_;                                                                              \
        QVERIFY2(rotate(h, path, directives, &why_), qPrintable(why_));                            \
    } while (false)

} // namespace

// Logs followed through rotation and through the ways programs replace a file: after each
// change and a cycle, the view holds exactly the file's current bytes, and the document in
// the slot after it is still followed.
class tst_Rotation : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void copytruncateWithLiveWriter();
    void copytruncateWriterWithoutAppendLeavesAHole();
    void createWithLiveWriterReopening();

    void deleteAndRecreate_data();
    void deleteAndRecreate();
    void renameOntoTheWatchedName();
    void truncateToZeroThenGrow();

private:
    // Appends to the tail document (slot `slot`) and checks that one cycle follows it.
    void checkTailFollowed(ViewHarness &h, int slot);
};

void tst_Rotation::initTestCase() {
    if (!QFileInfo(Logrotate).isExecutable())
        QSKIP("logrotate is not installed (make deps installs it)");
}

void tst_Rotation::checkTailFollowed(ViewHarness &h, int slot) {
    h.files.append(QStringLiteral("tail.log"), "tail line\n");
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, slot);
    QVERIFY(
        h.window(slot)->caption().startsWith(h.module.DocFileName[slot] + QStringLiteral(" - ")));
}

void tst_Rotation::copytruncateWithLiveWriter() {
    ViewHarness h;
    const QString path = h.files.write(QStringLiteral("app.log"), "first line\n");
    h.files.write(QStringLiteral("tail.log"), "tail\n");
    h.open(QStringLiteral("app.log"));
    h.open(QStringLiteral("tail.log"));
    LiveWriter writer(path);
    QVERIFY(writer.running());

    for (int round = 1; round <= 4; ++round) {
        writer.resume();
        QVERIFY(LiveWriter::waitForGrowth(path, 4096));
        h.cycle(); // the file grows while it is read
        ROTATE(h, path, "    copytruncate\n");
        QVERIFY(LiveWriter::waitForGrowth(path, 100));
        h.cycle();
        writer.pause();
        // A later second, so that a rotated file that regrew to the same length is still
        // seen as changed (within one second it would not be).
        h.files.setModified(QStringLiteral("app.log"),
                            QDateTime::currentDateTime().addSecs(100 * round));
        h.cycle();
        VERIFY_VIEW_EQUALS_FILE(h, 1);
        QVERIFY(QFileInfo::exists(path + QStringLiteral(".1")));
        h.paint();
    }
    checkTailFollowed(h, 2);
}

void tst_Rotation::copytruncateWriterWithoutAppendLeavesAHole() {
    ViewHarness h;
    const QString path = h.files.write(QStringLiteral("app.log"), QByteArray());
    h.files.write(QStringLiteral("tail.log"), "tail\n");
    HeldWriter writer(path, false);
    for (int i = 0; i < 50; ++i)
        writer.line("before rotation " + QByteArray::number(i));
    h.open(QStringLiteral("app.log"));
    h.open(QStringLiteral("tail.log"));
    VERIFY_VIEW_EQUALS_FILE(h, 1);
    const qint64 before = h.module.DocFileSize[1];

    ROTATE(h, path, "    copytruncate\n");
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, 1);
    QCOMPARE(h.view(1).text().size(), qint64(0));

    // The writer goes on at its own offset: the file regrows with a hole of NUL bytes.
    writer.line("after rotation");
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, 1);
    const QByteArray shown = h.view(1).text().toByteArray();
    QCOMPARE(shown.left(before), QByteArray(before, '\0'));
    QVERIFY(shown.endsWith("after rotation\n"));
    h.paint();
    checkTailFollowed(h, 2);
}

void tst_Rotation::createWithLiveWriterReopening() {
    ViewHarness h;
    const QString path = h.files.write(QStringLiteral("app.log"), "first line\n");
    h.files.write(QStringLiteral("tail.log"), "tail\n");
    h.open(QStringLiteral("app.log"));
    h.open(QStringLiteral("tail.log"));

    for (int round = 1; round <= 3; ++round) {
        auto writer = std::make_unique<LiveWriter>(path);
        QVERIFY(LiveWriter::waitForGrowth(path, 4096));
        h.cycle();
        // Renamed away while written: the writer keeps writing into app.log.1.
        ROTATE(h, path, "    create 0644\n");
        h.cycle();
        writer->pause();
        h.files.setModified(QStringLiteral("app.log"),
                            QDateTime::currentDateTime().addSecs(100 * round));
        h.cycle();
        VERIFY_VIEW_EQUALS_FILE(h, 1);

        // The writer is told to reopen its log (a restart, as a postrotate script does).
        writer.reset();
        writer = std::make_unique<LiveWriter>(path);
        QVERIFY(LiveWriter::waitForGrowth(path, 100));
        h.cycle();
        writer->pause();
        h.files.setModified(QStringLiteral("app.log"),
                            QDateTime::currentDateTime().addSecs(100 * round + 50));
        h.cycle();
        VERIFY_VIEW_EQUALS_FILE(h, 1);
        QVERIFY(!h.view(1).text().isEmpty());
        h.paint();
    }
    checkTailFollowed(h, 2);
}

void tst_Rotation::deleteAndRecreate_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("recreated with other text") << QByteArray("old line\n") << QByteArray("new\n");
    QTest::newRow("recreated starting with the old text")
        << QByteArray("old line\n") << QByteArray("old line\nand more\n");
    QTest::newRow("recreated with the same text") << QByteArray("same\n") << QByteArray("same\n");
    QTest::newRow("recreated empty") << QByteArray("old line\n") << QByteArray();
}

void tst_Rotation::deleteAndRecreate() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    ViewHarness h;
    const QString path = h.files.write(QStringLiteral("app.log"), before);
    h.files.write(QStringLiteral("tail.log"), "tail\n");
    h.open(QStringLiteral("app.log"));
    h.open(QStringLiteral("tail.log"));
    VERIFY_VIEW_EQUALS_FILE(h, 1);

    h.files.remove(QStringLiteral("app.log"));
    h.files.append(QStringLiteral("tail.log"), "follows at once\n");
    h.cycle();
    QVERIFY(h.window(1)->caption().startsWith(path + QStringLiteral(" - ")));
    QVERIFY(h.window(1)->caption().size() > path.size() + 3);
    QCOMPARE(h.view(1).text().size(), qint64(0));
    QCOMPARE(h.view(2).text().toByteArray(), QByteArray("tail\nfollows at once\n"));

    h.files.write(QStringLiteral("app.log"), after);
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, 1);
    VERIFY_VIEW_EQUALS_FILE(h, 2);
    QVERIFY(h.window(1)->caption().endsWith(QStringLiteral(" Bytes")));
    checkTailFollowed(h, 2);
}

void tst_Rotation::renameOntoTheWatchedName() {
    ViewHarness h;
    h.files.write(QStringLiteral("app.log"), "version one\n");
    h.files.write(QStringLiteral("tail.log"), "tail\n");
    h.open(QStringLiteral("app.log"));
    h.open(QStringLiteral("tail.log"));
    const QDateTime base = QDateTime::currentDateTime();

    // Same length, other text, written beside and renamed into place a second later.
    h.files.writeAt(QStringLiteral("app.log.tmp"), "version two\n", base.addSecs(10));
    h.files.rename(QStringLiteral("app.log.tmp"), QStringLiteral("app.log"));
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, 1);
    QCOMPARE(h.view(1).text().toByteArray(), QByteArray("version two\n"));

    // A longer file that starts with the shown text: only the rest is new.
    h.files.writeAt(QStringLiteral("app.log.tmp"), "version two\nversion three\n",
                    base.addSecs(20));
    h.files.rename(QStringLiteral("app.log.tmp"), QStringLiteral("app.log"));
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, 1);

    // A shorter one.
    h.files.writeAt(QStringLiteral("app.log.tmp"), "v4\n", base.addSecs(30));
    h.files.rename(QStringLiteral("app.log.tmp"), QStringLiteral("app.log"));
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, 1);
    QVERIFY(h.window(1)->caption().endsWith(QStringLiteral(" - 3.0 Bytes")));
    checkTailFollowed(h, 2);
}

void tst_Rotation::truncateToZeroThenGrow() {
    ViewHarness h;
    h.files.write(QStringLiteral("app.log"), "line one\nline two\n");
    h.files.write(QStringLiteral("tail.log"), "tail\n");
    h.open(QStringLiteral("app.log"));
    h.open(QStringLiteral("tail.log"));

    h.files.truncate(QStringLiteral("app.log"), 0);
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, 1);
    QVERIFY(h.window(1)->caption().endsWith(QStringLiteral(" - 0.0 Bytes")));

    h.files.append(QStringLiteral("app.log"), "line one\n"); // the old beginning again
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, 1);
    h.files.append(QStringLiteral("app.log"), "line three\n");
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, 1);

    // Truncated and regrown longer between two cycles.
    h.files.truncate(QStringLiteral("app.log"), 0);
    h.files.append(QStringLiteral("app.log"), "another start, longer than before\n");
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, 1);
    h.paint();
    checkTailFollowed(h, 2);
}

QTEST_MAIN(tst_Rotation)
#include "tst_rotation.moc"
