#include "about/systeminfotool.h"
#include "core/iniformat.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace Orvik;

namespace {

// A system-wide store stand-in that also keeps typed values, as a native store does.
bool readTyped(QIODevice &device, QSettings::SettingsMap &map) {
    const QList<QByteArray> lines = device.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> parts = line.split('\t');
        if (parts.size() != 3)
            continue;
        const QString key = QString::fromUtf8(parts[0]);
        if (parts[1] == "int")
            map.insert(key, parts[2].toInt());
        else if (parts[1] == "bool")
            map.insert(key, parts[2] == "true");
        else
            map.insert(key, QString::fromUtf8(parts[2]));
    }
    return true;
}

bool writeTyped(QIODevice &, const QSettings::SettingsMap &) {
    return true;
}

} // namespace

class tst_SystemInfoTool : public QObject {
    Q_OBJECT

private slots:
    void init();
    void getKeyValueReadsText_data();
    void getKeyValueReadsText();
    void getKeyValueTypedValues();
    void firstLookupNamesTheProgram();
    void firstLookupWinsEvenWhenItsProgramIsMissing();
    void secondLookupNeedsTheProgramInTheFolder();
    void neitherLookupShowsTheMessage();
    void programThatCannotStartShowsTheMessage();

private:
    QSettings &store();
    void run(QString *started, QString *message, QString *title);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QSettings> m_store;
    SystemInfoTool m_tool;
    int m_starts = 0;
    bool m_startResult = true;
};

QSettings &tst_SystemInfoTool::store() {
    return *m_store;
}

void tst_SystemInfoTool::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_store = std::make_unique<QSettings>(m_dir->filePath("system.conf"), orvikIniFormat());
    m_tool.setStorePath(m_store->fileName());
    m_starts = 0;
    m_startResult = true;
}

void tst_SystemInfoTool::run(QString *started, QString *message, QString *title) {
    m_tool.setStarter([this, started](const QString &program) {
        ++m_starts;
        *started = program;
        return m_startResult;
    });
    m_tool.setMessenger([message, title](const QString &text, const QString &caption) {
        *message = text;
        *title = caption;
    });
    m_tool.StartSysInfo();
}

void tst_SystemInfoTool::getKeyValueReadsText_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("read");
    QTest::addColumn<QString>("value");

    QTest::newRow("a path") << "/usr/bin/hardinfo" << true << "/usr/bin/hardinfo";
    QTest::newRow("the empty text") << "" << true << "";
    QTest::newRow("1023 bytes fit with the terminating zero")
        << QString(1023, 'p') << true << QString(1023, 'p');
    QTest::newRow("1024 bytes do not fit") << QString(1024, 'p') << false << "";
    QTest::newRow("cut at a zero character")
        << QString::fromUtf8("/bin/a\0tail", 11) << true << "/bin/a";
    QTest::newRow("a text with commas") << "/opt/a, b" << true << "/opt/a, b";
}

void tst_SystemInfoTool::getKeyValueReadsText() {
    QFETCH(QString, stored);
    QFETCH(bool, read);
    QFETCH(QString, value);
    store().setValue("SysInfo/Path", stored);
    store().sync();
    QSettings reread(m_dir->filePath("system.conf"), orvikIniFormat());

    QString keyVal = "left over";
    QCOMPARE(SystemInfoTool::GetKeyValue(reread, "SysInfo", "Path", keyVal), read);
    QCOMPARE(keyVal, value);

    keyVal = "left over";
    QVERIFY(!SystemInfoTool::GetKeyValue(reread, "SysInfo", "Other", keyVal));
    QCOMPARE(keyVal, QString());
    keyVal = "left over";
    QVERIFY(!SystemInfoTool::GetKeyValue(reread, "NoSuchKey", "Path", keyVal));
    QCOMPARE(keyVal, QString());
}

void tst_SystemInfoTool::getKeyValueTypedValues() {
    const QSettings::Format typed = QSettings::registerFormat("typed", readTyped, writeTyped);
    const QString path = m_dir->filePath("typed.conf");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("K/number\tint\t500\nK/big\tint\t16777231\nK/flag\tbool\ttrue\n");
    file.close();
    QSettings typedStore(path, typed);

    QString keyVal;
    QVERIFY(SystemInfoTool::GetKeyValue(typedStore, "K", "number", keyVal));
    QCOMPARE(keyVal, QStringLiteral("&h1F4"));
    QVERIFY(SystemInfoTool::GetKeyValue(typedStore, "K", "big", keyVal));
    QCOMPARE(keyVal, QStringLiteral("&h100000F"));
    keyVal = "kept";
    QVERIFY(SystemInfoTool::GetKeyValue(typedStore, "K", "flag", keyVal));
    QCOMPARE(keyVal, QStringLiteral("kept"));
}

void tst_SystemInfoTool::firstLookupNamesTheProgram() {
    // As an administrator writes it: blanks around "=", a comma in the path.
    QFile file(m_dir->filePath("edited.conf"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[SysInfo]\nPath = /opt/tools,x/sysinfo\n[SysInfoLocation]\nFolder=" +
               QFile::encodeName(m_dir->path()) + "\n");
    file.close();
    m_tool.setStorePath(file.fileName());
    QString started, message, title;
    run(&started, &message, &title);
    QCOMPARE(started, QStringLiteral("/opt/tools,x/sysinfo"));
    QCOMPARE(m_starts, 1);
    QCOMPARE(message, QString());
}

void tst_SystemInfoTool::firstLookupWinsEvenWhenItsProgramIsMissing() {
    QFile program(m_dir->filePath(SystemInfoTool::ProgramFileName));
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.close();
    store().setValue("SysInfo/Path", "/no/such/program");
    store().setValue("SysInfoLocation/Folder", m_dir->path());
    m_startResult = false;
    QString started, message, title;
    run(&started, &message, &title);
    QCOMPARE(started, QStringLiteral("/no/such/program"));
    QCOMPARE(m_starts, 1);
    QCOMPARE(message, QStringLiteral("System Information Is Unavailable At This Time"));
    QCOMPARE(title, QStringLiteral("Orvik"));
}

void tst_SystemInfoTool::secondLookupNeedsTheProgramInTheFolder() {
    store().setValue("SysInfoLocation/Folder", m_dir->path());
    QString started, message, title;
    run(&started, &message, &title);
    QCOMPARE(m_starts, 0);
    QCOMPARE(message, QStringLiteral("System Information Is Unavailable At This Time"));

    QFile program(m_dir->filePath("hardinfo"));
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.close();
    message.clear();
    run(&started, &message, &title);
    QCOMPARE(m_starts, 1);
    QCOMPARE(started, m_dir->filePath("hardinfo"));
    QCOMPARE(message, QString());
}

void tst_SystemInfoTool::neitherLookupShowsTheMessage() {
    QString started, message, title;
    run(&started, &message, &title);
    QCOMPARE(m_starts, 0);
    QCOMPARE(message, QStringLiteral("System Information Is Unavailable At This Time"));
    QCOMPARE(title, QStringLiteral("Orvik"));
}

void tst_SystemInfoTool::programThatCannotStartShowsTheMessage() {
    // The real starter: a path that is no program fails to start.
    SystemInfoTool tool;
    tool.setStorePath(m_store->fileName());
    store().setValue("SysInfo/Path", m_dir->filePath("missing-program"));
    QString message;
    tool.setMessenger([&message](const QString &text, const QString &) { message = text; });
    tool.StartSysInfo();
    QCOMPARE(message, QStringLiteral("System Information Is Unavailable At This Time"));
}

QTEST_MAIN(tst_SystemInfoTool)
#include "tst_systeminfotool.moc"
