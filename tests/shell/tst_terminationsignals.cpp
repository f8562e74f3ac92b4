#include "shell/terminationsignals.h"

#include <QSignalSpy>
#include <QtTest>

#include <cerrno>
#include <csignal>

using namespace Orvik;

class tst_TerminationSignals : public QObject {
    Q_OBJECT

private slots:
    void signalsArriveOnTheEventLoop_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("session ending (SIGTERM)") << int(SIGTERM);
        QTest::newRow("terminal closed (SIGHUP)") << int(SIGHUP);
        QTest::newRow("Ctrl+C (SIGINT)") << int(SIGINT);
    }
    void signalsArriveOnTheEventLoop() {
        QFETCH(int, signalNumber);
        TerminationSignals termination;
        QSignalSpy spy(&termination, &TerminationSignals::terminationRequested);
        // A burst far beyond what the pipe holds neither blocks the handler nor changes errno.
        for (int i = 0; i < 20000; ++i) {
            errno = EDOM;
            QCOMPARE(std::make_pair(::raise(signalNumber), errno), std::make_pair(0, EDOM));
        }
        QCOMPARE(spy.size(), 0); // nothing runs inside the handler itself
        QTRY_VERIFY(!spy.isEmpty());
        QCOMPARE(spy.at(0).at(0).toInt(), signalNumber);
    }
};

QTEST_GUILESS_MAIN(tst_TerminationSignals)
#include "tst_terminationsignals.moc"
