#pragma once

#include "core/search/findrun.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace Orvik {

// The Find window: modeless, owned by the main window. It only holds what the user chose;
// the search itself belongs to the Find commands, which it asks through its signals.
class frmFind : public QDialog {
    Q_OBJECT

public:
    explicit frmFind(QWidget *parent = nullptr);

    QString findWhat() const;
    void setFindWhat(const QString &text);
    // The texts searched for this run, most recent first.
    void setHistory(const QStringList &texts);
    bool matchCase() const;
    FindRun::Direction direction() const;
    // The line under the choices: that the last search passed an end of the file.
    void setWrapNote(const QString &text);
    QString wrapNote() const;

    // Escape and Cancel do not close the window themselves: a running search stops first.
    // The close box closes it, stopping a search that runs.
    void reject() override;

signals:
    void cmdFindNext_Click();
    void cmdCancel_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QComboBox *m_cboFindWhat;
    QCheckBox *m_chkMatchCase;
    QRadioButton *m_optUp;
    QRadioButton *m_optDown;
    QPushButton *m_cmdFindNext;
    QPushButton *m_cmdCancel;
    QLabel *m_lblWrapped;
};

} // namespace Orvik
