#pragma once

#include "core/search/filterscan.h"
#include "core/search/linefilter.h"

#include <QObject>

namespace Orvik {

class FilterModel;
class RichTextView;

// Keeps a FilterModel in step with a view's text: an append scans only the new lines and the
// last line before them, which the append may have finished, in the same call that shows them;
// a replacement scans the whole text again. An unfinished last line is not scanned whole again
// on each append (LineFilter::OpenLine). A scan of ApartFrom bytes or more runs on a
// FilterScan and its matches arrive as they are found; appends during it join it.
class LiveFilter : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 DefaultApartFrom = 1024 * 1024;

    LiveFilter(RichTextView &view, FilterModel &model);
    ~LiveFilter() override;

    // Empties the model and scans the text with `filter`; an inactive filter scans nothing.
    void setFilter(const LineFilter &filter);
    const LineFilter &filter() const { return m_filter; }
    // True while a scan runs apart.
    bool isScanning() const { return m_scanning; }
    // The 1-based number of the line on which the expression gave up, or 0. The filter has
    // stopped there and scans no more until it is set again.
    qint64 tooComplexLine() const { return m_tooComplexLine; }

    void setSizes(qint64 apartFrom, qint64 sliceBytes);

signals:
    // Rows came or went, or the scan's state changed.
    void changed();

private:
    void viewAppended(qint64 oldSize);
    void viewReplaced();
    void restart();
    void scanNew();
    void takeFound();
    void giveUp(qint64 lineStart);

    RichTextView &m_view;
    FilterModel &m_model;
    LineFilter m_filter;
    FilterScan m_scan;
    qint64 m_scannedTo = 0;      // the whole lines before it are scanned, or handed to the scan
    LineFilter::OpenLine m_open; // the last line as last looked at here or by the scan
    bool m_scanning = false;
    qint64 m_tooComplexLine = 0;
    qint64 m_apartFrom = DefaultApartFrom;
};

} // namespace Orvik
