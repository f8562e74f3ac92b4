#include "shell/statusbar.h"

#include "document/twips.h"

#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QtTest>

using namespace Orvik;

class tst_StatusBar : public QObject {
    Q_OBJECT

    static void settle() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

private slots:
    void panelTextsByOneBasedIndex() {
        StatusBar bar;
        QCOMPARE(bar.panelText(1), QStringLiteral("Status"));
        QCOMPARE(bar.panelText(2), QStringLiteral("Refresh Interval:"));
        QCOMPARE(bar.panelText(3), QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
        QCOMPARE(bar.panelText(4), QString());
        for (int i = 1; i <= StatusBar::PanelCount; ++i)
            QVERIFY(bar.panel(i)->alignment() & Qt::AlignLeft);
        bar.setPanelText(4, QStringLiteral("03:52:10 PM"));
        bar.setPanelText(0, QStringLiteral("x"));
        bar.setPanelText(5, QStringLiteral("x"));
        QCOMPARE(bar.panelText(4), QStringLiteral("03:52:10 PM"));
        QCOMPARE(bar.panelText(0), QString());
        QCOMPARE(bar.panelText(5), QString());
        QCOMPARE(bar.panelText(1), QStringLiteral("Status"));
    }

    void onlyPanelOneShrinksAndPanelsFitTheirTexts() {
        QMainWindow window;
        auto *bar = new StatusBar(&window);
        window.setStatusBar(bar);
        window.resize(900, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto widths = [bar] {
            settle();
            QList<int> w;
            for (int i = 1; i <= 4; ++i)
                w << bar->panel(i)->width();
            return w;
        };
        bar->setPanelText(4, QStringLiteral("11:59:59 PM"));
        const QList<int> wide = widths();
        window.resize(700, 300);
        QCOMPARE(widths(), (QList<int>{wide.at(0) - 200, wide.at(1), wide.at(2), wide.at(3)}));
        window.resize(200, 300);
        QCOMPARE(widths().at(0), twipsToPixelsX(1000, bar)); // its least width
        QCOMPARE(widths().mid(1), wide.mid(1));
        bar->setPanelText(4, QStringLiteral("10:00:00 AM and a much longer text"));
        QVERIFY(widths().at(3) > wide.at(3));
        QVERIFY(bar->panel(4)->width() >= bar->panel(4)->sizeHint().width());
        bar->setPanelText(2, QStringLiteral("Refresh Interval: 60000ms and then some more"));
        QVERIFY(bar->panel(2)->minimumWidth() >= bar->panel(2)->sizeHint().width());
        QCOMPARE(bar->panel(2)->minimumWidth(), bar->panel(2)->maximumWidth());
    }

    void dateFollowsTheDay() {
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
};

QTEST_MAIN(tst_StatusBar)
#include "tst_statusbar.moc"
