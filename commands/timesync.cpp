#include "timesync.h"

#include "commandhost.h"
#include "document/frmdocument.h"

#include <QMdiArea>
#include <QScopedValueRollback>

namespace Orvik {

namespace {
template <typename F> void forEachDocument(QMdiArea &area, F &&f) {
    for (QMdiSubWindow *window : area.subWindowList())
        if (auto *document = qobject_cast<frmDocument *>(window))
            f(*document);
}
} // namespace

TimeSync::TimeSync(CommandHost &host)
    : m_host(host) {}

void TimeSync::setEnabled(bool enabled) {
    m_enabled = enabled;
    if (!enabled)
        forEachDocument(m_host.workspace(),
                        [](frmDocument &document) { document.rtfText().clearTimeBand(); });
}

void TimeSync::readerMoved(frmDocument &source) {
    if (!m_enabled || m_syncing)
        return;
    const qint64 time = source.rtfText().caretTime();
    if (time == NoTime)
        return;
    source.rtfText().clearTimeBand();
    const QScopedValueRollback<bool> syncing(m_syncing, true);
    forEachDocument(m_host.workspace(), [&](frmDocument &document) {
        RichTextView &view = document.rtfText();
        if (&document == &source || !view.hasTimes())
            return;
        // A document that begins after the time shows its beginning, without a band.
        const qint64 line = view.lineTimes()->lastAtOrBefore(time);
        view.showTimeLine(qMax<qint64>(0, line), line >= 0);
    });
}

void TimeSync::endRequested(frmDocument &source) {
    if (!m_enabled)
        return;
    forEachDocument(m_host.workspace(), [&](frmDocument &document) {
        RichTextView &view = document.rtfText();
        view.clearTimeBand();
        if (&document != &source)
            view.setSelStart(view.text().size());
    });
}

} // namespace Orvik
