#include "core/iniformat.h"

#include <QBuffer>
#include <QtTest>

using namespace Orvik;

class tst_IniFormat : public QObject {
    Q_OBJECT

private slots:
    void sectionNamesAreWrittenPlain();
    void handEditedFileReadsAsWritten();
    void damagedFileKeepsWhatIsIntact();
};

void tst_IniFormat::sectionNamesAreWrittenPlain() {
    QSettings::SettingsMap map;
    map.insert("MRU Documents/01", "/var/log/syslog");
    map.insert("Settings/Left", "1000");
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(writeOrvikIni(buffer, map));
    QCOMPARE(buffer.data(),
             QByteArray("[MRU Documents]\n01=/var/log/syslog\n\n[Settings]\nLeft=1000\n"));
}

void tst_IniFormat::handEditedFileReadsAsWritten() {
    QByteArray text = "; edited by hand\r\n[Settings]\r\n  FontName =Courier New \r\n"
                      "HighLightString=a,b\r\n[MRU Documents]\r\n01 = \"  spaced.log\"\r\n";
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    QSettings::SettingsMap map;
    QVERIFY(readOrvikIni(buffer, map));
    QCOMPARE(map.value("Settings/FontName").toString(), QString("Courier New"));
    QCOMPARE(map.value("Settings/HighLightString").toString(), QString("a,b"));
    QCOMPARE(map.value("MRU Documents/01").toString(), QString("  spaced.log"));
}

void tst_IniFormat::damagedFileKeepsWhatIsIntact() {
    static const char raw[] = "[Settings]\nFontSize=12\n\x00\xff\xfe garbage\n=novalue\nnokey\n"
                              "[broken\nRefreshInterval=250\n";
    QByteArray text(raw, sizeof(raw) - 1);
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    QSettings::SettingsMap map;
    QVERIFY(readOrvikIni(buffer, map));
    QCOMPARE(map.value("Settings/FontSize").toString(), QString("12"));
    QCOMPARE(map.value("Settings/RefreshInterval").toString(), QString("250"));
    QCOMPARE(map.size(), 2);
}

QTEST_GUILESS_MAIN(tst_IniFormat)
#include "tst_iniformat.moc"
