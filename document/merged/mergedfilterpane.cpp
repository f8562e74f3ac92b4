#include "document/merged/mergedfilterpane.h"

#include "document/filter/filterhistory.h"
#include "document/merged/mergedlogs.h"
#include "document/merged/mergedview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace Orvik {

MergedFilterPane::MergedFilterPane(MergedLogs &logs, std::shared_ptr<FilterHistory> history,
                                   QWidget *parent)
    : QWidget(parent)
    , m_history(std::move(history))
    , m_filter(logs)
    , m_filterBox(new QComboBox)
    , m_matchCase(new QCheckBox(QStringLiteral("Match &case")))
    , m_regex(new QCheckBox(QStringLiteral("&Regular expression")))
    , m_close(new QToolButton)
    , m_status(new QLabel)
    , m_rows(new MergedView(logs, m_filter)) {
    setObjectName(QStringLiteral("filterPane"));
    auto *label = new QLabel(QStringLiteral("Filter:"));
    label->setBuddy(m_filterBox);
    m_filterBox->setObjectName(QStringLiteral("filterText"));
    m_filterBox->setEditable(true);
    m_filterBox->setCompleter(nullptr);
    m_filterBox->setInsertPolicy(QComboBox::NoInsert);
    m_filterBox->setMaxCount(FilterHistory::Count);
    m_filterBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_close->setObjectName(QStringLiteral("filterClose"));
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_close->setAutoRaise(true);
    m_close->setToolTip(QStringLiteral("Close the filter"));
    m_close->setAccessibleName(QStringLiteral("Close filter"));
    m_status->setObjectName(QStringLiteral("filterStatus"));
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_rows->setObjectName(QStringLiteral("filterRows"));
    m_rows->setAccessibleName(QStringLiteral("Matching lines"));

    auto *bar = new QHBoxLayout;
    bar->addWidget(label);
    bar->addWidget(m_filterBox, 1);
    bar->addWidget(m_matchCase);
    bar->addWidget(m_regex);
    bar->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(bar);
    layout->addWidget(m_status);
    layout->addWidget(m_rows, 1);

    connect(m_filterBox, &QComboBox::editTextChanged, this, &MergedFilterPane::applyFilter);
    connect(m_filterBox->lineEdit(), &QLineEdit::returnPressed, this, &MergedFilterPane::remember);
    connect(m_matchCase, &QCheckBox::toggled, this, &MergedFilterPane::applyFilter);
    connect(m_regex, &QCheckBox::toggled, this, &MergedFilterPane::applyFilter);
    connect(m_close, &QToolButton::clicked, this, &MergedFilterPane::dismiss);
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
    showHistory();
    show();
    m_filterBox->setFocus();
    m_filterBox->lineEdit()->selectAll();
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
    const LineFilter filter(m_filterBox->currentText(), m_matchCase->isChecked(),
                            m_regex->isChecked() ? LineFilter::Kind::RegularExpression
                                                 : LineFilter::Kind::Plain);
    m_error = filter.errorString();
    if (m_error.isEmpty())
        m_filter.setFilter(filter);
    updateStatus();
}

void MergedFilterPane::remember() {
    const LineFilter &filter = m_filter.filter();
    if (!filter.isActive() || !m_error.isEmpty())
        return;
    m_history->remember(filter.text());
    showHistory();
}

void MergedFilterPane::showHistory() {
    const QString text = m_filterBox->currentText();
    const QSignalBlocker block(m_filterBox);
    m_filterBox->clear();
    m_filterBox->addItems(m_history->texts());
    m_filterBox->setEditText(text);
}

void MergedFilterPane::updateStatus() {
    QString text;
    bool error = true;
    if (!m_error.isEmpty()) {
        text = m_error;
    } else if (const qint64 line = m_filter.tooComplexLine()) {
        text = QStringLiteral("pattern too complex for line %1").arg(line);
    } else {
        error = false;
        if (m_filter.filter().isActive()) {
            const qint64 count = m_filter.rowCount();
            text = count == 1 ? QStringLiteral("1 matching line")
                              : QStringLiteral("%1 matching lines").arg(count);
            if (m_filter.isScanning())
                text += QStringLiteral(" so far");
        }
    }
    QPalette colors = m_status->palette();
    colors.setColor(QPalette::WindowText,
                    error ? QColor(Qt::red) : palette().color(QPalette::WindowText));
    m_status->setPalette(colors);
    m_status->setText(text);
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
