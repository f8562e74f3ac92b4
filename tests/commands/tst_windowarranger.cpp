// The arrangements on a bare workspace; with document windows and carets they are tested
// through the commands.
#include "commands/windowarranger.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QtTest>

using namespace Orvik;

class tst_WindowArranger : public QObject {
    Q_OBJECT

    std::unique_ptr<QMdiArea> m_area;
    QList<QMdiSubWindow *> m_windows;

    QRect room() const { return m_area->viewport()->rect(); }

private slots:
    void init() {
        m_area = std::make_unique<QMdiArea>();
        m_area->resize(600, 400);
        m_area->show();
        m_windows.clear();
        for (int i = 0; i < 10; ++i) {
            m_windows.append(m_area->addSubWindow(new QLabel(QStringLiteral("Document"))));
            m_windows.last()->setMinimumSize(10, 10);
            m_windows.last()->resize(200, 150);
            m_windows.last()->show();
        }
    }
    void cleanup() { m_area.reset(); }

    void tilingRestoresMaximisedAndSplitsTheRoomEvenly() {
        m_windows[9]->showMaximized();
        WindowArranger::tileVertical(*m_area);
        QVERIFY(!m_windows[9]->isMaximized());
        int left = 0;
        for (QMdiSubWindow *window : std::as_const(m_windows)) {
            QCOMPARE(window->geometry(), QRect(left, 0, window->width(), room().height()));
            QVERIFY(qAbs(window->width() - room().width() / 10) <= 1);
            left += window->width();
        }
        QCOMPARE(left, room().width());
    }

    void iconsLineUpInOpeningOrderInRowsFromTheBottom() {
        m_windows[0]->move(37, 21);
        const QRect normal = m_windows[0]->geometry();
        for (int i = 9; i >= 1; --i)
            m_windows[i]->showMinimized();
        m_windows[2]->move(300, 10);
        const int used = WindowArranger::arrangeIcons(*m_area);
        QCOMPARE(m_windows[0]->geometry(), normal);
        const int perRow = room().width() / m_windows[1]->width();
        QVERIFY(perRow < 9);
        QCOMPARE(m_windows[1]->geometry().bottomLeft(), QPoint(0, room().bottom()));
        QCOMPARE(m_windows[2]->x(), m_windows[1]->geometry().right() + 1);
        QCOMPARE(m_windows[1 + perRow]->x(), 0);
        QCOMPARE(m_windows[1 + perRow]->geometry().bottom() + 1, m_windows[1]->y());
        for (int i = 1; i <= 9; ++i)
            QVERIFY(room().contains(m_windows[i]->geometry()) && m_windows[i]->isMinimized());
        QCOMPARE(used, (9 + perRow - 1) / perRow * m_windows[1]->height());
        WindowArranger::cascade(*m_area);
        QVERIFY(m_windows[9]->isMinimized());
    }
};

QTEST_MAIN(tst_WindowArranger)
#include "tst_windowarranger.moc"
