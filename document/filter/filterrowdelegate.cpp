#include "document/filter/filterrowdelegate.h"

#include "document/filter/filtermodel.h"
#include "document/view/richtextview.h"
#include "document/view/viewpainter.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

namespace Orvik {

namespace {
constexpr int Gap = 6; // pixels around the number column
} // namespace

std::vector<ColouredRange> viewColours(const RichTextView &view, qint64 start, qint64 end) {
    std::vector<ColouredRange> ranges;
    for (const ViewMarks::Run &run : view.marks().runs(start, end))
        ranges.push_back({run.start, run.end, run.color});
    return ranges;
}

FilterRowDelegate::FilterRowDelegate(const RichTextView &view, const FilterModel &model,
                                     QObject *parent)
    : QStyledItemDelegate(parent)
    , m_view(view)
    , m_model(model) {}

int FilterRowDelegate::numberWidth(const QFont &font) const {
    const QString widest(QString::number(m_view.viewText().lineCount()).size(), QLatin1Char('9'));
    return QFontMetrics(font).horizontalAdvance(widest) + 2 * Gap;
}

QSize FilterRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const {
    return QSize(1, QFontMetrics(option.font).height() + 2);
}

void FilterRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette &palette = option.palette;
    const QRect rect = option.rect;
    const FilterModel::Line line = m_model.line(index.row());
    if (selected) {
        painter->fillRect(rect, palette.brush(QPalette::Highlight));
    } else {
        const ColorNumber background = m_view.marks().backgroundAt(line.start);
        if (background != ViewMarks::NoColor)
            painter->fillRect(rect, backgroundTint(background));
    }
    const QColor text = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    const ViewText &viewText = m_view.viewText();

    painter->save();
    painter->setClipRect(rect);
    painter->setFont(option.font);
    const int numbers = numberWidth(option.font);
    painter->setPen(selected ? text : palette.color(QPalette::PlaceholderText));
    painter->drawText(QRect(rect.left(), rect.top(), numbers - Gap, rect.height()),
                      Qt::AlignRight | Qt::AlignVCenter, QString::number(line.number));

    // Twice as many bytes as average characters fit: enough for any mix of widths.
    const QFontMetrics metrics(option.font);
    const qint64 fit = 2 * qint64(rect.width()) / qMax(1, metrics.averageCharWidth()) + 8;
    const qint64 end = qMin(line.end, line.start + qMin(fit, FilterModel::RowBytes));
    DecodedPiece decoded;
    decodeBytes(viewText.data() + line.start, end - line.start, viewText.isUtf8(line.number - 1),
                true, decoded.text, &decoded.byteOf);
    QList<QTextLayout::FormatRange> formats;
    for (const ColouredRange &c : viewColours(m_view, line.start, end)) {
        QTextLayout::FormatRange f;
        f.start = decoded.unitAt(qMax(c.start, line.start) - line.start);
        f.length = (c.end >= end ? int(decoded.text.size()) : decoded.unitAt(c.end - line.start)) -
                   f.start;
        f.format.setForeground(selected ? text : toQColor(c.color));
        if (f.length > 0)
            formats.append(f);
    }
    QTextLayout layout(decoded.text, option.font);
    layout.setCacheEnabled(false);
    layout.beginLayout();
    QTextLine row = layout.createLine();
    if (row.isValid())
        row.setLineWidth(1e6);
    layout.endLayout();
    painter->setPen(text);
    const qreal y = rect.top() + (rect.height() - metrics.height()) / 2.0;
    layout.draw(painter, QPointF(rect.left() + numbers, y), formats);
    painter->restore();
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor = palette.color(selected ? QPalette::Highlight : QPalette::Base);
        const QWidget *widget = option.widget;
        (widget ? widget->style() : QApplication::style())
            ->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
}

} // namespace Orvik
