#include "shell/statusbar.h"

#include "document/twips.h"

#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QtTest>

using namespace Orvik;

class tst_StatusBar : public QObject {
    Q_OBJECT

private slots:
    void panelsAtCreation();
    void panelsByOneBasedIndex();
    void outOfRangeIndexIsIgnored();
    void onlyPanelOneShrinksAsTheWindowNarrows();
    void panelFourFitsItsText();
    void intervalPanelNeverCutsItsText();
    void dateFollowsTheDay();
};

namespace {
int widthOf(StatusBar &bar, int index) {
    return bar.panel(index)->width();
}

void settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}
} // namespace

void tst_StatusBar::panelsAtCreation() {
    StatusBar bar;
    QCOMPARE(bar.panelText(1), QStringLiteral("Status"));
    QCOMPARE(bar.panelText(2), QStringLiteral("Refresh Interval:"));
    QCOMPARE(bar.panelText(3), QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    QCOMPARE(bar.panelText(4), QString());
    for (int i = 1; i <= StatusBar::PanelCount; ++i)
        QVERIFY(bar.panel(i)->alignment() & Qt::AlignLeft);
}

void tst_StatusBar::panelsByOneBasedIndex() {
    StatusBar bar;
    StatusPanels &panels = bar;
    panels.setPanelText(1, QStringLiteral("Last Update Took 0.05 Seconds"));
    panels.setPanelText(4, QStringLiteral("03:52:10 PM"));
    QCOMPARE(panels.panelText(1), QStringLiteral("Last Update Took 0.05 Seconds"));
    QCOMPARE(panels.panelText(2), QStringLiteral("Refresh Interval:"));
    QCOMPARE(panels.panelText(4), QStringLiteral("03:52:10 PM"));
}

void tst_StatusBar::outOfRangeIndexIsIgnored() {
    StatusBar bar;
    bar.setPanelText(0, QStringLiteral("x"));
    bar.setPanelText(5, QStringLiteral("x"));
    QCOMPARE(bar.panelText(0), QString());
    QCOMPARE(bar.panelText(5), QString());
    QCOMPARE(bar.panelText(1), QStringLiteral("Status"));
}

void tst_StatusBar::onlyPanelOneShrinksAsTheWindowNarrows() {
    QMainWindow window;
    auto *bar = new StatusBar(&window);
    window.setStatusBar(bar);
    bar->setPanelText(4, QStringLiteral("11:59:59 PM"));
    window.resize(900, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    settle();

    const int wide1 = widthOf(*bar, 1);
    const int width2 = widthOf(*bar, 2);
    const int width3 = widthOf(*bar, 3);
    const int width4 = widthOf(*bar, 4);
    QCOMPARE(width2, twipsToPixelsX(2040, bar));
    QVERIFY(width3 >= twipsToPixelsX(1020, bar));
    QVERIFY(wide1 > twipsToPixelsX(2605, bar));

    window.resize(700, 300);
    settle();
    QCOMPARE(widthOf(*bar, 1), wide1 - 200);
    QCOMPARE(widthOf(*bar, 2), width2);
    QCOMPARE(widthOf(*bar, 3), width3);
    QCOMPARE(widthOf(*bar, 4), width4);

    window.resize(200, 300);
    settle();
    QCOMPARE(widthOf(*bar, 1), twipsToPixelsX(1000, bar));
    QCOMPARE(widthOf(*bar, 2), width2);
    QCOMPARE(widthOf(*bar, 4), width4);
}

void tst_StatusBar::panelFourFitsItsText() {
    QMainWindow window;
    auto *bar = new StatusBar(&window);
    window.setStatusBar(bar);
    window.resize(900, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    settle();
    QCOMPARE(widthOf(*bar, 4), twipsToPixelsX(1200, bar)); // empty: its width at creation
    bar->setPanelText(4, QStringLiteral("1:00:00 AM"));
    settle();
    const int shortWidth = widthOf(*bar, 4);
    bar->setPanelText(4, QStringLiteral("10:00:00 AM and a much longer text"));
    settle();
    QVERIFY(widthOf(*bar, 4) > shortWidth);
    QVERIFY(widthOf(*bar, 4) >= bar->panel(4)->sizeHint().width());
}

void tst_StatusBar::intervalPanelNeverCutsItsText() {
    StatusBar bar;
    const int fixed = twipsToPixelsX(2040, &bar);
    bar.setPanelText(2, QStringLiteral("x"));
    QCOMPARE(bar.panel(2)->width(), fixed);
    QCOMPARE(bar.panel(2)->minimumWidth(), fixed);
    bar.setPanelText(2, QStringLiteral("Refresh Interval: 60000ms and then some more"));
    QVERIFY(bar.panel(2)->minimumWidth() >= bar.panel(2)->sizeHint().width());
    QCOMPARE(bar.panel(2)->minimumWidth(), bar.panel(2)->maximumWidth());
}

void tst_StatusBar::dateFollowsTheDay() {
    StatusBar bar;
    QDate today(2026, 12, 31);
    bar.setToday([&today] { return today; });
    QCOMPARE(bar.panelText(3), QLocale().toString(today, QLocale::ShortFormat));

    today = today.addDays(1);
    bar.refreshDate();
    QCOMPARE(bar.panelText(3), QLocale().toString(QDate(2027, 1, 1), QLocale::ShortFormat));
    // The check is armed again, never further off than a minute.
    QVERIFY(bar.dateTimer().isActive());
    QVERIFY(bar.dateTimer().interval() <= 60 * 1000);
}

QTEST_MAIN(tst_StatusBar)
#include "tst_statusbar.moc"
