#include "about/frmabout.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include <sys/stat.h>

using namespace Orvik;

namespace {
const QString BuiltInStart = QStringLiteral("Orvik is a real-time file viewer");
}

class tst_frmAbout : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString aboutPath() const { return m_dir->filePath("Orvik.rtf"); }
    void writeAbout(const QByteArray &bytes) {
        QFile file(aboutPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    QStringList shownLines() {
        frmAbout about(nullptr, aboutPath());
        return about.rtfText().toPlainText().split('\n');
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void captionButtonsAndKeys() {
        QCOMPARE(frmAbout::captionFor("Orvik", QVersionNumber(3)), "Orvik Version 3.0.0");
        frmAbout about(nullptr, aboutPath());
        QCOMPARE(about.windowTitle(), QStringLiteral("Orvik Version 1.0.0"));
        auto *ok = about.findChild<QPushButton *>("cmdOK");
        auto *sysInfo = about.findChild<QPushButton *>("cmdSysInfo");
        QCOMPARE(sysInfo->text(), QStringLiteral("&System Info..."));
        QVERIFY(ok->isDefault());
        // The text background colour, like a document's view.
        QCOMPARE(about.findChild<QTextEdit *>("rtfText")->palette().color(QPalette::Base),
                 QGuiApplication::palette().color(QPalette::Base));
        QList<QWidget *> tabOrder;
        for (QWidget *w = ok; tabOrder.size() < 3; w = w->nextInFocusChain()) {
            if (w->focusPolicy() & Qt::TabFocus)
                tabOrder << w;
        }
        QCOMPARE(tabOrder,
                 (QList<QWidget *>{ok, sysInfo, about.findChild<QTextEdit *>("rtfText")}));
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            about.show();
            QTest::keyClick(&about, key);
            QVERIFY(!about.isVisible());
        }
    }

    void aboutFileGoesAboveTheBuiltInDescription_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("above");
        QTest::newRow("no file") << QByteArray() << QStringList();
        QTest::newRow("paragraphs")
            << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 Site note\\par Second line\\par}")
            << QStringList{"Site note", "Second line"};
        QTest::newRow("no closing paragraph mark")
            << QByteArray("{\\rtf1 Unfinished}") << QStringList{"Unfinished"};
    }
    void aboutFileGoesAboveTheBuiltInDescription() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, above);
        if (!file.isEmpty())
            writeAbout(file);
        const QStringList lines = shownLines();
        QCOMPARE(lines.mid(0, above.size()), above);
        QVERIFY(lines.value(above.size()).startsWith(BuiltInStart));
        QVERIFY(lines.last().contains("command.  In a nutshell"));
        QVERIFY(lines.last().endsWith("a great tool for monitoring log files."));
    }

    void aboutFileIsReadEachTimeTheWindowOpens() {
        writeAbout("{\\rtf1 First}");
        QCOMPARE(shownLines().first(), QStringLiteral("First"));
        writeAbout("{\\rtf1 Second}");
        QCOMPARE(shownLines().first(), QStringLiteral("Second"));
    }

    void hostileAboutFilesAreSurvived_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("unbalanced") << QByteArray("{\\rtf1 {{{{ open \\b");
        QTest::newRow("deep") << "{\\rtf1" + QByteArray(300000, '{') + "x";
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe{\\rtf1\x00\x01", 10);
        QTest::newRow("over the size limit")
            << "{\\rtf1 " + QByteArray(frmAbout::MaxAboutFileBytes, 'x') + "}";
        QTest::newRow("a FIFO does not block") << QByteArray("fifo");
    }
    void hostileAboutFilesAreSurvived() {
        QFETCH(QByteArray, bytes);
        if (bytes == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(aboutPath()).constData(), 0600), 0);
        else
            writeAbout(bytes);
        frmAbout about(nullptr, aboutPath());
        QVERIFY(about.rtfText().toPlainText().contains(BuiltInStart));
    }

    void systemInfoButtonStartsTheTool() {
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
};

QTEST_MAIN(tst_frmAbout)
#include "tst_frmabout.moc"
