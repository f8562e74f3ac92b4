#include "shell/terminationsignals.h"

#include <QSignalSpy>
#include <QtTest>

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
        QCOMPARE(::raise(signalNumber), 0);
        QCOMPARE(spy.size(), 0); // nothing runs inside the handler itself
        QTRY_COMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), signalNumber);
    }
};

QTEST_GUILESS_MAIN(tst_TerminationSignals)
#include "tst_terminationsignals.moc"
