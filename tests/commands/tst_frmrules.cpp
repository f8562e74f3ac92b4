// The Highlight Rules window: the table of rules and its buttons, as the user works them.
#include "commands/frmrules.h"
#include "core/rules/ruleset.h"

#include <QAccessible>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

using namespace Orvik;

namespace {
QStringList texts(const std::vector<HighlightRule> &rules) {
    QStringList out;
    for (const HighlightRule &rule : rules)
        out << rule.toText();
    return out;
}
} // namespace

class tst_frmRules : public QObject {
    Q_OBJECT

private slots:
    void editing_data() {
        QTest::addColumn<QStringList>("steps"); // "add", "type TEXT", "select N", "up"...
        QTest::addColumn<QStringList>("rules"); // as OK gives them
        const QString a = "\"A\",0,0,#d62728,0,0", b = "\"B\",1,1,#ff7f0e,1,1",
                      c = "\"C\",0,0,#123456,0,0";
        QTest::newRow("as given") << QStringList() << QStringList{a, b, c};
        QTest::newRow("Add appends a rule in a preset colour not yet used")
            << QStringList{"add", "type W"} << QStringList{a, b, c, "\"W\",0,0,#bcbd22,0,0"};
        QTest::newRow("a rule left without text is dropped")
            << QStringList{"add"} << QStringList{a, b, c};
        QTest::newRow("Move Up") << QStringList{"select 2", "up"} << QStringList{a, c, b};
        QTest::newRow("Move Down") << QStringList{"select 0", "down"} << QStringList{b, a, c};
        QTest::newRow("Remove") << QStringList{"select 1", "remove"} << QStringList{a, c};
        QTest::newRow("a preset colour from the colour button")
            << QStringList{"colour 0 5"} << QStringList{"\"A\",0,0,#1f77b4,0,0", b, c};
        QTest::newRow("a moved rule keeps its colour button")
            << QStringList{"select 2", "up", "colour 1 0"}
            << QStringList{a, "\"C\",0,0,#d62728,0,0", b};
        QTest::newRow("checks set the flags")
            << QStringList{"check 0 1", "check 0 4", "check 1 5"}
            << QStringList{"\"A\",1,0,#d62728,1,0", "\"B\",1,1,#ff7f0e,1,0", c};
    }
    void editing() {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, rules);
        frmRules dialog;
        std::vector<HighlightRule> given;
        for (const char *line :
             {"\"A\",0,0,#d62728,0,0", "\"B\",1,1,#ff7f0e,1,1", "\"C\",0,0,#123456,0,0"})
            given.push_back(*HighlightRule::fromText(line));
        dialog.setRules(given);
        QTableWidget &table = dialog.table();
        const auto click = [&dialog](const char *name) {
            QPushButton *b = dialog.findChild<QPushButton *>(name);
            QVERIFY(b && b->isEnabled());
            b->click();
        };
        for (const QString &step : steps) {
            const QStringList w = step.split(' ');
            if (w[0] == "add")
                click("cmdAdd");
            else if (w[0] == "type")
                table.currentItem()->setText(w[1]);
            else if (w[0] == "select")
                table.selectRow(w[1].toInt());
            else if (w[0] == "up")
                click("cmdMoveUp");
            else if (w[0] == "down")
                click("cmdMoveDown");
            else if (w[0] == "remove")
                click("cmdRemove");
            else if (w[0] == "colour")
                dialog.colorButton(w[1].toInt())->menu()->actions().at(w[2].toInt())->trigger();
            else if (w[0] == "check") {
                QTableWidgetItem *item = table.item(w[1].toInt(), w[2].toInt());
                item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked
                                                                      : Qt::Checked);
            }
        }
        QCOMPARE(texts(dialog.rules()), rules);
    }

    void colourButtonOffersEightPresetsThenAnyColour() {
        frmRules dialog;
        dialog.cmdAdd_Click();
        const QList<QAction *> items = dialog.colorButton(0)->menu()->actions();
        QCOMPARE(items.size(), 10);
        QVERIFY(items.at(8)->isSeparator());
        QCOMPARE(items.at(9)->text(), QStringLiteral("&Other Colour..."));
    }

    void addStopsAtTheMostRules() {
        frmRules dialog;
        dialog.setRules(std::vector<HighlightRule>(RuleSet::MaxRules - 1));
        QPushButton *add = dialog.findChild<QPushButton *>("cmdAdd");
        QVERIFY(add->isEnabled());
        add->click();
        QVERIFY(!add->isEnabled());
        QCOMPARE(dialog.table().rowCount(), RuleSet::MaxRules);
    }

    void refusedExpressionKeepsTheWindowOpenSayingWhy() {
        frmRules dialog;
        dialog.setRules({*HighlightRule::fromText("\"ok\",0,0,#000000,0,0"),
                         *HighlightRule::fromText("\"(\",0,1,#000000,0,0")});
        dialog.show();
        dialog.accept();
        QVERIFY(dialog.isVisible());
        const QLabel *why = dialog.findChild<QLabel *>("lblError");
        QVERIFY(why->isVisible());
        QVERIFY2(why->text().startsWith("Rule 2: "), qPrintable(why->text()));
        QCOMPARE(dialog.table().currentRow(), 1);
    }

    void tableAndButtonsAreNamed() {
        frmRules dialog;
        dialog.setRules({*HighlightRule::fromText("\"ok\",0,0,#d62728,0,0")});
        QCOMPARE(dialog.table().accessibleName(), QStringLiteral("Highlight rules"));
        QStringList names;
        for (const QPushButton *b : dialog.findChildren<QPushButton *>())
            names << b->accessibleName();
        names.sort();
        QCOMPARE(names, (QStringList{"Add", "Cancel", "Move Down", "Move Up", "OK", "Remove"}));
        QCOMPARE(dialog.colorButton(0)->accessibleName(), QStringLiteral("Colour #d62728"));
        QCOMPARE(dialog.table().item(0, 4)->data(Qt::AccessibleTextRole).toString(),
                 QStringLiteral("Whole line"));
        // A text cell reads as its rule's text, as edited.
        QAccessibleTableInterface *cells =
            QAccessible::queryAccessibleInterface(&dialog.table())->tableInterface();
        QCOMPARE(cells->cellAt(0, 0)->text(QAccessible::Name), QStringLiteral("ok"));
        dialog.table().item(0, 0)->setText(QStringLiteral("disk full"));
        QCOMPARE(cells->cellAt(0, 0)->text(QAccessible::Name), QStringLiteral("disk full"));
    }
};

QTEST_MAIN(tst_frmRules)
#include "tst_frmrules.moc"
