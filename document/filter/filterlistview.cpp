#include "document/filter/filterlistview.h"

#include <QKeyEvent>
#include <QScrollBar>

namespace Orvik {

FilterListView::FilterListView(QWidget *parent)
    : QListView(parent) {
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
}

void FilterListView::setModel(QAbstractItemModel *model) {
    QListView::setModel(model);
    connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this] { m_followOnInsert = followsEnd(); });
}

bool FilterListView::followsEnd() const {
    const QScrollBar *bar = verticalScrollBar();
    return !selectionModel()->hasSelection() && bar->value() >= bar->maximum();
}

void FilterListView::rowsInserted(const QModelIndex &parent, int start, int end) {
    QListView::rowsInserted(parent, start, end);
    if (m_followOnInsert)
        scrollToBottom();
}

void FilterListView::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QListView::keyPressEvent(event);
}

} // namespace Orvik
