#include "about/systeminfotool.h"
#include "core/text/iniformat.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace Orvik;

namespace {
// A system-wide store stand-in that keeps typed values, as a native store does.
bool readTyped(QIODevice &device, QSettings::SettingsMap &map) {
    for (const QByteArray &line : device.readAll().split('\n')) {
        const QList<QByteArray> parts = line.split('\t');
        if (parts.size() == 3)
            map.insert(parts[0], parts[1] == "int" ? QVariant(parts[2].toInt()) : QVariant(true));
    }
    return true;
}
bool writeTyped(QIODevice &, const QSettings::SettingsMap &) {
    return true;
}
const QString Unavailable = QStringLiteral("System Information Is Unavailable At This Time");
} // namespace
// What is stored ("int:", "bool:": a typed value), whether it is read, the value read.
using KeyCase = std::tuple<QString, bool, QString>;
Q_DECLARE_METATYPE(KeyCase)
// SysInfo/Path (empty: absent), whether SysInfoLocation/Folder names the folder, whether the
// program is in it, what the starter answers, what started ("folder": the program in the
// folder), the message shown.
using LookupCase = std::tuple<QString, bool, bool, bool, QString, QString>;
Q_DECLARE_METATYPE(LookupCase)

class tst_SystemInfoTool : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void getKeyValue_data() {
        QTest::addColumn<KeyCase>("c");
        QTest::newRow("a path") << KeyCase{"/usr/bin/hardinfo", true, "/usr/bin/hardinfo"};
        QTest::newRow("the empty text") << KeyCase{"", true, ""};
        QTest::newRow("1023 bytes fit with the terminating zero")
            << KeyCase{QString(1023, 'p'), true, QString(1023, 'p')};
        QTest::newRow("1024 bytes do not fit") << KeyCase{QString(1024, 'p'), false, ""};
        QTest::newRow("cut at a zero character")
            << KeyCase{QString::fromUtf8("/bin/a\0tail", 11), true, "/bin/a"};
        QTest::newRow("a number in &h hex") << KeyCase{"int:500", true, "&h1F4"};
        QTest::newRow("a large number") << KeyCase{"int:16777231", true, "&h100000F"};
        QTest::newRow("another type leaves the text") << KeyCase{"bool:true", true, "left over"};
    }
    void getKeyValue() {
        QFETCH(KeyCase, c);
        auto [stored, read, value] = c;
        static int files = 0;
        const QString path = m_dir.filePath(QString::number(++files));
        static const QSettings::Format typed =
            QSettings::registerFormat("typed", readTyped, writeTyped);
        const bool isTyped = stored.startsWith("int:") || stored.startsWith("bool:");
        if (isTyped) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("SysInfo/Path\t" + stored.replace(':', '\t').toUtf8());
        } else {
            QSettings(path, orvikIniFormat()).setValue("SysInfo/Path", stored);
        }
        QSettings store(path, isTyped ? typed : orvikIniFormat());
        for (const QString key : {"SysInfo/Path", "SysInfo/Other", "NoSuchKey/Path"}) {
            QString keyVal = "left over";
            const bool found = SystemInfoTool::GetKeyValue(store, key.section('/', 0, 0),
                                                           key.section('/', 1), keyVal);
            QCOMPARE(found, key == "SysInfo/Path" && read);
            QCOMPARE(keyVal, key == "SysInfo/Path" ? value : QString());
        }
    }

    // The tool's path first; else the program in the named folder; else the message.
    void lookups_data() {
        QTest::addColumn<LookupCase>("c");
        const QString tools = "/opt/tools,x/sysinfo", none = "/no/such/program";
        QTest::newRow("the path names the program, a comma in it")
            << LookupCase{tools, true, true, true, tools, ""};
        QTest::newRow("the path wins even when its program is missing")
            << LookupCase{none, true, true, false, none, Unavailable};
        QTest::newRow("the folder needs the program")
            << LookupCase{"", true, false, true, "", Unavailable};
        QTest::newRow("the program in the folder")
            << LookupCase{"", true, true, true, "folder", ""};
        QTest::newRow("neither") << LookupCase{"", false, false, true, "", Unavailable};
        QTest::newRow("the real starter fails on no program")
            << LookupCase{"/no/program", false, false, false, "", Unavailable};
    }
    void lookups() {
        QFETCH(LookupCase, c);
        auto [path, folder, programThere, starts, started, message] = c;
        QTemporaryDir dir;
        QFile store(dir.filePath("system.conf")); // as an administrator writes it
        QVERIFY(store.open(QIODevice::WriteOnly));
        if (!path.isEmpty())
            store.write("[SysInfo]\nPath = " + QFile::encodeName(path) + "\n");
        if (folder)
            store.write("[SysInfoLocation]\nFolder=" + QFile::encodeName(dir.path()) + "\n");
        store.close();
        QFile program(dir.filePath(SystemInfoTool::ProgramFileName));
        QVERIFY(!programThere || program.open(QIODevice::WriteOnly));
        SystemInfoTool tool;
        tool.setStorePath(store.fileName());
        QStringList ran;
        if (!started.isEmpty() || starts)
            tool.setStarter(
                [&, starts = starts](const QString &program) { return ran << program, starts; });
        QString shown;
        tool.setMessenger(
            [&](const QString &text, const QString &title) { shown = title + ": " + text; });
        tool.StartSysInfo();
        if (started == "folder")
            started = dir.filePath("hardinfo");
        QCOMPARE(ran, started.isEmpty() ? QStringList() : QStringList{started});
        QCOMPARE(shown, message.isEmpty() ? "" : "Orvik: " + message);
    }
};

QTEST_MAIN(tst_SystemInfoTool)
#include "tst_systeminfotool.moc"
