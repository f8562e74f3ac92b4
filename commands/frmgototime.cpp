#include "frmgototime.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace Orvik {

frmGoToTime::frmGoToTime(QWidget *parent)
    : QDialog(parent)
    , m_txtTime(new QLineEdit)
    , m_lblNote(new QLabel) {
    setObjectName(QStringLiteral("frmGoToTime"));
    setWindowTitle(QStringLiteral("Go to Time"));
    setModal(false);
    m_txtTime->setObjectName(QStringLiteral("txtTime"));
    m_lblNote->setObjectName(QStringLiteral("lblNote"));
    auto *label = new QLabel(QStringLiteral("&Time (13:58, 13:58:42.5, 2026-12-08 13:58):"));
    label->setBuddy(m_txtTime);
    m_txtTime->setMinimumWidth(m_txtTime->fontMetrics().averageCharWidth() * 32);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_txtTime);
    layout->addWidget(m_lblNote);
    connect(m_txtTime, &QLineEdit::returnPressed, this, &frmGoToTime::txtTime_Enter);
}

QString frmGoToTime::timeText() const {
    return m_txtTime->text();
}

void frmGoToTime::setTimeText(const QString &text) {
    m_txtTime->setText(text);
    m_txtTime->selectAll();
}

void frmGoToTime::setNote(const QString &text) {
    m_lblNote->setText(text);
}

QString frmGoToTime::note() const {
    return m_lblNote->text();
}

} // namespace Orvik
