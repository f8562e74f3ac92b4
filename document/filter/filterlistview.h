#pragma once

#include <QListView>

namespace Orvik {

// The list of a filter pane. Like the view it follows its end: rows added while its last row
// is in view and nothing is selected scroll into view; once the reader scrolls away or
// selects, it stays where it is. Escape is left to the filter pane.
class FilterListView : public QListView {
    Q_OBJECT

public:
    explicit FilterListView(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;
    bool followsEnd() const;

    // Typing does not search the rows: with a million of them a search would stall.
    void keyboardSearch(const QString &) override {}

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;

private:
    bool m_followOnInsert = true;
};

} // namespace Orvik
