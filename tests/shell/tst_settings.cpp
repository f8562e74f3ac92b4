#include "shell/mrulist.h"
#include "shell/settings.h"
#include "shell/settingsstore.h"

#include "support/fakeclock.h"
#include "support/fakemainwindow.h"

#include "core/module1.h"
#include "core/posixfilesystem.h"

#include <QTemporaryDir>
#include <QtTest>

#include <map>

using namespace Orvik;

namespace {
// An in-memory store that records the order of reads and writes.
class RecordingStore : public SettingsStore {
public:
    QString read(const QString &section, const QString &key, const QString &defaultValue) override {
        reads << section + QLatin1Char('/') + key;
        const auto it = values.find(section + QLatin1Char('/') + key);
        return it == values.end() ? defaultValue : it->second;
    }
    void write(const QString &section, const QString &key, const QString &value) override {
        writes << section + QLatin1Char('/') + key + QLatin1Char('=') + value;
        values[section + QLatin1Char('/') + key] = value;
    }
    bool flush(QString *) override { return true; }

    void set(const QString &key, const QString &value) { values[key] = value; }

    std::map<QString, QString> values;
    QStringList reads;
    QStringList writes;
};
} // namespace

class tst_Settings : public QObject {
    Q_OBJECT

private slots:
    void firstRunDefaults();
    void keysAreReadInOrder();
    void refreshInterval_data();
    void refreshInterval();
    void fontSize_data();
    void fontSize();
    void booleans_data();
    void booleans();
    void geometry_data();
    void geometry();
    void textsAreKeptAsStored();
    void keysAreWrittenInOrder();
    void minimisedWindowKeepsTheEarlierFrame();
    void roundTripThroughTheFile();

    void emptyListShowsNothing();
    void listWithOnlySlotThree();
    void listIsWrittenTrimmedUnderAllTenKeys();

private:
    PosixFileSystem m_fileSystem;
    FakeClock m_clock;
};

void tst_Settings::firstRunDefaults() {
    RecordingStore store;
    Module1 module(m_fileSystem, m_clock);
    module.FontName = QStringLiteral("changed");
    const WindowTwips frame = Settings::LoadSettings(store, module);
    QCOMPARE(frame, (WindowTwips{1000, 1000, 6500, 6500}));
    QCOMPARE(module.FontName, QStringLiteral("Arial"));
    QCOMPARE(module.FontSize, 10);
    QVERIFY(!module.FontBold);
    QVERIFY(!module.FontItalic);
    QVERIFY(!module.FontUnderline);
    QCOMPARE(module.RefreshInterval, 1000);
    QCOMPARE(module.HighLightString, QString());
}

void tst_Settings::keysAreReadInOrder() {
    RecordingStore store;
    Module1 module(m_fileSystem, m_clock);
    Settings::LoadSettings(store, module);
    QCOMPARE(store.reads,
             (QStringList{"Settings/Left", "Settings/Top", "Settings/Width", "Settings/Height",
                          "Settings/FontName", "Settings/FontSize", "Settings/FontBold",
                          "Settings/FontItalic", "Settings/FontUnderline",
                          "Settings/RefreshInterval", "Settings/HighLightString"}));
}

void tst_Settings::refreshInterval_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("interval");
    QTest::newRow("below the limit rises to 100") << "50" << 100;
    QTest::newRow("above the limit falls to 60000") << "75000" << 60000;
    QTest::newRow("no number reads 0, limited to 100") << "abc" << 100;
    QTest::newRow("empty text reads 0, limited to 100") << "" << 100;
    QTest::newRow("leading number with a unit") << "1000ms" << 1000;
    QTest::newRow("leading blank skipped") << " 250" << 250;
    QTest::newRow("blanks inside skipped") << "2 5 0" << 250;
    QTest::newRow("half rounds to even, down") << "250.5" << 250;
    QTest::newRow("half rounds to even, up") << "251.5" << 252;
    QTest::newRow("hexadecimal") << "&H3E8" << 1000;
    QTest::newRow("negative limited to 100") << "-5" << 100;
    QTest::newRow("beyond 32 bits gives the default") << "99999999999" << 1000;
    QTest::newRow("limits themselves stay") << "60000" << 60000;
}

void tst_Settings::refreshInterval() {
    QFETCH(QString, stored);
    QFETCH(int, interval);
    RecordingStore store;
    store.set(QStringLiteral("Settings/RefreshInterval"), stored);
    Module1 module(m_fileSystem, m_clock);
    Settings::LoadSettings(store, module);
    QCOMPARE(module.RefreshInterval, interval);
}

void tst_Settings::fontSize_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("size");
    QTest::newRow("12.5 gives 12") << "12.5" << 12;
    QTest::newRow("13.5 gives 14") << "13.5" << 14;
    QTest::newRow("empty text gives 0") << "" << 0;
    QTest::newRow("no limit on the size") << "500" << 500;
    QTest::newRow("negative kept") << "-3" << -3;
    QTest::newRow("leading number") << "11pt" << 11;
    QTest::newRow("beyond 32 bits gives the default") << "1e12" << 10;
}

void tst_Settings::fontSize() {
    QFETCH(QString, stored);
    QFETCH(int, size);
    RecordingStore store;
    store.set(QStringLiteral("Settings/FontSize"), stored);
    Module1 module(m_fileSystem, m_clock);
    Settings::LoadSettings(store, module);
    QCOMPARE(module.FontSize, size);
}

void tst_Settings::booleans_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("value");
    QTest::newRow("True") << "True" << true;
    QTest::newRow("upper case TRUE") << "TRUE" << true;
    QTest::newRow("lower case true") << "true" << true;
    QTest::newRow("False") << "False" << false;
    QTest::newRow("fALSE") << "fALSE" << false;
    QTest::newRow("1 is true") << "1" << true;
    QTest::newRow("-1 is true") << "-1" << true;
    QTest::newRow("0 is false") << "0" << false;
    QTest::newRow("surrounding blanks") << " True " << true;
    QTest::newRow("not a boolean gives the default") << "yes" << false;
    QTest::newRow("empty text gives the default") << "" << false;
}

void tst_Settings::booleans() {
    QFETCH(QString, stored);
    QFETCH(bool, value);
    for (const char *key : {"FontBold", "FontItalic", "FontUnderline"}) {
        RecordingStore store;
        store.set(QStringLiteral("Settings/") + QLatin1String(key), stored);
        Module1 module(m_fileSystem, m_clock);
        Settings::LoadSettings(store, module);
        const bool read = QLatin1String(key) == QLatin1String("FontBold") ? module.FontBold
                          : QLatin1String(key) == QLatin1String("FontItalic")
                              ? module.FontItalic
                              : module.FontUnderline;
        QCOMPARE(read, value);
    }
}

void tst_Settings::geometry_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<double>("left");
    QTest::newRow("whole twips") << "1500" << 1500.0;
    QTest::newRow("negative, off screen, unchanged") << "-60" << -60.0;
    QTest::newRow("far off screen, unchanged") << "250000" << 250000.0;
    QTest::newRow("surrounding blanks") << " 2000 " << 2000.0;
    QTest::newRow("fraction") << "1234.5" << 1234.5;
    QTest::newRow("not a number gives the default") << "left" << 1000.0;
    QTest::newRow("trailing text gives the default") << "1500px" << 1000.0;
    QTest::newRow("empty text gives the default") << "" << 1000.0;
    QTest::newRow("beyond 32 bits gives the default") << "1e12" << 1000.0;
}

void tst_Settings::geometry() {
    QFETCH(QString, stored);
    QFETCH(double, left);
    RecordingStore store;
    store.set(QStringLiteral("Settings/Left"), stored);
    store.set(QStringLiteral("Settings/Height"), QStringLiteral("4000"));
    Module1 module(m_fileSystem, m_clock);
    const WindowTwips frame = Settings::LoadSettings(store, module);
    QCOMPARE(frame.left, left);
    QCOMPARE(frame.top, 1000.0);
    QCOMPARE(frame.height, 4000.0);
}

void tst_Settings::textsAreKeptAsStored() {
    RecordingStore store;
    store.set(QStringLiteral("Settings/FontName"), QString());
    store.set(QStringLiteral("Settings/HighLightString"), QStringLiteral("  ERROR "));
    Module1 module(m_fileSystem, m_clock);
    Settings::LoadSettings(store, module);
    QCOMPARE(module.FontName, QString());
    QCOMPARE(module.HighLightString, QStringLiteral("  ERROR "));
}

void tst_Settings::keysAreWrittenInOrder() {
    RecordingStore store;
    Module1 module(m_fileSystem, m_clock);
    module.FontName = QStringLiteral(" Courier New ");
    module.FontSize = 10;
    module.FontItalic = true;
    module.RefreshInterval = 100;
    module.HighLightString = QStringLiteral(" x ");
    Settings::SaveSettings(store, module, WindowTwips{-60, 1000, 6500.5, 9000});
    QCOMPARE(store.writes,
             (QStringList{"Settings/Left=-60", "Settings/Top=1000", "Settings/Width=6500.5",
                          "Settings/Height=9000", "Settings/FontName= Courier New ",
                          "Settings/FontSize=10", "Settings/FontBold=False",
                          "Settings/FontItalic=True", "Settings/FontUnderline=False",
                          "Settings/HighLightString= x ", "Settings/RefreshInterval=100"}));
}

void tst_Settings::minimisedWindowKeepsTheEarlierFrame() {
    RecordingStore store;
    Module1 module(m_fileSystem, m_clock);
    Settings::SaveSettings(store, module, std::nullopt);
    QCOMPARE(store.writes.size(), 7);
    QVERIFY(store.writes.first().startsWith(QLatin1String("Settings/FontName=")));
}

void tst_Settings::roundTripThroughTheFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Orvik.conf"));
    Module1 saved(m_fileSystem, m_clock);
    saved.FontName = QStringLiteral("DejaVu Sans Mono");
    saved.FontSize = 13;
    saved.FontBold = true;
    saved.FontUnderline = true;
    saved.RefreshInterval = 250;
    saved.HighLightString = QStringLiteral(" ERROR ");
    {
        IniSettingsStore store(path);
        Settings::SaveSettings(store, saved, WindowTwips{1500, 750, 9000, 7500});
        QVERIFY(store.flush(nullptr));
    }
    IniSettingsStore store(path);
    Module1 loaded(m_fileSystem, m_clock);
    QCOMPARE(Settings::LoadSettings(store, loaded), (WindowTwips{1500, 750, 9000, 7500}));
    QCOMPARE(loaded.displayFont(), saved.displayFont());
    QCOMPARE(loaded.RefreshInterval, 250);
    QCOMPARE(loaded.HighLightString, QStringLiteral(" ERROR "));
}

void tst_Settings::emptyListShowsNothing() {
    RecordingStore store;
    FakeMainWindow window;
    Module1 module(m_fileSystem, m_clock);
    module.MainForm = &window;
    MRUList::LoadMRUList(store, module);
    QStringList keys;
    for (int i = 1; i <= 10; ++i)
        keys << QStringLiteral("MRU Documents/") + MRUList::key(i);
    QCOMPARE(store.reads, keys);
    QCOMPARE(keys.first(), QStringLiteral("MRU Documents/01"));
    QCOMPARE(keys.last(), QStringLiteral("MRU Documents/10"));
    for (int i = 1; i <= 10; ++i)
        QVERIFY(!window.menu.visible[i]);
    QVERIFY(!window.menu.separatorVisible);
}

void tst_Settings::listWithOnlySlotThree() {
    RecordingStore store;
    store.set(QStringLiteral("MRU Documents/03"), QStringLiteral("/var/log/syslog"));
    FakeMainWindow window;
    Module1 module(m_fileSystem, m_clock);
    module.MainForm = &window;
    MRUList::LoadMRUList(store, module);
    QCOMPARE(module.MRUFiles[3], QStringLiteral("/var/log/syslog"));
    for (int i = 1; i <= 10; ++i)
        QCOMPARE(window.menu.visible[i], i == 3);
    QCOMPARE(window.menu.captions[3], QStringLiteral("/var/log/syslog"));
    QVERIFY(window.menu.separatorVisible);
}

void tst_Settings::listIsWrittenTrimmedUnderAllTenKeys() {
    RecordingStore store;
    Module1 module(m_fileSystem, m_clock);
    module.MRUFiles[1] = QStringLiteral(" /tmp/a.log ");
    module.MRUFiles[2] = QStringLiteral("   ");
    module.MRUFiles[3] = QStringLiteral("\t/tmp/tab.log");
    MRUList::SaveMRUList(store, module);
    QStringList expected{"MRU Documents/01=/tmp/a.log",
                         "MRU Documents/02=", "MRU Documents/03=\t/tmp/tab.log"};
    for (int i = 4; i <= 10; ++i)
        expected << QStringLiteral("MRU Documents/%1=").arg(i, 2, 10, QLatin1Char('0'));
    QCOMPARE(store.writes, expected);
}

QTEST_MAIN(tst_Settings)
#include "tst_settings.moc"
