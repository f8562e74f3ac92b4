#pragma once

#include "core/search/linefilter.h"
#include "document/merged/mergedrowlist.h"

#include <QObject>

#include <memory>
#include <vector>

namespace Orvik {

class FilterModel;
class LiveFilter;
class MergedLogs;
class RichTextView;

// The filter across the merged logs: each log's view is filtered as its own filter pane
// filters it (a LiveFilter over a FilterModel of its own, scanning its new lines as they come
// and large texts apart), and the lines found are kept in the merged order, by time, then
// log, then line. A change in one log re-sorts only that log's new matches into the rows.
class MergedFilter : public QObject, public MergedRowList {
    Q_OBJECT

public:
    explicit MergedFilter(MergedLogs &logs, QObject *parent = nullptr);
    ~MergedFilter() override;

    // Every log filtered anew with `filter`; an inactive filter finds nothing.
    void setFilter(const LineFilter &filter);
    const LineFilter &filter() const { return m_filter; }
    // True while a log's scan runs apart.
    bool isScanning() const;
    // The 1-based line of some log on which the expression gave up, or 0.
    qint64 tooComplexLine() const;

    // MergedRowList
    qint64 rowCount() const override { return qint64(m_rows.size()); }
    MergedRows::Row row(qint64 index) const override;
    qint64 indexOf(const MergedRows::Row &row) const override;

signals:
    // Rows came or went, or a scan's state changed.
    void changed();

private:
    struct Key {
        qint64 time;
        int source;
        qint64 line;
        friend bool operator<(const Key &a, const Key &b) {
            if (a.time != b.time)
                return a.time < b.time;
            return a.source != b.source ? a.source < b.source : a.line < b.line;
        }
    };
    struct Source;

    void logsChanged();
    void sync(Source &source);
    void removeFrom(int source, qint64 line, size_t count);
    void add(std::vector<Key> keys);

    MergedLogs &m_logs;
    LineFilter m_filter;
    std::vector<std::unique_ptr<Source>> m_sources;
    std::vector<Key> m_rows; // sorted
};

} // namespace Orvik
