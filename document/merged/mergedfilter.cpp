#include "document/merged/mergedfilter.h"

#include "document/filter/filtermodel.h"
#include "document/filter/livefilter.h"
#include "document/view/richtextview.h"
#include "document/merged/mergedlogs.h"

#include <algorithm>

namespace Orvik {

// One log's filter: the live filter goes before the model it fills.
struct MergedFilter::Source {
    int source;
    RichTextView *view;
    FilterModel model;
    LiveFilter live;
    std::vector<qint64> lines; // the log's lines among the rows, ascending

    Source(int number, RichTextView &v)
        : source(number)
        , view(&v)
        , model(v)
        , live(v, model) {}
};

MergedFilter::MergedFilter(MergedLogs &logs, QObject *parent)
    : QObject(parent)
    , m_logs(logs) {
    // A log's times may come or go with a new text.
    connect(&logs, &MergedLogs::logsChanged, this, &MergedFilter::logsChanged);
    connect(&logs, &MergedLogs::rowsChanged, this, &MergedFilter::logsChanged);
    logsChanged();
}

MergedFilter::~MergedFilter() = default;

void MergedFilter::setFilter(const LineFilter &filter) {
    m_filter = filter;
    m_rows.clear();
    for (const auto &source : m_sources) {
        source->lines.clear();
        source->live.setFilter(filter);
    }
    emit changed();
}

bool MergedFilter::isScanning() const {
    return std::any_of(m_sources.begin(), m_sources.end(),
                       [](const auto &source) { return source->live.isScanning(); });
}

qint64 MergedFilter::tooComplexLine() const {
    for (const auto &source : m_sources)
        if (const qint64 line = source->live.tooComplexLine())
            return line;
    return 0;
}

// A filter for each log merged, and no other.
void MergedFilter::logsChanged() {
    std::vector<const MergedLogs::Log *> logs = m_logs.logs();
    logs.erase(std::remove_if(logs.begin(), logs.end(),
                              [](const MergedLogs::Log *log) {
                                  return !MergedLogs::hasTimes(log->document->rtfText());
                              }),
               logs.end());
    bool any = false;
    for (auto it = m_sources.begin(); it != m_sources.end();) {
        const int number = (*it)->source;
        const bool kept = std::any_of(logs.begin(), logs.end(), [&](const MergedLogs::Log *log) {
            return log->source == number && &log->document->rtfText() == (*it)->view;
        });
        if (kept) {
            ++it;
            continue;
        }
        m_rows.erase(std::remove_if(m_rows.begin(), m_rows.end(),
                                    [number](const Key &key) { return key.source == number; }),
                     m_rows.end());
        it = m_sources.erase(it);
        any = true;
    }
    for (const MergedLogs::Log *log : logs) {
        const bool known =
            std::any_of(m_sources.begin(), m_sources.end(),
                        [log](const auto &source) { return source->source == log->source; });
        if (known)
            continue;
        auto source = std::make_unique<Source>(log->source, log->document->rtfText());
        Source *added = source.get();
        connect(&added->live, &LiveFilter::changed, this, [this, added] {
            sync(*added);
            emit changed();
        });
        m_sources.push_back(std::move(source));
        added->live.setFilter(m_filter);
        any = true;
    }
    if (any)
        emit changed();
}

// The log's matches as its model holds them now: those it kept stay, the rest go, its new
// ones are sorted in. A log whose text has no times has no rows.
void MergedFilter::sync(Source &source) {
    const FilterModel &model = source.model;
    const qint64 count = model.rowCount();
    std::vector<qint64> &known = source.lines;
    size_t keep = size_t(qMin<qint64>(qint64(known.size()), count));
    // Appends only add matches after those found before, but the last line may have changed.
    while (keep > 0 && known[keep - 1] != model.line(int(keep - 1)).number - 1)
        keep = 0;
    if (keep < known.size()) {
        removeFrom(source.source, known[keep], known.size() - keep);
        known.resize(keep);
    }
    const SharedLineTimes times = MergedLogs::timesOf(*source.view);
    if (!times || !times->hasTimes() || qint64(keep) >= count)
        return;
    std::vector<Key> keys;
    keys.reserve(size_t(count) - keep);
    for (qint64 row = qint64(keep); row < count; ++row) {
        const qint64 line = model.line(int(row)).number - 1;
        known.push_back(line);
        keys.push_back({times->timeOf(line), source.source, line});
    }
    add(std::move(keys));
}

// The `count` rows of `source` from `line` on; searched from the end, where they usually are.
void MergedFilter::removeFrom(int source, qint64 line, size_t count) {
    size_t left = count;
    for (size_t i = m_rows.size(); i > 0 && left > 0; --i) {
        const Key &key = m_rows[i - 1];
        if (key.source == source && key.line >= line) {
            m_rows.erase(m_rows.begin() + qptrdiff(i - 1));
            --left;
        }
    }
}

void MergedFilter::add(std::vector<Key> keys) {
    std::sort(keys.begin(), keys.end());
    if (keys.empty())
        return;
    const size_t old = m_rows.size();
    m_rows.insert(m_rows.end(), keys.begin(), keys.end());
    // New matches are most often later than every row held: then nothing moves.
    if (old > 0 && keys.front() < m_rows[old - 1])
        std::inplace_merge(m_rows.begin(), m_rows.begin() + qptrdiff(old), m_rows.end());
}

MergedRows::Row MergedFilter::row(qint64 index) const {
    const Key &key = m_rows[size_t(index)];
    return {key.source, key.line};
}

qint64 MergedFilter::indexOf(const MergedRows::Row &row) const {
    for (const auto &source : m_sources) {
        if (source->source != row.source)
            continue;
        const SharedLineTimes times = MergedLogs::timesOf(*source->view);
        if (!times)
            return -1;
        const Key key{times->timeOf(row.line), row.source, row.line};
        const auto found = std::lower_bound(m_rows.begin(), m_rows.end(), key);
        if (found != m_rows.end() && found->source == row.source && found->line == row.line)
            return found - m_rows.begin();
        return -1;
    }
    return -1;
}

} // namespace Orvik
