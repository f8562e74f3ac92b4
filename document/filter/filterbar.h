#pragma once

#include "core/search/linefilter.h"

#include <QWidget>

#include <memory>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QToolButton;

namespace Orvik {

class FilterHistory;

// The bar of a filter pane: the filter text (an editable drop-down of this run's last filter
// texts), Match case, Regular expression and a close button, and under them the count of
// matching lines or why there is none, in red for a fault. What the bar holds is filter();
// the pane that owns it decides what to do with it and what the status says.
class FilterBar : public QWidget {
    Q_OBJECT

public:
    explicit FilterBar(std::shared_ptr<FilterHistory> history, QWidget *parent = nullptr);

    // The filter the text and the two boxes make.
    LineFilter filter() const;
    // The history in the drop-down; the text being edited stays as it is.
    void showHistory();
    // `text` first in the history, and the drop-down shown anew.
    void remember(const QString &text);
    // The focus in the text, all of it selected.
    void focusText();
    void setStatus(const QString &text, bool error);
    // The filter's state in the status: its error (a pattern that does not compile, or one too
    // complex for a line), or how many lines match, "so far" while the scan goes on. True for
    // an error.
    struct Progress {
        QString error;
        qint64 tooComplexLine = 0;
        bool active = false;
        qint64 matches = 0;
        bool scanning = false;
    };
    bool showProgress(const Progress &progress);

    QComboBox &filterBox() const { return *m_filterBox; }
    QCheckBox &matchCaseBox() const { return *m_matchCase; }
    QCheckBox &regexBox() const { return *m_regex; }
    QAbstractButton &closeButton() const;
    QLabel &status() const { return *m_status; }

signals:
    // The text or a box changed.
    void changed();
    // Enter in the text.
    void accepted();
    void closeClicked();

private:
    std::shared_ptr<FilterHistory> m_history;
    QComboBox *m_filterBox;
    QCheckBox *m_matchCase;
    QCheckBox *m_regex;
    QToolButton *m_close;
    QLabel *m_status;
};

} // namespace Orvik
