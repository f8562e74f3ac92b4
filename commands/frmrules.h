#pragma once

#include "core/rules/highlightrule.h"

#include <QDialog>

#include <array>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;
class QToolButton;

namespace Orvik {

// The Highlight Rules window: the rules in order, one row each (text, Match case, Regular
// expression, colour, Whole line, Alert), with Add, Remove, Move Up and Move Down. It only
// edits a copy: the caller takes rules() when it was accepted. OK refuses an expression the
// engine refuses, saying why in red under the table; rows without text are dropped. It holds
// at most RuleSet::MaxRules rules.
class frmRules : public QDialog {
    Q_OBJECT

public:
    // Eight colours told apart easily, readable on white, offered before any other.
    static const std::array<ColorNumber, 8> PresetColors;

    explicit frmRules(QWidget *parent = nullptr);

    void setRules(const std::vector<HighlightRule> &rules);
    std::vector<HighlightRule> rules() const;

    QTableWidget &table() { return *m_table; }
    // The colour button of a row: a menu of the preset colours, then "Other Colour...".
    QToolButton *colorButton(int row) const;
    void setRowColor(int row, ColorNumber color);

    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdMoveUp_Click();
    void cmdMoveDown_Click();
    void accept() override;

private:
    enum Column {
        TextColumn,
        MatchCaseColumn,
        RegexColumn,
        ColorColumn,
        WholeLineColumn,
        AlertColumn,
        ColumnCount
    };

    void insertRow(int row, const HighlightRule &rule);
    HighlightRule ruleAt(int row) const;
    void moveRow(int from, int to);
    void chooseOtherColor(int row);
    ColorNumber unusedPreset() const;
    void updateButtons();

    QTableWidget *m_table;
    QPushButton *m_cmdAdd;
    QPushButton *m_cmdRemove;
    QPushButton *m_cmdMoveUp;
    QPushButton *m_cmdMoveDown;
    QLabel *m_lblError; // why OK was refused
};

} // namespace Orvik
