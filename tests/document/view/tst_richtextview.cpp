#include "support/guihost.h"

#include "core/content/pagerelease.h"
#include "document/view/lineindex.h"
#include "document/view/markset.h"
#include "document/view/richtextaccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>

using namespace Orvik;

using Ranges = QList<QList<qint64>>; // start, end, colour
// Rows: text, selection start and length, the characters it shows.
using Offsets = std::tuple<QByteArray, int, int, QString>;

// The view: byte offsets over UTF-8 and Latin-1 lines, line ends and control bytes, wrapping,
// scrolling to the caret, colours, appends, keys, mouse and accessibility; the line index and
// colour ranges under it; what leaves it, the saved file and the printout.
class tst_RichTextView : public QObject {
    Q_OBJECT
    std::unique_ptr<RichTextView> view;
    QTemporaryDir dir;

    static Ranges ranges(const MarkSet &marks) {
        Ranges list;
        for (const MarkSet::Mark &m : marks.marks())
            list.append({m.start, m.end, qint64(m.color)});
        return list;
    }

    void show(const QByteArray &text) { view->setText(Contents::fromByteArray(text)); }
    QString firstLine() const {
        return view->viewText().decode(0, view->viewText().piece(0, 0)).text;
    }

private slots:
    void init() {
        view = std::make_unique<RichTextView>();
        view->resize(400, 300);
        view->show();
    }

    void offsetsAreBytes_data() {
        QTest::addColumn<Offsets>("o");
        QTest::newRow("utf-8 line: two bytes make one character")
            << Offsets{"h\xc3\xa9llo\nnext", 1, 2, "é"};
        QTest::newRow("latin-1 line: one character per byte")
            << Offsets{"ok\nabc\xe9\xe8z\n", 6, 2, "éè"};
        QTest::newRow("a latin-1 line does not spoil a utf-8 line")
            << Offsets{"\xe9t\xe9\n\xe2\x82\xac 5", 4, 5, "€ 5"};
        QTest::newRow("four-byte character")
            << Offsets{"a\xf0\x9f\x98\x80z", 1, 4, "\xf0\x9f\x98\x80"};
        QTest::newRow("overlong form is not utf-8") << Offsets{"\xc0\xafx", 0, 2, "À¯"};
        QTest::newRow("overlong three bytes") << Offsets{"\xe0\x80\x80", 0, 3, "à\u0080\u0080"};
        QTest::newRow("overlong four bytes")
            << Offsets{"\xf0\x80\x80\x80", 0, 4, "ð\u0080\u0080\u0080"};
        QTest::newRow("surrogate is not utf-8") << Offsets{"\xed\xa0\x80", 0, 3, "í\u00a0\u0080"};
    }
    void offsetsAreBytes() {
        QFETCH(Offsets, o);
        const auto &[text, start, length, shown] = o;
        show(text);
        view->setSelStart(start);
        view->setSelLength(length);
        QCOMPARE(view->selText(), text.mid(start, length));
        QCOMPARE(view->selectedPlainText(), shown);
    }

    void lineEndsAndControlBytes() {
        show("one\r\ntwo\r\nthree");
        const ViewText &t = view->viewText();
        QCOMPARE(firstLine(), QStringLiteral("one"));
        QCOMPARE(view->plainText(), QStringLiteral("one\r\ntwo\r\nthree")); // kept as they are
        QCOMPARE(t.nextCharOffset(3), qint64(5)); // the caret steps over CR LF at once
        QCOMPARE(t.prevCharOffset(5), qint64(3));
        show(QByteArray("a\0b\tc\x1b\x7f\ry", 9)); // a lone CR is no line end
        QCOMPARE(t.lineCount(), qint64(1));
        QCOMPARE(firstLine(), QString::fromUtf16(u"a\u2400b\tc\u241b\u2421\u240dy"));
    }

    void wrapRowsFollowTheMarginOrTheWidth() {
        QByteArray line;
        for (int i = 0; i < 60; ++i)
            line += "word" + QByteArray::number(i) + ' ';
        show(line + "\nshort\n");
        view->setRightMargin(200);
        const qint64 narrow = view->countRows();
        view->setRightMargin(600);
        QVERIFY(narrow > view->countRows() && view->countRows() > 3);
        view->setRightMargin(0); // wraps at the viewport's width
        const qint64 atViewport = view->countRows();
        view->resize(700, 300);
        const qint64 atWide = view->countRows();
        QVERIFY(atWide < atViewport);
        view->setRightMargin(2000); // wider than the viewport: wraps at what is visible
        QCOMPARE(view->countRows(), atWide);
    }

    // A caret past the end goes to the end and shows it. An append keeps a selection, a caret
    // away from the end and the rows on screen; the view follows again once the end is back
    // in view.
    void followingTheEnd() {
        QByteArray text;
        for (int i = 0; i < 500; ++i)
            text += "line " + QByteArray::number(i) + '\n';
        show(text + "last");
        const auto caretAt = [this](qint64 offset) {
            view->setSelStart(offset);
            view->updateGeometryNow();
        };
        caretAt(text.size() + 100);
        QCOMPARE(view->selStart(), qint64(text.size() + 4));
        QScrollBar *bar = view->verticalScrollBar();
        QVERIFY(bar->value() == bar->maximum() && view->topOffset() > text.size() - 400);
        caretAt(7);
        view->setSelLength(6);
        const qint64 top = view->topOffset();
        view->appendKeepingSelection(Contents::fromByteArray("more\n"));
        view->updateGeometryNow();
        QCOMPARE(view->selectedPlainText(), QStringLiteral("line 1"));
        QCOMPARE(view->topOffset(), top);

        caretAt(7); // a bare caret, the end out of view
        QVERIFY(!view->followsEnd());
        view->setFocus();
        QTest::keyClick(view.get(), Qt::Key_End, Qt::ControlModifier);
        view->updateGeometryNow();
        QVERIFY(view->followsEnd());
        bar->setValue(0);
        QVERIFY(!view->followsEnd());
        bar->setValue(bar->maximum());
        QVERIFY(view->followsEnd());
        // At the bottom: a selection, a held mouse button or a held Shift stop the following.
        view->setSelStart(text.size());
        view->setSelLength(4);
        QVERIFY(!view->followsEnd());
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, QPoint(3, 8));
        QVERIFY(view->selLength() == 0 && !view->followsEnd());
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(3, 8));
        QVERIFY(view->followsEnd());
        QTest::keyPress(view.get(), Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyPress(view.get(), Qt::Key_Left, Qt::ShiftModifier);
        QVERIFY(view->selLength() == 0 && !view->followsEnd());
        QTest::keyRelease(view.get(), Qt::Key_Left, Qt::ShiftModifier);
        QVERIFY(view->followsEnd());
        caretAt(0);
        QCOMPARE(view->topOffset(), qint64(0));
        // A new font that brings the end into view follows again.
        view->setFont(QFont(view->font().family(), 60));
        show(QByteArray("line\n").repeated(6));
        caretAt(0);
        QVERIFY(!view->followsEnd());
        view->setFont(QFont(view->font().family(), 8));
        QVERIFY(view->followsEnd());
    }

    // An append moves the rows already on screen and paints only from its own line on: what
    // the window shows after each append is what painting the whole view shows.
    void appendsLeaveTheScreenAsAWholePaint_data() {
        QTest::addColumn<QByteArrayList>("appends");
        QTest::addColumn<bool>("follows");
        QTest::addColumn<int>("selected"); // bytes selected from the third line on
        QByteArrayList lines, bursts, parts, wrapping;
        for (int i = 0; i < 40; ++i) {
            lines << "line " + QByteArray::number(i) + '\n';
            bursts << QByteArray("burst line\n").repeated(1 + i % 7);
            parts << (i % 2 ? QByteArray(": retrying\n") : QByteArray("ERROR"));
            // words that end in the next append, so that a row's last one may move down
            wrapping << QByteArray(i % 30 == 29 ? "\n" : i % 2 ? "wrap " : "wrap");
        }
        QTest::newRow("a line at a time") << lines << true << 0;
        QTest::newRow("several lines at once, past a screen") << bursts << true << 0;
        QTest::newRow("a line written in parts") << parts << true << 0;
        QTest::newRow("a line that wraps onto more rows") << wrapping << true << 0;
        QTest::newRow("the reader scrolled away") << lines << false << 0;
        QTest::newRow("a selection held") << lines << false << 60;
    }
    void appendsLeaveTheScreenAsAWholePaint() {
        QFETCH(QByteArrayList, appends);
        QFETCH(bool, follows);
        QFETCH(int, selected);
        view->setFocus(); // the caret is painted too
        show(QByteArray("earlier\n").repeated(30));
        view->setSelStart(follows ? view->viewText().size() : selected ? 20 : 0);
        view->setSelLength(selected);
        const auto settle = [] {
            for (int i = 0; i < 3; ++i)
                QCoreApplication::processEvents();
        };
        const auto onScreen = [this] { return view->screen()->grabWindow(view->winId()); };
        settle();
        for (const QByteArray &bytes : appends) {
            const Contents added = Contents::fromByteArray(bytes);
            if (view->followsEnd()) { // as a refresh does it
                view->setSelStart(view->viewText().size());
                view->setSelText(added);
                view->setSelStart(view->viewText().size());
            } else {
                view->appendKeepingSelection(added);
            }
            settle();
            const QImage shown = onScreen().toImage();
            view->viewport()->repaint();
            QCOMPARE(shown, onScreen().toImage());
        }
        QCOMPARE(view->followsEnd(), follows);
    }

    void coloursArePaintedRedUntilNewText() {
        view->setFont(QFont(view->font().family(), 20));
        show("hello world ERROR\n");
        QCOMPARE(redPixels(view->viewport()->grab().toImage()), 0);
        // Selected text is drawn in the selection's own text colour.
        QPalette palette = view->palette();
        palette.setColor(QPalette::HighlightedText, Qt::red);
        view->setPalette(palette);
        view->setSelStart(0);
        view->setSelLength(5);
        QVERIFY(redPixels(view->viewport()->grab().toImage()) > 20);
        view->setSelLength(0);
        QCOMPARE(redPixels(view->viewport()->grab().toImage()), 0);
        view->colorRange(12, 5, HighlightColor);
        QVERIFY(redPixels(view->viewport()->grab().toImage()) > 20);
        show("hello"); // new text, no colours
        QVERIFY(view->marks().isEmpty());
    }

    void keysAndMouseSelectAndMoveButNeverEdit() {
        show("ab\xc3\xa9\ncd\nef");
        view->setFocus();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(view.get(), Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(view->selText(), QByteArray("ab\xc3\xa9"));
        QTest::keyClick(view.get(), Qt::Key_Down);
        QCOMPARE(view->selStart(), qint64(7)); // end of "cd"
        QTest::keyClick(view.get(), Qt::Key_Home, Qt::ShiftModifier);
        QCOMPARE(view->selText(), QByteArray("cd"));
        QTest::keyClick(view.get(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(view->selLength(), qint64(10));
        QTest::keyClicks(view.get(), "xyz");
        QTest::keyClick(view.get(), Qt::Key_Delete);
        QCOMPARE(view->text().toByteArray(), QByteArray("ab\xc3\xa9\ncd\nef"));
        // The main window's shortcuts are left to it.
        for (const Qt::Key key : {Qt::Key_C, Qt::Key_O}) {
            QKeyEvent override(QEvent::ShortcutOverride, key, Qt::ControlModifier);
            QApplication::sendEvent(view.get(), &override);
            QVERIFY(!override.isAccepted());
        }
        // Dragging selects; a double click takes a word.
        show("alpha beta gamma\n");
        view->updateGeometryNow();
        QWidget *vp = view->viewport();
        QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(3, 8));
        QTest::mouseMove(vp, QPoint(300, 8));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(300, 8));
        QCOMPARE(view->selText(), QByteArray("alpha beta gamma"));
        const int x = QFontMetrics(view->font()).horizontalAdvance("alpha be") + 2;
        QTest::mouseDClick(vp, Qt::LeftButton, {}, QPoint(x, 8));
        QCOMPARE(view->selText(), QByteArray("beta"));
    }

    // Offsets count characters, not bytes.
    void accessibleTextCountsCharacters() {
        show("f\xc3\xafrst line\nsecond ERROR line\nth\xc3\xa9 end");
        view->colorRange(19, 5, HighlightColor);
        view->setSelStart(12);
        view->setSelLength(6);
        QAccessibleTextInterface *text =
            QAccessible::queryAccessibleInterface(view.get())->textInterface();
        QCOMPARE(text->characterCount(), 36);
        QCOMPARE(text->text(29, 35), QString::fromUtf8("th\xc3\xa9 en"));
        int start = -1, end = -1;
        QCOMPARE(text->textAtOffset(13, QAccessible::LineBoundary, &start, &end),
                 QStringLiteral("second ERROR line\n"));
        QCOMPARE(std::make_pair(start, end), std::make_pair(11, 29));
        text->selection(0, &start, &end);
        QCOMPARE(std::make_pair(start, end), std::make_pair(11, 17));
        QCOMPARE(text->attributes(19, &start, &end), QStringLiteral("color:rgb(255,0,0);"));
        QCOMPARE(std::make_pair(start, end), std::make_pair(18, 23));
        text->setSelection(0, 0, 5);
        QCOMPARE(view->selText(), QByteArray("f\xc3\xafrst"));
        // A replacement, as a rotated log gets it, is counted afresh.
        show(QByteArray("\xc3\xa9").repeated(40000));
        QCOMPARE(text->characterCount(), 40000);
        const Contents ascii = Contents::fromByteArray(QByteArray(80000, 'x'));
        std::unique_ptr<TextPreparation> prepared = view->prepareText();
        prepared->extend(ascii.data(), ascii.size());
        view->setPreparedText(ascii, std::move(prepared));
        QCOMPARE(text->characterCount(), 80000);
        // An append announces its text, in characters, up to a cap.
        show("\xc3\xa9t\xc3\xa9\n");
        view->setSelStart(6);
        view->setSelText(Contents::fromByteArray("\xf0\x9f\x98\x80 ok\n"));
        auto event = RichTextAccessible::insertion(view.get(), 6);
        QCOMPARE(event->changePosition(), 4);
        QCOMPARE(event->textInserted(), QString::fromUtf8("\xf0\x9f\x98\x80 ok\n"));
        view->setSelText(Contents::fromByteArray(QByteArray(100000, 'x')));
        event = RichTextAccessible::insertion(view.get(), 14);
        QCOMPARE(event->changePosition(), 10);
        QCOMPARE(event->textInserted(), QString(64 * 1024, 'x'));
    }

    // A large text replaced while an accessibility tool looks at the view: the user-interface
    // thread counts no whole text (a prepared text brings its counts, a conversion near the
    // start counts only that far), and the old text's pages go back on the release thread.
    void replacingALargeTextLeavesTheWholeTextAlone_data() {
        QTest::addColumn<bool>("prepared");
        QTest::newRow("text set as it is") << false;
        QTest::newRow("text prepared as it was read") << true;
    }
    void replacingALargeTextLeavesTheWholeTextAlone() {
        QFETCH(bool, prepared);
        const auto guard = qScopeGuard([] { PageRelease::hold(false); });
        QAccessibleTextInterface *access =
            QAccessible::queryAccessibleInterface(view.get())->textInterface();
        const QByteArray line = QByteArray(99, 'x') + '\n';
        const qint64 lines = 8 * 1024 * 1024 / line.size();
        std::weak_ptr<ByteStore> old;
        {
            const Contents first = Contents::fromByteArray(line.repeated(lines));
            old = first.store();
            view->setText(first);
        }
        Contents text = Contents::fromByteArray(QByteArray("\xc3\xa9") + line.repeated(lines));
        PageRelease::hold(true);
        if (prepared) {
            std::unique_ptr<TextPreparation> preparation = view->prepareText();
            for (qint64 size = 0; size < text.size();)
                preparation->extend(text.data(), size = qMin(text.size(), size + (1 << 20)));
            view->setPreparedText(text, std::move(preparation));
        } else {
            view->setText(text);
        }
        QVERIFY(old.expired());
        QVERIFY(PageRelease::pending() > 0);
        PageRelease::hold(false);
        QTRY_COMPARE(PageRelease::pending(), 0);

        QCOMPARE(access->text(0, 3), QString::fromUtf8("\xc3\xa9xx"));
        const qint64 counted = view->viewText().charOffsets().bytesCountedOnDemand();
        QVERIFY2(counted <= 2 * CharOffsets::Step, QByteArray::number(counted));
        if (!prepared)
            return;
        view->setSelStart(text.size());
        text.append("\xc3\xa9\n", 3);
        view->setSelText(text.mid(text.size() - 3));
        QCOMPARE(RichTextAccessible::insertion(view.get(), text.size() - 3)->changePosition(),
                 int(text.size() - 4));
        QCOMPARE(access->characterCount(), int(text.size() - 2));
        QVERIFY(view->viewText().charOffsets().bytesCountedOnDemand() <= 2 * CharOffsets::Step);
    }

    // A store outgrown by an append is copied on the reading thread; the view takes the copy
    // over as its own text's continuation, without comparing what it already shows (a byte
    // of the copy changed behind its back shows that it did not look).
    void appendInAStoreItsTextOutgrewIsShared() {
        Contents text = Contents::fromByteArray("first\n");
        view->setText(text);
        text.append(QByteArray(64 << 20, 'y').constData(), 64 << 20);
        QVERIFY(text.store() != view->text().store());
        const_cast<char *>(text.data())[0] = 'F';
        view->setSelStart(6);
        view->setSelText(text.mid(6));
        QCOMPARE(view->text().store(), text.store());
        QCOMPARE(view->text().size(), text.size());
    }

    // Small texts built at once; enough lines for several blocks, grown in steps that cut lines
    // anywhere, as appends do; enough for several segments, grown as the view's own or through
    // extensions made for each step.
    void lineIndex_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("step"); // 0: built at once
        QTest::addColumn<bool>("extensions");
        QTest::newRow("empty text has one empty line") << QByteArray() << 0 << false;
        QTest::newRow("final line feed opens an empty last line")
            << QByteArray("a\nbc\n") << 0 << false;
        QTest::newRow("empty lines") << QByteArray("\n\n") << 0 << false;
        QTest::newRow("CR LF: the line starts after the LF") << QByteArray("a\r\nb") << 0 << false;
        QByteArray numbers;
        for (int i = 0; i < 50000; ++i)
            numbers += QByteArray::number(i) + '\n';
        QTest::newRow("many lines grown byte by byte") << numbers << 1 << false;
        QTest::newRow("many lines grown in cuts inside lines") << numbers << 7 << false;
        QTest::newRow("many lines grown in large steps") << numbers << 50000 << false;
        QByteArray more = QByteArray("\n").repeated(1100000) + numbers;
        QTest::newRow("lines of several segments") << more << 300001 << false;
        QTest::newRow("lines of several segments, through extensions") << more << 300001 << true;
    }
    void lineIndex() {
        QFETCH(QByteArray, text);
        QFETCH(int, step);
        QFETCH(bool, extensions);
        QList<qint64> starts{0};
        for (qsizetype i = text.indexOf('\n'); i >= 0; i = text.indexOf('\n', i + 1))
            starts << i + 1;
        LineIndex index;
        index.build("x\ny\nz\n", 6); // rebuilt: the old text is forgotten
        index.build(text.constData(), step ? 0 : text.size());
        for (qsizetype size = 0; step && size < text.size();) {
            size = qMin(text.size(), size + step);
            const std::unique_ptr<LineIndex::Extension> extension =
                extensions ? index.prepareExtension() : nullptr;
            if (extension) {
                extension->extend(text.constData(), size);
                QVERIFY(index.publish(*extension));
            } else {
                index.extend(text.constData(), size);
            }
        }
        QCOMPARE(index.lineCount(), qint64(starts.size()));
        for (int line = 0; line < starts.size(); line += 1 + int(starts.size()) / 60) {
            QCOMPARE(index.lineStart(line), starts[line]);
            QCOMPARE(index.lineAt(starts[line]), qint64(line));
            QVERIFY(line == 0 || index.lineAt(starts[line] - 1) == line - 1);
            QCOMPARE(index.lineLimit(line), starts.value(line + 1, text.size()));
        }
        QCOMPARE(index.lineAt(text.size() + 10), qint64(starts.size() - 1));
        QVERIFY(starts.size() < 1000 || index.memoryUsage() < starts.size() * 5);
    }

    void marksMergeAndSplit_data() {
        QTest::addColumn<Ranges>("assigned");
        QTest::addColumn<Ranges>("expected");
        QTest::newRow("adjacent and overlapping matches of one colour are one range")
            << Ranges{{0, 5, 255}, {5, 10, 255}, {9, 12, 255}} << Ranges{{0, 12, 255}};
        QTest::newRow("marking out of order keeps ranges apart and sorted")
            << Ranges{{20, 25, 255}, {0, 5, 255}} << Ranges{{0, 5, 255}, {20, 25, 255}};
        QTest::newRow("another colour splits a range")
            << Ranges{{0, 10, 255}, {3, 5, 0}} << Ranges{{0, 3, 255}, {3, 5, 0}, {5, 10, 255}};
        QTest::newRow("a range over several replaces them")
            << Ranges{{0, 2, 1}, {4, 6, 2}, {8, 10, 3}, {1, 9, 255}}
            << Ranges{{0, 1, 1}, {1, 9, 255}, {9, 10, 3}};
        QTest::newRow("empty range does nothing") << Ranges{{4, 4, 255}} << Ranges{};
        QTest::newRow("a replacement moves the marks after it") // [8, 12) becomes one byte
            << Ranges{{0, 4, 255}, {6, 10, 255}, {20, 24, 255}, {8, 4, 1, -1}}
            << Ranges{{0, 4, 255}, {6, 8, 255}, {17, 21, 255}};
    }
    void marksMergeAndSplit() {
        QFETCH(Ranges, assigned);
        QFETCH(Ranges, expected);
        MarkSet marks;
        for (const auto &r : assigned) // four numbers: start, old and new length of a replacement
            r.size() == 4 ? marks.replace(r[0], r[1], r[2])
                          : marks.assign(r[0], r[1], ColorNumber(r[2]));
        QCOMPARE(ranges(marks), expected);
        if (assigned.back().size() == 4) // in marks: the first ending after, the first past
            QCOMPARE(marks.overlapping(5, 18), std::make_pair(1, 3));
    }

    void saveWritesExactlyTheBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty text gives an empty file") << QByteArray();
        QTest::newRow("NUL, invalid UTF-8 and CR LF are kept")
            << QByteArray("a\0b\r\n\xff\xfe\xc3(\n\xe9t\xe9", 13);
        QByteArray big(3 * 1024 * 1024 + 17, 'x');
        for (int i = 0; i < big.size(); i += 97)
            big[i] = char(i % 256);
        QTest::newRow("several megabytes") << big;
    }
    // (A save that fails is reported by the Save As command.)
    void saveWritesExactlyTheBytes() {
        QFETCH(QByteArray, bytes);
        // Shown in two parts, as a file read and then appended to.
        view->setText(Contents::fromByteArray(bytes.left(bytes.size() / 2)));
        view->setSelStart(bytes.size());
        view->setSelText(Contents::fromByteArray(bytes.mid(bytes.size() / 2)));
        QFile file(dir.filePath("saved.log"));
        QVERIFY(file.open(QIODevice::WriteOnly)); // an existing file is replaced
        file.close();
        QString error;
        QVERIFY2(view->SaveFile(file.fileName(), 1, &error), qPrintable(error));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"saved.log"}); // no leftovers
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
    }

    // The whole text, wrapped, on several pages, with its red marks and its tab columns kept.
    // (That a selection prints only itself is checked through the Print command.)
    void printHoldsTheTextOnPagesWithTheRedMarksAndTabColumns() {
        QByteArray text = "a\tbeta\tc ERROR\nlonger\tx\ty\n";
        for (int i = 1; i < 300; ++i)
            text += "line" + QByteArray::number(i) + '\n';
        for (int i = 0; i < 200; ++i)
            text += "w" + QByteArray::number(i) + ' ';
        view->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 10)); // columns in blanks
        view->setText(Contents::fromByteArray(text));
        view->colorRange(9, 5, HighlightColor);
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(pdf); // a PDF by its suffix
        view->SelPrint(printer);
        PDF_TEXT_OR_SKIP(printed, pdf);
        for (const QString word : {"ERROR", "line1", "line299", "w0", "w199"})
            QVERIFY2(printed.contains(word), qPrintable(word + " missing from: " + printed));
        const QStringList rows = printed.split('\n');
        QVERIFY(printed.count('\f') >= 3); // 300 lines need pages; the long line wraps
        QVERIFY(rows.indexOf(QRegularExpression(".*\\bw199\\b.*")) >
                rows.indexOf(QRegularExpression(".*\\bw0 .*")));
        const int first = int(rows.indexOf(QRegularExpression(".*\\bbeta\\b.*")));
        QVERIFY2(first >= 0 && first + 1 < rows.size(), qPrintable(printed));
        QCOMPARE(rows[first].indexOf(QStringLiteral("beta")), rows[first + 1].indexOf('x'));
        QCOMPARE(rows[first].lastIndexOf('c'), rows[first + 1].indexOf('y'));
        QProcess p;
        p.start("pdftoppm", {"-r", "100", "-png", "-singlefile", pdf, dir.filePath("page")});
        QVERIFY(p.waitForFinished(30000) && p.exitCode() == 0);
        QVERIFY2(redPixels(QImage(dir.filePath("page.png"))) > 10, "no red highlight on paper");
    }
};

QTEST_MAIN(tst_RichTextView)
#include "tst_richtextview.moc"
