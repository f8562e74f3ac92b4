#pragma once

#include "document/filter/filterbar.h"
#include "document/merged/mergedfilter.h"

#include <QWidget>

#include <memory>

namespace Orvik {

class FilterHistory;
class MergedLogs;
class MergedView;

// The filter of the window of all logs: the filter bar of a document window (the filter text
// with this run's last texts, Match case, Regular expression, close), the count of matching
// lines or why there is none, and the matching lines of every log in time order, each with
// its log's tag, kept up to date as the logs change. A row chosen asks for its line in its
// log's window.
class MergedFilterPane : public QWidget {
    Q_OBJECT

public:
    MergedFilterPane(MergedLogs &logs, std::shared_ptr<FilterHistory> history,
                     QWidget *parent = nullptr);
    ~MergedFilterPane() override;

    // Shows the pane with the focus in the filter text; a pane that was hidden filters again.
    void open();
    // Hides the pane and stops filtering.
    void dismiss();

    QComboBox &filterBox() const { return m_bar->filterBox(); }
    QCheckBox &matchCaseBox() const { return m_bar->matchCaseBox(); }
    QCheckBox &regexBox() const { return m_bar->regexBox(); }
    QLabel &status() const { return m_bar->status(); }
    MergedView &rows() const { return *m_rows; }
    MergedFilter &filter() { return m_filter; }

signals:
    void dismissed();
    void rowActivated(const MergedRows::Row &row);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void applyFilter();
    void remember();
    void updateStatus();

    MergedFilter m_filter;
    FilterBar *m_bar;
    MergedView *m_rows;
    QString m_error;
};

} // namespace Orvik
