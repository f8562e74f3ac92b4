#include "shell/settingsstore.h"

#include "core/iniformat.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Orvik;

class tst_SettingsStore : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void storeLivesInTheUserConfigFolder();
    void absentKeyGivesTheDefault();
    void emptyTextIsNotAbsent();
    void textsComeBackExactly_data();
    void textsComeBackExactly();
    void unreadableStoreGivesEveryDefault();
    void unwritableStoreFailsToFlush();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void tst_SettingsStore::initTestCase() {
    QVERIFY(m_dir.isValid());
    // Never the user's own settings, whatever the environment says.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("config"))));
}

void tst_SettingsStore::storeLivesInTheUserConfigFolder() {
    QCOMPARE(IniSettingsStore::defaultPath(),
             m_dir.filePath(QStringLiteral("config/Orvik/Orvik.conf")));
    IniSettingsStore store;
    store.write(QStringLiteral("Settings"), QStringLiteral("FontName"), QStringLiteral("Arial"));
    QVERIFY(store.flush(nullptr));
    QFile file(m_dir.filePath(QStringLiteral("config/Orvik/Orvik.conf")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.contains("[Settings]"));
    QVERIFY(text.contains("FontName=Arial"));
}

void tst_SettingsStore::absentKeyGivesTheDefault() {
    IniSettingsStore store(path(QStringLiteral("absent.conf")));
    QCOMPARE(store.read(QStringLiteral("Settings"), QStringLiteral("Left"), QStringLiteral("1000")),
             QStringLiteral("1000"));
}

void tst_SettingsStore::emptyTextIsNotAbsent() {
    const QString file = path(QStringLiteral("empty.conf"));
    {
        IniSettingsStore store(file);
        store.write(QStringLiteral("Settings"), QStringLiteral("FontName"), QString());
        QVERIFY(store.flush(nullptr));
    }
    IniSettingsStore store(file);
    QCOMPARE(
        store.read(QStringLiteral("Settings"), QStringLiteral("FontName"), QStringLiteral("Arial")),
        QString());
}

void tst_SettingsStore::textsComeBackExactly_data() {
    QTest::addColumn<QByteArray>("stored"); // the line as the file holds it
    QTest::addColumn<QString>("text");
    QTest::newRow("blanks around = are not part of it")
        << QByteArray("01 = /var/log/syslog") << "/var/log/syslog";
    QTest::newRow("blanks after a value are not part of it")
        << QByteArray("01=/var/log/syslog \t") << "/var/log/syslog";
    QTest::newRow("quoted blanks at both ends") << QByteArray("01=\"  ERROR  \"") << "  ERROR  ";
    QTest::newRow("quoted value between blanks") << QByteArray("01 = \" x \" ") << " x ";
    QTest::newRow("commas") << QByteArray("01=/var/log/a,b.log") << "/var/log/a,b.log";
    QTest::newRow("comma and blank") << QByteArray("01=Courier New, Bold") << "Courier New, Bold";
    QTest::newRow("semicolon and equals") << QByteArray("01=a;b=c") << "a;b=c";
    QTest::newRow("leading at sign") << QByteArray("01=@Variant(x)") << "@Variant(x)";
    QTest::newRow("quotes and backslashes")
        << QByteArray("01=\"\\\"C:\\\\logs\\\\a.log\\\"\"") << "\"C:\\logs\\a.log\"";
    QTest::newRow("line breaks") << QByteArray("01=\"one\\ntwo\\r\\nthree\"")
                                 << "one\ntwo\r\nthree";
    QTest::newRow("non-ASCII") << QByteArray("01=/home/jörg/Протокол.log")
                               << "/home/jörg/Протокол.log";
}

// Each text is read from the bytes a person or the program wrote, never from a cache of
// this process.
void tst_SettingsStore::textsComeBackExactly() {
    QFETCH(QByteArray, stored);
    QFETCH(QString, text);
    const QString tag = QString::fromUtf8(QTest::currentDataTag());
    QFile edited(path(tag + QStringLiteral(".edited.conf")));
    QVERIFY(edited.open(QIODevice::WriteOnly));
    edited.write("[Settings]\n" + stored + "\n");
    edited.close();
    QCOMPARE(IniSettingsStore(edited.fileName()).read("Settings", "01", QString()), text);

    QFile written(path(tag + QStringLiteral(".written.conf")));
    IniSettingsStore store(written.fileName());
    store.write(QStringLiteral("Settings"), QStringLiteral("01"), text);
    QVERIFY(store.flush(nullptr));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QSettings::SettingsMap map;
    QVERIFY(readOrvikIni(written, map));
    QCOMPARE(map.value(QStringLiteral("Settings/01")).toString(), text);
}

void tst_SettingsStore::unreadableStoreGivesEveryDefault() {
    // A folder where the file should be cannot be read, not even by root.
    const QString file = path(QStringLiteral("folder.conf"));
    QVERIFY(QDir().mkpath(file));
    IniSettingsStore store(file);
    QCOMPARE(store.read(QStringLiteral("Settings"), QStringLiteral("Top"), QStringLiteral("1000")),
             QStringLiteral("1000"));
}

void tst_SettingsStore::unwritableStoreFailsToFlush() {
    // A plain file where the store's folder should be.
    const QString blocker = path(QStringLiteral("blocker"));
    QFile f(blocker);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    IniSettingsStore store(blocker + QStringLiteral("/Orvik/Orvik.conf"));
    store.write(QStringLiteral("Settings"), QStringLiteral("FontName"), QStringLiteral("Arial"));
    QString error;
    QVERIFY(!store.flush(&error));
    QVERIFY(error.contains(QLatin1String("Orvik.conf")));
}

QTEST_GUILESS_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
