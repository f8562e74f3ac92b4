#include "document/filter/filterpane.h"

#include "document/filter/filterrowdelegate.h"
#include "document/view/richtextview.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace Orvik {

FilterPane::FilterPane(RichTextView &view, std::shared_ptr<FilterHistory> history, QWidget *parent)
    : QWidget(parent)
    , m_view(view)
    , m_model(view)
    , m_live(view, m_model)
    , m_bar(new FilterBar(std::move(history)))
    , m_rows(new FilterListView) {
    setObjectName(QStringLiteral("filterPane"));
    m_rows->setObjectName(QStringLiteral("filterRows"));
    m_rows->setAccessibleName(QStringLiteral("Matching lines"));
    m_rows->setModel(&m_model);
    m_rows->setItemDelegate(new FilterRowDelegate(view, m_model, m_rows));
    m_rows->setFont(view.font());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_bar);
    layout->addWidget(m_rows, 1);

    connect(m_bar, &FilterBar::changed, this, &FilterPane::applyFilter);
    connect(m_bar, &FilterBar::accepted, this, &FilterPane::remember);
    connect(m_bar, &FilterBar::closeClicked, this, &FilterPane::dismiss);
    connect(&m_live, &LiveFilter::changed, this, &FilterPane::updateStatus);
    connect(m_rows, &QListView::clicked, this, &FilterPane::showRow);
    connect(m_rows, &QListView::activated, this, &FilterPane::showRow);
    view.installEventFilter(this);
}

// The list goes before the model it shows.
FilterPane::~FilterPane() {
    delete m_rows;
}

void FilterPane::open() {
    const bool opening = isHidden();
    m_bar->showHistory();
    show();
    m_bar->focusText();
    if (opening)
        applyFilter();
}

void FilterPane::dismiss() {
    remember();
    hide();
    m_live.setFilter(LineFilter());
    m_error.clear();
    emit dismissed();
}

void FilterPane::applyFilter() {
    if (isHidden())
        return;
    const LineFilter filter = m_bar->filter();
    m_error = filter.errorString();
    if (m_error.isEmpty())
        m_live.setFilter(filter);
    updateStatus();
}

void FilterPane::remember() {
    const LineFilter &filter = m_live.filter();
    if (filter.isActive() && m_error.isEmpty())
        m_bar->remember(filter.text());
}

void FilterPane::updateStatus() {
    m_statusIsError =
        m_bar->showProgress({m_error, m_live.tooComplexLine(), m_live.filter().isActive(),
                             m_model.rowCount(), m_live.isScanning()});
    if (m_live.isScanning())
        m_rows->setCursor(Qt::BusyCursor);
    else
        m_rows->unsetCursor();
}

// The reader's move: the line selected from its start and centred; the view stops following.
void FilterPane::showRow(const QModelIndex &index) {
    if (!index.isValid())
        return;
    remember();
    const FilterModel::Line line = m_model.line(index.row());
    const qint64 size = m_view.viewText().size();
    // An empty line is selected by its line break, so that something is selected.
    m_view.selectByReader(line.start, line.end > line.start ? line.end - line.start
                                                            : qMin<qint64>(1, size - line.start));
}

// The selected rows in order, each once, or else the current one.
QList<int> FilterPane::selectedRows() const {
    QList<int> rows;
    for (const QItemSelectionRange &range : m_rows->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.append(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.isEmpty() && m_rows->currentIndex().isValid())
        rows.append(m_rows->currentIndex().row());
    return rows;
}

bool FilterPane::hasFocusedSelection() const {
    return isVisible() && m_rows->hasFocus() &&
           (m_rows->selectionModel()->hasSelection() || m_rows->currentIndex().isValid());
}

// A range of rows holds at least a byte a line (its break) and at most the bytes from its first
// line's start to its last line's end; when the rows are neighbouring lines, those bytes. These
// bounds, two lines looked up a range, decide most selections; the others are counted row by
// row until they pass `atMost`.
qint64 FilterPane::selectedBytes(qint64 atMost) const {
    const QItemSelection selection = m_rows->selectionModel()->selection();
    if (selection.isEmpty())
        return selectedBytesOf(selectedRows(), atMost);
    qint64 least = 0;
    qint64 most = 0;
    for (const QItemSelectionRange &range : selection) {
        const FilterModel::Line first = m_model.line(range.top());
        const FilterModel::Line last = m_model.line(range.bottom());
        const qint64 rows = range.bottom() - range.top() + 1;
        const qint64 span = qMax<qint64>(0, last.end - first.start) + 1;
        most += span;
        // Neighbouring lines: the span less at most a carriage return a line break.
        least += last.number - first.number + 1 == rows ? span - (rows - 1) : rows;
    }
    if (least > atMost || most <= atMost)
        return least > atMost ? least : most;
    return selectedBytesOf(selectedRows(), atMost);
}

qint64 FilterPane::selectedBytesOf(const QList<int> &rows, qint64 atMost) const {
    qint64 bytes = 0;
    for (int row : rows) {
        const FilterModel::Line line = m_model.line(row);
        bytes += line.end - line.start + 1;
        if (bytes > atMost)
            break;
    }
    return bytes;
}

QString FilterPane::selectedText() const {
    QStringList lines;
    for (int row : selectedRows())
        lines.append(m_model.lineText(row));
    return lines.join(QLatin1Char('\n'));
}

bool FilterPane::eventFilter(QObject *watched, QEvent *event) {
    if (watched == &m_view && event->type() == QEvent::FontChange)
        m_rows->setFont(m_view.font());
    return QWidget::eventFilter(watched, event);
}

void FilterPane::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        dismiss();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace Orvik
