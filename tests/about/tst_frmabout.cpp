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
        frmAbout about(nullptr, aboutPath());
        QCOMPARE(about.windowTitle(), QStringLiteral("Orvik Version 1.0.0"));
        auto *ok = about.findChild<QPushButton *>("cmdOK");
        auto *sysInfo = about.findChild<QPushButton *>("cmdSysInfo");
        QCOMPARE(sysInfo->text(), QStringLiteral("&System Info..."));
        QVERIFY(ok->isDefault());
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

    // The about file's text goes above the built-in description; a hostile file is survived.
    void aboutFileGoesAboveTheBuiltInDescription_data() {
        QTest::addColumn<QByteArray>("file");   // "fifo": a FIFO that never gives an end
        QTest::addColumn<QStringList>("above"); // {"?"}: whatever text there is
        const QStringList any{"?"};
        QTest::newRow("no file") << QByteArray() << QStringList();
        QTest::newRow("paragraphs")
            << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 Site note\\par Second line\\par}")
            << QStringList{"Site note", "Second line"};
        QTest::newRow("no closing paragraph mark")
            << QByteArray("{\\rtf1 Unfinished}") << QStringList{"Unfinished"};
        QTest::newRow("empty") << QByteArray("") << any;
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe{\\rtf1\x00\x01", 10) << any;
        QTest::newRow("over the size limit")
            << "{\\rtf1 " + QByteArray(frmAbout::MaxAboutFileBytes, 'x') + "}" << any;
        QTest::newRow("a FIFO does not block") << QByteArray("fifo") << any;
    }
    void aboutFileGoesAboveTheBuiltInDescription() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, above);
        if (file == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(aboutPath()).constData(), 0600), 0);
        else if (!file.isNull())
            writeAbout(file);
        QStringList lines = shownLines();
        if (above == QStringList{"?"})
            above = lines.mid(0, lines.indexOf(QRegularExpression("^" + BuiltInStart + ".*")));
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

    void systemInfoButtonStartsTheTool() {
        frmAbout about(nullptr, aboutPath());
        about.sysInfo().setStorePath(aboutPath()); // no such store: a message, nothing started
        QString shown;
        about.sysInfo().setMessenger([&](const QString &text, const QString &) { shown = text; });
        about.findChild<QPushButton *>("cmdSysInfo")->click();
        QCOMPARE(shown, QStringLiteral("System Information Is Unavailable At This Time"));
    }
};

QTEST_MAIN(tst_frmAbout)
#include "tst_frmabout.moc"
