#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;

namespace Orvik {

// The Open Command window: one editable drop-down for the command line, holding the recent
// command lines newest first, or examples while there are none. OK with an empty line does
// nothing.
class frmCommand : public QDialog {
    Q_OBJECT

public:
    static const QStringList Examples;

    explicit frmCommand(const QStringList &recent, QWidget *parent = nullptr);

    QString commandLine() const;
    QComboBox &cboCommand() { return *m_command; }

private:
    QComboBox *m_command = nullptr;
};

} // namespace Orvik
