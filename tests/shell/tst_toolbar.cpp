#include "shell/toolbar.h"
#include "shell/toolbaricons.h"

#include "resources/resources.h"

#include <QAction>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

using namespace Orvik;

class tst_ToolBar : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { initResources(); }

    void buttonsInTheirPlacesWithTheirTips() {
        ToolBar bar;
        QStringList positions;
        const QList<QAction *> actions = bar.actions();
        for (const QAction *a : actions)
            positions << (a->isSeparator() ? QStringLiteral("|")
                                           : a->data().toString() + '=' + a->toolTip());
        QCOMPARE(positions,
                 (QStringList{"Open=Open", "Save=Save", "|", "Print=Print", "|", "Copy=Copy", "|",
                              "Font=Customize Display Font", "Refresh=Set the refresh interval",
                              "|", "Cascade=Cascade Windows",
                              "Tile Horizontally=Tile Windows Horizontally",
                              "Tile Vertically=Tile Windows Vertically"}));
        QCOMPARE(bar.toolButtonStyle(), Qt::ToolButtonIconOnly);
    }

    void everyPressSendsItsKeyAndShowsAPicture() {
        // The bundled pictures stand in where the desktop theme has none.
        QIcon::setThemeName(QStringLiteral("no-such-theme"));
        ToolBar bar;
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QSignalSpy spy(&bar, &ToolBar::buttonClick);
        QStringList keys;
        const QList<QAction *> actions = bar.actions();
        for (QAction *a : actions) {
            if (a->isSeparator())
                continue;
            keys << a->data().toString();
            QVERIFY2(!imlToolbarIcons(keys.last()).pixmap(16, 16).isNull(), qPrintable(keys.last()));
            QTest::mouseClick(bar.widgetForAction(a), Qt::LeftButton);
        }
        QCOMPARE(keys.size(), 9);
        QCOMPARE(spy.size(), 9);
        for (int i = 0; i < 9; ++i)
            QCOMPARE(spy.at(i).at(0).toString(), keys.at(i));
        QVERIFY(imlToolbarIcons(QStringLiteral("Nothing")).isNull());
        QCOMPARE(toolbarThemeIconName(QStringLiteral("Open")), QStringLiteral("document-open"));
    }
};

QTEST_MAIN(tst_ToolBar)
#include "tst_toolbar.moc"
