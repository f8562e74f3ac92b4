#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <random>

#include <sched.h>

// The real program started on a settings store that is corrupt, truncated, binary, a folder,
// or in a configuration folder that cannot be made: it starts, and when the session ends it
// (SIGTERM, which it handles like closing its window) it exits normally, having written its
// settings or said on standard error which settings file it could not write.
namespace {

enum class Layout { File, FileIsAFolder, FolderIsAFile };

// True once the process has a handler for SIGTERM (the program is ready to shut down
// cleanly), false if it ended or a minute passed first.
bool waitForTerminationHandler(qint64 pid) {
    QElapsedTimer elapsed;
    elapsed.start();
    const QString status = QStringLiteral("/proc/%1/status").arg(pid);
    while (!elapsed.hasExpired(60000)) {
        QFile f(status);
        if (!f.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray &line : f.readAll().split('\n')) {
            if (line.startsWith("SigCgt:")) {
                const quint64 caught = line.mid(7).trimmed().toULongLong(nullptr, 16);
                if (caught & (quint64(1) << (SIGTERM - 1)))
                    return true;
            }
        }
        sched_yield();
    }
    return false;
}

} // namespace

class tst_HostileSettings : public QObject {
    Q_OBJECT

private slots:
    void startsAndExitsNormally_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("layout");

        std::mt19937 random(6);
        QByteArray binary(4096, '\0');
        for (char &c : binary)
            c = char(random());
        QTest::newRow("corrupt") << QByteArray(
                                        "[Settings\nLeft==\x01\nRefreshInterval=\"12\n[[x]]\n"
                                        "FontSize=99999999999999999999\n")
                                 << int(Layout::File);
        QTest::newRow("truncated")
            << QByteArray("[Settings]\nLeft=1000\nTop=10\nRefreshInt") << int(Layout::File);
        QTest::newRow("binary") << binary << int(Layout::File);
        QTest::newRow("settings file is a folder") << QByteArray() << int(Layout::FileIsAFolder);
        // Run as root, no folder can be made read-only; a file where the folder belongs makes the
        // store just as unwritable.
        QTest::newRow("configuration folder cannot be made")
            << QByteArray() << int(Layout::FolderIsAFile);
    }

    void startsAndExitsNormally() {
        QFETCH(QByteArray, text);
        QFETCH(int, layout);
        QTemporaryDir home;
        const QString config = home.filePath(QStringLiteral("config"));
        const QString folder = config + QStringLiteral("/Orvik");
        const QString path = folder + QStringLiteral("/Orvik.conf");
        QVERIFY(QDir().mkpath(config));
        QVERIFY(QDir().mkpath(home.filePath(QStringLiteral("runtime"))));
        QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                  QFileDevice::ExeOwner);
        if (layout == int(Layout::FolderIsAFile)) {
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        } else if (layout == int(Layout::FileIsAFolder)) {
            QVERIFY(QDir().mkpath(path));
        } else {
            QVERIFY(QDir().mkpath(folder));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
        }

        QProcess orvik;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("runtime")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        orvik.setProcessEnvironment(env);
        orvik.start(QStringLiteral(ORVIK_BINARY), {});
        QVERIFY(orvik.waitForStarted());
        QVERIFY2(waitForTerminationHandler(orvik.processId()), "the program did not come up");
        ::kill(pid_t(orvik.processId()), SIGTERM);
        QVERIFY(orvik.waitForFinished(60000));
        const QString errors = QString::fromLocal8Bit(orvik.readAllStandardError());
        QCOMPARE(orvik.exitStatus(), QProcess::NormalExit);
        QVERIFY2(orvik.exitCode() == 0, qPrintable(errors));

        const bool reported = errors.contains(path);
        if (layout != int(Layout::File)) {
            QVERIFY2(reported, qPrintable(errors)); // the store could not be written: said so
            return;
        }
        // Written back with usable values, or left as it was and reported.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString written = QString::fromLatin1(file.readAll());
        const QRegularExpressionMatch interval =
            QRegularExpression(QStringLiteral("\\nRefreshInterval=(\\d+)")).match(written);
        if (!reported) {
            QVERIFY2(interval.hasMatch(), qPrintable(written));
            QVERIFY(interval.captured(1).toInt() >= 100 && interval.captured(1).toInt() <= 60000);
            QVERIFY(written.contains(QStringLiteral("\nFontName=")));
        }
    }
};

QTEST_GUILESS_MAIN(tst_HostileSettings)
#include "tst_hostilesettings.moc"
