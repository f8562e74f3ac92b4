#include "frmfind.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace Orvik {

namespace {
template <typename T> T *named(T *widget, const char *name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}
} // namespace

frmFind::frmFind(QWidget *parent)
    : QDialog(parent)
    , m_cboFindWhat(named(new QComboBox, "cboFindWhat"))
    , m_chkMatchCase(named(new QCheckBox(QStringLiteral("Match &case")), "chkMatchCase"))
    , m_optUp(named(new QRadioButton(QStringLiteral("&Up")), "optUp"))
    , m_optDown(named(new QRadioButton(QStringLiteral("&Down")), "optDown"))
    , m_cmdFindNext(named(new QPushButton(QStringLiteral("&Find Next")), "cmdFindNext"))
    , m_cmdCancel(named(new QPushButton(QStringLiteral("Cancel")), "cmdCancel"))
    , m_lblWrapped(named(new QLabel, "lblWrapped")) {
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find"));
    setModal(false);

    auto *lblFindWhat = named(new QLabel(QStringLiteral("Fi&nd what:")), "lblFindWhat");
    lblFindWhat->setBuddy(m_cboFindWhat);
    m_cboFindWhat->setEditable(true);
    m_cboFindWhat->setCompleter(nullptr); // what is typed is what is searched for
    m_cboFindWhat->setInsertPolicy(QComboBox::NoInsert);
    m_cboFindWhat->setMinimumContentsLength(24);
    m_cboFindWhat->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_optDown->setChecked(true);
    m_cmdFindNext->setDefault(true);
    m_cmdFindNext->setEnabled(false);

    auto *fraDirection = named(new QGroupBox(QStringLiteral("Direction")), "fraDirection");
    auto *directions = new QHBoxLayout(fraDirection);
    directions->addWidget(m_optUp);
    directions->addWidget(m_optDown);

    auto *choices = new QGridLayout;
    choices->addWidget(lblFindWhat, 0, 0);
    choices->addWidget(m_cboFindWhat, 0, 1, 1, 2);
    choices->addWidget(m_chkMatchCase, 1, 0, 1, 2, Qt::AlignBottom);
    choices->addWidget(fraDirection, 1, 2);
    choices->addWidget(m_lblWrapped, 2, 0, 1, 3);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_cmdFindNext);
    buttons->addWidget(m_cmdCancel);
    buttons->addStretch();
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(choices, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_cboFindWhat, &QComboBox::editTextChanged, this,
            [this](const QString &text) { m_cmdFindNext->setEnabled(!text.isEmpty()); });
    connect(m_cmdFindNext, &QPushButton::clicked, this, &frmFind::cmdFindNext_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmFind::reject);
}

QString frmFind::findWhat() const {
    return m_cboFindWhat->currentText();
}

void frmFind::setFindWhat(const QString &text) {
    m_cboFindWhat->setEditText(text);
    m_cboFindWhat->lineEdit()->selectAll();
}

void frmFind::setHistory(const QStringList &texts) {
    const QString current = m_cboFindWhat->currentText();
    m_cboFindWhat->clear();
    m_cboFindWhat->addItems(texts);
    m_cboFindWhat->setEditText(current);
}

bool frmFind::matchCase() const {
    return m_chkMatchCase->isChecked();
}

FindRun::Direction frmFind::direction() const {
    return m_optUp->isChecked() ? FindRun::Direction::Up : FindRun::Direction::Down;
}

void frmFind::setWrapNote(const QString &text) {
    m_lblWrapped->setText(text);
}

QString frmFind::wrapNote() const {
    return m_lblWrapped->text();
}

void frmFind::reject() {
    emit cmdCancel_Click();
}

void frmFind::closeEvent(QCloseEvent *event) {
    emit cmdCancel_Click(); // stops a search that runs
    event->accept();
}

} // namespace Orvik
