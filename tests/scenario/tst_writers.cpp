#include "support/guihost.h"

#include <QRegularExpression>

#include <random>

using namespace Orvik;

namespace {
constexpr qint64 MiB = 1024 * 1024;
constexpr qint64 GiB = 1024 * MiB;
} // namespace

// Writers caught mid-line or mid-character, ten writers at once; files that are not tidy text:
// binary bytes, one huge line, a size past 32 bits. After each cycle the view equals the file,
// the captions give the right size, and later slots are still followed.
class tst_Writers : public QObject {
    Q_OBJECT
    std::unique_ptr<GuiHost> h;

private slots:
    void init() {
        h = std::make_unique<GuiHost>();
        h->show();
        h->module().setBackgroundCycles(true); // read on the workers, as the program does
    }

    void partialLineOrCharacterCompletedLater_data() {
        QTest::addColumn<QByteArray>("prefix");
        QTest::addColumn<QString>("character");
        QTest::addColumn<int>("cut");
        QTest::newRow("a line written in two goes")
            << QByteArray("price: ") << "line 2 is written" << 6;
        // A long line: past the length up to which the view checks a line whole.
        const QByteArray longLine = QByteArray(5000, 'a') + ' ';
        for (const QString c : {QStringLiteral("\u00e9"), QStringLiteral("\u20ac"),
                                QString::fromUcs4(U"\U0001F600")}) {
            const int length = int(c.toUtf8().size());
            for (int cut = 1; cut < length; ++cut) {
                QTest::addRow("%d-byte character cut after %d", length, cut)
                    << QByteArray("price: ") << c << cut;
                QTest::addRow("%d-byte character cut after %d on a long line", length, cut)
                    << longLine << c << cut;
            }
        }
    }
    void partialLineOrCharacterCompletedLater() {
        QFETCH(QByteArray, prefix);
        QFETCH(QString, character);
        QFETCH(int, cut);
        const QByteArray encoded = character.toUtf8();
        h->files.write("app.log", "first\n");
        h->open("app.log");
        h->files.append("app.log", prefix + encoded.left(cut));
        h->cycle();
        VERIFY_VIEW_EQUALS_FILE(*h, 1);
        QCOMPARE(h->view(1).selStart(), h->view(1).text().size()); // caret at the end
        QVERIFY(!h->view(1).plainText().contains(character));
        h->paint();
        h->files.append("app.log", encoded.mid(cut) + " EUR\n");
        h->cycle();
        // Once complete, the line shows decoded: the character once, no stray bytes.
        QCOMPARE(h->view(1).plainText(),
                 "first\n" + QString::fromUtf8(prefix) + character + QStringLiteral(" EUR\n"));
        QVERIFY(h->view(1).viewText().isUtf8(1));
        QCOMPARE(h->view(1).text().store(), h->module().DocContents[1].store()); // shared
        h->paint();
    }

    // Ten documents, ten writers appending random amounts of their numbered lines (lines,
    // partial lines, nothing) with a fixed seed; some rounds cycle, some let the writes pile up.
    void tenWritersAtRandomSizes() {
        std::mt19937 random(20261206);
        std::array<QByteArray, 10> lines;
        std::array<qsizetype, 10> written{};
        for (int w = 0; w < 10; ++w) {
            for (int i = 0; lines[w].size() < 200000; ++i)
                lines[w] += QStringLiteral("w%1 line %2 ").arg(w).arg(i).toLatin1() +
                            QByteArray(int(random() % 120), char('a' + w)) + '\n';
            h->files.write(QStringLiteral("w%1.log").arg(w), QByteArray());
            h->open(QStringLiteral("w%1.log").arg(w));
        }
        for (int round = 0; round < 60; ++round) {
            for (int w = 0; w < 10; ++w) {
                const int bytes = std::uniform_int_distribution<int>(0, 3000)(random);
                h->files.append(QStringLiteral("w%1.log").arg(w), lines[w].mid(written[w], bytes));
                written[w] += bytes;
            }
            if (random() % 4 != 0)
                h->cycle();
        }
        h->cycle();
        for (int slot = 1; slot <= 10; ++slot)
            QCOMPARE(h->view(slot).text().toByteArray(), lines[slot - 1].left(written[slot - 1]));
        h->paint();
    }

    // Files that are not tidy text. A sparse file over 4 GiB is read whole, so it costs its size
    // in memory for the test's length (about 4.2 GB resident; skipped where the memory is not
    // there): the caption and the append must see the whole size, not its low 32 bits.
    void untidyFile_data() {
        QTest::addColumn<char>("kind");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QByteArray>("appended");
        QTest::newRow("binary with NUL bytes")
            << 'b' << "4.0 KBytes" << QByteArray("\0\xff\0\n\r\x1b[31m", 10);
        QTest::newRow("fifty megabytes on one line")
            << 'l' << "50.0 MBytes" << QByteArray("abc and still no line feed");
        QTest::newRow("sparse, over 4 GiB") << 's' << "4097.0 MBytes" << QByteArray("appended\n");
    }
    void untidyFile() {
        QFETCH(char, kind);
        QFETCH(QString, size);
        QFETCH(QByteArray, appended);
        const qint64 sparse = 4 * GiB + MiB;
        QByteArray bytes(kind == 'b' ? 4096 : kind == 'l' ? 50 * MiB : 0, kind == 'l' ? 'x' : '\0');
        for (qint64 i = 0; i < (kind == 'b' ? 1024 : bytes.size()); i += (kind == 'b' ? 1 : 997))
            bytes[i] = kind == 'b' ? char(i % 256) : char('a' + i % 26);
        h->module().HighLightString = kind == 'b' ? QStringLiteral("\xe9") : QStringLiteral("abc");
        const QString path = h->files.write("big.log", bytes);
        if (kind == 's') {
            QFile meminfo(QStringLiteral("/proc/meminfo"));
            meminfo.open(QIODevice::ReadOnly);
            const QRegularExpression available(QStringLiteral("MemAvailable: *(\\d+) kB"));
            if (available.match(meminfo.readAll()).captured(1).toLongLong() * 1024 < 3 * sparse)
                QSKIP("needs about 13 GB of available memory to hold a 4 GiB file whole");
            h->files.truncate("big.log", sparse);
            h->files.append("big.log", "end\n");
        }
        h->files.write("tail.log", "tail\n");
        h->open("big.log");
        h->open("tail.log");
        QCOMPARE(h->module().DocFileSize[1], QFileInfo(path).size());
        QVERIFY(h->document(1)->caption().endsWith(" - " + size));
        QCOMPARE(h->view(1).selStart(), QFileInfo(path).size());
        h->paint();
        h->files.append("big.log", appended);
        h->files.append("tail.log", "more\n");
        h->cycle();
        VERIFY_VIEW_EQUALS_FILE(*h, 2);
        QCOMPARE(h->view(1).text().store(), h->module().DocContents[1].store()); // no copy
        h->paint();
        if (kind == 's')
            QCOMPARE(h->view(1).text().mid(sparse - 2).toByteArray(),
                     QByteArray("\0\0end\n", 6) + appended);
        else
            VERIFY_VIEW_EQUALS_FILE(*h, 1);
        QVERIFY(kind != 'l' || h->view(1).viewText().lineCount() == 1);
    }
};

QTEST_MAIN(tst_Writers)
#include "tst_writers.moc"
