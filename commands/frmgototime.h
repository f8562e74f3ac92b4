#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace Orvik {

// The Go to Time window: modeless, owned by the main window; one box for the time and, under
// it, a note on the last answer. Enter in the box asks for the move; Escape closes it.
class frmGoToTime : public QDialog {
    Q_OBJECT

public:
    explicit frmGoToTime(QWidget *parent = nullptr);

    QString timeText() const;
    // Puts `text` in the box, all of it selected.
    void setTimeText(const QString &text);
    void setNote(const QString &text);
    QString note() const;
    QLineEdit &txtTime() { return *m_txtTime; }

signals:
    void txtTime_Enter();

private:
    QLineEdit *m_txtTime;
    QLabel *m_lblNote;
};

} // namespace Orvik
