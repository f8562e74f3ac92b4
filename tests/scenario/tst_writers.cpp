#include "support/guihost.h"

#include <QRegularExpression>

#include <random>

#include <sys/inotify.h>
#include <unistd.h>

using namespace Orvik;

// Writers caught mid-line or mid-character, ten writers at once, files that turn into
// something that cannot be read: after each cycle the view equals the file (or shows the
// failure while it cannot be read), and later slots are still followed.
class tst_Writers : public QObject {
    Q_OBJECT
    std::unique_ptr<GuiHost> h;

private slots:
    void init() {
        h = std::make_unique<GuiHost>();
        h->show();
    }

    void partialLastLineCompletedLater() {
        h->files.write("app.log", "line 1\n");
        h->open("app.log");
        for (const QByteArray piece : {"line 2 is writ", "ten in three goes", "\nline 3\n"}) {
            h->files.append("app.log", piece);
            h->cycle();
            VERIFY_VIEW_EQUALS_FILE(*h, 1);
            QCOMPARE(h->view(1).selStart(), h->view(1).text().size()); // caret at the end
        }
        QCOMPARE(h->view(1).plainText(),
                 QStringLiteral("line 1\nline 2 is written in three goes\nline 3\n"));
        QCOMPARE(h->view(1).viewText().lineCount(), qint64(4)); // the last one empty
        QCOMPARE(h->view(1).text().store(), h->module().DocContents[1].store()); // shared
    }

    void utf8CharacterSplitAcrossAppends_data() {
        QTest::addColumn<QByteArray>("prefix");
        QTest::addColumn<QString>("character");
        QTest::addColumn<int>("cut");
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
    void utf8CharacterSplitAcrossAppends() {
        QFETCH(QByteArray, prefix);
        QFETCH(QString, character);
        QFETCH(int, cut);
        const QByteArray encoded = character.toUtf8();
        h->files.write("app.log", "first\n");
        h->open("app.log");
        h->files.append("app.log", prefix + encoded.left(cut));
        h->cycle();
        VERIFY_VIEW_EQUALS_FILE(*h, 1);
        QVERIFY(!h->view(1).plainText().contains(character));
        h->paint();
        h->files.append("app.log", encoded.mid(cut) + " EUR\n");
        h->cycle();
        // Once complete, the line shows decoded: the character once, no stray bytes.
        QCOMPARE(h->view(1).plainText(),
                 "first\n" + QString::fromUtf8(prefix) + character + QStringLiteral(" EUR\n"));
        QVERIFY(h->view(1).viewText().isUtf8(1));
        h->paint();
    }

    // Ten documents, ten writers appending random amounts (lines, partial lines, nothing)
    // with a fixed seed; some rounds cycle, some let the writes pile up.
    void tenWritersAtRandomSizes() {
        std::mt19937 random(20261206);
        std::array<int, 10> nextLine{};
        std::array<QByteArray, 10> pending; // a line begun but not finished
        for (int w = 0; w < 10; ++w) {
            h->files.write(QStringLiteral("w%1.log").arg(w), QByteArray());
            h->open(QStringLiteral("w%1.log").arg(w));
        }
        for (int round = 0; round < 60; ++round) {
            for (int w = 0; w < 10; ++w) {
                const int bytes = std::uniform_int_distribution<int>(0, 3000)(random);
                QByteArray chunk;
                while (chunk.size() < bytes) {
                    if (pending[w].isEmpty())
                        pending[w] = "w" + QByteArray::number(w) + " line " +
                                     QByteArray::number(nextLine[w]++) + " " +
                                     QByteArray(int(random() % 120), char('a' + w)) + "\n";
                    const qsizetype take = qMin(pending[w].size(), bytes - chunk.size());
                    chunk += pending[w].left(take);
                    pending[w].remove(0, take);
                }
                h->files.append(QStringLiteral("w%1.log").arg(w), chunk);
            }
            if (random() % 4 != 0)
                h->cycle();
        }
        h->cycle();
        const QRegularExpression lineForm(QStringLiteral("^w(\\d) line (\\d+) ([a-j]*)$"));
        for (int slot = 1; slot <= 10; ++slot) {
            VERIFY_VIEW_EQUALS_FILE(*h, slot);
            // Each line once, in order, none missing.
            QList<QByteArray> lines = h->view(slot).text().toByteArray().split('\n');
            lines.removeLast();
            for (int i = 0; i < lines.size(); ++i) {
                const QRegularExpressionMatch m = lineForm.match(QString::fromLatin1(lines[i]));
                QVERIFY2(m.hasMatch(), lines[i].constData());
                QCOMPARE(m.captured(1).toInt(), slot - 1);
                QCOMPARE(m.captured(2).toInt(), i);
            }
            QVERIFY(lines.size() > 100);
        }
        h->paint();
    }

    void replacedByWhatCannotBeRead_data() {
        QTest::addColumn<bool>("fifo");
        QTest::newRow("directory") << false;
        QTest::newRow("FIFO without a writer") << true;
    }
    void replacedByWhatCannotBeRead() {
        QFETCH(bool, fifo);
        const QString path = h->files.write("app.log", "readable\n");
        h->files.write("tail.log", "tail\n");
        h->open("app.log");
        h->open("tail.log");
        h->files.remove("app.log");
        fifo ? h->files.makeFifo("app.log") : h->files.makeDirectory("app.log");
        for (int i = 0; i < 3; ++i) { // returns every time: nothing blocks on the FIFO
            h->cycle();
            QCOMPARE(h->document(1)->caption(), path + QStringLiteral(" - not a regular file"));
            QCOMPARE(h->view(1).text().size(), qint64(0));
        }
        fifo ? h->files.remove("app.log") : void(QDir(path).removeRecursively());
        h->files.write("app.log", "readable again\n");
        h->files.append("tail.log", "followed\n");
        h->cycle();
        VERIFY_VIEW_EQUALS_FILE(*h, 1);
        VERIFY_VIEW_EQUALS_FILE(*h, 2);
    }

    // Opening a FIFO is not a read without effects: it releases a writer blocked until a
    // reader comes, whose data then goes nowhere. Following a FIFO must never open it.
    void fifoIsNeverOpened() {
        const QString path = h->files.makeFifo("pipe");
        const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(inotify_add_watch(watch, QFile::encodeName(path).constData(), IN_OPEN) >= 0);
        h->open("pipe");
        h->cycle();
        char events[4096];
        const ssize_t n = ::read(watch, events, sizeof events);
        ::close(watch);
        QVERIFY2(n < 0 && errno == EAGAIN, "the FIFO was opened");
    }
};

QTEST_MAIN(tst_Writers)
#include "tst_writers.moc"
