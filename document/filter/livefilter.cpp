#include "document/filter/livefilter.h"

#include "document/filter/filtermodel.h"
#include "document/view/richtextview.h"

namespace Orvik {

LiveFilter::LiveFilter(RichTextView &view, FilterModel &model)
    : m_view(view)
    , m_model(model)
    , m_scan([this] {
        QMetaObject::invokeMethod(this, &LiveFilter::takeFound, Qt::QueuedConnection);
    }) {
    connect(&view, &RichTextView::appended, this, &LiveFilter::viewAppended);
    connect(&view, &RichTextView::replaced, this, &LiveFilter::viewReplaced);
}

// m_scan is destroyed first: its thread ends before this object stops taking its calls.
LiveFilter::~LiveFilter() = default;

void LiveFilter::setFilter(const LineFilter &filter) {
    m_filter = filter;
    restart();
}

void LiveFilter::setSizes(qint64 apartFrom, qint64 sliceBytes) {
    m_apartFrom = apartFrom;
    m_scan.setSliceBytes(sliceBytes);
}

void LiveFilter::viewAppended(qint64) {
    if (!m_filter.isActive() || m_tooComplexLine > 0)
        return;
    m_model.setLastLine(-1); // scanned again as a whole line or as the new last line
    scanNew();
}

void LiveFilter::viewReplaced() {
    restart();
}

void LiveFilter::restart() {
    m_scan.cancel();
    m_scanning = false;
    m_scannedTo = 0;
    m_open = LineFilter::OpenLine();
    m_tooComplexLine = 0;
    m_model.clear();
    if (m_filter.isActive())
        scanNew();
    emit changed();
}

void LiveFilter::scanNew() {
    const ViewText &text = m_view.viewText();
    const qint64 wholeEnd = text.lineStart(text.lineCount() - 1);
    // Plain text looks only at the bytes the last line got since it was looked at; an
    // expression at the whole line once a line feed completes it.
    qint64 work = text.size() - m_scannedTo;
    if (m_open.start == m_scannedTo &&
        (wholeEnd == m_scannedTo || m_filter.kind() == LineFilter::Kind::Plain))
        work = text.size() - m_open.scannedTo;
    if (m_scanning) {
        m_scan.extend(text.contents(), wholeEnd);
    } else if (work >= m_apartFrom) {
        m_scan.start(m_filter, text.contents(), m_scannedTo, wholeEnd, m_open);
        m_scanning = true;
    } else {
        std::vector<qint64> found;
        qint64 stop = m_filter.scanGrown(text.data(), m_scannedTo, wholeEnd, m_open, found);
        m_model.append(found);
        if (stop < 0) {
            stop = m_filter.scanOpenLine(text.data(), wholeEnd, text.size(), m_open);
            m_model.setLastLine(m_open.matched ? wholeEnd : -1);
        }
        if (stop >= 0)
            giveUp(stop);
    }
    m_scannedTo = wholeEnd;
    emit changed();
}

void LiveFilter::takeFound() {
    if (!m_scanning)
        return;
    const FilterScan::Found found = m_scan.take();
    m_model.append(found.lineStarts);
    if (!found.running) {
        m_scanning = false;
        m_open = found.open;
        if (found.tooComplexAt >= 0)
            giveUp(found.tooComplexAt);
        else
            m_model.setLastLine(found.lastLine);
    }
    emit changed();
}

void LiveFilter::giveUp(qint64 lineStart) {
    m_scan.cancel();
    m_scanning = false;
    m_model.setLastLine(-1);
    m_tooComplexLine = m_view.viewText().lineAt(lineStart) + 1;
}

} // namespace Orvik
