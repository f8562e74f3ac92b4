#include "document/filter/filterbar.h"

#include "document/filter/filterhistory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace Orvik {

FilterBar::FilterBar(std::shared_ptr<FilterHistory> history, QWidget *parent)
    : QWidget(parent)
    , m_history(std::move(history))
    , m_filterBox(new QComboBox)
    , m_matchCase(new QCheckBox(QStringLiteral("Match &case")))
    , m_regex(new QCheckBox(QStringLiteral("&Regular expression")))
    , m_close(new QToolButton)
    , m_status(new QLabel) {
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

    auto *bar = new QHBoxLayout;
    bar->addWidget(label);
    bar->addWidget(m_filterBox, 1);
    bar->addWidget(m_matchCase);
    bar->addWidget(m_regex);
    bar->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(bar);
    layout->addWidget(m_status);

    connect(m_filterBox, &QComboBox::editTextChanged, this, &FilterBar::changed);
    connect(m_filterBox->lineEdit(), &QLineEdit::returnPressed, this, &FilterBar::accepted);
    connect(m_matchCase, &QCheckBox::toggled, this, &FilterBar::changed);
    connect(m_regex, &QCheckBox::toggled, this, &FilterBar::changed);
    connect(m_close, &QToolButton::clicked, this, &FilterBar::closeClicked);
}

LineFilter FilterBar::filter() const {
    return LineFilter(m_filterBox->currentText(), m_matchCase->isChecked(),
                      m_regex->isChecked() ? LineFilter::Kind::RegularExpression
                                           : LineFilter::Kind::Plain);
}

void FilterBar::showHistory() {
    const QString text = m_filterBox->currentText();
    const QSignalBlocker block(m_filterBox);
    m_filterBox->clear();
    m_filterBox->addItems(m_history->texts());
    m_filterBox->setEditText(text);
}

void FilterBar::remember(const QString &text) {
    m_history->remember(text);
    showHistory();
}

void FilterBar::focusText() {
    m_filterBox->setFocus();
    m_filterBox->lineEdit()->selectAll();
}

void FilterBar::setStatus(const QString &text, bool error) {
    QPalette colors = m_status->palette();
    colors.setColor(QPalette::WindowText,
                    error ? QColor(Qt::red) : palette().color(QPalette::WindowText));
    m_status->setPalette(colors);
    m_status->setText(text);
}

bool FilterBar::showProgress(const Progress &progress) {
    QString text;
    bool error = true;
    if (!progress.error.isEmpty()) {
        text = progress.error;
    } else if (progress.tooComplexLine) {
        text = QStringLiteral("pattern too complex for line %1").arg(progress.tooComplexLine);
    } else {
        error = false;
        if (progress.active) {
            text = progress.matches == 1
                       ? QStringLiteral("1 matching line")
                       : QStringLiteral("%1 matching lines").arg(progress.matches);
            if (progress.scanning)
                text += QStringLiteral(" so far");
        }
    }
    setStatus(text, error);
    return error;
}

QAbstractButton &FilterBar::closeButton() const {
    return *m_close;
}

} // namespace Orvik
