#include "support/fakes.h"
#include "support/filewriter.h"

#include "core/content/textlimit.h"
#include "core/refresh/decompressingreader.h"
#include "core/refresh/documentreader.h"
#include "core/refresh/slotread.h"

#include <QtTest>

using namespace Orvik;

namespace {
// Lines that do not repeat, so that a compressed copy is long enough to cut.
QByteArray lines(int count, const QByteArray &word = "line") {
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += word + ' ' + QByteArray::number(i * 7919 % 100003) + '\n';
    return text;
}
} // namespace

// What text a file holds: compressed formats decoded, concatenated streams, damaged and
// truncated data, files that only look compressed, and the limit on the text decoded.
class tst_DecompressingReader : public QObject {
    Q_OBJECT
    FileWriter files;
    FaultyFileSystem fs;

    // Rows: file bytes, the text (for damaged data, its first bytes), format, problem.
    using Text = std::tuple<QByteArray, QByteArray, Compression, QString>;

private slots:
    void fileReadsAsItsText_data() {
        QTest::addColumn<Text>("t");
        const QByteArray a = lines(3000, "alpha"), b = lines(2000, "beta");
        const struct {
            const char *tool;
            Compression format;
        } formats[] = {{"gzip", Compression::Gzip},
                       {"zstd", Compression::Zstd},
                       {"xz", Compression::Xz},
                       {"bzip2", Compression::Bzip2}};
        for (const auto &f : formats) {
            const QString tool = QString::fromLatin1(f.tool);
            const QByteArray whole = FileWriter::compressed(tool, a);
            QTest::addRow("%s", f.tool) << Text{whole, a, f.format, QString()};
            QTest::addRow("%s: concatenated streams", f.tool)
                << Text{whole + FileWriter::compressed(tool, b), a + b, f.format, QString()};
            QTest::addRow("%s: ends early", f.tool)
                << Text{whole.left(whole.size() * 2 / 3), a, f.format, tool + " data ends early"};
            QByteArray damaged = whole;
            for (int i = damaged.size() / 2; i < damaged.size() / 2 + 64; ++i)
                damaged[i] = char(damaged[i] ^ 0x5a);
            QTest::addRow("%s: damaged", f.tool)
                << Text{damaged, a, f.format, tool + " data is damaged"};
        }
        QTest::newRow("gzip: an empty text")
            << Text{FileWriter::compressed("gzip", {}), {}, Compression::Gzip, QString()};
        QTest::newRow("plain text") << Text{a, a, Compression::None, QString()};
        QTest::newRow("plain text shorter than a signature")
            << Text{"BZh", "BZh", Compression::None, QString()};
        for (const QByteArray &signature :
             {QByteArray("\x1f\x8b"), QByteArray("BZh9"), QByteArray("\x28\xb5\x2f\xfd"),
              QByteArray("\xfd\x37\x7a\x58\x5a\x00", 6)})
            QTest::addRow("looks compressed: %s", signature.toHex().constData())
                << Text{signature + a, signature + a, Compression::None, QString()};
    }
    void fileReadsAsItsText() {
        QFETCH(Text, t);
        const auto &[bytes, text, format, problem] = t;
        const QString path = files.write("f", bytes);
        DocumentReader reader(fs, 1000);
        qint64 followed = 0;
        const ReadOutcome read = reader.read(
            path, Contents(),
            [&](ReadKind, const std::shared_ptr<ByteStore> &, const char *, qint64 size) {
                QVERIFY(size > followed);
                followed = size;
            });
        QCOMPARE(read.kind, ReadKind::Replacement);
        QCOMPARE(read.compression, format);
        QCOMPARE(read.problem, problem);
        QCOMPARE(followed, read.contents.size());
        QCOMPARE(read.sizeOnDisk, format == Compression::None ? 0 : qint64(bytes.size()));
        const QByteArray got = read.contents.toByteArray();
        if (problem.isEmpty()) {
            QCOMPARE(got, text);
        } else { // the text decoded so far
            QVERIFY(got.size() < text.size());
            QVERIFY(problem.endsWith("damaged") || text.startsWith(got));
        }
        // Read again: the same text continues the text before (nothing does not).
        const ReadOutcome again = reader.read(path, read.contents);
        QCOMPARE(again.kind, got.isEmpty() ? ReadKind::Replacement : ReadKind::Append);
        QCOMPARE(again.contents.toByteArray(), got);
    }

    // Never more text than the limit is decoded: a small file of a huge text fails for want
    // of memory, as a file too large to hold does.
    void textOverTheLimitIsRefused_data() {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<qint64>("textSize");
        QTest::addColumn<bool>("refused");
        for (const char *tool : {"gzip", "zstd", "xz", "bzip2"}) {
            QTest::addRow("%s under the limit", tool) << QString(tool) << qint64(99999) << false;
            QTest::addRow("%s over the limit", tool) << QString(tool) << qint64(100001) << true;
            QTest::addRow("%s far over the limit", tool)
                << QString(tool) << qint64(64 << 20) << true;
        }
    }
    void textOverTheLimitIsRefused() {
        QFETCH(QString, tool);
        QFETCH(qint64, textSize);
        QFETCH(bool, refused);
        TextLimit::setForTests(100000);
        const auto restore = qScopeGuard([] { TextLimit::setForTests(0); });
        const QString path =
            files.write("bomb", FileWriter::compressed(tool, QByteArray(textSize, 'z')));
        QString error;
        DecompressingReader file(fs.openForRead(path, &error));
        std::vector<char> buffer(1 << 20);
        qint64 total = 0, got;
        while ((got = file.read(buffer.data(), qint64(buffer.size()))) > 0)
            total += got;
        QCOMPARE(got, refused ? -1 : 0);
        QCOMPARE(file.errorString(), refused ? SlotRead::NotEnoughMemory : QString());
        QVERIFY(total <= 100000);
        QCOMPARE(DocumentReader(fs).read(path, Contents()).error, file.errorString());
    }
};

QTEST_GUILESS_MAIN(tst_DecompressingReader)
#include "tst_decompressingreader.moc"
