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

private slots:
    void iconsLineUpInOpeningOrderInRowsFromTheBottom() {
        QMdiArea area;
        area.resize(605, 400); // a width that does not split evenly
        area.show();
        QList<QMdiSubWindow *> windows;
        for (int i = 0; i < 10; ++i) {
            windows.append(area.addSubWindow(new QLabel(QStringLiteral("Document"))));
            windows.last()->setMinimumSize(10, 10);
            windows.last()->resize(200, 150);
            windows.last()->show();
        }
        const auto room = [&area] { return area.viewport()->rect(); };
        windows[0]->move(37, 21);
        const QRect normal = windows[0]->geometry();
        for (int i = 9; i >= 1; --i)
            windows[i]->showMinimized();
        windows[2]->move(300, 10);
        const int used = WindowArranger::arrangeIcons(area);
        QCOMPARE(windows[0]->geometry(), normal);
        const int perRow = room().width() / windows[1]->width();
        QVERIFY(perRow < 9);
        QCOMPARE(windows[1]->geometry().bottomLeft(), QPoint(0, room().bottom()));
        QCOMPARE(windows[2]->x(), windows[1]->geometry().right() + 1);
        QCOMPARE(windows[1 + perRow]->x(), 0);
        QCOMPARE(windows[1 + perRow]->geometry().bottom() + 1, windows[1]->y());
        for (int i = 1; i <= 9; ++i)
            QVERIFY(room().contains(windows[i]->geometry()) && windows[i]->isMinimized());
        QCOMPARE(used, (9 + perRow - 1) / perRow * windows[1]->height());
        WindowArranger::cascade(area);
        QVERIFY(windows[9]->isMinimized());
        // Tiling restores a maximised window and splits the room evenly.
        for (QMdiSubWindow *window : std::as_const(windows))
            window->showNormal();
        windows[9]->showMaximized();
        WindowArranger::tileVertical(area);
        QVERIFY(!windows[9]->isMaximized());
        int left = 0;
        for (QMdiSubWindow *window : std::as_const(windows)) {
            QCOMPARE(window->geometry(), QRect(left, 0, window->width(), room().height()));
            QVERIFY(qAbs(window->width() - room().width() / 10) <= 1);
            left += window->width();
        }
        QCOMPARE(left, room().width());
    }
};

QTEST_MAIN(tst_WindowArranger)
#include "tst_windowarranger.moc"
