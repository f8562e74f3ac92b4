#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

namespace Orvik {

class CommandHost;
class frmGoToTime;

// Edit, Go to Time in the active document: the window opens with the time of the caret's line;
// a time entered there moves the caret to the first line at or after it, selected and centred
// (the reader's move: the view stops following). A time after the last line goes to the last
// line; a text that is no time moves nothing. Either says so under the box, where the window
// stays open; a move to a line closes it.
class TimeCommands : public QObject {
    Q_OBJECT

public:
    static const QString NotATime;
    static const QString AfterTheEnd;
    static const QString NoTimes;

    explicit TimeCommands(CommandHost &host);
    ~TimeCommands() override;

    void goToTime();
    frmGoToTime *goToTimeWindow() const;

private:
    void txtTime_Enter();

    CommandHost &m_host;
    QPointer<frmGoToTime> m_window;
};

} // namespace Orvik
