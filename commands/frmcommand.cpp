#include "frmcommand.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Orvik {

const QStringList frmCommand::Examples = {
    QStringLiteral("journalctl -f -n 1000"),
    QStringLiteral("ssh HOST tail -F /var/log/syslog"),
    QStringLiteral("kubectl logs -f POD"),
    QStringLiteral("docker logs -f CONTAINER"),
};

frmCommand::frmCommand(const QStringList &recent, QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmCommand"));
    setWindowTitle(QStringLiteral("Open Command"));
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(
        QStringLiteral("&Command line, run by /bin/sh; its output and errors are followed:"), this);
    layout->addWidget(label);
    m_command = new QComboBox(this);
    m_command->setObjectName(QStringLiteral("cboCommand"));
    m_command->setEditable(true);
    m_command->setInsertPolicy(QComboBox::NoInsert);
    m_command->setMinimumContentsLength(48);
    m_command->addItems(recent.isEmpty() ? Examples : recent);
    // Examples are offered, not proposed: the line starts empty until one is chosen.
    if (recent.isEmpty())
        m_command->setCurrentIndex(-1);
    label->setBuddy(m_command);
    layout->addWidget(m_command);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    m_command->lineEdit()->selectAll();
    m_command->setFocus();
}

QString frmCommand::commandLine() const {
    return m_command->currentText().trimmed();
}

} // namespace Orvik
