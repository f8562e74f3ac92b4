#include "about/frmabout.h"
#include "document/twips.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include <sys/stat.h>

using namespace Orvik;

namespace {

const QString BuiltInStart = QStringLiteral("Orvik is a real-time file viewer");

QRect twips(int left, int top, int width, int height) {
    const int x = twipsToPixelsX(left);
    const int y = twipsToPixelsY(top);
    return QRect(x, y, twipsToPixelsX(left + width) - x, twipsToPixelsY(top + height) - y);
}

} // namespace

class tst_frmAbout : public QObject {
    Q_OBJECT

private slots:
    void init();
    void captionCarriesTheVersion_data();
    void captionCarriesTheVersion();
    void windowAndControlsSitAtTheirPlaces();
    void tabOrderAndButtons();
    void enterAndEscapeClose_data();
    void enterAndEscapeClose();
    void builtInDescriptionWithoutAboutFile();
    void aboutFileGoesAboveTheDescription();
    void aboutFileIsReadEachTimeTheWindowOpens();
    void hostileAboutFilesAreSurvived_data();
    void hostileAboutFilesAreSurvived();
    void fifoNamedLikeTheAboutFileDoesNotBlock();
    void systemInfoButtonStartsTheTool();

private:
    QString aboutPath() const { return m_dir->filePath("Orvik.rtf"); }
    void writeAbout(const QByteArray &bytes);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_frmAbout::init() {
    m_dir = std::make_unique<QTemporaryDir>();
}

void tst_frmAbout::writeAbout(const QByteArray &bytes) {
    QFile file(aboutPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

void tst_frmAbout::captionCarriesTheVersion_data() {
    QTest::addColumn<QVersionNumber>("version");
    QTest::addColumn<QString>("caption");
    QTest::newRow("1.0.0") << QVersionNumber(1, 0, 0) << "Orvik Version 1.0.0";
    QTest::newRow("2.5.12") << QVersionNumber(2, 5, 12) << "Orvik Version 2.5.12";
    QTest::newRow("missing parts are zero") << QVersionNumber(3) << "Orvik Version 3.0.0";
}

void tst_frmAbout::captionCarriesTheVersion() {
    QFETCH(QVersionNumber, version);
    QFETCH(QString, caption);
    QCOMPARE(frmAbout::captionFor("Orvik", version), caption);
}

void tst_frmAbout::windowAndControlsSitAtTheirPlaces() {
    frmAbout about(nullptr, aboutPath());
    QCOMPARE(about.windowTitle(), QStringLiteral("Orvik Version 1.0.0"));
    QCOMPARE(about.size(), QSize(twipsToPixelsX(7815), twipsToPixelsY(4560)));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QVERIFY(!(about.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(about.windowFlags() & Qt::WindowMaximizeButtonHint));

    QCOMPARE(about.findChild<QTextEdit *>("rtfText")->geometry(), twips(120, 120, 7455, 3615));
    // The text background colour, like a document's view.
    QCOMPARE(about.findChild<QTextEdit *>("rtfText")->palette().color(QPalette::Base),
             QGuiApplication::palette().color(QPalette::Base));
    QCOMPARE(about.findChild<QLabel *>("lblDisclaimer")->geometry(), twips(120, 4080, 4470, 345));
    QCOMPARE(about.findChild<QPushButton *>("cmdSysInfo")->geometry(),
             twips(4560, 4080, 1452, 345));
    QCOMPARE(about.findChild<QPushButton *>("cmdOK")->geometry(), twips(6240, 4080, 1467, 345));
    QCOMPARE(about.findChild<QPushButton *>("cmdSysInfo")->text(),
             QStringLiteral("&System Info..."));

    // The etched rule: a dark grey line with a white one right below it.
    auto *dark = about.findChild<QWidget *>("Line1_1");
    auto *light = about.findChild<QWidget *>("Line1_0");
    QVERIFY(dark && light);
    QCOMPARE(dark->palette().color(QPalette::Window), QColor(128, 128, 128));
    QCOMPARE(light->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(dark->height(), 1);
    QCOMPARE(light->height(), 2);
    QVERIFY(light->y() > dark->y());
    QCOMPARE(dark->x(), twipsToPixelsX(120));
    QCOMPARE(dark->x() + dark->width(), twipsToPixelsX(7560));
}

void tst_frmAbout::tabOrderAndButtons() {
    frmAbout about(nullptr, aboutPath());
    auto *ok = about.findChild<QPushButton *>("cmdOK");
    auto *sysInfo = about.findChild<QPushButton *>("cmdSysInfo");
    auto *text = about.findChild<QTextEdit *>("rtfText");
    QList<QWidget *> order;
    QWidget *w = ok;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            order.append(w);
        w = w->nextInFocusChain();
    } while (w != ok && order.size() < 10);
    QCOMPARE(order.mid(0, 3), (QList<QWidget *>{ok, sysInfo, text}));
    QVERIFY(ok->isDefault());
}

void tst_frmAbout::enterAndEscapeClose_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
}

void tst_frmAbout::enterAndEscapeClose() {
    QFETCH(int, key);
    frmAbout about(nullptr, aboutPath());
    about.show();
    QVERIFY(about.isVisible());
    QTest::keyClick(&about, Qt::Key(key));
    QVERIFY(!about.isVisible());
}

void tst_frmAbout::builtInDescriptionWithoutAboutFile() {
    frmAbout about(nullptr, aboutPath());
    const QString text = about.rtfText().toPlainText();
    QVERIFY(text.startsWith(BuiltInStart));
    QVERIFY(text.contains("command.  In a nutshell"));
    QVERIFY(text.endsWith("a great tool for monitoring log files."));
}

void tst_frmAbout::aboutFileGoesAboveTheDescription() {
    writeAbout("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 Site note\\par Second line\\par}");
    frmAbout about(nullptr, aboutPath());
    const QStringList lines = about.rtfText().toPlainText().split('\n');
    QCOMPARE(lines.value(0), QStringLiteral("Site note"));
    QCOMPARE(lines.value(1), QStringLiteral("Second line"));
    QVERIFY(lines.value(2).startsWith(BuiltInStart));

    // Without a closing paragraph mark the built-in text still starts on its own line.
    writeAbout("{\\rtf1 Unfinished}");
    frmAbout again(nullptr, aboutPath());
    const QStringList more = again.rtfText().toPlainText().split('\n');
    QCOMPARE(more.value(0), QStringLiteral("Unfinished"));
    QVERIFY(more.value(1).startsWith(BuiltInStart));
}

void tst_frmAbout::aboutFileIsReadEachTimeTheWindowOpens() {
    writeAbout("{\\rtf1 First}");
    {
        frmAbout about(nullptr, aboutPath());
        QVERIFY(about.rtfText().toPlainText().startsWith("First\n"));
    }
    writeAbout("{\\rtf1 Second}");
    frmAbout about(nullptr, aboutPath());
    QVERIFY(about.rtfText().toPlainText().startsWith("Second\n"));
}

void tst_frmAbout::hostileAboutFilesAreSurvived_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("unbalanced") << QByteArray("{\\rtf1 {{{{ open \\b");
    QTest::newRow("deep") << "{\\rtf1" + QByteArray(300000, '{') + "x";
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe{\\rtf1\x00\x01", 10);
    QTest::newRow("over the size limit")
        << "{\\rtf1 " + QByteArray(frmAbout::MaxAboutFileBytes, 'x') + "}";
}

void tst_frmAbout::hostileAboutFilesAreSurvived() {
    QFETCH(QByteArray, bytes);
    writeAbout(bytes);
    frmAbout about(nullptr, aboutPath());
    QVERIFY(about.rtfText().toPlainText().contains(BuiltInStart));
}

void tst_frmAbout::fifoNamedLikeTheAboutFileDoesNotBlock() {
    QCOMPARE(::mkfifo(QFile::encodeName(aboutPath()).constData(), 0600), 0);
    frmAbout about(nullptr, aboutPath());
    QVERIFY(about.rtfText().toPlainText().startsWith(BuiltInStart));
}

void tst_frmAbout::systemInfoButtonStartsTheTool() {
    QFile store(m_dir->filePath("system.conf"));
    QVERIFY(store.open(QIODevice::WriteOnly));
    store.write("[SysInfo]\nPath=/opt/sysinfo\n");
    store.close();
    frmAbout about(nullptr, aboutPath());
    about.sysInfo().setStorePath(store.fileName());
    QString started;
    about.sysInfo().setStarter([&started](const QString &program) {
        started = program;
        return true;
    });
    about.findChild<QPushButton *>("cmdSysInfo")->click();
    QCOMPARE(started, QStringLiteral("/opt/sysinfo"));
}

QTEST_MAIN(tst_frmAbout)
#include "tst_frmabout.moc"
