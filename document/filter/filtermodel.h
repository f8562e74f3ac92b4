#pragma once

#include "core/search/matchindex.h"

#include <QAbstractListModel>

#include <vector>

namespace Orvik {

class RichTextView;

// The rows of a filter pane: the lines of a view that a filter matched, in file order. The
// whole lines are kept in a MatchIndex; the last line of the text, while no line feed ends
// it, is kept apart as the last row, since an append may change it. A row's text is the
// line as the view decodes it, read from the view when asked for.
class FilterModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { LineNumberRole = Qt::UserRole, LineStartRole };
    // Rows show and report at most this many bytes of a line.
    static constexpr qint64 RowBytes = 4096;

    explicit FilterModel(const RichTextView &view, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    struct Line {
        qint64 number = 0; // 1-based
        qint64 start = 0;
        qint64 end = 0; // before the line break
    };
    Line line(int row) const;
    // The whole text of the line, as Copy takes it.
    QString lineText(int row) const;
    qint64 memoryUsage() const { return m_index.memoryUsage(); }
    // How many rows line() has looked up in the view's text: what a request over the rows cost.
    qint64 lookups() const { return m_lookups; }

    // Whole lines found after those held.
    void append(const std::vector<qint64> &lineStarts);
    // The unfinished last line when it matches, or -1.
    void setLastLine(qint64 lineStart);
    void clear();

private:
    qint64 startOf(int row) const;

    const RichTextView &m_view;
    MatchIndex m_index;
    qint64 m_lastLine = -1;
    mutable qint64 m_lookups = 0;
};

} // namespace Orvik
