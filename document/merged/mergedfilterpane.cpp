#include "document/merged/mergedfilterpane.h"

#include "document/merged/mergedlogs.h"
#include "document/merged/mergedview.h"

#include <QKeyEvent>
#include <QVBoxLayout>

namespace Orvik {

MergedFilterPane::MergedFilterPane(MergedLogs &logs, std::shared_ptr<FilterHistory> history,
                                   QWidget *parent)
    : QWidget(parent)
    , m_filter(logs)
    , m_bar(new FilterBar(std::move(history)))
    , m_rows(new MergedView(logs, m_filter)) {
    setObjectName(QStringLiteral("filterPane"));
    m_rows->setObjectName(QStringLiteral("filterRows"));
    m_rows->setAccessibleName(QStringLiteral("Matching lines"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_bar);
    layout->addWidget(m_rows, 1);

    connect(m_bar, &FilterBar::changed, this, &MergedFilterPane::applyFilter);
    connect(m_bar, &FilterBar::accepted, this, &MergedFilterPane::remember);
    connect(m_bar, &FilterBar::closeClicked, this, &MergedFilterPane::dismiss);
    connect(&m_filter, &MergedFilter::changed, this, [this] {
        m_rows->listChanged();
        updateStatus();
    });
    connect(m_rows, &MergedView::rowActivated, this, [this](const MergedRows::Row &row) {
        remember();
        emit rowActivated(row);
    });
}

// The rows go before the filter they show.
MergedFilterPane::~MergedFilterPane() {
    delete m_rows;
}

void MergedFilterPane::open() {
    const bool opening = isHidden();
    m_bar->showHistory();
    show();
    m_bar->focusText();
    if (opening)
        applyFilter();
}

void MergedFilterPane::dismiss() {
    remember();
    hide();
    m_filter.setFilter(LineFilter());
    m_error.clear();
    emit dismissed();
}

void MergedFilterPane::applyFilter() {
    if (isHidden())
        return;
    const LineFilter filter = m_bar->filter();
    m_error = filter.errorString();
    if (m_error.isEmpty())
        m_filter.setFilter(filter);
    updateStatus();
}

void MergedFilterPane::remember() {
    const LineFilter &filter = m_filter.filter();
    if (filter.isActive() && m_error.isEmpty())
        m_bar->remember(filter.text());
}

void MergedFilterPane::updateStatus() {
    m_bar->showProgress({m_error, m_filter.tooComplexLine(), m_filter.filter().isActive(),
                         m_filter.rowCount(), m_filter.isScanning()});
}

void MergedFilterPane::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        dismiss();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace Orvik
