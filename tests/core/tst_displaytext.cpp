#include "core/pathtext.h"
#include "core/sizetext.h"
#include "core/timetext.h"

#include <QtTest>

using namespace Orvik;

// The texts the core shows or compares: path comparison, clock, caption date and time, size
// and duration.
class tst_DisplayText : public QObject {
    Q_OBJECT

private slots:
    void pathComparison_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("letter case ignored") << "/tmp/Log.txt"
                                             << "/TMP/log.TXT" << true;
        QTest::newRow("non-ASCII case ignored") << "/tmp/\u00e9"
                                                << "/tmp/\u00c9" << true;
        QTest::newRow("blanks at ends ignored") << "  /tmp/a "
                                                << "/tmp/a" << true;
        QTest::newRow("inner blank counts") << "/tmp/a b"
                                            << "/tmp/ab" << false;
        QTest::newRow("tab is not a blank") << "\t/tmp/a"
                                            << "/tmp/a" << false;
    }
    void pathComparison() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(pathComparisonForm(a) == pathComparisonForm(b), same);
    }

    void blankIsOnlySpaces() {
        QVERIFY(isBlank(QStringLiteral("   ")) && isBlank(QString()));
        QVERIFY(!isBlank(QStringLiteral(" x ")) && !isBlank(QStringLiteral("\t")));
        QCOMPARE(trimBlanks(QStringLiteral("\tx y  ")), QStringLiteral("\tx y"));
    }

    void clockText_data() {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("just after midnight reads 12 AM") << QTime(0, 5, 0) << "12:05:00 AM";
        QTest::newRow("morning, two digits") << QTime(9, 3, 7) << "09:03:07 AM";
        QTest::newRow("noon reads 12 PM") << QTime(12, 0, 0) << "12:00:00 PM";
        QTest::newRow("last second") << QTime(23, 59, 59) << "11:59:59 PM";
    }
    void clockText() {
        QFETCH(QTime, time);
        QFETCH(QString, text);
        QCOMPARE(Orvik::clockText(time, QLocale(QLocale::English, QLocale::UnitedStates)), text);
        const QLocale chinese(QLocale::Chinese, QLocale::China); // the locale's designators
        QCOMPARE(Orvik::clockText(time, chinese),
                 text.left(9) + (time.hour() < 12 ? chinese.amText() : chinese.pmText()));
    }

    void generalDateTimeHasNoTimeZone() {
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QDateTime when(QDate(2026, 12, 4), QTime(15, 52, 10));
        const QString text = generalDateTimeText(when, us);
        QVERIFY2(text.startsWith(us.toString(when.date(), QLocale::ShortFormat) + ' '),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("3:52:10")) && text.endsWith(us.pmText()),
                 qPrintable(text));
    }

    void sizeText_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << qint64(0) << "0.0 Bytes";
        QTest::newRow("1023 is still bytes") << qint64(1023) << "1023.0 Bytes";
        QTest::newRow("1024 is one kilobyte") << qint64(1024) << "1.0 KBytes";
        QTest::newRow("1536 is 1.5 kilobytes") << qint64(1536) << "1.5 KBytes";
        QTest::newRow("1048575 rounds to 1024.0 kilobytes") << qint64(1048575) << "1024.0 KBytes";
        QTest::newRow("1048576 is one megabyte") << qint64(1048576) << "1.0 MBytes";
        QTest::newRow("beyond 4 GiB") << qint64(5) * 1024 * 1048576 << "5120.0 MBytes";
    }
    void sizeText() {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(Orvik::sizeText(bytes, QLocale::c()), text);
        QCOMPARE(Orvik::sizeText(bytes, QLocale(QLocale::German, QLocale::Germany)),
                 QString(text).replace('.', ',')); // the locale's decimal point, no grouping
    }

    void durationText_data() {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("two decimals") << 0.05 << "Last Update Took 0.05 Seconds";
        QTest::newRow("rounded") << 1.234 << "Last Update Took 1.23 Seconds";
        QTest::newRow("tiny negative shows zero") << -0.001 << "Last Update Took 0.00 Seconds";
    }
    void durationText() {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(Orvik::durationText(seconds, QLocale::c()), text);
    }
};

QTEST_GUILESS_MAIN(tst_DisplayText)
#include "tst_displaytext.moc"
