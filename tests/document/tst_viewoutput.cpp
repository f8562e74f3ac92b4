#include "document/richtextview.h"

#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Orvik;

// What leaves the view: the saved file and the printout.
class tst_ViewOutput : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void saveWritesExactlyTheBytes_data();
    void saveWritesExactlyTheBytes();
    void saveReplacesAnExistingFile();
    void saveReportsAFailure_data();
    void saveReportsAFailure();
    void printHoldsWhatIsSelectedOrAll_data();
    void printHoldsWhatIsSelectedOrAll();
    void printWrapsAndPaginates();
    void printKeepsTheRedMarks();
    void printKeepsTabColumns();

private:
    QString pdfText(const QString &pdf);
    QString printToPdf();

    RichTextView *m_view = nullptr;
    QTemporaryDir m_dir;
};

void tst_ViewOutput::init() {
    m_view = new RichTextView;
    m_view->resize(400, 300);
}

void tst_ViewOutput::cleanup() {
    delete m_view;
}

void tst_ViewOutput::saveWritesExactlyTheBytes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty text gives an empty file") << QByteArray();
    QTest::newRow("NUL, invalid UTF-8 and CR LF are kept")
        << QByteArray("a\0b\r\n\xff\xfe\xc3(\n\xe9t\xe9", 13);
    QByteArray big(3 * 1024 * 1024 + 17, 'x');
    for (int i = 0; i < big.size(); i += 97)
        big[i] = char(i % 256);
    QTest::newRow("several megabytes") << big;
}

void tst_ViewOutput::saveWritesExactlyTheBytes() {
    QFETCH(QByteArray, bytes);
    m_view->setText(Contents::fromByteArray(bytes.left(bytes.size() / 2)));
    m_view->setSelStart(bytes.size());
    m_view->setSelText(Contents::fromByteArray(bytes.mid(bytes.size() / 2)));
    const QString path = m_dir.filePath(QStringLiteral("saved.log"));
    QString error;
    QVERIFY2(m_view->SaveFile(path, 1, &error), qPrintable(error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
}

void tst_ViewOutput::saveReplacesAnExistingFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("existing.txt"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(1000, 'o'));
    }
    m_view->setText(Contents::fromByteArray("new"));
    QVERIFY(m_view->SaveFile(path, 1));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("new"));
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"existing.txt"});
}

void tst_ViewOutput::saveReportsAFailure_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("folder that does not exist")
        << m_dir.filePath(QStringLiteral("missing/folder/out.txt"));
    QTest::newRow("a folder's own path") << m_dir.path();
    QTest::newRow("no name") << QString();
}

void tst_ViewOutput::saveReportsAFailure() {
    QFETCH(QString, path);
    m_view->setText(Contents::fromByteArray("text"));
    QString error;
    QVERIFY(!m_view->SaveFile(path, 1, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(QFileInfo(m_dir.path()).isDir());
}

QString tst_ViewOutput::pdfText(const QString &pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString tst_ViewOutput::printToPdf() {
    static int n = 0;
    const QString pdf = m_dir.filePath(QStringLiteral("out%1.pdf").arg(++n));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    m_view->SelPrint(printer);
    return pdf;
}

void tst_ViewOutput::printHoldsWhatIsSelectedOrAll_data() {
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    // "alpha bravo\ncharlie delta\necho foxtrot\n"
    QTest::newRow("nothing selected prints the whole text")
        << qint64(0) << qint64(0) << QStringList{"alpha", "delta", "foxtrot"} << QStringList{};
    QTest::newRow("a selection prints only itself")
        << qint64(12) << qint64(13) << QStringList{"charlie delta"}
        << QStringList{"alpha", "bravo", "echo", "foxtrot"};
    QTest::newRow("a selection across lines")
        << qint64(6) << qint64(14) << QStringList{"bravo", "charlie"}
        << QStringList{"alpha", "delta", "echo"};
}

void tst_ViewOutput::printHoldsWhatIsSelectedOrAll() {
    QFETCH(qint64, start);
    QFETCH(qint64, length);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    m_view->setText(Contents::fromByteArray("alpha bravo\ncharlie delta\necho foxtrot\n"));
    m_view->setSelStart(start);
    m_view->setSelLength(length);
    const QString text = pdfText(printToPdf());
    for (const QString &word : present)
        QVERIFY2(text.contains(word), qPrintable(word + " missing from: " + text));
    for (const QString &word : absent)
        QVERIFY2(!text.contains(word), qPrintable(word + " printed in: " + text));
}

void tst_ViewOutput::printWrapsAndPaginates() {
    QByteArray text;
    for (int i = 0; i < 300; ++i)
        text += "line" + QByteArray::number(i) + '\n';
    QByteArray longLine;
    for (int i = 0; i < 200; ++i)
        longLine += "w" + QByteArray::number(i) + ' ';
    text += longLine + "\nlastline";
    m_view->setText(Contents::fromByteArray(text));
    const QString printed = pdfText(printToPdf());
    QVERIFY(printed.count(QLatin1Char('\f')) >= 3); // more than one page
    QVERIFY(printed.contains(QStringLiteral("line0")));
    QVERIFY(printed.contains(QStringLiteral("line299")));
    QVERIFY(printed.contains(QStringLiteral("lastline")));
    // Every word of the long line is on paper, over several printed lines.
    for (int i = 0; i < 200; i += 37)
        QVERIFY(printed.contains(QStringLiteral("w%1 ").arg(i)) ||
                printed.contains(QStringLiteral("w%1\n").arg(i)));
    const QStringList rows = printed.split(QLatin1Char('\n'));
    const int first = int(rows.indexOf(QRegularExpression(QStringLiteral(".*\\bw0 .*"))));
    const int last = int(rows.indexOf(QRegularExpression(QStringLiteral(".*\\bw199\\b.*"))));
    QVERIFY(first >= 0 && last > first);
}

void tst_ViewOutput::printKeepsTheRedMarks() {
    m_view->setText(Contents::fromByteArray("plain ERROR plain\n"));
    m_view->colorRange(6, 5, HighlightColor);
    const QString pdf = printToPdf();
    const QString png = m_dir.filePath(QStringLiteral("page"));
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-png"),
             QStringLiteral("-singlefile"), pdf, png});
    QVERIFY(p.waitForFinished(30000) && p.exitCode() == 0);
    QImage image(png + QStringLiteral(".png"));
    QVERIFY(!image.isNull());
    int red = 0;
    for (int y = 0; y < image.height() / 4; ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 90 && c.blue() < 90;
        }
    QVERIFY2(red > 10, qPrintable(QString::number(red)));
}

void tst_ViewOutput::printKeepsTabColumns() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext is not installed");
    m_view->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 10)); // columns in blanks
    m_view->setText(Contents::fromByteArray("a\tbeta\tc\nlonger\tx\ty\n"));
    const QStringList rows = pdfText(printToPdf()).split(QLatin1Char('\n'));
    const int first = int(rows.indexOf(QRegularExpression(QStringLiteral(".*\\bbeta\\b.*"))));
    QVERIFY2(first >= 0 && first + 1 < rows.size(), qPrintable(rows.join('\n')));
    QCOMPARE(rows[first].indexOf(QStringLiteral("beta")), rows[first + 1].indexOf('x'));
    QCOMPARE(rows[first].lastIndexOf('c'), rows[first + 1].indexOf('y'));
}

QTEST_MAIN(tst_ViewOutput)
#include "tst_viewoutput.moc"
