#pragma once

#include "core/merge/mergedrows.h"
#include "document/merged/mergedlogs.h"

#include <QMdiSubWindow>

#include <memory>

class QPrinter;
class QSplitter;

namespace Orvik {

class FilterHistory;
class MergedFilterPane;
class MergedView;
class Module1;

// The window of all logs by time: every open document's lines that have times, in the order
// of their times, kept up to date as the documents change, in one window of the workspace
// that takes no slot of the document table. Its caption counts the logs merged and their
// lines, and the documents left out as their lines carry no time. A row chosen, in the view or
// in its filter, is the reader's move to that line in its log's window.
class frmMerged : public QMdiSubWindow {
    Q_OBJECT

public:
    explicit frmMerged(Module1 &module, QWidget *parent = nullptr);
    ~frmMerged() override;

    MergedLogs &logs() { return m_logs; }
    MergedView &view() { return *m_view; }
    // Opens the filter under the view; made on first use.
    void showFilter(const std::shared_ptr<FilterHistory> &history);
    MergedFilterPane *filterPane() const { return m_filterPane; }

    // For Copy: the filter's rows while they have the focus, else the view's.
    qint64 copyBytes(qint64 atMost) const;
    QString copyText() const;

    // File, Print: the rows as Copy takes them (the selected rows, or all when none is), page
    // after page in the view's font; false when the printer cannot be painted on.
    bool print(QPrinter &printer) const;
    bool hasSelection() const;

    // Selects the row's line in its log's window, centred, and activates that window.
    void showLine(const MergedRows::Row &row);

private:
    void rowsChanged();
    const MergedView &copiedView() const;

    MergedLogs m_logs;
    QSplitter *m_splitter;
    MergedView *m_view;
    MergedFilterPane *m_filterPane = nullptr;
};

} // namespace Orvik
