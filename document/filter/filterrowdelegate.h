#pragma once

#include "core/documentview.h"

#include <QStyledItemDelegate>

#include <vector>

namespace Orvik {

class FilterModel;
class RichTextView;

// A coloured byte range of a document's text.
struct ColouredRange {
    qint64 start;
    qint64 end; // exclusive
    ColorNumber color;
};

// The view's colours over text[start, end), in order: the one place the pane reads the
// view's marks.
std::vector<ColouredRange> viewColours(const RichTextView &view, qint64 start, qint64 end);

// Paints a filter pane's row: the line number right-aligned in a column of its own, wide
// enough for the text's last line, in a colour of its own; then as much of the line as fits,
// decoded and coloured as the view shows it, on one row.
class FilterRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    FilterRowDelegate(const RichTextView &view, const FilterModel &model,
                      QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    // The width of the number column for this font.
    int numberWidth(const QFont &font) const;

private:
    const RichTextView &m_view;
    const FilterModel &m_model;
};

} // namespace Orvik
