#include "support/filewriter.h"

#include "core/posixfilesystem.h"
#include "core/systemclock.h"

#include <QtTest>

using namespace Orvik;

// The real file system: stamps, the size probe and reads, with the paths a monitored name
// may turn out to be.
class tst_PosixFileSystem : public QObject {
    Q_OBJECT

private slots:
    void stampIsLocalTimeInWholeSeconds();
    void stampOfMissingPathDescribesTheError_data();
    void stampOfMissingPathDescribesTheError();
    void probe_data();
    void probe();
    void probeIsSixtyFourBit();
    void openRefusesWhatIsNotARegularFile_data();
    void openRefusesWhatIsNotARegularFile();
    void readStopsAtTheSizeTheOpenSaw();
    void readSeesAShrinkAsAnEarlyEnd();
    void systemClockIsMonotonic();
};

void tst_PosixFileSystem::stampIsLocalTimeInWholeSeconds() {
    FileWriter files;
    const QDateTime when(QDate(2024, 3, 9), QTime(8, 7, 6));
    const QString path = files.writeAt("a", "x", when);
    PosixFileSystem fs;
    QString error;
    const QDateTime stamp = fs.lastModified(path, &error);
    QCOMPARE(stamp, when);
    QCOMPARE(stamp.timeSpec(), Qt::LocalTime);
    QCOMPARE(stamp.time().msec(), 0);
    QVERIFY(error.isEmpty());
}

void tst_PosixFileSystem::stampOfMissingPathDescribesTheError_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("description");
    QTest::newRow("missing file") << "/nonexistent-orvik/a.log"
                                  << "No such file or directory";
    QTest::newRow("empty path") << ""
                                << "No such file or directory";
    QTest::newRow("file used as folder") << "/etc/passwd/x"
                                         << "Not a directory";
}

void tst_PosixFileSystem::stampOfMissingPathDescribesTheError() {
    QFETCH(QString, path);
    QFETCH(QString, description);
    PosixFileSystem fs;
    QString error;
    QVERIFY(!fs.lastModified(path, &error).isValid());
    QCOMPARE(error, description);
}

void tst_PosixFileSystem::probe_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<qint64>("size");
    QTest::newRow("regular file") << "file" << qint64(5);
    QTest::newRow("empty file") << "empty" << qint64(0);
    QTest::newRow("missing file gives -1") << "missing" << qint64(-1);
    QTest::newRow("FIFO is not opened") << "fifo" << qint64(-1);
}

void tst_PosixFileSystem::probe() {
    QFETCH(QString, kind);
    QFETCH(qint64, size);
    FileWriter files;
    QString path = files.path("x");
    if (kind == QLatin1String("file"))
        files.write("x", "12345");
    else if (kind == QLatin1String("empty"))
        files.write("x", "");
    else if (kind == QLatin1String("fifo"))
        path = files.makeFifo("x");
    PosixFileSystem fs;
    QCOMPARE(fs.FileSizeProbe(path), size);
}

void tst_PosixFileSystem::probeIsSixtyFourBit() {
    FileWriter files;
    const QString path = files.write("big", "");
    const qint64 size = (qint64(5) << 30) + 7; // sparse: takes no space
    files.truncate("big", size);
    PosixFileSystem fs;
    QCOMPARE(fs.FileSizeProbe(path), size);
    QString error;
    const auto reader = fs.openForRead(path, &error);
    QVERIFY(reader);
    QCOMPARE(reader->size(), size);
}

void tst_PosixFileSystem::openRefusesWhatIsNotARegularFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("description");
    QTest::newRow("directory") << "dir"
                               << "not a regular file";
    QTest::newRow("FIFO") << "fifo"
                          << "not a regular file";
    QTest::newRow("device") << "device"
                            << "not a regular file";
    QTest::newRow("missing") << "missing"
                             << "No such file or directory";
}

void tst_PosixFileSystem::openRefusesWhatIsNotARegularFile() {
    QFETCH(QString, kind);
    QFETCH(QString, description);
    FileWriter files;
    QString path = files.path("missing");
    if (kind == QLatin1String("dir"))
        path = files.makeDirectory("d");
    else if (kind == QLatin1String("fifo"))
        path = files.makeFifo("p");
    else if (kind == QLatin1String("device"))
        path = QStringLiteral("/dev/null");
    PosixFileSystem fs;
    QString error;
    QVERIFY(!fs.openForRead(path, &error));
    QCOMPARE(error, description);
}

void tst_PosixFileSystem::readStopsAtTheSizeTheOpenSaw() {
    FileWriter files;
    const QString path = files.write("grow", "abc");
    PosixFileSystem fs;
    QString error;
    const auto reader = fs.openForRead(path, &error);
    QVERIFY(reader);
    files.append("grow", "defgh");
    char buffer[16];
    QCOMPARE(reader->read(buffer, sizeof buffer), qint64(3));
    QCOMPARE(QByteArray(buffer, 3), QByteArray("abc"));
    QCOMPARE(reader->read(buffer, sizeof buffer), qint64(0));
}

void tst_PosixFileSystem::readSeesAShrinkAsAnEarlyEnd() {
    FileWriter files;
    const QString path = files.write("shrink", "abcdef");
    PosixFileSystem fs;
    QString error;
    const auto reader = fs.openForRead(path, &error);
    files.truncate("shrink", 2);
    char buffer[16];
    QCOMPARE(reader->read(buffer, sizeof buffer), qint64(2));
    QCOMPARE(reader->read(buffer, sizeof buffer), qint64(0));
}

void tst_PosixFileSystem::systemClockIsMonotonic() {
    SystemClock clock;
    const double a = clock.monotonicSeconds();
    const double b = clock.monotonicSeconds();
    QVERIFY(b >= a);
    QVERIFY(qAbs(clock.currentDateTime().secsTo(QDateTime::currentDateTime())) <= 1);
    QCOMPARE(clock.currentDateTime().timeSpec(), Qt::LocalTime);
}

QTEST_GUILESS_MAIN(tst_PosixFileSystem)
#include "tst_posixfilesystem.moc"
