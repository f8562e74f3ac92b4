#include "shell/settingsstore.h"

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
    void handEditedListReadsAsText();
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
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("text");
    QTest::newRow("blanks at both ends") << "Settings"
                                         << "  ERROR  ";
    QTest::newRow("commas") << "MRU Documents"
                            << "/var/log/a,b.log";
    QTest::newRow("semicolon and equals") << "Settings"
                                          << "a;b=c";
    QTest::newRow("leading at sign") << "Settings"
                                     << "@Variant(x)";
    QTest::newRow("quotes and backslashes") << "MRU Documents"
                                            << "\"C:\\logs\\a.log\"";
    QTest::newRow("non-ASCII") << "MRU Documents"
                               << "/home/jörg/Протокол.log";
}

void tst_SettingsStore::textsComeBackExactly() {
    QFETCH(QString, section);
    QFETCH(QString, text);
    const QString file = path(QStringLiteral("exact.conf"));
    QFile::remove(file);
    {
        IniSettingsStore store(file);
        store.write(section, QStringLiteral("01"), text);
        QVERIFY(store.flush(nullptr));
    }
    IniSettingsStore store(file);
    QCOMPARE(store.read(section, QStringLiteral("01"), QString()), text);
}

void tst_SettingsStore::handEditedListReadsAsText() {
    const QString file = path(QStringLiteral("edited.conf"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[Settings]\nFontName=Courier New, Bold\n");
    f.close();
    IniSettingsStore store(file);
    QCOMPARE(store.read(QStringLiteral("Settings"), QStringLiteral("FontName"), QString()),
             QStringLiteral("Courier New, Bold"));
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
