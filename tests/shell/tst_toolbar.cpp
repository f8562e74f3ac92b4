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
    void thirteenPositions();
    void everyPressSendsItsKey_data();
    void everyPressSendsItsKey();
    void buttonsShowNoCaption();
    void everyKeyHasAPicture();
    void unknownKeyHasNoPicture();
};

namespace {
const QStringList Keys{"Open",           "Save",    "Print",   "Copy",
                       "Font",           "Refresh", "Cascade", "Tile Horizontally",
                       "Tile Vertically"};
}

void tst_ToolBar::thirteenPositions() {
    ToolBar bar;
    QStringList positions;
    const QList<QAction *> actions = bar.actions();
    for (const QAction *a : actions) {
        if (a->isSeparator()) {
            positions << QStringLiteral("|");
            continue;
        }
        QVERIFY(a->isEnabled());
        QVERIFY(a->isVisible());
        QVERIFY(!a->isChecked());
        positions << a->data().toString() + QLatin1Char('=') + a->toolTip();
    }
    QCOMPARE(positions,
             (QStringList{"Open=Open", "Save=Save", "|", "Print=Print", "|", "Copy=Copy", "|",
                          "Font=Customize Display Font", "Refresh=Set the refresh interval", "|",
                          "Cascade=Cascade Windows", "Tile Horizontally=Tile Windows Horizontally",
                          "Tile Vertically=Tile Windows Vertically"}));
}

void tst_ToolBar::everyPressSendsItsKey_data() {
    QTest::addColumn<QString>("key");
    for (const QString &key : Keys)
        QTest::newRow(qPrintable(key)) << key;
}

void tst_ToolBar::everyPressSendsItsKey() {
    QFETCH(QString, key);
    ToolBar bar;
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QSignalSpy spy(&bar, &ToolBar::buttonClick);
    auto *button = qobject_cast<QToolButton *>(bar.widgetForAction(bar.button(key)));
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), key);
}

void tst_ToolBar::buttonsShowNoCaption() {
    ToolBar bar;
    QCOMPARE(bar.toolButtonStyle(), Qt::ToolButtonIconOnly);
    QCOMPARE(bar.iconSize(), QSize(16, 16));
    QVERIFY(!bar.isMovable());
}

void tst_ToolBar::everyKeyHasAPicture() {
    // The bundled pictures stand in where the desktop theme has none.
    QIcon::setThemeName(QStringLiteral("no-such-theme"));
    for (const QString &key : Keys) {
        QVERIFY2(QFile::exists(toolbarIconPath(key)), qPrintable(key));
        const QIcon icon = imlToolbarIcons(key);
        QVERIFY2(!icon.isNull(), qPrintable(key));
        QVERIFY2(!icon.pixmap(16, 16).isNull(), qPrintable(key));
    }
}

void tst_ToolBar::unknownKeyHasNoPicture() {
    QVERIFY(imlToolbarIcons(QStringLiteral("Nothing")).isNull());
    QCOMPARE(toolbarThemeIconName(QStringLiteral("Cascade")), QString());
    QCOMPARE(toolbarThemeIconName(QStringLiteral("Open")), QStringLiteral("document-open"));
}

QTEST_MAIN(tst_ToolBar)
#include "tst_toolbar.moc"
