#include "support/guihost.h"

#include "document/richtextaccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QScrollBar>

using namespace Orvik;

// The view: byte offsets over UTF-8 and Latin-1 lines, line ends and control bytes, wrapping,
// scrolling to the caret, colours, appends, keys, mouse and accessibility.
class tst_RichTextView : public QObject {
    Q_OBJECT
    std::unique_ptr<RichTextView> view;

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
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint64>("start");
        QTest::addColumn<qint64>("length");
        QTest::addColumn<QString>("shown");
        QTest::newRow("utf-8 line: two bytes make one character")
            << QByteArray("h\xc3\xa9llo\nnext") << qint64(1) << qint64(2)
            << QString::fromUtf16(u"é");
        QTest::newRow("latin-1 line: one character per byte")
            << QByteArray("ok\nabc\xe9\xe8z\n") << qint64(6) << qint64(2)
            << QString::fromUtf16(u"éè");
        QTest::newRow("a latin-1 line does not spoil a utf-8 line")
            << QByteArray("\xe9t\xe9\n\xe2\x82\xac 5") << qint64(4) << qint64(5)
            << QString::fromUtf16(u"€ 5");
        QTest::newRow("four-byte character") << QByteArray("a\xf0\x9f\x98\x80z") << qint64(1)
                                             << qint64(4) << QString::fromUtf8("\xf0\x9f\x98\x80");
        QTest::newRow("overlong form is not utf-8")
            << QByteArray("\xc0\xafx") << qint64(0) << qint64(2)
            << QString::fromUtf16(u"\u00c0\u00af");
    }
    void offsetsAreBytes() {
        QFETCH(QByteArray, text);
        QFETCH(qint64, start);
        QFETCH(qint64, length);
        QFETCH(QString, shown);
        show(text);
        view->setSelStart(start);
        view->setSelLength(length);
        QCOMPARE(view->selText(), text.mid(start, length));
        QCOMPARE(view->selectedPlainText(), shown);
    }

    void lineEndsAndControlBytes() {
        show("one\r\ntwo\r\nthree");
        const ViewText &t = view->viewText();
        QCOMPARE(t.lineCount(), qint64(3));
        QCOMPARE(t.lineStart(1), qint64(5));
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
        view->setSelStart(text.size() + 100);
        QCOMPARE(view->selStart(), qint64(text.size() + 4));
        view->updateGeometryNow();
        QScrollBar *bar = view->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(view->topOffset() > text.size() - 400);
        QVERIFY(view->followsEnd());
        view->setSelStart(7);
        view->setSelLength(6);
        view->updateGeometryNow();
        QVERIFY(!view->followsEnd());
        const qint64 top = view->topOffset();
        view->appendKeepingSelection(Contents::fromByteArray("more\n"));
        view->updateGeometryNow();
        QCOMPARE(view->selectedPlainText(), QStringLiteral("line 1"));
        QCOMPARE(view->topOffset(), top);
        QCOMPARE(view->text().size(), qint64(text.size() + 9));

        view->setSelStart(7); // a bare caret, the end out of view
        view->updateGeometryNow();
        QVERIFY(!view->followsEnd());
        view->setFocus();
        QTest::keyClick(view.get(), Qt::Key_End, Qt::ControlModifier);
        view->updateGeometryNow();
        QVERIFY(view->followsEnd());
        bar->setValue(0);
        QVERIFY(!view->followsEnd());
        bar->setValue(bar->maximum());
        QVERIFY(view->followsEnd());
        view->setSelStart(0);
        view->updateGeometryNow();
        QCOMPARE(view->topOffset(), qint64(0));
    }

    void coloursGoWithTheirTextAndArePaintedRed() {
        QFont font = view->font();
        font.setPointSize(20);
        view->setFont(font);
        show("hello world ERROR\n");
        QCOMPARE(redPixels(view->viewport()->grab().toImage()), 0);
        view->colorRange(12, 5, HighlightColor);
        QVERIFY(redPixels(view->viewport()->grab().toImage()) > 20);
        view->setSelStart(6);
        view->setSelLength(5);
        view->setSelText(Contents::fromByteArray("there, everyone")); // the colour moves along
        QCOMPARE(view->text().toByteArray(), QByteArray("hello there, everyone ERROR\n"));
        QCOMPARE(view->selStart(), qint64(21));
        QCOMPARE(view->marks().marks()[0].start, qint64(22));
        view->setSelStart(28);
        view->setSelText(Contents::fromByteArray("more\n")); // an append keeps the colours
        QCOMPARE(view->marks().count(), 1);
        show("hello"); // new text, no colours
        QVERIFY(view->marks().isEmpty());
    }

    void appendSharesTheStoreThatItContinues() {
        Contents table = Contents::fromByteArray("first line\n");
        view->setText(table);
        table.append("second line\n", 12);
        view->setSelStart(11);
        view->setSelText(table.mid(11));
        QCOMPARE(view->viewText().data(), table.data());
        QCOMPARE(view->viewText().lineCount(), qint64(3));
        view->setSelText(Contents::fromByteArray("from elsewhere")); // not continuing: copied
        QCOMPARE(view->plainText(), QStringLiteral("first line\nsecond line\nfrom elsewhere"));
        QCOMPARE(table.size(), qint64(23));
    }

    void keysSelectAndMoveButNeverEdit() {
        show("ab\xc3\xa9\ncd\nef");
        view->setFocus();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(view.get(), Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(view->selText(), QByteArray("ab\xc3\xa9"));
        QTest::keyClick(view.get(), Qt::Key_Down);
        QCOMPARE(view->selStart(), qint64(7)); // end of "cd"
        QTest::keyClick(view.get(), Qt::Key_Home, Qt::ShiftModifier);
        QCOMPARE(view->selText(), QByteArray("cd"));
        QTest::keyClick(view.get(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(view->selStart(), qint64(10));
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
    }

    void mouseSelectsAndDoubleClickTakesAWord() {
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
    void accessibleTextReadsByCharacters() {
        show("f\xc3\xafrst line\nsecond ERROR line\nth\xc3\xa9 end");
        view->colorRange(19, 5, HighlightColor);
        view->setSelStart(12);
        view->setSelLength(6);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(view.get());
        QVERIFY(iface->state().readOnly && iface->state().multiLine);
        QAccessibleTextInterface *text = iface->textInterface();
        QCOMPARE(text->characterCount(), 36);
        QCOMPARE(text->text(0, 5), QString::fromUtf8("f\xc3\xafrst"));
        QCOMPARE(text->text(29, 35), QString::fromUtf8("th\xc3\xa9 en"));
        int start = -1;
        int end = -1;
        QCOMPARE(text->textAtOffset(13, QAccessible::LineBoundary, &start, &end),
                 QStringLiteral("second ERROR line\n"));
        QCOMPARE(std::make_pair(start, end), std::make_pair(11, 29));
        text->selection(0, &start, &end);
        QCOMPARE(std::make_pair(start, end), std::make_pair(11, 17));
        QCOMPARE(text->attributes(19, &start, &end), QStringLiteral("color:rgb(255,0,0);"));
        QCOMPARE(std::make_pair(start, end), std::make_pair(18, 23));
        QCOMPARE(text->offsetAtPoint(text->characterRect(2).center()), 2);
        text->setSelection(0, 0, 5);
        QCOMPARE(view->selText(), QByteArray("f\xc3\xafrst"));
    }

    // An append announces its text, in characters, up to a cap.
    void accessibleInsertionCarriesTheText() {
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
};

QTEST_MAIN(tst_RichTextView)
#include "tst_richtextview.moc"
