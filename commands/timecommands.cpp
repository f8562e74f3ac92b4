#include "timecommands.h"

#include "commandhost.h"
#include "document/frmdocument.h"
#include "frmgototime.h"

#include <QLineEdit>

namespace Orvik {

const QString TimeCommands::NotATime = QStringLiteral("Not a time");
const QString TimeCommands::AfterTheEnd = QStringLiteral("After the last line: went to the end");
const QString TimeCommands::NoTimes = QStringLiteral("This document's lines carry no time");

namespace {
// The time a date left out is taken from: the caret line's, else the first line's that has one.
qint64 referenceTime(const RichTextView &view) {
    const qint64 caret = view.caretTime();
    if (caret != NoTime || !view.lineTimes())
        return caret;
    const LineTimes &times = *view.lineTimes();
    return times.timeOf(times.firstAtOrAfter(NoTime + 1));
}
} // namespace

TimeCommands::TimeCommands(CommandHost &host)
    : m_host(host) {}

TimeCommands::~TimeCommands() {
    delete m_window;
}

frmGoToTime *TimeCommands::goToTimeWindow() const {
    return m_window;
}

void TimeCommands::goToTime() {
    frmDocument *document = m_host.activeDocument();
    if (!document || !document->rtfText().hasTimes())
        return;
    if (!m_window) {
        m_window = new frmGoToTime(m_host.dialogOwner());
        connect(m_window, &frmGoToTime::txtTime_Enter, this, &TimeCommands::txtTime_Enter);
    }
    m_window->setTimeText(wantedTimeText(referenceTime(document->rtfText())));
    m_window->setNote(QString());
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    m_window->txtTime().setFocus();
}

void TimeCommands::txtTime_Enter() {
    frmDocument *document = m_host.activeDocument();
    if (!document || !document->rtfText().hasTimes()) {
        m_window->setNote(NoTimes);
        return;
    }
    RichTextView &view = document->rtfText();
    const LineTimes &times = *view.lineTimes();
    const qint64 wanted = parseWantedTime(m_window->timeText(), referenceTime(view));
    if (wanted == NoTime) {
        m_window->setNote(NotATime);
        return;
    }
    const qint64 line = times.firstAtOrAfter(wanted);
    if (line < times.lineCount()) {
        m_window->setNote(QString());
        m_window->hide();
        view.selectLineByReader(line);
        document->activate();
        return;
    }
    // The last line that has text: a text ending in a line break ends with an empty line.
    const ViewText &text = view.viewText();
    qint64 last = text.lineCount() - 1;
    if (last > 0 && text.lineStart(last) == text.size())
        --last;
    view.selectLineByReader(last);
    m_window->setNote(AfterTheEnd);
}

} // namespace Orvik
