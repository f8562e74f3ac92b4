#include "document/richtextaccessible.h"
#include "document/richtextview.h"

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QScrollBar>
#include <QtTest>

using namespace Orvik;

namespace {
Contents bytes(const QByteArray &b) {
    return Contents::fromByteArray(b);
}

int countRedPixels(const QImage &image) {
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 80 && c.blue() < 80)
                ++red;
        }
    return red;
}
} // namespace

class tst_RichTextView : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void offsetsAreBytes_data();
    void offsetsAreBytes();
    void crLfEndsLinesAndIsKept();
    void controlBytesShowPlaceholders();
    void wrapRowsFollowTheWidth();
    void selStartPastTheEndGoesToTheEndAndShowsIt();
    void selLengthIsClampedToTheText();
    void readerAwayFromTheEndKeepsItsPlace();
    void coloursSurviveAppendAndGoWithText();
    void colouredTextIsPaintedRed();
    void appendContinuingTheStoreSharesIt();
    void appendFromAnotherStoreIsKept();
    void selTextReplacesTheSelection();
    void keysSelectAndMove();
    void shortcutsOfTheMainWindowAreNotTaken();
    void mouseSelectsAndDoubleClickTakesAWord();
    void accessibleTextReadsByRange();
    void accessibleInsertionCarriesTheText();

private:
    RichTextView *m_view = nullptr;
};

void tst_RichTextView::init() {
    m_view = new RichTextView;
    m_view->resize(400, 300);
    m_view->show();
}

void tst_RichTextView::cleanup() {
    delete m_view;
    m_view = nullptr;
}

void tst_RichTextView::offsetsAreBytes_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<QString>("shown");

    QTest::newRow("utf-8 line: two bytes make one character")
        << QByteArray("h\xc3\xa9llo\nnext") << qint64(1) << qint64(2) << QString::fromUtf16(u"é");
    QTest::newRow("utf-8 line: after the multi-byte character")
        << QByteArray("h\xc3\xa9llo\nnext") << qint64(3) << qint64(3) << QStringLiteral("llo");
    QTest::newRow("latin-1 line: one character per byte")
        << QByteArray("ok\nabc\xe9\xe8z\n") << qint64(6) << qint64(2) << QString::fromUtf16(u"éè");
    QTest::newRow("a latin-1 line does not spoil a utf-8 line")
        << QByteArray("\xe9t\xe9\n\xe2\x82\xac 5") << qint64(4) << qint64(5)
        << QString::fromUtf16(u"€ 5");
    QTest::newRow("four-byte character") << QByteArray("a\xf0\x9f\x98\x80z") << qint64(1)
                                         << qint64(4) << QString::fromUtf8("\xf0\x9f\x98\x80");
    QTest::newRow("overlong form is not utf-8")
        << QByteArray("\xc0\xafx") << qint64(0) << qint64(2) << QString::fromUtf16(u"\u00c0\u00af");
}

void tst_RichTextView::offsetsAreBytes() {
    QFETCH(QByteArray, text);
    QFETCH(qint64, start);
    QFETCH(qint64, length);
    QFETCH(QString, shown);
    m_view->setText(bytes(text));
    m_view->setSelStart(start);
    m_view->setSelLength(length);
    QCOMPARE(m_view->selStart(), start);
    QCOMPARE(m_view->selLength(), length);
    QCOMPARE(m_view->selText(), text.mid(start, length));
    QCOMPARE(m_view->selectedPlainText(), shown);
}

void tst_RichTextView::crLfEndsLinesAndIsKept() {
    const QByteArray text("one\r\ntwo\r\nthree");
    m_view->setText(bytes(text));
    const ViewText &t = m_view->viewText();
    QCOMPARE(t.lineCount(), qint64(3));
    QCOMPARE(t.lineEnd(0), qint64(3));
    QCOMPARE(t.lineStart(1), qint64(5));
    QCOMPARE(t.decode(0, t.piece(0, 0)).text, QStringLiteral("one"));
    QCOMPARE(m_view->countRows(), qint64(3));
    // The bytes stay as they are: copying and reading give CR LF back.
    QCOMPARE(m_view->plainText(), QString::fromLatin1(text));
    m_view->setSelStart(2);
    m_view->setSelLength(4);
    QCOMPARE(m_view->selText(), QByteArray("e\r\nt"));
    // Caret steps treat CR LF as one line break.
    QCOMPARE(t.nextCharOffset(3), qint64(5));
    QCOMPARE(t.prevCharOffset(5), qint64(3));
}

void tst_RichTextView::controlBytesShowPlaceholders() {
    m_view->setText(bytes(QByteArray("a\0b\tc\x1b\x7f", 7)));
    const ViewText &t = m_view->viewText();
    const QString shown = t.decode(0, t.piece(0, 0)).text;
    QCOMPARE(shown, QString::fromUtf16(u"a\u2400b\tc\u241b\u2421"));
    // A lone CR is not a line end and shows as a control.
    m_view->setText(bytes("x\ry"));
    QCOMPARE(t.lineCount(), qint64(1));
    QCOMPARE(t.decode(0, t.piece(0, 0)).text, QString::fromUtf16(u"x\u240dy"));
}

void tst_RichTextView::wrapRowsFollowTheWidth() {
    QByteArray line;
    for (int i = 0; i < 60; ++i)
        line += "word" + QByteArray::number(i) + ' ';
    m_view->setText(bytes(line + "\nshort\n"));
    m_view->setRightMargin(200);
    const qint64 narrow = m_view->countRows();
    m_view->setRightMargin(600);
    const qint64 wide = m_view->countRows();
    QVERIFY2(narrow > wide, qPrintable(QStringLiteral("%1 vs %2").arg(narrow).arg(wide)));
    QVERIFY(wide > 3);
    // Margin 0 wraps at the viewport's width.
    m_view->setRightMargin(0);
    m_view->resize(250, 300);
    const qint64 atViewport = m_view->countRows();
    QVERIFY(atViewport > wide);
    m_view->resize(700, 300);
    const qint64 atWide = m_view->countRows();
    QVERIFY(atWide < atViewport);
    // A margin wider than the viewport wraps at what is visible: nothing hides.
    m_view->setRightMargin(2000);
    QCOMPARE(m_view->countRows(), atWide);
}

void tst_RichTextView::selStartPastTheEndGoesToTheEndAndShowsIt() {
    QByteArray text;
    for (int i = 0; i < 500; ++i)
        text += "line " + QByteArray::number(i) + '\n';
    text += "last";
    m_view->setText(bytes(text));
    m_view->setSelStart(text.size() + 100);
    QCOMPARE(m_view->selStart(), qint64(text.size()));
    QCOMPARE(m_view->selLength(), qint64(0));
    m_view->updateGeometryNow();
    QScrollBar *bar = m_view->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(m_view->topOffset() > text.size() - 400);
    m_view->setSelStart(0);
    m_view->updateGeometryNow();
    QCOMPARE(m_view->topOffset(), qint64(0));
    QCOMPARE(bar->value(), 0);
}

// An append keeps a selection, a caret away from the end and the rows on screen; the view
// follows again once the end is back in view.
void tst_RichTextView::readerAwayFromTheEndKeepsItsPlace() {
    QByteArray text;
    for (int i = 0; i < 500; ++i)
        text += "line " + QByteArray::number(i) + '\n';
    m_view->setText(bytes(text));
    m_view->setSelStart(text.size());
    m_view->updateGeometryNow();
    QVERIFY(m_view->followsEnd());
    m_view->setSelStart(7);
    m_view->setSelLength(6);
    m_view->updateGeometryNow();
    QVERIFY(!m_view->followsEnd());
    const qint64 top = m_view->topOffset();
    m_view->appendKeepingSelection(bytes("more\n"));
    m_view->updateGeometryNow();
    QCOMPARE(m_view->selectedPlainText(), QStringLiteral("line 1"));
    QCOMPARE(m_view->topOffset(), top);
    QCOMPARE(m_view->text().size(), qint64(text.size() + 5));

    m_view->setSelStart(7); // a bare caret, the end out of view
    m_view->updateGeometryNow();
    QVERIFY(!m_view->followsEnd());
    m_view->setFocus();
    QTest::keyClick(m_view, Qt::Key_End, Qt::ControlModifier);
    m_view->updateGeometryNow();
    QVERIFY(m_view->followsEnd());
    QScrollBar *bar = m_view->verticalScrollBar();
    bar->setValue(0);
    QVERIFY(!m_view->followsEnd());
    bar->setValue(bar->maximum());
    QVERIFY(m_view->followsEnd());
}

void tst_RichTextView::selLengthIsClampedToTheText() {
    m_view->setText(bytes("abcdef"));
    m_view->setSelStart(4);
    m_view->setSelLength(10);
    QCOMPARE(m_view->selLength(), qint64(2));
    QCOMPARE(m_view->selText(), QByteArray("ef"));
    m_view->setSelLength(0);
    QCOMPARE(m_view->selText(), QByteArray());
}

void tst_RichTextView::coloursSurviveAppendAndGoWithText() {
    m_view->setText(bytes("an ERROR here\n"));
    m_view->setSelStart(3);
    m_view->setSelLength(5);
    m_view->setSelColor(HighlightColor);
    QCOMPARE(m_view->marks().count(), 1);
    m_view->setSelStart(14);
    m_view->setSelText(bytes("more text\n"));
    QCOMPARE(m_view->selStart(), qint64(24));
    QCOMPARE(m_view->marks().count(), 1);
    QCOMPARE(m_view->marks().marks()[0].start, qint64(3));
    QCOMPARE(m_view->marks().marks()[0].end, qint64(8));
    // Colouring without the selection leaves caret and selection alone.
    m_view->colorRange(15, 4, HighlightColor);
    QCOMPARE(m_view->selStart(), qint64(24));
    QCOMPARE(m_view->marks().count(), 2);
    m_view->setText(bytes("an ERROR here\n"));
    QVERIFY(m_view->marks().isEmpty());
}

void tst_RichTextView::colouredTextIsPaintedRed() {
    QFont font = m_view->font();
    font.setPointSize(20);
    m_view->setFont(font);
    m_view->setText(bytes("plain ERROR plain\n"));
    const QImage before = m_view->viewport()->grab().toImage();
    QCOMPARE(countRedPixels(before), 0);
    m_view->colorRange(6, 5, HighlightColor);
    const QImage after = m_view->viewport()->grab().toImage();
    QVERIFY(countRedPixels(after) > 20);
}

void tst_RichTextView::appendContinuingTheStoreSharesIt() {
    Contents table = Contents::fromByteArray("first line\n");
    m_view->setText(table);
    const qint64 before = table.size();
    table.append("second line\n", 12);
    m_view->setSelStart(before);
    m_view->setSelText(table.mid(before));
    QCOMPARE(m_view->viewText().data(), table.data());
    QCOMPARE(m_view->viewText().size(), table.size());
    QCOMPARE(m_view->viewText().lineCount(), qint64(3));
    QCOMPARE(m_view->text().toByteArray(), table.toByteArray());
    QCOMPARE(m_view->plainText(), QStringLiteral("first line\nsecond line\n"));
}

void tst_RichTextView::appendFromAnotherStoreIsKept() {
    m_view->setText(bytes("abc"));
    m_view->setSelStart(3);
    m_view->setSelText(bytes("def\nghi"));
    QCOMPARE(m_view->text().toByteArray(), QByteArray("abcdef\nghi"));
    QCOMPARE(m_view->viewText().lineCount(), qint64(2));
    QCOMPARE(m_view->selStart(), qint64(10));
}

void tst_RichTextView::selTextReplacesTheSelection() {
    m_view->setText(bytes("hello world\nbye"));
    m_view->colorRange(12, 3, HighlightColor);
    m_view->setSelStart(6);
    m_view->setSelLength(5);
    m_view->setSelText(bytes("there, everyone"));
    QCOMPARE(m_view->text().toByteArray(), QByteArray("hello there, everyone\nbye"));
    QCOMPARE(m_view->selStart(), qint64(21));
    QCOMPARE(m_view->selLength(), qint64(0));
    // The colour moved with its text.
    QCOMPARE(m_view->marks().marks()[0].start, qint64(22));
    m_view->setSelStart(0);
    m_view->setSelText(bytes(">"));
    QCOMPARE(m_view->text().toByteArray(), QByteArray(">hello there, everyone\nbye"));
}

void tst_RichTextView::keysSelectAndMove() {
    m_view->setText(bytes("ab\xc3\xa9\ncd\nef"));
    m_view->setFocus();
    m_view->setSelStart(0);
    QTest::keyClick(m_view, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(m_view, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(m_view, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(m_view->selText(), QByteArray("ab\xc3\xa9"));
    QTest::keyClick(m_view, Qt::Key_Down);
    QCOMPARE(m_view->selLength(), qint64(0));
    QCOMPARE(m_view->selStart(), qint64(7)); // end of "cd"
    QTest::keyClick(m_view, Qt::Key_Home, Qt::ShiftModifier);
    QCOMPARE(m_view->selText(), QByteArray("cd"));
    QTest::keyClick(m_view, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(m_view->selStart(), qint64(10));
    QTest::keyClick(m_view, Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_view->selLength(), qint64(10));
    QTest::keyClick(m_view, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(m_view->selStart(), qint64(0));
    QCOMPARE(m_view->selLength(), qint64(10));
    // Typing changes nothing: the view is read-only.
    QTest::keyClicks(m_view, "xyz");
    QTest::keyClick(m_view, Qt::Key_Delete);
    QCOMPARE(m_view->text().toByteArray(), QByteArray("ab\xc3\xa9\ncd\nef"));
}

void tst_RichTextView::shortcutsOfTheMainWindowAreNotTaken() {
    m_view->setText(bytes("text"));
    for (const QKeyCombination key : {QKeyCombination(Qt::ControlModifier, Qt::Key_C),
                                      QKeyCombination(Qt::ControlModifier, Qt::Key_O)}) {
        QKeyEvent override(QEvent::ShortcutOverride, key.key(), key.keyboardModifiers());
        QApplication::sendEvent(m_view, &override);
        QVERIFY(!override.isAccepted());
        QKeyEvent press(QEvent::KeyPress, key.key(), key.keyboardModifiers());
        QApplication::sendEvent(m_view, &press);
        QVERIFY(!press.isAccepted());
    }
}

void tst_RichTextView::mouseSelectsAndDoubleClickTakesAWord() {
    m_view->setText(bytes("alpha beta gamma\n"));
    m_view->updateGeometryNow();
    QWidget *vp = m_view->viewport();
    QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(3, 8));
    QCOMPARE(m_view->selStart(), qint64(0));
    QTest::mouseMove(vp, QPoint(300, 8));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(300, 8));
    QCOMPARE(m_view->selText(), QByteArray("alpha beta gamma"));
    const int x = QFontMetrics(m_view->font()).horizontalAdvance("alpha be") + 2;
    QTest::mouseDClick(vp, Qt::LeftButton, {}, QPoint(x, 8));
    QCOMPARE(m_view->selText(), QByteArray("beta"));
}

void tst_RichTextView::accessibleTextReadsByRange() {
    m_view->setText(bytes("f\xc3\xafrst line\nsecond ERROR line\nth\xc3\xa9 end"));
    m_view->colorRange(19, 5, HighlightColor);
    m_view->setSelStart(12);
    m_view->setSelLength(6);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(m_view);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::EditableText);
    QVERIFY(iface->state().readOnly);
    QVERIFY(iface->state().multiLine);
    QAccessibleTextInterface *text = iface->textInterface();
    QVERIFY(text);
    // Offsets count characters, not bytes.
    QCOMPARE(text->characterCount(), 36);
    QCOMPARE(text->text(0, 5), QString::fromUtf8("f\xc3\xafrst"));
    QCOMPARE(text->text(29, 35), QString::fromUtf8("th\xc3\xa9 en"));
    int start = -1;
    int end = -1;
    QCOMPARE(text->textAtOffset(13, QAccessible::LineBoundary, &start, &end),
             QStringLiteral("second ERROR line\n"));
    QCOMPARE(start, 11);
    QCOMPARE(end, 29);
    QCOMPARE(text->textAtOffset(20, QAccessible::WordBoundary, &start, &end),
             QStringLiteral("ERROR"));
    QCOMPARE(text->textAfterOffset(13, QAccessible::LineBoundary, &start, &end),
             QString::fromUtf8("th\xc3\xa9 end"));
    QCOMPARE(text->selectionCount(), 1);
    text->selection(0, &start, &end);
    QCOMPARE(start, 11);
    QCOMPARE(end, 17);
    QCOMPARE(text->cursorPosition(), 17);
    QCOMPARE(text->attributes(19, &start, &end), QStringLiteral("color:rgb(255,0,0);"));
    QCOMPARE(start, 18);
    QCOMPARE(end, 23);
    QVERIFY(text->attributes(5, &start, &end).isEmpty());
    QCOMPARE(end, 18);
    // The first row is on screen: it has a place, and the place gives its offset back.
    const QRect box = text->characterRect(2);
    QVERIFY(box.isValid());
    QCOMPARE(text->offsetAtPoint(box.center()), 2);
    // Tools may select and move the caret.
    text->setSelection(0, 0, 5);
    QCOMPARE(m_view->selText(), QByteArray("f\xc3\xafrst"));
    QCOMPARE(iface->text(QAccessible::Value), m_view->plainText());
}

void tst_RichTextView::accessibleInsertionCarriesTheText() {
    m_view->setText(bytes("\xc3\xa9t\xc3\xa9\n"));
    m_view->setSelStart(6);
    m_view->setSelText(bytes("\xf0\x9f\x98\x80 ok\n"));
    auto event = RichTextAccessible::insertion(m_view, 6);
    QCOMPARE(event->changePosition(), 4);
    QCOMPARE(event->textInserted(), QString::fromUtf8("\xf0\x9f\x98\x80 ok\n"));
    m_view->setSelText(bytes(QByteArray(100000, 'x'))); // a large append: its beginning
    event = RichTextAccessible::insertion(m_view, 14);
    QCOMPARE(event->changePosition(), 10);
    QCOMPARE(event->textInserted(), QString(64 * 1024, 'x'));
}

QTEST_MAIN(tst_RichTextView)
#include "tst_richtextview.moc"
