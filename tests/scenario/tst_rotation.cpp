#include "support/guihost.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <csignal>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

using namespace Orvik;

namespace {

const QString Logrotate = QStringLiteral("/usr/sbin/logrotate");

// A writer process that keeps its log open for appending, as a daemon does, and writes
// numbered lines as fast as it can while not paused.
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
    // Returns once the file at `path` grew by `bytes` (false after a minute without that).
    static bool waitForGrowth(const QString &path, qint64 bytes) {
        const qint64 from = QFileInfo(path).size();
        QElapsedTimer elapsed;
        elapsed.start();
        while (QFileInfo(path).size() < from + bytes && !elapsed.hasExpired(60000))
            sched_yield();
        return QFileInfo(path).size() >= from + bytes;
    }
    void resume() { ::kill(pid_t(m_process.processId()), SIGCONT); }
    // Stops the writer and returns once it is stopped: no write of its is in flight then.
    void pause() {
        ::kill(pid_t(m_process.processId()), SIGSTOP);
        for (;;) {
            QFile f(QStringLiteral("/proc/%1/stat").arg(m_process.processId()));
            if (!f.open(QIODevice::ReadOnly))
                return;
            const QByteArray line = f.readAll();
            if (line.mid(line.lastIndexOf(')') + 2, 1) == "T")
                return;
        }
    }

private:
    QProcess m_process;
};

} // namespace

// Logs followed through rotation and through the ways programs replace a file: after each
// change and a cycle the view holds exactly the file's bytes, and the document in the slot
// after it is still followed.
class tst_Rotation : public QObject {
    Q_OBJECT
    std::unique_ptr<GuiHost> h;
    QString path; // app.log, in slot 1; tail.log is in slot 2

    // Runs logrotate once, forced, with its own state file.
    void rotate(const QByteArray &directive) {
        const QString conf = h->files.write("logrotate.conf", QFile::encodeName(path) +
                                                                  " {\n rotate 5\n missingok\n " +
                                                                  directive + "\n}\n");
        QProcess logrotate;
        logrotate.start(Logrotate, {"-f", "-s", h->files.path("logrotate.state"), conf});
        QVERIFY(logrotate.waitForFinished(60000));
        QVERIFY2(logrotate.exitCode() == 0, logrotate.readAllStandardError().constData());
    }
    // A later second, so that a file that regrew to the same length is still seen as changed.
    void touch(int seconds) {
        h->files.setModified("app.log", QDateTime::currentDateTime().addSecs(seconds));
    }
    void checkBothFollowed() {
        h->files.append("tail.log", "tail line\n");
        h->cycle();
        VERIFY_VIEW_EQUALS_FILE(*h, 1);
        VERIFY_VIEW_EQUALS_FILE(*h, 2);
        h->paint();
    }

private slots:
    void initTestCase() {
        if (!QFileInfo(Logrotate).isExecutable())
            QSKIP("logrotate is not installed (make deps installs it)");
    }
    void init() {
        h = std::make_unique<GuiHost>();
        h->show();
        path = h->files.write("app.log", "first line\n");
        h->files.write("tail.log", "tail\n");
        h->open("app.log");
        h->open("tail.log");
    }

    void copytruncateWithLiveWriter() {
        LiveWriter writer(path);
        for (int round = 1; round <= 4; ++round) {
            writer.resume();
            QVERIFY(LiveWriter::waitForGrowth(path, 4096));
            h->cycle(); // the file grows while it is read
            rotate("copytruncate");
            QVERIFY(LiveWriter::waitForGrowth(path, 100));
            h->cycle();
            writer.pause();
            touch(100 * round);
            checkBothFollowed();
        }
    }

    void copytruncateWriterWithoutAppendLeavesAHole() {
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
        ::lseek(fd, 0, SEEK_END);
        const QByteArray lines = QByteArray("before rotation\n").repeated(50);
        QCOMPARE(::write(fd, lines.constData(), size_t(lines.size())), ssize_t(lines.size()));
        h->cycle();
        const qint64 before = h->module().DocFileSize[1];
        rotate("copytruncate");
        h->cycle();
        QCOMPARE(h->view(1).text().size(), qint64(0));
        // The writer goes on at its own offset: the file regrows with a hole of NUL bytes.
        QCOMPARE(::write(fd, "after rotation\n", 15), ssize_t(15));
        ::close(fd);
        checkBothFollowed();
        QCOMPARE(h->view(1).text().mid(0, before).toByteArray(), QByteArray(before, '\0'));
    }

    void createWithLiveWriterReopening() {
        for (int round = 1; round <= 3; ++round) {
            auto writer = std::make_unique<LiveWriter>(path);
            QVERIFY(LiveWriter::waitForGrowth(path, 4096));
            h->cycle();
            rotate("create 0644"); // renamed away while written: the writer goes on in app.log.1
            h->cycle();
            writer->pause();
            touch(100 * round);
            checkBothFollowed();
            // The writer reopens its log (a restart, as a postrotate script does).
            writer = std::make_unique<LiveWriter>(path);
            QVERIFY(LiveWriter::waitForGrowth(path, 100));
            h->cycle();
            writer->pause();
            touch(100 * round + 50);
            checkBothFollowed();
            QVERIFY(!h->view(1).text().isEmpty());
        }
    }

    void replacedOrTruncated_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("deleted, recreated with other text") << "delete" << QByteArray("new\n");
        QTest::newRow("deleted, recreated with the old text and more")
            << "delete" << QByteArray("first line\nand more\n");
        QTest::newRow("deleted, recreated empty") << "delete" << QByteArray();
        QTest::newRow("same length renamed onto it") << "rename" << QByteArray("other line\n");
        QTest::newRow("shorter renamed onto it") << "rename" << QByteArray("v4\n");
        QTest::newRow("truncated to zero") << "truncate" << QByteArray();
        QTest::newRow("truncated, then regrown with the old beginning")
            << "truncate" << QByteArray("first line\n");
        QTest::newRow("truncated and regrown longer between two cycles")
            << "regrow" << QByteArray("a longer start than before\n");
    }
    void replacedOrTruncated() {
        QFETCH(QString, how);
        QFETCH(QByteArray, after);
        if (how == QLatin1String("delete")) {
            h->files.remove("app.log");
            h->files.append("tail.log", "follows at once\n");
            h->cycle();
            QVERIFY(!h->document(1)->caption().endsWith(QStringLiteral("Bytes")));
            QCOMPARE(h->view(1).text().size(), qint64(0));
            QCOMPARE(h->view(2).text().toByteArray(), QByteArray("tail\nfollows at once\n"));
            h->files.write("app.log", after);
        } else if (how == QLatin1String("rename")) {
            h->files.writeAt("app.log.tmp", after, QDateTime::currentDateTime().addSecs(10));
            h->files.rename("app.log.tmp", "app.log");
        } else {
            h->files.truncate("app.log", 0);
            if (how == QLatin1String("truncate")) {
                h->cycle();
                VERIFY_VIEW_EQUALS_FILE(*h, 1);
            }
            h->files.append("app.log", after);
        }
        checkBothFollowed();
        QVERIFY(
            h->document(1)->caption().endsWith(QStringLiteral(" - %1.0 Bytes").arg(after.size())));
    }
};

QTEST_MAIN(tst_Rotation)
#include "tst_rotation.moc"
