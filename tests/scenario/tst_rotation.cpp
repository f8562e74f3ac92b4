#include "support/guihost.h"

#include "core/refreshcycle.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <csignal>

#include <fcntl.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Orvik;

namespace {

const QString Logrotate = QStringLiteral("/usr/sbin/logrotate");
#define SKIP_WITHOUT_LOGROTATE()                                                                   \
    if (!QFileInfo(Logrotate).isExecutable())                                                      \
    QSKIP("logrotate is not installed (make deps installs it)")

// A writer process that keeps its log open for appending, as a daemon does, and writes
// numbered lines as fast as it can while not paused.
class LiveWriter {
public:
    explicit LiveWriter(const QString &path)
        : m_path(path) {
        // Dies with the test, also when the test dies without a word.
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_process.start("/bin/sh", {"-c",
                                    "i=0; while :; do i=$((i+1)); "
                                    "echo \"writer line $i, still appending\"; done >>\"$0\"",
                                    path});
        m_process.waitForStarted();
    }
    ~LiveWriter() {
        signal(SIGKILL);
        signal(SIGCONT);
        m_process.waitForFinished();
    }
    // Lets it write until its file grew by `bytes` (false after a minute without that).
    bool grow(qint64 bytes) {
        signal(SIGCONT);
        const qint64 from = QFileInfo(m_path).size();
        QElapsedTimer elapsed;
        elapsed.start();
        while (QFileInfo(m_path).size() < from + bytes && !elapsed.hasExpired(60000))
            sched_yield();
        return QFileInfo(m_path).size() >= from + bytes;
    }
    // Stops the writer and returns once it is stopped: no write of its is in flight then.
    void pause() {
        signal(SIGSTOP);
        siginfo_t info;
        waitid(P_PID, id_t(m_process.processId()), &info, WSTOPPED);
    }

private:
    void signal(int number) { ::kill(pid_t(m_process.processId()), number); }
    QString m_path;
    QProcess m_process;
};

} // namespace

// Logs followed through rotation and through the ways programs replace a file: after each
// change and a cycle the view holds exactly the file's bytes (or shows why it cannot be read),
// and the document in the slot after it is still followed.
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
    // A later second (so that a file that regrew to the same length is still seen as changed),
    // a cycle, and both views checked, also as a screen reader reads them.
    void checkBothFollowed(int seconds = 0) {
        if (seconds)
            h->files.setModified("app.log", QDateTime::currentDateTime().addSecs(seconds));
        h->files.append("tail.log", "tail line\n");
        h->cycle();
        for (int slot = 1; slot <= 2; ++slot) {
            VERIFY_VIEW_EQUALS_FILE(*h, slot);
            const QString shown = h->view(slot).plainText();
            QAccessibleTextInterface *text =
                QAccessible::queryAccessibleInterface(&h->view(slot))->textInterface();
            QCOMPARE(text->characterCount(), int(shown.size()));
            QCOMPARE(text->text(0, int(shown.size())), shown);
        }
        h->paint();
    }

private slots:
    void init() {
        h = std::make_unique<GuiHost>();
        h->show();
        // Read on the workers, as the program does.
        h->module().setBackgroundCycles(true);
        h->module().refreshCycle().setMarkPassApart(0);
        h->module().HighLightString = QStringLiteral("line");
        path = h->files.write("app.log", "first line\n");
        h->files.write("tail.log", "tail\n");
        h->open("app.log");
        h->open("tail.log");
        // The first cycle marks both texts whole, on the workers too.
        h->module().HighLightString = QStringLiteral("tail");
        h->module().HighLightPending = true;
    }

    void rotatedWithLiveWriter_data() {
        QTest::addColumn<QByteArray>("directive");
        QTest::newRow("copytruncate") << QByteArray("copytruncate");
        QTest::newRow("create, the writer reopening its log") << QByteArray("create 0644");
    }
    void rotatedWithLiveWriter() {
        QFETCH(QByteArray, directive);
        SKIP_WITHOUT_LOGROTATE();
        for (int round = 1; round <= 3; ++round) {
            auto writer = std::make_unique<LiveWriter>(path);
            QVERIFY(writer->grow(4096));
            h->cycle(); // the file grows while it is read
            rotate(directive);
            // Truncated, the file regrows; renamed away, the writer goes on in app.log.1.
            QVERIFY(directive.startsWith("create") || writer->grow(100));
            h->cycle();
            writer->pause();
            checkBothFollowed(100 * round);
            if (directive.startsWith("create")) { // a restart, as a postrotate script does
                writer = std::make_unique<LiveWriter>(path);
                QVERIFY(writer->grow(100));
                h->cycle();
                writer->pause();
                checkBothFollowed(100 * round + 50);
                QVERIFY(!h->view(1).text().isEmpty());
            }
        }
    }

    void copytruncateWriterWithoutAppendLeavesAHole() {
        SKIP_WITHOUT_LOGROTATE();
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

    void replacedOrTruncated_data() {
        QTest::addColumn<char>("how");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("deleted, recreated with other text") << 'x' << QByteArray("new\n");
        QTest::newRow("deleted, recreated with the old text and more")
            << 'x' << QByteArray("first line\nand more\n");
        QTest::newRow("deleted, recreated empty") << 'x' << QByteArray();
        QTest::newRow("same length renamed onto it") << 'n' << QByteArray("other line\n");
        QTest::newRow("shorter renamed onto it") << 'n' << QByteArray("v4\n");
        QTest::newRow("truncated to zero") << 't' << QByteArray();
        QTest::newRow("truncated, then regrown with the old beginning")
            << 't' << QByteArray("first line\n");
        QTest::newRow("truncated and regrown longer between two cycles")
            << 'g' << QByteArray("a longer start than before\n");
        QTest::newRow("a directory for a while") << 'd' << QByteArray("readable again\n");
        QTest::newRow("a FIFO without a writer for a while, never opened")
            << 'f' << QByteArray("readable again\n");
    }
    void replacedOrTruncated() {
        QFETCH(char, how);
        QFETCH(QByteArray, after);
        if (how == 'x') {
            h->files.remove("app.log");
            h->cycle();
            QCOMPARE(h->view(1).text().size(), qint64(0)); // the missing file shows nothing
            h->files.write("app.log", after);
        } else if (how == 'n') {
            h->files.writeAt("app.log.tmp", after, QDateTime::currentDateTime().addSecs(10));
            h->files.rename("app.log.tmp", "app.log");
        } else if (how == 'd' || how == 'f') {
            // Opening a FIFO is not a read without effects: it releases a writer blocked until
            // a reader comes, whose data then goes nowhere.
            h->files.remove("app.log");
            how == 'f' ? h->files.makeFifo("app.log") : h->files.makeDirectory("app.log");
            const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
            QVERIFY(how == 'd' ||
                    inotify_add_watch(watch, QFile::encodeName(path).constData(), IN_OPEN) >= 0);
            for (int i = 0; i < 3; ++i) { // returns every time: nothing blocks on the FIFO
                h->cycle();
                QCOMPARE(h->document(1)->caption(), path + QStringLiteral(" - not a regular file"));
                QCOMPARE(h->view(1).text().size(), qint64(0));
            }
            char events[4096];
            const ssize_t n = ::read(watch, events, sizeof events);
            ::close(watch);
            QVERIFY2(n < 0 && errno == EAGAIN, "the FIFO was opened");
            how == 'f' ? h->files.remove("app.log") : void(QDir(path).removeRecursively());
            h->files.write("app.log", after);
        } else {
            h->files.truncate("app.log", 0);
            if (how == 't') {
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
