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
class tst_HostileSettings : public QObject {
    Q_OBJECT

    // True once the process has a handler for SIGTERM (the program is ready to shut down
    // cleanly), false if it ended or a minute passed first.
    static bool waitForTerminationHandler(qint64 pid) {
        QElapsedTimer elapsed;
        elapsed.start();
        while (!elapsed.hasExpired(60000)) {
            QFile f(QStringLiteral("/proc/%1/status").arg(pid));
            if (!f.open(QIODevice::ReadOnly))
                return false;
            const QByteArray status = f.readAll();
            const qsizetype at = status.indexOf("SigCgt:");
            if (status.mid(at + 7, 17).trimmed().toULongLong(nullptr, 16) & (1ull << (SIGTERM - 1)))
                return true;
            sched_yield();
        }
        return false;
    }

private slots:
    void startsAndExitsNormally_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<char>("layout"); // settings file 'f', a folder 'd', folder is a file 'x'
        std::mt19937 random(6);
        QByteArray binary(4096, '\0');
        for (char &c : binary)
            c = char(random());
        QTest::newRow("corrupt") << QByteArray(
                                        "[Settings\nLeft==\x01\nRefreshInterval=\"12\n[[x]]\n"
                                        "FontSize=99999999999999999999\n")
                                 << 'f';
        QTest::newRow("truncated")
            << QByteArray("[Settings]\nLeft=1000\nTop=10\nRefreshInt") << 'f';
        QTest::newRow("binary") << binary << 'f';
        QTest::newRow("damaged rules")
            << QByteArray("[Highlight Rules]\nCount=-7\nRule1=\"(((\",0,1,#zzzzzz,1,1\n"
                          "Rule2=\"\\\",1,1,#000000,1,1\nRule3=\"(?:a+)+$\",0,1,#000000,1,1\n")
            << 'f';
        QTest::newRow("settings file is a folder") << QByteArray() << 'd';
        // Run as root, no folder can be made read-only; a file where the folder belongs makes the
        // store just as unwritable.
        QTest::newRow("configuration folder cannot be made") << QByteArray() << 'x';
    }
    void startsAndExitsNormally() {
        QFETCH(QByteArray, text);
        QFETCH(char, layout);
        QTemporaryDir home;
        const QString config = home.filePath("config"), runtime = home.filePath("runtime");
        const QString folder = config + "/Orvik", path = folder + "/Orvik.conf";
        QVERIFY(QDir().mkpath(config) && QDir().mkpath(runtime));
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
        QVERIFY(layout == 'x' || QDir().mkpath(layout == 'd' ? path : folder));
        QFile file(layout == 'x' ? folder : path);
        QVERIFY(layout == 'd' || (file.open(QIODevice::WriteOnly) && file.write(text) >= 0));
        file.close();

        QProcess orvik;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", config);
        env.insert("XDG_RUNTIME_DIR", runtime);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        orvik.setProcessEnvironment(env);
        orvik.start(QStringLiteral(ORVIK_BINARY), {});
        QVERIFY(orvik.waitForStarted()); // exec'd: no longer this test's copy with its handlers
        QVERIFY2(waitForTerminationHandler(orvik.processId()), "the program did not come up");
        ::kill(pid_t(orvik.processId()), SIGTERM);
        QVERIFY(orvik.waitForFinished(60000));
        const QString errors = QString::fromLocal8Bit(orvik.readAllStandardError());
        QVERIFY2(orvik.exitStatus() == QProcess::NormalExit && orvik.exitCode() == 0,
                 qPrintable(errors));
        // Written back with usable values, or left as it was and reported (always reported
        // where the store cannot be written).
        if (errors.contains(path))
            return;
        QVERIFY2(layout == 'f', qPrintable(errors));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString written = QString::fromLatin1(file.readAll());
        const QRegularExpressionMatch interval =
            QRegularExpression(QStringLiteral("\\nRefreshInterval=(\\d+)")).match(written);
        QVERIFY2(interval.hasMatch() && written.contains("\nFontName="), qPrintable(written));
        QVERIFY(interval.captured(1).toInt() >= 100 && interval.captured(1).toInt() <= 60000);
    }
};

QTEST_GUILESS_MAIN(tst_HostileSettings)
#include "tst_hostilesettings.moc"
