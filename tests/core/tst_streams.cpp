#include "support/coreharness.h"

#include "core/content/bytestore.h"
#include "core/content/textlimit.h"
#include "core/refreshcycle.h"
#include "core/stream/streamsource.h"

#include <QElapsedTimer>
#include <QtTest>

#include <csignal>
#include <unistd.h>

using namespace Orvik;

namespace {
bool groupGone(qint64 group) {
    return ::kill(pid_t(-group), 0) != 0 && errno == ESRCH;
}
} // namespace

// Standard input and commands followed as documents, through the refresh cycle's workers.
class tst_Streams : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(StreamSource::waitForAllStopped(std::chrono::seconds(10))); }

    // What a stream shows and how its caption ends; the empty command is standard input.
    void streamEnds_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("end");
        QTest::newRow("standard input that ends") << "" << QByteArray("in 1\nin 2\n") << "ended";
        QTest::newRow("exits 0") << "printf 'a\\nb\\n'" << QByteArray("a\nb\n")
                                 << "ended with status 0";
        QTest::newRow("fails: the shell's message shown")
            << "orvik-no-such-command" << QByteArray("orvik-no-such-command: not found\n")
            << "ended with status 127";
        QTest::newRow("killed") << "echo x; kill -KILL $$" << QByteArray("x\n")
                                << "ended by signal KILL";
        QTest::newRow("no final line break")
            << "printf partial" << QByteArray("partial") << "ended with status 0";
        QTest::newRow("standard error in order of arrival")
            << "echo out; echo err >&2; echo out2" << QByteArray("out\nerr\nout2\n")
            << "ended with status 3"; // see below: exit status given
    }
    void streamEnds() {
        QFETCH(QString, command);
        QFETCH(QByteArray, text);
        QFETCH(QString, end);
        if (end == QLatin1String("ended with status 3"))
            command += QStringLiteral("; exit 3");
        CoreHarness h;
        int input[2] = {-1, -1};
        if (command.isEmpty()) {
            QVERIFY(::pipe(input) == 0);
            h.module.StandardInput = input[0];
            h.module.OpenStandardInput();
            QVERIFY(::write(input[1], text.constData(), size_t(text.size())) == text.size());
            ::close(input[1]);
        } else {
            h.module.OpenCommand(command);
        }
        const QString name =
            command.isEmpty() ? StreamSource::StandardInputName : QStringLiteral("$ ") + command;
        QTRY_VERIFY(h.window(1)->caption().endsWith(" - " + end));
        QCOMPARE(h.window(1)->caption(), h.caption(name, h.module.DocFileSize[1]) + " - " + end);
        QVERIFY2(h.view(1).bytes().endsWith(text), h.view(1).bytes());
        // Never a recent file, never a file watched or looked at by a tick.
        QCOMPARE(h.module.MRUFiles[1], QString());
        const QString caption = h.window(1)->caption();
        h.module.timerUpdate_Timer();
        h.module.refreshCycle().waitForIdle();
        QCOMPARE(h.window(1)->caption(), caption);
        QVERIFY(h.view(1).bytes().endsWith(text));
    }

    // Closing the window, or the program, stops the whole group; one that ignores SIGTERM is
    // killed once the grace is over, and the close does not wait for it.
    void stopLeavesNoProcess_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("ignoresTerm");
        QTest::addColumn<bool>("quit");
        QTest::newRow("closed") << "echo ready; sleep 60" << false << false;
        QTest::newRow("ignores TERM, killed after the grace")
            << "trap '' TERM; echo ready; sleep 60; sleep 60" << true << false;
        QTest::newRow("quit") << "echo ready; sleep 60 & sleep 60" << false << true;
    }
    void stopLeavesNoProcess() {
        QFETCH(QString, command);
        QFETCH(bool, ignoresTerm);
        QFETCH(bool, quit);
        auto h = std::make_unique<CoreHarness>();
        h->module.StreamStopGrace = std::chrono::milliseconds(300);
        h->module.OpenCommand(command);
        const qint64 group = h->module.DocStream[1]->processGroup();
        QVERIFY(group > 0);
        QTRY_VERIFY(h->view(1).bytes() == "ready\n");
        QElapsedTimer clock;
        clock.start();
        if (quit)
            h.reset();
        else
            h->module.RemoveDocument(1);
        QVERIFY(clock.elapsed() < 200);
        QVERIFY(StreamSource::waitForAllStopped(std::chrono::seconds(5)));
        if (ignoresTerm)
            QVERIFY(clock.elapsed() >= 300);
        QTRY_VERIFY_WITH_TIMEOUT(groupGone(group), 10000);
    }

    // A command open already is activated, not started again; a file of the same name is a
    // file. Commands go into the recent commands, newest first, never into the recent files.
    void sameCommandActivatesTheFirst() {
        CoreHarness h;
        h.module.OpenCommand("echo one");
        h.module.OpenCommand("  echo one ");
        h.module.OpenCommand("echo two");
        QCOMPARE(h.module.DocCount, 2);
        QCOMPARE(h.window(1)->activations, 1);
        QCOMPARE(h.module.RecentCommands, QStringList({"echo two", "echo one"}));
        QCOMPARE(h.module.MRUFiles[1], QString());
        QTRY_VERIFY(h.window(2)->caption().endsWith(" - ended with status 0"));
    }

    // Output beyond the memory a document may hold, or past the longest text it may hold,
    // fails as a file would, and the command is stopped.
    void outOfMemoryStopsTheCommand_data() {
        QTest::addColumn<qint64>("storeLimit");
        QTest::addColumn<qint64>("textLimit");
        QTest::newRow("memory runs out") << qint64(8 << 20) << qint64(0);
        QTest::newRow("past the text limit")
            << std::numeric_limits<qint64>::max() << qint64(1 << 20);
    }
    void outOfMemoryStopsTheCommand() {
        QFETCH(qint64, storeLimit);
        QFETCH(qint64, textLimit);
        ByteStore::setReservationLimit(storeLimit);
        TextLimit::setForTests(textLimit);
        const auto restore = qScopeGuard([] {
            ByteStore::setReservationLimit(std::numeric_limits<qint64>::max());
            TextLimit::setForTests(0);
        });
        CoreHarness h;
        h.module.OpenCommand("yes | head -c 16000000; sleep 60");
        QTRY_VERIFY_WITH_TIMEOUT(
            h.window(1)->caption().endsWith("not enough memory to hold this file"), 20000);
        const qint64 group = h.module.DocStream[1]->processGroup();
        QTRY_VERIFY(groupGone(group));
        QCOMPARE(h.view(1).bytes(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(tst_Streams)
#include "tst_streams.moc"
