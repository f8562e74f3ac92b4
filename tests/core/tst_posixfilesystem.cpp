#include "support/filewriter.h"

#include "core/posixfilesystem.h"
#include "core/systemclock.h"

#include <QtTest>

using namespace Orvik;

// The real file system: stamps, the size probe and reads, with the things a monitored name
// may turn out to be.
class tst_PosixFileSystem : public QObject {
    Q_OBJECT
    FileWriter files;
    PosixFileSystem fs;

    QString make(const QString &kind) {
        if (kind == QLatin1String("file"))
            return files.write("file", "12345");
        if (kind == QLatin1String("empty"))
            return files.write("empty", "");
        if (kind == QLatin1String("directory"))
            return files.makeDirectory("dir");
        if (kind == QLatin1String("FIFO"))
            return files.makeFifo("fifo");
        return kind == QLatin1String("device") ? QStringLiteral("/dev/null") : files.path("none");
    }

private slots:
    void stampIsLocalTimeInWholeSeconds() {
        const QDateTime when(QDate(2024, 3, 9), QTime(8, 7, 6));
        QString error;
        const QDateTime stamp = fs.lastModified(files.writeAt("a", "x", when), &error);
        QCOMPARE(stamp, when);
        QCOMPARE(stamp.timeSpec(), Qt::LocalTime);
        QVERIFY(error.isEmpty());
        QVERIFY(!fs.lastModified(QStringLiteral("/etc/passwd/x"), &error).isValid());
        QCOMPARE(error, QStringLiteral("Not a directory"));
    }

    void probeAndOpen_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<qint64>("size");   // what the probe says (-2: whatever it says)
        QTest::addColumn<QString>("error"); // what the open says
        QTest::newRow("regular file") << "file" << qint64(5) << "";
        QTest::newRow("empty file") << "empty" << qint64(0) << "";
        QTest::newRow("missing") << "missing" << qint64(-1) << "No such file or directory";
        QTest::newRow("directory") << "directory" << qint64(-2) << "not a regular file";
        QTest::newRow("FIFO, never opened") << "FIFO" << qint64(-1) << "not a regular file";
        QTest::newRow("device") << "device" << qint64(-1) << "not a regular file";
    }
    void probeAndOpen() {
        QFETCH(QString, kind);
        QFETCH(qint64, size);
        QFETCH(QString, error);
        const QString path = make(kind);
        if (size != -2)
            QCOMPARE(fs.FileSizeProbe(path), size);
        QString opened;
        QCOMPARE(bool(fs.openForRead(path, &opened)), error.isEmpty());
        QCOMPARE(opened, error);
    }

    void sizesAreSixtyFourBit() {
        const qint64 size = (qint64(5) << 30) + 7; // sparse: takes no space
        const QString path = files.write("big", "");
        files.truncate("big", size);
        QCOMPARE(fs.FileSizeProbe(path), size);
        QString error;
        QCOMPARE(fs.openForRead(path, &error)->size(), size);
    }

    void readStopsAtTheSizeTheOpenSawOrEarlier() {
        const QString path = files.write("f", "abcdef");
        QString error;
        const auto reader = fs.openForRead(path, &error);
        files.append("f", "ghi");
        char buffer[16];
        QCOMPARE(reader->read(buffer, 3), qint64(3));
        files.truncate("f", 5);
        QCOMPARE(reader->read(buffer + 3, sizeof buffer - 3), qint64(2));
        QCOMPARE(reader->read(buffer, sizeof buffer), qint64(0));
        QCOMPARE(QByteArray(buffer, 5), QByteArray("abcde"));
    }

    void systemClockIsLocalAndMonotonic() {
        SystemClock clock;
        const double a = clock.monotonicSeconds();
        QVERIFY(clock.monotonicSeconds() >= a);
        QVERIFY(qAbs(clock.currentDateTime().secsTo(QDateTime::currentDateTime())) <= 1);
        QCOMPARE(clock.currentDateTime().timeSpec(), Qt::LocalTime);
    }
};

QTEST_GUILESS_MAIN(tst_PosixFileSystem)
#include "tst_posixfilesystem.moc"
