#include "core/time/linetimes.h"
#include "core/time/timeform.h"

#include <QtTest>

#include <time.h>

using namespace Orvik;

Q_DECLARE_METATYPE(TimeForm::Kind)

namespace {

qint64 utc(const char *iso) {
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs).toMSecsSinceEpoch();
}

QDateTime local(const char *text) {
    return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate);
}

} // namespace

// The forms of time at the start of a line, read in the system zone Europe/Berlin (set in
// main), what the first lines of a document decide, and what Go to Time takes.
class tst_TimeForm : public QObject {
    Q_OBJECT

private slots:
    void timeAtLineStart_data() {
        QTest::addColumn<TimeForm::Kind>("kind");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QDateTime>("stamp");
        QTest::addColumn<qint64>("time");
        using K = TimeForm::Kind;
        const QDateTime dec = local("2026-12-08T20:00:00");
        const QDateTime newYear = local("2027-01-01T00:00:05");
        QTest::newRow("ISO, T, fraction with ., Z")
            << K::Iso << QByteArray("2026-12-08T13:58:42.803Z INFO x") << dec
            << utc("2026-12-08T13:58:42.803Z");
        QTest::newRow("ISO, blank, fraction with , local in winter")
            << K::Iso << QByteArray("2026-12-08 13:58:42,803 [main] x") << dec
            << utc("2026-12-08T12:58:42.803Z");
        QTest::newRow("ISO, local in summer")
            << K::Iso << QByteArray("2026-07-08 13:58:42 x") << dec << utc("2026-07-08T11:58:42Z");
        QTest::newRow("ISO, offset +01:00, one digit of fraction")
            << K::Iso << QByteArray("2026-12-08T13:58:42.5+01:00 x") << dec
            << utc("2026-12-08T12:58:42.500Z");
        QTest::newRow("ISO, offset -0530, six digits of fraction")
            << K::Iso << QByteArray("2026-12-08T13:58:42.123456-0530") << dec
            << utc("2026-12-08T19:28:42.123Z");
        QTest::newRow("journalctl short-iso")
            << K::Iso << QByteArray("2026-12-08T13:58:42+0100 host sshd[7]: x") << dec
            << utc("2026-12-08T12:58:42Z");
        QTest::newRow("RFC 5424 header")
            << K::Iso << QByteArray("<34>1 2026-12-08T13:58:42.003Z host a") << dec
            << utc("2026-12-08T13:58:42.003Z");
        QTest::newRow("before spring's change")
            << K::Iso << QByteArray("2026-03-29 01:59:59 x") << dec << utc("2026-03-29T00:59:59Z");
        QTest::newRow("after spring's change")
            << K::Iso << QByteArray("2026-03-29 03:00:00 x") << dec << utc("2026-03-29T01:00:00Z");
        QTest::newRow("before autumn's change")
            << K::Iso << QByteArray("2026-10-25 01:30:00 x") << dec << utc("2026-10-24T23:30:00Z");
        QTest::newRow("after autumn's change")
            << K::Iso << QByteArray("2026-10-25 03:30:00 x") << dec << utc("2026-10-25T02:30:00Z");
        QTest::newRow("syslog, year of the stamp")
            << K::Syslog << QByteArray("Dec  8 13:58:42 host app[1]: x") << dec
            << utc("2026-12-08T12:58:42Z");
        QTest::newRow("syslog with priority")
            << K::Syslog << QByteArray("<13>Dec 18 13:58:42 host x") << dec
            << utc("2026-12-18T12:58:42Z");
        QTest::newRow("syslog, December before a stamp at New Year")
            << K::Syslog << QByteArray("Dec 31 23:59:59 host x") << newYear
            << utc("2026-12-31T22:59:59Z");
        QTest::newRow("syslog, January after New Year")
            << K::Syslog << QByteArray("Jan  1 00:00:01 host x") << newYear
            << utc("2026-12-31T23:00:01Z");
        QTest::newRow("web log") << K::WebLog
                                 << QByteArray("192.168.1.7 - frank [08/Dec/2026:13:58:42 +0000]"
                                               " \"GET / HTTP/1.1\" 200 5")
                                 << dec << utc("2026-12-08T13:58:42Z");
        QTest::newRow("web log, offset -0700")
            << K::WebLog << QByteArray("example.org - - [08/Dec/2026:13:58:42 -0700] \"GET /\"")
            << dec << utc("2026-12-08T20:58:42Z");
        QTest::newRow("a line of digits is no time")
            << K::Iso << QByteArray("20261208 1234 x") << dec << NoTime;
        QTest::newRow("a number is no time") << K::Iso << QByteArray("12345 foo") << dec << NoTime;
        QTest::newRow("no 30 February")
            << K::Iso << QByteArray("2026-02-30 10:00:00 x") << dec << NoTime;
        QTest::newRow("a continuation")
            << K::Iso << QByteArray("    at Foo.bar(Foo.java:12)") << dec << NoTime;
        QTest::newRow("a time cut short")
            << K::Iso << QByteArray("2026-12-08T13:58:4") << dec << NoTime;
    }
    void timeAtLineStart() {
        QFETCH(TimeForm::Kind, kind);
        QFETCH(QByteArray, line);
        QFETCH(QDateTime, stamp);
        QFETCH(qint64, time);
        QCOMPARE(TimeForm(kind, stamp).parse(line.constData(), line.size()), time);
    }

    void formOfDocument_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<TimeForm::Kind>("kind");
        using K = TimeForm::Kind;
        QTest::newRow("ISO with a stack trace and a header")
            << QByteArray("Log opened\n2026-12-08 13:58:42,803 ERROR x\n  at a.b(C.java:1)\n"
                          "  at d.e(F.java:2)\n2026-12-08 13:58:43,001 INFO y\n")
            << K::Iso;
        QTest::newRow("syslog") << QByteArray("Dec  8 13:58:42 h a: x\nDec  8 13:58:43 h a: y\n")
                                << K::Syslog;
        QTest::newRow("web log") << QByteArray("1.2.3.4 - - [08/Dec/2026:13:58:42 +0000] \"G\"\n"
                                               "1.2.3.5 - - [08/Dec/2026:13:58:43 +0000] \"G\"\n")
                                 << K::WebLog;
        QTest::newRow("numbered lines with one time among them")
            << QByteArray("1 foo\n2 bar\n3 baz\n2026-12-08 13:58:42 x\n") << K::None;
        QTest::newRow("lines of digits") << QByteArray("20261208 1234\n20261208 1235\n") << K::None;
        QTest::newRow("plain text") << QByteArray("hello\nworld\n") << K::None;
        QTest::newRow("empty") << QByteArray() << K::None;
    }
    void formOfDocument() {
        QFETCH(QByteArray, text);
        QFETCH(TimeForm::Kind, kind);
        QCOMPARE(
            TimeForm::detect(text.constData(), text.size(), local("2026-12-08T20:00:00")).kind(),
            kind);
    }

    void wantedTime_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("time");
        QTest::newRow("hour and minute, the reference's local date")
            << "13:58" << utc("2026-12-09T12:58:00Z");
        QTest::newRow("seconds with a fraction")
            << " 13:58:42.5 " << utc("2026-12-09T12:58:42.500Z");
        QTest::newRow("date and minute") << "2026-07-01 13:58" << utc("2026-07-01T11:58:00Z");
        QTest::newRow("full ISO with Z")
            << "2026-12-08T13:58:42.803Z" << utc("2026-12-08T13:58:42.803Z");
        QTest::newRow("full ISO with an offset")
            << "2026-12-08T13:58:42+05:30" << utc("2026-12-08T08:28:42Z");
        QTest::newRow("no such hour") << "25:00" << NoTime;
        QTest::newRow("no such month") << "2026-13-01 10:00" << NoTime;
        QTest::newRow("words") << "yesterday" << NoTime;
        QTest::newRow("empty") << "" << NoTime;
    }
    void wantedTime() {
        QFETCH(QString, text);
        QFETCH(qint64, time);
        QCOMPARE(parseWantedTime(text, utc("2026-12-08T23:30:00Z")), time);
        if (time != NoTime)
            QCOMPARE(parseWantedTime(wantedTimeText(time), NoTime), time);
    }
};

int main(int argc, char **argv) {
    qputenv("TZ", "Europe/Berlin");
    tzset();
    QCoreApplication app(argc, argv);
    tst_TimeForm test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_timeform.moc"
