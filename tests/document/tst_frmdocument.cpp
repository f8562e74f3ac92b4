#include "document/frmdocument.h"
#include "document/twips.h"
#include "support/coreharness.h"

#include <QMdiArea>
#include <QMimeData>
#include <QUrl>
#include <QtTest>

using namespace Orvik;

// The document window: its view fitted with a margin, its slot given back however it
// closes, and drops on its view handed to the drop operations.
class tst_frmDocument : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void createdAsTheTableExpects();
    void viewFitsTheClientAreaWithAMargin_data();
    void viewFitsTheClientAreaWithAMargin();
    void tooSmallAClientAreaLeavesTheViewAsItIs();
    void closingGivesTheSlotBack_data();
    void closingGivesTheSlotBack();
    void closingAllAtShutDownEmptiesTheTable();
    void moveToRefusesANonPositiveSize();
    void onlyFileDropsAreTakenAndTheyOpenDocuments();

private:
    frmDocument *addWindow(int slot, const QByteArray &text = "text\n");

    CoreHarness *m_core = nullptr;
    QMdiArea *m_area = nullptr;
};

void tst_frmDocument::init() {
    m_core = new CoreHarness;
    m_area = new QMdiArea;
    m_area->resize(900, 700);
    m_area->show();
}

void tst_frmDocument::cleanup() {
    delete m_area;
    delete m_core;
}

frmDocument *tst_frmDocument::addWindow(int slot, const QByteArray &text) {
    auto *window = new frmDocument(m_core->module);
    m_area->addSubWindow(window);
    window->show();
    window->rtfText().setVisible(true);
    window->rtfText().setText(Contents::fromByteArray(text));
    window->setTag(QString::number(slot));
    Module1 &m = m_core->module;
    m.DocCount = qMax(m.DocCount, slot);
    m.DocWindow[slot] = window;
    m.DocFileName[slot] = QStringLiteral("/logs/%1.log").arg(slot);
    m.DocContents[slot] = Contents::fromByteArray(text);
    m.DocFileSize[slot] = text.size();
    return window;
}

void tst_frmDocument::createdAsTheTableExpects() {
    frmDocument window(m_core->module);
    QCOMPARE(window.caption(), QStringLiteral("frmDocument"));
    QVERIFY(!window.windowIcon().isNull());
    QVERIFY(!window.rtfText().isVisibleTo(&window)); // shown once the font is applied
    window.setCaption(QStringLiteral("/logs/a.log - now"));
    QCOMPARE(window.windowTitle(), QStringLiteral("/logs/a.log - now"));
    window.setTag(QStringLiteral("3"));
    QCOMPARE(window.tag(), QStringLiteral("3"));
    // Until it is placed its client area keeps its size, even in a tiny workspace.
    m_area->resize(40, 40);
    frmDocument *unplaced = addWindow(1);
    QCOMPARE(unplaced->widget()->size(),
             QSize(twipsToPixelsX(3375, unplaced), twipsToPixelsY(2730, unplaced)));
}

void tst_frmDocument::viewFitsTheClientAreaWithAMargin_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("typical window") << QSize(500, 400);
    QTest::newRow("wide and low") << QSize(800, 120);
    QTest::newRow("narrow") << QSize(150, 300);
}

void tst_frmDocument::viewFitsTheClientAreaWithAMargin() {
    QFETCH(QSize, size);
    frmDocument *window = addWindow(1);
    window->resize(size);
    QWidget *client = window->widget();
    const QRect box = window->rtfText().geometry();
    QCOMPARE(box.left(), twipsToPixelsX(100, window));
    QCOMPARE(box.top(), twipsToPixelsY(100, window));
    QCOMPARE(box.width(), twipsToPixelsX(pixelsToTwipsX(client->width(), window) - 200, window));
    QCOMPARE(box.height(), twipsToPixelsY(pixelsToTwipsY(client->height(), window) - 200, window));
    QCOMPARE(window->rtfText().rightMargin(), box.width());
    // The margin holds on the right and at the bottom too (within a pixel of rounding).
    QVERIFY(qAbs((client->width() - box.right() - 1) - box.left()) <= 1);
    QVERIFY(qAbs((client->height() - box.bottom() - 1) - box.top()) <= 1);
}

void tst_frmDocument::tooSmallAClientAreaLeavesTheViewAsItIs() {
    frmDocument *window = addWindow(1);
    window->resize(400, 300);
    const QRect before = window->rtfText().geometry();
    window->widget()->resize(10, 10); // as while minimised
    QCOMPARE(window->rtfText().geometry(), before);
    QCOMPARE(window->rtfText().rightMargin(), before.width());
    window->resize(500, 350); // restored: fitted again
    QVERIFY(window->rtfText().geometry() != before);
}

void tst_frmDocument::closingGivesTheSlotBack_data() {
    QTest::addColumn<int>("closed");
    QTest::addColumn<QStringList>("remaining"); // file names of slots 1 and 2 afterwards
    QTest::newRow("first of three: the others move down")
        << 1 << QStringList{"/logs/2.log", "/logs/3.log"};
    QTest::newRow("middle of three") << 2 << QStringList{"/logs/1.log", "/logs/3.log"};
    QTest::newRow("last of three: the others unchanged")
        << 3 << QStringList{"/logs/1.log", "/logs/2.log"};
}

void tst_frmDocument::closingGivesTheSlotBack() {
    QFETCH(int, closed);
    QFETCH(QStringList, remaining);
    QList<QPointer<frmDocument>> windows;
    for (int slot = 1; slot <= 3; ++slot)
        windows.append(addWindow(slot));
    frmDocument *closing = windows[closed - 1];
    m_core->main.timer.enabledHistory.clear();

    QVERIFY(closing->close());
    Module1 &m = m_core->module;
    QCOMPARE(m.DocCount, 2);
    QCOMPARE(closing->rtfText().viewText().size(), qint64(0)); // emptied
    QCOMPARE(m_core->main.timer.enabledHistory, (std::vector<bool>{false, true}));
    for (int slot = 1; slot <= 2; ++slot) {
        QCOMPARE(m.DocFileName[slot], remaining[slot - 1]);
        QCOMPARE(m.DocWindow[slot]->tag(), QString::number(slot));
        QVERIFY(m.DocWindow[slot] != closing);
    }
    QVERIFY(m.DocWindow[3] == nullptr);
    // The window goes away with the event loop; the table no longer refers to it.
    QTRY_VERIFY(windows[closed - 1].isNull());
}

void tst_frmDocument::closingAllAtShutDownEmptiesTheTable() {
    for (int slot = 1; slot <= 3; ++slot)
        addWindow(slot);
    m_area->closeAllSubWindows();
    QCOMPARE(m_core->module.DocCount, 0);
    QVERIFY(m_core->main.timer.isEnabled());
}

void tst_frmDocument::moveToRefusesANonPositiveSize() {
    frmDocument *window = addWindow(1);
    QVERIFY(window->moveTo(QRect(10, 20, 300, 200)));
    QCOMPARE(window->geometry(), QRect(10, 20, 300, 200));
    QVERIFY(!window->moveTo(QRect(0, 0, 0, 100)));
    QVERIFY(!window->moveTo(QRect(0, 0, 100, -5)));
    QCOMPARE(window->geometry(), QRect(10, 20, 300, 200));
}

void tst_frmDocument::onlyFileDropsAreTakenAndTheyOpenDocuments() {
    frmDocument *window = addWindow(1, "original\n");
    const QString path = m_core->write(QStringLiteral("dropped.log"), "dropped text\n");

    QMimeData text;
    text.setText(QStringLiteral("some text"));
    QDragMoveEvent overText(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &text, Qt::LeftButton,
                            {});
    window->rtfText_OLEDragOver(&overText);
    QVERIFY(!overText.isAccepted());

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(path)});
    QDragMoveEvent onlyMove(QPoint(5, 5), Qt::MoveAction, &files, Qt::LeftButton, {});
    window->rtfText_OLEDragOver(&onlyMove);
    QVERIFY(!onlyMove.isAccepted());
    QDragMoveEvent over(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &files, Qt::LeftButton, {});
    window->rtfText_OLEDragOver(&over);
    QVERIFY(over.isAccepted());
    QCOMPARE(over.dropAction(), Qt::CopyAction);

    QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &files, Qt::LeftButton, {});
    window->rtfText_OLEDragDrop(&drop);
    QCOMPARE(m_core->module.DocCount, 2);
    QCOMPARE(m_core->module.DocFileName[2], path);
    // The view itself never receives the dropped data.
    QCOMPARE(window->rtfText().text().toByteArray(), QByteArray("original\n"));
}

QTEST_MAIN(tst_frmDocument)
#include "tst_frmdocument.moc"
