#include "commands/windowarranger.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QtTest>

using namespace Orvik;

class tst_WindowArranger : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void tileHorizontalStacksFullWidth();
    void tileVerticalPutsSideBySide();
    void tilingRestoresMaximisedWindows();
    void minimisedWindowsStayMinimisedAndLineUpAtTheBottom_data();
    void minimisedWindowsStayMinimisedAndLineUpAtTheBottom();
    void arrangeIconsLeavesNormalWindowsAlone();
    void iconsWrapIntoRowsAboveEachOther();
    void noWindowsChangesNothing();
    void cascadeKeepsMinimisedWindowsMinimised();

private:
    QMdiSubWindow *addWindow(const QString &name);
    QRect room() const { return m_area->viewport()->rect(); }

    std::unique_ptr<QMdiArea> m_area;
    QList<QMdiSubWindow *> m_windows;
};

void tst_WindowArranger::init() {
    m_area = std::make_unique<QMdiArea>();
    m_area->resize(600, 400);
    m_area->show();
    m_windows.clear();
    for (int i = 1; i <= 3; ++i)
        m_windows.append(addWindow(QStringLiteral("Document %1").arg(i)));
}

void tst_WindowArranger::cleanup() {
    m_area.reset();
}

QMdiSubWindow *tst_WindowArranger::addWindow(const QString &name) {
    auto *window = m_area->addSubWindow(new QLabel(name));
    window->setWindowTitle(name);
    window->setMinimumSize(10, 10);
    window->resize(200, 150);
    window->show();
    return window;
}

void tst_WindowArranger::tileHorizontalStacksFullWidth() {
    WindowArranger::tileHorizontal(*m_area);
    const QRect r = room();
    int top = 0;
    for (QMdiSubWindow *window : std::as_const(m_windows)) {
        const QRect g = window->geometry();
        QCOMPARE(g.left(), 0);
        QCOMPARE(g.width(), r.width());
        QCOMPARE(g.top(), top);
        QVERIFY(qAbs(g.height() - r.height() / 3) <= 1);
        top += g.height();
    }
    QCOMPARE(top, r.height());
}

void tst_WindowArranger::tileVerticalPutsSideBySide() {
    WindowArranger::tileVertical(*m_area);
    const QRect r = room();
    int left = 0;
    for (QMdiSubWindow *window : std::as_const(m_windows)) {
        const QRect g = window->geometry();
        QCOMPARE(g.top(), 0);
        QCOMPARE(g.height(), r.height());
        QCOMPARE(g.left(), left);
        QVERIFY(qAbs(g.width() - r.width() / 3) <= 1);
        left += g.width();
    }
    QCOMPARE(left, r.width());
}

void tst_WindowArranger::tilingRestoresMaximisedWindows() {
    m_windows[1]->showMaximized();
    WindowArranger::tileVertical(*m_area);
    QVERIFY(!m_windows[1]->isMaximized());
    QCOMPARE(m_windows[1]->geometry().left(), m_windows[0]->geometry().right() + 1);
}

void tst_WindowArranger::minimisedWindowsStayMinimisedAndLineUpAtTheBottom_data() {
    QTest::addColumn<bool>("horizontal");
    QTest::newRow("tile horizontal") << true;
    QTest::newRow("tile vertical") << false;
}

void tst_WindowArranger::minimisedWindowsStayMinimisedAndLineUpAtTheBottom() {
    QFETCH(bool, horizontal);
    m_windows.append(addWindow("Document 4"));
    m_windows[1]->showMinimized();
    m_windows[3]->showMinimized();
    horizontal ? WindowArranger::tileHorizontal(*m_area) : WindowArranger::tileVertical(*m_area);

    QVERIFY(m_windows[1]->isMinimized());
    QVERIFY(m_windows[3]->isMinimized());
    const QRect r = room();
    const QRect icon1 = m_windows[1]->geometry();
    const QRect icon3 = m_windows[3]->geometry();
    QCOMPARE(icon1.bottom(), r.bottom());
    QCOMPARE(icon3.bottom(), r.bottom());
    QCOMPARE(icon1.left(), 0);
    QCOMPARE(icon3.left(), icon1.right() + 1);

    // The two normal windows share the room above the icons.
    const QRect a = m_windows[0]->geometry();
    const QRect b = m_windows[2]->geometry();
    QVERIFY(!a.intersects(icon1) && !b.intersects(icon1) && !a.intersects(b));
    if (horizontal) {
        QCOMPARE(a.width(), r.width());
        QCOMPARE(b.top(), a.bottom() + 1);
        QCOMPARE(b.bottom() + 1, icon1.top());
    } else {
        QCOMPARE(a.height(), icon1.top());
        QCOMPARE(b.left(), a.right() + 1);
        QCOMPARE(b.right(), r.right());
    }
}

void tst_WindowArranger::arrangeIconsLeavesNormalWindowsAlone() {
    m_windows[0]->move(37, 21);
    const QRect normal = m_windows[0]->geometry();
    m_windows[2]->showMinimized();
    m_windows[1]->showMinimized();
    m_windows[2]->move(300, 10);
    WindowArranger::arrangeIcons(*m_area);
    QCOMPARE(m_windows[0]->geometry(), normal);
    // Opening order, not the order of minimising.
    QCOMPARE(m_windows[1]->geometry().topLeft(),
             QPoint(0, room().bottom() + 1 - m_windows[1]->height()));
    QCOMPARE(m_windows[2]->x(), m_windows[1]->geometry().right() + 1);
    QCOMPARE(m_windows[2]->geometry().bottom(), room().bottom());
}

void tst_WindowArranger::iconsWrapIntoRowsAboveEachOther() {
    for (int i = 4; i <= 10; ++i)
        m_windows.append(addWindow(QStringLiteral("Document %1").arg(i)));
    for (QMdiSubWindow *window : std::as_const(m_windows))
        window->showMinimized();
    const int used = WindowArranger::arrangeIcons(*m_area);
    const QRect r = room();
    const int iconWidth = m_windows[0]->width();
    const int perRow = qMax(1, r.width() / iconWidth);
    QVERIFY(perRow < 10);
    QCOMPARE(m_windows[perRow]->x(), 0);
    QCOMPARE(m_windows[perRow]->geometry().bottom() + 1, m_windows[0]->y());
    for (QMdiSubWindow *window : std::as_const(m_windows)) {
        QVERIFY(r.contains(window->geometry()));
        QVERIFY(window->isMinimized());
    }
    QVERIFY(used >= 2 * m_windows[0]->height());
}

void tst_WindowArranger::noWindowsChangesNothing() {
    QMdiArea empty;
    empty.resize(300, 200);
    WindowArranger::tileHorizontal(empty);
    WindowArranger::tileVertical(empty);
    QCOMPARE(WindowArranger::arrangeIcons(empty), 0);
    WindowArranger::cascade(empty);
    QVERIFY(empty.subWindowList().isEmpty());
}

void tst_WindowArranger::cascadeKeepsMinimisedWindowsMinimised() {
    m_windows[2]->showMinimized();
    WindowArranger::cascade(*m_area);
    QVERIFY(m_windows[2]->isMinimized());
    QVERIFY(m_windows[1]->geometry().topLeft() != m_windows[0]->geometry().topLeft());
}

QTEST_MAIN(tst_WindowArranger)
#include "tst_windowarranger.moc"
