#include "core/merge/mergedrows.h"

#include <algorithm>
#include <limits>

namespace Orvik {

MergedRows::SharedChunk MergedRows::makeChunk(std::vector<Packed> rows) {
    auto chunk = std::make_shared<Chunk>();
    for (const Packed p : rows)
        chunk->sources |= quint64(1) << sourceOf(p);
    chunk->rows = PackedRows(rows);
    return chunk;
}

MergedRows::SharedChunk MergedRows::extendedChunk(const Chunk &head, size_t headRows,
                                                  const Packed *rows, size_t count) {
    auto chunk = std::make_shared<Chunk>();
    // The head's bits are kept whole even when only some of its rows are: a bit too many
    // costs a look at the chunk when that source goes, a look at every head row would cost
    // each change.
    chunk->sources = head.sources;
    for (size_t i = 0; i < count; ++i)
        chunk->sources |= quint64(1) << sourceOf(rows[i]);
    chunk->rows = PackedRows(head.rows, headRows, rows, count);
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

void MergedRows::group(std::vector<SharedChunk> &chunks) {
    for (size_t at = 0; at < chunks.size(); at += GroupChunks) {
        auto group = std::make_shared<Group>();
        const size_t end = std::min(chunks.size(), at + GroupChunks);
        qint64 rows = 0;
        for (size_t c = at; c < end; ++c) {
            group->chunks.push_back(std::move(chunks[c]));
            rows += qint64(group->chunks.back()->rows.size());
            group->ends.push_back(rows);
            group->sources |= group->chunks.back()->sources;
        }
        m_groups.push_back(std::move(group));
    }
    chunks.clear();
}

void MergedRows::renumber() {
    m_starts.resize(m_groups.size());
    qint64 total = 0;
    for (size_t i = 0; i < m_groups.size(); ++i) {
        total += m_groups[i]->rows();
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
    std::vector<SharedChunk> chunks;
    std::vector<Packed> rows;
    rows.reserve(size_t(ChunkRows));
    while (winner < runs.size() && runs[winner].head.time != done.time) {
        rows.push_back(runs[winner].head.packed);
        if (qint64(rows.size()) == ChunkRows) {
            chunks.push_back(makeChunk(std::move(rows)));
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
        chunks.push_back(makeChunk(std::move(rows)));
    list.group(chunks);
    list.renumber();
    return list;
}

std::vector<MergedRows::SharedChunk>
MergedRows::mergedInto(const std::vector<SharedChunk> &chunks,
                       const std::vector<Packed> &added) const {
    const auto before = [this](Packed a, Packed b) { return keyOf(a) < keyOf(b); };
    std::vector<SharedChunk> out;
    out.reserve(chunks.size() + added.size() / size_t(ChunkRows) + 2);
    size_t next = 0;
    std::vector<Packed> old; // a chunk's rows unpacked
    std::vector<Packed> rows;
    // The chunks before the one that takes the first new row are kept as they are.
    size_t low = 0;
    for (size_t high = chunks.empty() ? 0 : chunks.size() - 1; low < high;) {
        const size_t middle = low + (high - low) / 2;
        if (before(added.front(), chunks[middle + 1]->rows.front()))
            high = middle;
        else
            low = middle + 1;
    }
    out.assign(chunks.begin(), chunks.begin() + qptrdiff(low));
    for (size_t c = low; c < chunks.size(); ++c) {
        size_t end = added.size();
        if (c + 1 < chunks.size()) {
            const Key bound = keyOf(chunks[c + 1]->rows.front());
            end = size_t(std::lower_bound(added.begin() + qptrdiff(next), added.end(), bound,
                                          [this](Packed p, const Key &k) { return keyOf(p) < k; }) -
                         added.begin());
        }
        if (end == next) {
            out.push_back(chunks[c]);
            continue;
        }
        const PackedRows &packed = chunks[c]->rows;
        if (before(packed.back(), added[next])) {
            // All after the chunk's rows, as an append's usually are: the chunk takes what it
            // has room for at its end, its rows copied as they are packed, and the rest go to
            // chunks of their own, without a comparison either way.
            const size_t take = std::min(size_t(ChunkRows) - packed.size(), end - next);
            out.push_back(take ? extendedChunk(*chunks[c], packed.size(), added.data() + next,
                                               take)
                               : chunks[c]);
            rows.assign(added.begin() + qptrdiff(next + take), added.begin() + qptrdiff(end));
        } else {
            // The chunk's rows before the first new one stay as they are packed; only those
            // after it are unpacked and merged with the new rows. Appends to several logs
            // written at once land among the last few rows, so that is a handful.
            const Key firstAdded = keyOf(added[next]);
            const size_t keep =
                packed.partitionPoint([this, &firstAdded](Packed p) { return keyOf(p) < firstAdded; });
            old.resize(packed.size() - keep);
            for (size_t i = 0; i < old.size(); ++i)
                old[i] = packed[keep + i];
            std::vector<Packed> merged(old.size() + (end - next));
            std::merge(old.begin(), old.end(), added.begin() + qptrdiff(next),
                       added.begin() + qptrdiff(end), merged.begin(), before);
            const size_t take = std::min(size_t(ChunkRows) - keep, merged.size());
            out.push_back(keep ? extendedChunk(*chunks[c], keep, merged.data(), take)
                               : makeChunk(std::vector<Packed>(merged.begin(),
                                                               merged.begin() + qptrdiff(take))));
            rows.assign(merged.begin() + qptrdiff(take), merged.end());
        }
        next = end;
        if (!rows.empty())
            cut(rows, out);
    }
    if (next < added.size()) { // there were no chunks
        rows.assign(added.begin() + qptrdiff(next), added.end());
        cut(rows, out);
    }
    return out;
}

MergedRows MergedRows::withLines(int source, const SharedLineTimes &times, qint64 from,
                                 qint64 to) const {
    MergedRows list;
    list.m_times = m_times;
    list.m_counts = m_counts;
    list.m_times[size_t(source)] = times;
    if (to <= from) {
        list.m_groups = m_groups;
        list.m_starts = m_starts;
        return list;
    }
    list.m_counts[size_t(source)] += to - from;
    // Each new line's time looked up once; its key orders it (the line's number breaks ties).
    std::vector<Key> keys;
    keys.reserve(size_t(to - from));
    for (qint64 line = from; line < to; ++line)
        keys.push_back(list.keyOf(pack(source, line)));
    if (!std::is_sorted(keys.begin(), keys.end()))
        std::sort(keys.begin(), keys.end());
    std::vector<Packed> added(keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        added[i] = keys[i].packed;

    // Each group takes the new rows before the first row of the next; the groups that take
    // none are shared as they are, and those before the first new row are not looked at.
    const Key first = keys.front();
    const size_t skipped = size_t(
        std::max<qptrdiff>(0, std::partition_point(m_groups.begin(), m_groups.end(),
                                                   [&list, &first](const SharedGroup &g) {
                                                       return !(first < list.keyOf(g->front()));
                                                   }) -
                                  m_groups.begin() - 1));
    list.m_groups.assign(m_groups.begin(), m_groups.begin() + qptrdiff(skipped));
    size_t next = 0;
    std::vector<Packed> slice;
    for (size_t g = skipped; g < m_groups.size(); ++g) {
        size_t end = added.size();
        if (next < added.size() && g + 1 < m_groups.size()) {
            const Key bound = list.keyOf(m_groups[g + 1]->front());
            end = size_t(std::lower_bound(keys.begin() + qptrdiff(next), keys.end(), bound) -
                         keys.begin());
        }
        if (end == next) {
            list.m_groups.push_back(m_groups[g]);
            continue;
        }
        slice.assign(added.begin() + qptrdiff(next), added.begin() + qptrdiff(end));
        next = end;
        std::vector<SharedChunk> chunks = list.mergedInto(m_groups[g]->chunks, slice);
        list.group(chunks);
    }
    if (next < added.size()) { // the list was empty
        slice.assign(added.begin() + qptrdiff(next), added.end());
        std::vector<SharedChunk> chunks = list.mergedInto({}, slice);
        list.group(chunks);
    }
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
    std::vector<SharedChunk> chunks;
    for (const SharedGroup &g : m_groups) {
        if (!(g->sources & bit)) {
            list.group(chunks);
            list.m_groups.push_back(g);
            continue;
        }
        for (const SharedChunk &chunk : g->chunks) {
            if (!(chunk->sources & bit)) {
                if (!rows.empty())
                    cut(rows, chunks);
                chunks.push_back(chunk);
                continue;
            }
            for (size_t i = 0; i < chunk->rows.size(); ++i) {
                const Packed p = chunk->rows[i];
                if (sourceOf(p) != source)
                    rows.push_back(p);
            }
        }
        if (!rows.empty())
            cut(rows, chunks);
    }
    list.group(chunks);
    list.renumber();
    return list;
}

template <typename Before> MergedRows::Place MergedRows::partition(Before before) const {
    const auto g =
        std::partition_point(m_groups.begin(), m_groups.end(),
                             [&before](const SharedGroup &x) { return before(x->back()); });
    if (g == m_groups.end())
        return {m_groups.size(), 0, 0};
    const auto &chunks = (*g)->chunks;
    const auto c =
        std::partition_point(chunks.begin(), chunks.end(),
                             [&before](const SharedChunk &x) { return before(x->rows.back()); });
    return {size_t(g - m_groups.begin()), size_t(c - chunks.begin()),
            (*c)->rows.partitionPoint(before)};
}

qint64 MergedRows::rowNumber(const Place &place) const {
    if (place.group == m_groups.size())
        return size();
    const Group &g = *m_groups[place.group];
    return (place.group == 0 ? 0 : m_starts[place.group - 1]) +
           (place.chunk == 0 ? 0 : g.ends[place.chunk - 1]) + qint64(place.row);
}

MergedRows::Row MergedRows::at(qint64 row) const {
    const size_t g =
        size_t(std::upper_bound(m_starts.begin(), m_starts.end(), row) - m_starts.begin());
    const Group &group = *m_groups[g];
    const qint64 inGroup = row - (g == 0 ? 0 : m_starts[g - 1]);
    const size_t c = size_t(std::upper_bound(group.ends.begin(), group.ends.end(), inGroup) -
                            group.ends.begin());
    const Packed p = group.chunks[c]->rows[size_t(inGroup - (c == 0 ? 0 : group.ends[c - 1]))];
    return {sourceOf(p), lineOf(p)};
}

qint64 MergedRows::timeAt(qint64 row) const {
    const Row r = at(row);
    return m_times[size_t(r.source)]->timeOf(r.line);
}

qint64 MergedRows::firstAtOrAfter(qint64 time) const {
    return rowNumber(partition([this, time](Packed p) { return keyOf(p).time < time; }));
}

qint64 MergedRows::rowOf(int source, qint64 line) const {
    if (source < 0 || source >= MaxSources || !m_times[size_t(source)] || line < 0)
        return -1;
    const Packed wanted = pack(source, line);
    const Key key = keyOf(wanted);
    const Place place = partition([this, &key](Packed p) { return keyOf(p) < key; });
    if (place.group == m_groups.size() ||
        m_groups[place.group]->chunks[place.chunk]->rows[place.row] != wanted)
        return -1;
    return rowNumber(place);
}

qint64 MergedRows::memoryUsage() const {
    qint64 bytes = qint64(sizeof(*this)) + qint64(m_groups.capacity() * sizeof(SharedGroup) +
                                                  m_starts.capacity() * sizeof(qint64));
    for (const SharedGroup &g : m_groups) {
        bytes += qint64(sizeof(Group) + g->chunks.capacity() * sizeof(SharedChunk) +
                        g->ends.capacity() * sizeof(qint64)) +
                 16;
        for (const SharedChunk &chunk : g->chunks)
            bytes += qint64(sizeof(Chunk)) + chunk->rows.memoryUsage() + 16;
    }
    return bytes;
}

} // namespace Orvik
