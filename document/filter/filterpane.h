#pragma once

#include "document/filter/filterbar.h"
#include "document/filter/filterhistory.h"
#include "document/filter/filterlistview.h"
#include "document/filter/filtermodel.h"
#include "document/filter/livefilter.h"

#include <QWidget>

#include <memory>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;

namespace Orvik {

class RichTextView;

// The filter of a document window: a bar with the filter text (an editable drop-down of this
// run's last filter texts), Match case, Regular expression and a close button; under it the
// count of matching lines or why there is none; then the list of the view's lines that match,
// kept up to date as the text changes. Every change of the bar filters again at once; a
// regular expression the engine refuses shows its message in red and leaves the list as it
// was. Choosing a row selects its line in the view and centres it there.
class FilterPane : public QWidget {
    Q_OBJECT

public:
    FilterPane(RichTextView &view, std::shared_ptr<FilterHistory> history,
               QWidget *parent = nullptr);
    ~FilterPane() override;

    // Shows the pane with the focus in the filter text; a pane that was hidden filters again
    // with what the bar holds.
    void open();
    // Hides the pane and stops filtering; the bar keeps its settings for the next open().
    void dismiss();

    QComboBox &filterBox() const { return m_bar->filterBox(); }
    QCheckBox &matchCaseBox() const { return m_bar->matchCaseBox(); }
    QCheckBox &regexBox() const { return m_bar->regexBox(); }
    QAbstractButton &closeButton() const { return m_bar->closeButton(); }
    QLabel &status() const { return m_bar->status(); }
    FilterListView &rows() const { return *m_rows; }
    FilterModel &model() { return m_model; }
    LiveFilter &liveFilter() { return m_live; }
    bool statusIsError() const { return m_statusIsError; }

    // For Copy: the rows have the focus and some are selected (or one is current); their bytes
    // and their lines' text, in file order, one line each. The bytes are counted no further
    // than needed to tell whether they pass `atMost` (then the figure given passes it too, and
    // a figure at or below it may be above the true count): a selection of millions of rows
    // is answered from its ranges, without going through them.
    bool hasFocusedSelection() const;
    qint64 selectedBytes(qint64 atMost) const;
    QString selectedText() const;

signals:
    void dismissed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyFilter();
    void remember();
    void updateStatus();
    void showRow(const QModelIndex &index);
    QList<int> selectedRows() const;
    qint64 selectedBytesOf(const QList<int> &rows, qint64 atMost) const;

    RichTextView &m_view;
    FilterModel m_model;
    LiveFilter m_live;
    FilterBar *m_bar;
    FilterListView *m_rows;
    QString m_error;
    bool m_statusIsError = false;
};

} // namespace Orvik
