#include "support/guihost.h"

using namespace Orvik;

namespace {
constexpr qint64 MiB = 1024 * 1024;
constexpr qint64 GiB = 1024 * MiB;
} // namespace

// Files that are not tidy text: binary bytes, one huge line, a size past 32 bits. No crash,
// the captions give the right size, and later slots are still followed.
class tst_LargeFiles : public QObject {
    Q_OBJECT
    std::unique_ptr<GuiHost> h;

    // Opens `bytes` as big.log in slot 1 and tail.log in slot 2.
    void openWithTail(const QByteArray &bytes) {
        h->files.write("big.log", bytes);
        h->files.write("tail.log", "tail\n");
        h->open("big.log");
        h->open("tail.log");
        VERIFY_VIEW_EQUALS_FILE(*h, 1);
        h->paint();
    }
    void appendToBoth(const QByteArray &bytes) {
        h->files.append("big.log", bytes);
        h->files.append("tail.log", "more\n");
        h->cycle();
        VERIFY_VIEW_EQUALS_FILE(*h, 2);
        QCOMPARE(h->view(1).text().store(), h->module().DocContents[1].store()); // no copy
        h->paint();
    }

private slots:
    void init() {
        h = std::make_unique<GuiHost>();
        h->show();
    }

    void binaryWithNulBytes() {
        QByteArray bytes(4096, '\0');
        for (int i = 0; i < 1024; ++i)
            bytes[i] = char(i % 256);
        h->module().HighLightString = QStringLiteral("\xe9"); // a byte of the binary part
        openWithTail(bytes);
        QVERIFY(h->document(1)->caption().endsWith(QStringLiteral(" - 4.0 KBytes")));
        appendToBoth(QByteArray("\0\xff\0\n\r\x1b[31m", 10));
        VERIFY_VIEW_EQUALS_FILE(*h, 1);
    }

    void fiftyMegabytesOnOneLine() {
        QByteArray line(50 * MiB, 'x');
        for (qint64 i = 0; i < line.size(); i += 997)
            line[i] = char('a' + i % 26);
        h->module().HighLightString = QStringLiteral("abc");
        openWithTail(line);
        QVERIFY(h->document(1)->caption().endsWith(QStringLiteral(" - 50.0 MBytes")));
        QCOMPARE(h->view(1).viewText().lineCount(), qint64(1));
        QCOMPARE(h->view(1).selStart(), 50 * MiB);
        appendToBoth("abc and still no line feed");
        VERIFY_VIEW_EQUALS_FILE(*h, 1);
    }

    // A sparse file over 4 GiB is read whole, so it costs its size in memory for the test's
    // length (about 4.2 GB resident; skipped where the memory is not there). The caption and
    // the append must see the whole size, not its low 32 bits.
    void sparseFileOverFourGiB() {
        const qint64 size = 4 * GiB + MiB;
        QFile meminfo(QStringLiteral("/proc/meminfo"));
        meminfo.open(QIODevice::ReadOnly);
        const QByteArray info = meminfo.readAll();
        const qsizetype at = info.indexOf("MemAvailable:");
        if (at < 0 || info.mid(at + 13).trimmed().split(' ').first().toLongLong() * 1024 < 3 * size)
            QSKIP("needs about 13 GB of available memory to hold a 4 GiB file whole");
        h->files.write("big.log", QByteArray());
        h->files.truncate("big.log", size);
        h->files.append("big.log", "end\n");
        h->files.write("tail.log", "tail\n");
        h->open("big.log");
        h->open("tail.log");
        QCOMPARE(h->module().DocFileSize[1], size + 4);
        QVERIFY(h->document(1)->caption().endsWith(QStringLiteral(" - 4097.0 MBytes")));
        h->paint();
        appendToBoth("appended\n");
        QCOMPARE(h->view(1).text().size(), size + 13);
        QCOMPARE(h->view(1).text().mid(size - 2).toByteArray(),
                 QByteArray("\0\0end\nappended\n", 15));
    }
};

QTEST_MAIN(tst_LargeFiles)
#include "tst_largefiles.moc"
