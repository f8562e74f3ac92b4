#pragma once

#include "systeminfotool.h"

#include <QDialog>
#include <QVersionNumber>

class QFrame;
class QLabel;
class QPushButton;
class QTextEdit;

namespace Orvik {

// The About window: program and version, the description (an optional About file above the
// built-in one) and a button that starts the system information tool. Made anew for every
// showing, so the About file is read each time the window opens.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    static const QString ApplicationTitle; // "Orvik"
    // About files larger than this are not shown; a note is never that big.
    static constexpr qint64 MaxAboutFileBytes = 1024 * 1024;

    explicit frmAbout(QWidget *owner, const QString &aboutFilePath = defaultAboutFilePath());

    // "Orvik.rtf" in the program's folder.
    static QString defaultAboutFilePath();
    // The title, " Version " and major.minor.revision.
    static QString captionFor(const QString &title, const QVersionNumber &version);
    static QVersionNumber programVersion();

    QTextEdit &rtfText() { return *m_rtfText; }
    SystemInfoTool &sysInfo() { return m_sysInfo; }

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

private:
    void createControls();

    QString m_aboutFilePath;
    SystemInfoTool m_sysInfo;
    QTextEdit *m_rtfText = nullptr;
    QFrame *m_line1[2] = {nullptr, nullptr};
    QLabel *m_lblDisclaimer = nullptr;
    QPushButton *m_cmdSysInfo = nullptr;
    QPushButton *m_cmdOK = nullptr;
};

} // namespace Orvik
