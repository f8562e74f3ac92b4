#include "core/merge/mergedrows.h"

#include <algorithm>
#include <limits>

namespace Orvik {

MergedRows::SharedChunk MergedRows::makeChunk(std::vector<Packed> rows) {
    auto chunk = std::make_shared<Chunk>();
    for (const Packed p : rows)
        chunk->sources |= quint64(1) << sourceOf(p);
    chunk->rows = std::move(rows);
    return chunk;
}

void MergedRows::cut(std::vector<Packed> &rows, std::vector<SharedChunk> &into) {
    if (qint64(rows.size()) <= ChunkRows) {
        into.push_back(makeChunk(std::move(rows)));
        rows = std::vector<Packed>();
        return;
    }
    for (size_t at = 0; at < rows.size(); at += size_t(ChunkRows)) {
        const size_t end = std::min(rows.size(), at + size_t(ChunkRows));
        into.push_back(makeChunk(
            std::vector<Packed>(rows.begin() + qptrdiff(at), rows.begin() + qptrdiff(end))));
    }
    rows.clear();
}

void MergedRows::renumber() {
    m_starts.resize(m_chunks.size());
    qint64 total = 0;
    for (size_t i = 0; i < m_chunks.size(); ++i) {
        total += qint64(m_chunks[i]->rows.size());
        m_starts[i] = total;
    }
}

MergedRows MergedRows::merged(const std::vector<Source> &sources) {
    MergedRows list;
    const Key done{std::numeric_limits<qint64>::max(), ~Packed(0)};
    // Each log's lines in their order, less those older than a line before them: those are
    // sorted apart, as a run of their own. Every run is then in the list's order, and the
    // runs are merged. A run holds its next row's key.
    struct Run {
        const LineTimes *times = nullptr; // a log's lines in order, skipping `skip`
        int source = 0;
        qint64 line = 0;
        qint64 lines = 0;
        std::vector<qint64> skip; // ascending
        size_t skipAt = 0;
        std::vector<Key> keys; // or these, sorted
        size_t at = 0;
        Key head;
    };
    std::vector<Run> runs;
    const auto advance = [&done](Run &run) {
        if (run.times) {
            while (run.skipAt < run.skip.size() && run.skip[run.skipAt] == run.line) {
                ++run.skipAt;
                ++run.line;
            }
            run.head = run.line < run.lines
                           ? Key{run.times->timeOf(run.line), pack(run.source, run.line)}
                           : done;
            ++run.line;
        } else {
            run.head = run.at < run.keys.size() ? run.keys[run.at++] : done;
        }
    };
    for (const Source &s : sources) {
        list.m_times[size_t(s.source)] = s.times;
        list.m_counts[size_t(s.source)] = s.lines;
        Run inOrder;
        Run late;
        qint64 latest = NoTime;
        for (qint64 line = 0; line < s.lines; ++line) {
            const qint64 time = s.times->timeOf(line);
            if (time >= latest) {
                latest = time;
            } else {
                inOrder.skip.push_back(line);
                late.keys.push_back({time, pack(s.source, line)});
            }
        }
        std::sort(late.keys.begin(), late.keys.end());
        inOrder.times = s.times.get();
        inOrder.source = s.source;
        inOrder.lines = s.lines;
        runs.push_back(std::move(inOrder));
        if (!late.keys.empty())
            runs.push_back(std::move(late));
    }
    for (Run &run : runs)
        advance(run);

    // A tree of losers over the runs: each inner node holds the run that lost the match
    // there, the root's winner is the next row, and taking it replays one path of the tree.
    size_t leaves = 1;
    while (leaves < runs.size())
        leaves *= 2;
    const auto head = [&runs, &done](size_t r) -> const Key & {
        return r < runs.size() ? runs[r].head : done;
    };
    std::vector<size_t> losers(leaves, 0);
    std::vector<size_t> winners(2 * leaves);
    for (size_t r = 0; r < leaves; ++r)
        winners[leaves + r] = r;
    for (size_t node = leaves - 1; node >= 1; --node) {
        const size_t a = winners[2 * node];
        const size_t b = winners[2 * node + 1];
        const bool aWins = !(head(b) < head(a));
        winners[node] = aWins ? a : b;
        losers[node] = aWins ? b : a;
    }
    size_t winner = leaves > 1 ? winners[1] : 0;
    std::vector<Packed> rows;
    rows.reserve(size_t(ChunkRows));
    while (winner < runs.size() && runs[winner].head.time != done.time) {
        rows.push_back(runs[winner].head.packed);
        if (qint64(rows.size()) == ChunkRows) {
            list.m_chunks.push_back(makeChunk(std::move(rows)));
            rows = std::vector<Packed>();
            rows.reserve(size_t(ChunkRows));
        }
        advance(runs[winner]);
        for (size_t node = (winner + leaves) / 2; node >= 1; node /= 2) {
            if (head(losers[node]) < head(winner))
                std::swap(losers[node], winner);
        }
    }
    if (!rows.empty())
        list.m_chunks.push_back(makeChunk(std::move(rows)));
    list.renumber();
    return list;
}

MergedRows MergedRows::withLines(int source, const SharedLineTimes &times, qint64 from,
                                 qint64 to) const {
    MergedRows list = *this;
    list.m_times[size_t(source)] = times;
    if (to <= from)
        return list;
    list.m_counts[size_t(source)] += to - from;
    std::vector<Packed> added;
    added.reserve(size_t(to - from));
    for (qint64 line = from; line < to; ++line)
        added.push_back(pack(source, line));
    const auto before = [&list](Packed a, Packed b) { return list.keyOf(a) < list.keyOf(b); };
    if (!std::is_sorted(added.begin(), added.end(), before))
        std::stable_sort(added.begin(), added.end(), before);

    // Each chunk takes the new rows up to the first row of the next; the chunks that take
    // none are shared as they are.
    std::vector<SharedChunk> chunks;
    chunks.reserve(m_chunks.size() + size_t((to - from) / ChunkRows) + 2);
    size_t next = 0;
    std::vector<Packed> rows;
    // The chunks before the one the first new row goes into, found by halving.
    const Key first = list.keyOf(added.front());
    const size_t skipped = size_t(std::max<qptrdiff>(
        0, std::partition_point(m_chunks.begin(), m_chunks.end(),
                                [&list, &first](const SharedChunk &c) {
                                    return !(first < list.keyOf(c->rows.front()));
                                }) -
               m_chunks.begin() - 1));
    chunks.insert(chunks.end(), m_chunks.begin(), m_chunks.begin() + qptrdiff(skipped));
    for (size_t c = skipped; c < m_chunks.size(); ++c) {
        if (next == added.size()) {
            chunks.insert(chunks.end(), m_chunks.begin() + qptrdiff(c), m_chunks.end());
            break;
        }
        size_t end = added.size();
        if (c + 1 < m_chunks.size()) {
            const Key bound = list.keyOf(m_chunks[c + 1]->rows.front());
            end = size_t(
                std::lower_bound(added.begin() + qptrdiff(next), added.end(), bound,
                                 [&list](Packed p, const Key &k) { return list.keyOf(p) < k; }) -
                added.begin());
        }
        if (end == next) {
            chunks.push_back(m_chunks[c]);
            continue;
        }
        const std::vector<Packed> &old = m_chunks[c]->rows;
        rows.resize(old.size() + (end - next));
        std::merge(old.begin(), old.end(), added.begin() + qptrdiff(next),
                   added.begin() + qptrdiff(end), rows.begin(), before);
        next = end;
        cut(rows, chunks);
    }
    if (next < added.size()) { // the list was empty
        rows.assign(added.begin() + qptrdiff(next), added.end());
        cut(rows, chunks);
    }
    list.m_chunks = std::move(chunks);
    list.renumber();
    return list;
}

MergedRows MergedRows::without(int source) const {
    MergedRows list;
    list.m_times = m_times;
    list.m_counts = m_counts;
    list.m_times[size_t(source)].reset();
    list.m_counts[size_t(source)] = 0;
    const quint64 bit = quint64(1) << source;
    std::vector<Packed> rows; // what is left of neighbouring chunks that held the source
    for (const SharedChunk &chunk : m_chunks) {
        if (!(chunk->sources & bit)) {
            if (!rows.empty())
                cut(rows, list.m_chunks);
            list.m_chunks.push_back(chunk);
            continue;
        }
        for (const Packed p : chunk->rows) {
            if (sourceOf(p) != source)
                rows.push_back(p);
        }
    }
    if (!rows.empty())
        cut(rows, list.m_chunks);
    list.renumber();
    return list;
}

qint64 MergedRows::chunkAt(qint64 row) const {
    return qint64(std::upper_bound(m_starts.begin(), m_starts.end(), row) - m_starts.begin());
}

MergedRows::Row MergedRows::at(qint64 row) const {
    const qint64 c = chunkAt(row);
    const qint64 first = c == 0 ? 0 : m_starts[size_t(c - 1)];
    const Packed p = m_chunks[size_t(c)]->rows[size_t(row - first)];
    return {sourceOf(p), lineOf(p)};
}

qint64 MergedRows::timeAt(qint64 row) const {
    const Row r = at(row);
    return m_times[size_t(r.source)]->timeOf(r.line);
}

qint64 MergedRows::firstAtOrAfter(qint64 time) const {
    // The chunks, then the rows of the one that holds it.
    const auto chunk =
        std::partition_point(m_chunks.begin(), m_chunks.end(), [this, time](const SharedChunk &c) {
            return keyOf(c->rows.back()).time < time;
        });
    if (chunk == m_chunks.end())
        return size();
    const auto &rows = (*chunk)->rows;
    const auto at = std::partition_point(rows.begin(), rows.end(),
                                         [this, time](Packed p) { return keyOf(p).time < time; });
    const size_t c = size_t(chunk - m_chunks.begin());
    return (c == 0 ? 0 : m_starts[c - 1]) + qint64(at - rows.begin());
}

qint64 MergedRows::rowOf(int source, qint64 line) const {
    if (source < 0 || source >= MaxSources || !m_times[size_t(source)] || line < 0)
        return -1;
    const Key key = keyOf(pack(source, line));
    const auto chunk =
        std::partition_point(m_chunks.begin(), m_chunks.end(), [this, &key](const SharedChunk &c) {
            return keyOf(c->rows.back()) < key;
        });
    if (chunk == m_chunks.end())
        return -1;
    const auto &rows = (*chunk)->rows;
    const auto at = std::partition_point(rows.begin(), rows.end(),
                                         [this, &key](Packed p) { return keyOf(p) < key; });
    if (at == rows.end() || *at != key.packed)
        return -1;
    const size_t c = size_t(chunk - m_chunks.begin());
    return (c == 0 ? 0 : m_starts[c - 1]) + qint64(at - rows.begin());
}

qint64 MergedRows::memoryUsage() const {
    qint64 bytes = qint64(sizeof(*this)) + qint64(m_chunks.capacity() * sizeof(SharedChunk) +
                                                  m_starts.capacity() * sizeof(qint64));
    for (const SharedChunk &chunk : m_chunks)
        bytes += qint64(sizeof(Chunk) + chunk->rows.capacity() * sizeof(Packed)) + 16;
    return bytes;
}

} // namespace Orvik
