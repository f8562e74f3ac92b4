#include "viewharness.h"

#include <QRegularExpression>

#include <random>

#include <sys/inotify.h>

using namespace Orvik;

// Writers caught mid-line or mid-character, many writers at once, rewrites and files that
// turn into something that cannot be read: after each cycle the view equals the file (or
// shows the failure caption while it cannot be read), and later slots are still followed.
class tst_Writers : public QObject {
    Q_OBJECT

private slots:
    void partialLastLineCompletedLater();
    void utf8CharacterSplitAcrossAppends_data();
    void utf8CharacterSplitAcrossAppends();
    void tenWritersAtRandomSizes();
    void sameLengthRewriteInALaterSecond();
    void replacedByANonRegularFile_data();
    void replacedByANonRegularFile();
    void readFailingOnce();
    void fifoIsNeverOpened();
};

void tst_Writers::partialLastLineCompletedLater() {
    ViewHarness h;
    h.files.write(QStringLiteral("app.log"), "line 1\n");
    h.open(QStringLiteral("app.log"));

    h.files.appendPartialLine(QStringLiteral("app.log"), "line 2 is writ");
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, 1);
    QCOMPARE(h.view(1).viewText().lineCount(), qint64(2));
    QCOMPARE(h.view(1).selStart(), qint64(21)); // caret after the partial line

    h.files.append(QStringLiteral("app.log"), "ten in three goes");
    h.cycle();
    h.files.append(QStringLiteral("app.log"), "\nline 3\n");
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, 1);
    QCOMPARE(h.view(1).plainText(),
             QStringLiteral("line 1\nline 2 is written in three goes\nline 3\n"));
    QCOMPARE(h.view(1).viewText().lineCount(), qint64(4));               // the last one empty
    QCOMPARE(h.view(1).text().store(), h.module.DocContents[1].store()); // appends were shared
}

void tst_Writers::utf8CharacterSplitAcrossAppends_data() {
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<QString>("character");
    QTest::addColumn<int>("cut");

    const QByteArray shortLine = "price: ";
    // Past the length up to which the view checks a line whole: its check is incremental.
    const QByteArray longLine = QByteArray(5000, 'a') + ' ';
    const QString chars[] = {QStringLiteral("\u00e9"), QStringLiteral("\u20ac"),
                             QString::fromUcs4(U"\U0001F600")};
    for (const QString &c : chars) {
        const int length = int(c.toUtf8().size());
        for (int cut = 1; cut < length; ++cut) {
            QTest::addRow("%d-byte character cut after %d", length, cut) << shortLine << c << cut;
            QTest::addRow("%d-byte character cut after %d on a long line", length, cut)
                << longLine << c << cut;
        }
    }
}

void tst_Writers::utf8CharacterSplitAcrossAppends() {
    QFETCH(QByteArray, prefix);
    QFETCH(QString, character);
    QFETCH(int, cut);
    const QByteArray encoded = character.toUtf8();
    ViewHarness h;
    h.files.write(QStringLiteral("app.log"), "first\n");
    h.open(QStringLiteral("app.log"));

    h.files.append(QStringLiteral("app.log"), prefix + encoded.left(cut));
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, 1);
    QVERIFY(!h.view(1).plainText().contains(character));
    h.paint();

    h.files.append(QStringLiteral("app.log"), encoded.mid(cut) + " EUR\n");
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, 1);
    // Once complete, the line shows decoded: the character once, no stray bytes.
    const QString expected = QStringLiteral("first\n") + QString::fromUtf8(prefix) + character +
                             QStringLiteral(" EUR\n");
    QCOMPARE(h.view(1).plainText(), expected);
    QVERIFY(h.view(1).viewText().isUtf8(1));
    h.paint();
}

// Ten documents, ten writers appending random amounts (lines, partial lines, nothing) over
// bounded rounds with a fixed seed; some rounds cycle, some let writes pile up.
void tst_Writers::tenWritersAtRandomSizes() {
    ViewHarness h;
    std::mt19937 random(20261206);
    std::array<int, 10> nextLine{};
    std::array<QByteArray, 10> pending; // a line begun but not finished
    for (int w = 0; w < 10; ++w) {
        h.files.write(QStringLiteral("w%1.log").arg(w), QByteArray());
        h.open(QStringLiteral("w%1.log").arg(w));
    }
    QCOMPARE(h.module.DocCount, 10);

    for (int round = 0; round < 60; ++round) {
        for (int w = 0; w < 10; ++w) {
            const int bytes = std::uniform_int_distribution<int>(0, 3000)(random);
            QByteArray chunk;
            while (chunk.size() < bytes) {
                if (pending[w].isEmpty())
                    pending[w] = QByteArray("w") + QByteArray::number(w) + " line " +
                                 QByteArray::number(nextLine[w]++) + " " +
                                 QByteArray(std::uniform_int_distribution<int>(0, 120)(random),
                                            char('a' + w)) +
                                 "\n";
                const int take = qMin(int(pending[w].size()), int(bytes - chunk.size()));
                chunk += pending[w].left(take);
                pending[w].remove(0, take);
            }
            h.files.append(QStringLiteral("w%1.log").arg(w), chunk);
        }
        if (std::uniform_int_distribution<int>(0, 3)(random) != 0)
            h.cycle();
    }
    h.cycle();

    const QRegularExpression lineForm(QStringLiteral("^w(\\d) line (\\d+) ([a-j]*)$"));
    for (int slot = 1; slot <= 10; ++slot) {
        VERIFY_VIEW_EQUALS_FILE(h, slot);
        // Each line once, in order, none missing: numbers 0, 1, 2, ... up to the last.
        const QList<QByteArray> lines = h.view(slot).text().toByteArray().split('\n');
        int expected = 0;
        for (const QByteArray &line : lines.mid(0, lines.size() - 1)) {
            const QRegularExpressionMatch m = lineForm.match(QString::fromLatin1(line));
            QVERIFY2(m.hasMatch(), line.constData());
            QCOMPARE(m.captured(1).toInt(), slot - 1);
            QCOMPARE(m.captured(2).toInt(), expected++);
        }
        QVERIFY(expected > 100);
    }
    h.paint();
}

void tst_Writers::sameLengthRewriteInALaterSecond() {
    ViewHarness h;
    const QDateTime base = QDateTime::currentDateTime();
    const QString path = h.files.writeAt(QStringLiteral("app.log"), "abc\n", base);
    h.open(QStringLiteral("app.log"));
    const QString firstCaption = h.window(1)->caption();

    h.files.writeAt(QStringLiteral("app.log"), "xyz\n", base.addSecs(1));
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, 1);
    QCOMPARE(h.view(1).text().toByteArray(), QByteArray("xyz\n"));

    // The same text again a second later: nothing to add, but the caption's time is renewed.
    h.files.writeAt(QStringLiteral("app.log"), "xyz\n", base.addSecs(2));
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, 1);
    QVERIFY(h.window(1)->caption() != firstCaption);
    QVERIFY(h.window(1)->caption().startsWith(path + QStringLiteral(" - ")));
}

void tst_Writers::replacedByANonRegularFile_data() {
    QTest::addColumn<bool>("fifo");
    QTest::newRow("directory") << false;
    QTest::newRow("FIFO without a writer") << true;
}

void tst_Writers::replacedByANonRegularFile() {
    QFETCH(bool, fifo);
    ViewHarness h;
    const QString path = h.files.write(QStringLiteral("app.log"), "readable\n");
    h.files.write(QStringLiteral("tail.log"), "tail\n");
    h.open(QStringLiteral("app.log"));
    h.open(QStringLiteral("tail.log"));

    h.files.remove(QStringLiteral("app.log"));
    if (fifo)
        h.files.makeFifo(QStringLiteral("app.log"));
    else
        h.files.makeDirectory(QStringLiteral("app.log"));
    for (int i = 0; i < 3; ++i) { // returns every time: nothing blocks on the FIFO
        h.cycle();
        QVERIFY(h.window(1)->caption().startsWith(path + QStringLiteral(" - ")));
        QVERIFY(!h.window(1)->caption().endsWith(QStringLiteral("Bytes")));
        QCOMPARE(h.view(1).text().size(), qint64(0));
    }

    if (fifo)
        h.files.remove(QStringLiteral("app.log"));
    else
        QVERIFY(QDir(path).removeRecursively());
    h.files.write(QStringLiteral("app.log"), "readable again\n");
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, 1);
    h.files.append(QStringLiteral("tail.log"), "followed\n");
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, 2);
}

void tst_Writers::readFailingOnce() {
    ViewHarness h;
    const QString path = h.files.write(QStringLiteral("app.log"), "line 1\n");
    h.files.write(QStringLiteral("tail.log"), "tail\n");
    h.open(QStringLiteral("app.log"));
    h.open(QStringLiteral("tail.log"));

    h.files.append(QStringLiteral("app.log"), "line 2\n");
    h.fs.failReadAfter(path, 3, QStringLiteral("Input/output error"));
    h.cycle();
    QCOMPARE(h.window(1)->caption(), path + QStringLiteral(" - Input/output error"));
    QCOMPARE(h.view(1).text().size(), qint64(0));

    h.fs.heal(path);
    h.files.append(QStringLiteral("tail.log"), "more\n");
    h.cycle();
    VERIFY_VIEW_EQUALS_FILE(h, 1);
    VERIFY_VIEW_EQUALS_FILE(h, 2);
    QVERIFY(h.window(1)->caption().endsWith(QStringLiteral(" - 14.0 Bytes")));
}

// Opening a FIFO is not a read without effects: it releases a writer blocked until a reader
// comes, whose data then goes nowhere (or which dies of SIGPIPE once the open is closed).
// Following a path that names a FIFO must never open it.
void tst_Writers::fifoIsNeverOpened() {
    ViewHarness h;
    const QString path = h.files.makeFifo(QStringLiteral("pipe"));
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(watch >= 0);
    QVERIFY(inotify_add_watch(watch, QFile::encodeName(path).constData(), IN_OPEN) >= 0);

    h.open(QStringLiteral("pipe"));
    h.cycle();
    h.cycle();
    QVERIFY(h.window(1)->caption().startsWith(path + QStringLiteral(" - ")));
    char events[4096];
    const ssize_t n = ::read(watch, events, sizeof events);
    ::close(watch);
    QVERIFY2(n < 0 && errno == EAGAIN, "the FIFO was opened");
}

QTEST_MAIN(tst_Writers)
#include "tst_writers.moc"
