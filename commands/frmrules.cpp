#include "frmrules.h"

#include "core/rules/ruleset.h"
#include "core/search/regexmatcher.h"
#include "document/view/viewpainter.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace Orvik {

namespace {

constexpr int ColorRole = Qt::UserRole;

QIcon swatch(ColorNumber color) {
    QPixmap pixmap(16, 16);
    pixmap.fill(toQColor(color));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 15, 15);
    return QIcon(pixmap);
}

QTableWidgetItem *flagItem(bool on, const QString &name) {
    auto *item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    item->setData(Qt::AccessibleTextRole, name);
    return item;
}

} // namespace

// Red #d62728, orange, olive, green, cyan, blue, purple, pink; red in the low byte.
const std::array<ColorNumber, 8> frmRules::PresetColors = {0x2827d6, 0x0e7fff, 0x22bdbc, 0x2ca02c,
                                                           0xcfbe17, 0xb4771f, 0xbd6794, 0xc277e3};

frmRules::frmRules(QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmRules"));
    setWindowTitle(QStringLiteral("Highlight Rules"));
    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("tblRules"));
    m_table->setAccessibleName(QStringLiteral("Highlight rules"));
    // Two-line headers keep the check box columns narrow and the text wide.
    m_table->setHorizontalHeaderLabels({QStringLiteral("Text"), QStringLiteral("Match\ncase"),
                                        QStringLiteral("Regular\nexpression"),
                                        QStringLiteral("Colour"), QStringLiteral("Whole\nline"),
                                        QStringLiteral("Alert")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->horizontalHeader()->setSectionResizeMode(TextColumn, QHeaderView::Stretch);
    for (int c = MatchCaseColumn; c < ColumnCount; ++c)
        m_table->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    m_table->setColumnWidth(TextColumn, 220);

    const auto button = [this](const char *name, const QString &caption,
                               void (frmRules::*handler)()) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    m_cmdAdd = button("cmdAdd", QStringLiteral("&Add"), &frmRules::cmdAdd_Click);
    m_cmdRemove = button("cmdRemove", QStringLiteral("&Remove"), &frmRules::cmdRemove_Click);
    m_cmdMoveUp = button("cmdMoveUp", QStringLiteral("Move &Up"), &frmRules::cmdMoveUp_Click);
    m_cmdMoveDown =
        button("cmdMoveDown", QStringLiteral("Move &Down"), &frmRules::cmdMoveDown_Click);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &frmRules::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmRules::reject);

    auto *side = new QVBoxLayout;
    for (QPushButton *b : {m_cmdAdd, m_cmdRemove, m_cmdMoveUp, m_cmdMoveDown})
        side->addWidget(b);
    side->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(m_table);
    top->addLayout(side);
    m_lblError = new QLabel(this);
    m_lblError->setObjectName(QStringLiteral("lblError"));
    m_lblError->setStyleSheet(QStringLiteral("color: red"));
    m_lblError->hide();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_lblError);
    layout->addWidget(buttons);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &frmRules::updateButtons);
    resize(720, 320);
    updateButtons();
}

void frmRules::setRules(const std::vector<HighlightRule> &rules) {
    m_table->setRowCount(0);
    for (const HighlightRule &rule : rules)
        insertRow(m_table->rowCount(), rule);
    updateButtons();
}

std::vector<HighlightRule> frmRules::rules() const {
    std::vector<HighlightRule> out;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const HighlightRule rule = ruleAt(row);
        if (!rule.text.isEmpty())
            out.push_back(rule);
    }
    return out;
}

QToolButton *frmRules::colorButton(int row) const {
    return qobject_cast<QToolButton *>(m_table->cellWidget(row, ColorColumn));
}

void frmRules::setRowColor(int row, ColorNumber color) {
    QTableWidgetItem *item = m_table->item(row, ColorColumn);
    item->setData(ColorRole, color);
    const QString name = HighlightRule::colorText(color);
    item->setData(Qt::AccessibleTextRole, QStringLiteral("Colour ") + name);
    if (QToolButton *button = colorButton(row)) {
        button->setIcon(swatch(color));
        button->setText(name);
        button->setAccessibleName(QStringLiteral("Colour ") + name);
    }
}

void frmRules::insertRow(int row, const HighlightRule &rule) {
    m_table->insertRow(row);
    // No accessible text of its own: the cell reads as the rule's text, as edited.
    auto *text = new QTableWidgetItem(rule.text);
    m_table->setItem(row, TextColumn, text);
    m_table->setItem(row, MatchCaseColumn, flagItem(rule.matchCase, QStringLiteral("Match case")));
    m_table->setItem(row, RegexColumn,
                     flagItem(rule.regularExpression, QStringLiteral("Regular expression")));
    m_table->setItem(row, ColorColumn, new QTableWidgetItem);
    m_table->setItem(row, WholeLineColumn, flagItem(rule.wholeLine, QStringLiteral("Whole line")));
    m_table->setItem(row, AlertColumn, flagItem(rule.alert, QStringLiteral("Alert")));

    auto *button = new QToolButton;
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setPopupMode(QToolButton::InstantPopup);
    auto *menu = new QMenu(button);
    QTableWidgetItem *anchor = text; // follows the row as rows move
    const auto rowOf = [this, anchor] { return m_table->row(anchor); };
    for (const ColorNumber color : PresetColors) {
        QAction *a = menu->addAction(swatch(color), HighlightRule::colorText(color));
        connect(a, &QAction::triggered, this,
                [this, rowOf, color] { setRowColor(rowOf(), color); });
    }
    menu->addSeparator();
    QAction *other = menu->addAction(QStringLiteral("&Other Colour..."));
    connect(other, &QAction::triggered, this, [this, rowOf] { chooseOtherColor(rowOf()); });
    button->setMenu(menu);
    m_table->setCellWidget(row, ColorColumn, button);
    setRowColor(row, rule.color);
}

HighlightRule frmRules::ruleAt(int row) const {
    const auto on = [this, row](int column) {
        return m_table->item(row, column)->checkState() == Qt::Checked;
    };
    HighlightRule rule;
    rule.text = m_table->item(row, TextColumn)->text();
    rule.matchCase = on(MatchCaseColumn);
    rule.regularExpression = on(RegexColumn);
    rule.color = m_table->item(row, ColorColumn)->data(ColorRole).toUInt();
    rule.wholeLine = on(WholeLineColumn);
    rule.alert = on(AlertColumn);
    return rule;
}

ColorNumber frmRules::unusedPreset() const {
    for (const ColorNumber color : PresetColors) {
        bool used = false;
        for (int row = 0; row < m_table->rowCount(); ++row)
            used = used || ruleAt(row).color == color;
        if (!used)
            return color;
    }
    return PresetColors[size_t(m_table->rowCount()) % PresetColors.size()];
}

void frmRules::chooseOtherColor(int row) {
    const QColor chosen =
        QColorDialog::getColor(toQColor(ruleAt(row).color), this, QStringLiteral("Rule Colour"));
    if (chosen.isValid())
        setRowColor(row, ColorNumber(chosen.red()) | ColorNumber(chosen.green()) << 8 |
                             ColorNumber(chosen.blue()) << 16);
}

void frmRules::cmdAdd_Click() {
    HighlightRule rule;
    rule.color = unusedPreset();
    const int row = m_table->rowCount();
    insertRow(row, rule);
    m_table->setCurrentCell(row, TextColumn);
    m_table->editItem(m_table->item(row, TextColumn));
    updateButtons();
}

void frmRules::cmdRemove_Click() {
    const int row = m_table->currentRow();
    if (row < 0)
        return;
    m_table->removeRow(row);
    if (m_table->rowCount() > 0)
        m_table->selectRow(qMin(row, m_table->rowCount() - 1));
    updateButtons();
}

void frmRules::cmdMoveUp_Click() {
    const int row = m_table->currentRow();
    if (row > 0)
        moveRow(row, row - 1);
}

void frmRules::cmdMoveDown_Click() {
    const int row = m_table->currentRow();
    if (row >= 0 && row + 1 < m_table->rowCount())
        moveRow(row, row + 1);
}

void frmRules::moveRow(int from, int to) {
    const HighlightRule rule = ruleAt(from);
    m_table->removeRow(from);
    insertRow(to, rule);
    m_table->selectRow(to);
    updateButtons();
}

void frmRules::accept() {
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const HighlightRule rule = ruleAt(row);
        if (!rule.regularExpression || rule.text.isEmpty())
            continue;
        const RegexMatcher matcher(rule.text, rule.matchCase);
        if (!matcher.isValid()) {
            m_table->selectRow(row);
            m_lblError->setText(
                QStringLiteral("Rule %1: %2").arg(row + 1).arg(matcher.errorString()));
            m_lblError->show();
            return;
        }
    }
    QDialog::accept();
}

void frmRules::updateButtons() {
    const int row = m_table->currentRow();
    const bool selected = row >= 0 && !m_table->selectedItems().isEmpty();
    m_cmdAdd->setEnabled(m_table->rowCount() < RuleSet::MaxRules);
    m_cmdRemove->setEnabled(selected);
    m_cmdMoveUp->setEnabled(selected && row > 0);
    m_cmdMoveDown->setEnabled(selected && row + 1 < m_table->rowCount());
}

} // namespace Orvik
