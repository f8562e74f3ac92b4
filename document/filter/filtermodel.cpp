#include "document/filter/filtermodel.h"

#include "document/view/richtextview.h"

#include <climits>

namespace Orvik {

FilterModel::FilterModel(const RichTextView &view, QObject *parent)
    : QAbstractListModel(parent)
    , m_view(view) {}

int FilterModel::rowCount(const QModelIndex &parent) const {
    if (parent.isValid())
        return 0;
    return int(qMin<qint64>(INT_MAX, m_index.count() + (m_lastLine >= 0 ? 1 : 0)));
}

qint64 FilterModel::startOf(int row) const {
    return row < m_index.count() ? m_index.at(row) : m_lastLine;
}

FilterModel::Line FilterModel::line(int row) const {
    const ViewText &text = m_view.viewText();
    Line l;
    if (row < 0 || row >= rowCount())
        return l;
    ++m_lookups;
    // A start past the end would be a text changed behind the filter's back: an empty row.
    l.start = l.end = qMin(startOf(row), text.size());
    const qint64 number = text.lineAt(l.start);
    l.number = number + 1;
    if (text.lineStart(number) == l.start)
        l.end = text.lineEnd(number);
    return l;
}

QString FilterModel::lineText(int row) const {
    const Line l = line(row);
    return m_view.viewText().plainText(l.start, l.end);
}

QVariant FilterModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: {
        const Line l = line(index.row());
        QString text;
        decodeBytes(m_view.viewText().data() + l.start, qMin(l.end - l.start, RowBytes),
                    m_view.viewText().isUtf8(l.number - 1), true, text);
        if (role == Qt::DisplayRole)
            return text;
        return QStringLiteral("Line %1: %2").arg(l.number).arg(text);
    }
    case LineNumberRole:
        return line(index.row()).number;
    case LineStartRole:
        return startOf(index.row());
    default:
        return QVariant();
    }
}

void FilterModel::append(const std::vector<qint64> &lineStarts) {
    if (lineStarts.empty())
        return;
    const qint64 first = m_index.count();
    const qint64 last = first + qint64(lineStarts.size()) - 1;
    if (last >= INT_MAX - 1) // beyond what a list can show; the rows held stay
        return;
    beginInsertRows(QModelIndex(), int(first), int(last));
    for (qint64 start : lineStarts)
        m_index.append(start);
    endInsertRows();
}

void FilterModel::setLastLine(qint64 lineStart) {
    if (lineStart == m_lastLine)
        return;
    const int row = int(m_index.count());
    if (m_lastLine >= 0) {
        beginRemoveRows(QModelIndex(), row, row);
        m_lastLine = -1;
        endRemoveRows();
    }
    if (lineStart >= 0) {
        beginInsertRows(QModelIndex(), row, row);
        m_lastLine = lineStart;
        endInsertRows();
    }
}

void FilterModel::clear() {
    beginResetModel();
    m_index.clear();
    m_lastLine = -1;
    endResetModel();
}

} // namespace Orvik
