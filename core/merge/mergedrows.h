#pragma once

#include "core/merge/packedrows.h"
#include "core/time/linetimes.h"

#include <QtGlobal>

#include <array>
#include <memory>
#include <vector>

namespace Orvik {

// The lines of several logs in the order of their times, as one list of rows. A row names
// its log (a source number from 0 to MaxSources - 1, which also orders lines of the same
// time: the lower first, then by line) and the line; it costs six bytes. A line's time is
// its log's `LineTimes::timeOf`, so a line without a time of its own rides with the line
// before it, and lines before a log's first time come first.
//
// Immutable: every change makes a new list that shares the chunks of rows it left alone, so
// a list can be read on one thread while the next is made from it on another, and a change
// costs what it touches (the chunks it adds rows to or takes rows from), not the whole list.
class MergedRows {
public:
    static constexpr int MaxSources = 64;
    static constexpr qint64 ChunkRows = 4096;

    struct Row {
        int source;
        qint64 line;
    };

    MergedRows() = default;

    // The whole lines [0, lines) of each source, merged.
    struct Source {
        int source;
        SharedLineTimes times;
        qint64 lines;
    };
    static MergedRows merged(const std::vector<Source> &sources);

    // With the lines [from, to) of `source` added at their times; `times` covers them and
    // holds the lines this list has of that source as they were.
    MergedRows withLines(int source, const SharedLineTimes &times, qint64 from, qint64 to) const;
    // Without any row of `source` (a log replaced or closed).
    MergedRows without(int source) const;

    qint64 size() const { return m_starts.empty() ? 0 : m_starts.back(); }
    Row at(qint64 row) const;
    qint64 timeAt(qint64 row) const;
    // The number of rows of `source`.
    qint64 rowsOf(int source) const { return m_counts[size_t(source)]; }
    // The first row whose time is at or after `time`, or size().
    qint64 firstAtOrAfter(qint64 time) const;
    // The row of `line` of `source`, or -1 when the list has none.
    qint64 rowOf(int source, qint64 line) const;
    qint64 memoryUsage() const;

private:
    using Packed = quint64; // source in the six bits above the line's 42
    static constexpr int LineBits = 42;
    struct Chunk {
        PackedRows rows;
        quint64 sources = 0; // bit n: may hold rows of source n; clear when it holds none
    };
    using SharedChunk = std::shared_ptr<const Chunk>;
    // Chunks in groups, so that a change copies the list of one group's chunks and the list
    // of groups, never the list of every chunk.
    struct Group {
        std::vector<SharedChunk> chunks;
        std::vector<qint64> ends; // row number in the group after each chunk's last
        quint64 sources = 0;
        Packed front() const { return chunks.front()->rows.front(); }
        Packed back() const { return chunks.back()->rows.back(); }
        qint64 rows() const { return ends.back(); }
    };
    using SharedGroup = std::shared_ptr<const Group>;
    static constexpr size_t GroupChunks = 32;
    struct Key {
        qint64 time;
        Packed packed;
        friend bool operator<(const Key &a, const Key &b) {
            return a.time != b.time ? a.time < b.time : a.packed < b.packed;
        }
    };
    struct Place {
        size_t group;
        size_t chunk;
        size_t row;
    };

    static Packed pack(int source, qint64 line) {
        return (Packed(source) << LineBits) | Packed(line);
    }
    static int sourceOf(Packed p) { return int(p >> LineBits); }
    static qint64 lineOf(Packed p) { return qint64(p & ((Packed(1) << LineBits) - 1)); }
    Key keyOf(Packed p) const { return {m_times[size_t(sourceOf(p))]->timeOf(lineOf(p)), p}; }
    static SharedChunk makeChunk(std::vector<Packed> rows);
    // A chunk of the first `headRows` rows of `head` and the `count` rows after them at
    // `rows`.
    static SharedChunk extendedChunk(const Chunk &head, size_t headRows, const Packed *rows,
                                     size_t count);
    // Chunks of at most ChunkRows, cut from sorted rows.
    static void cut(std::vector<Packed> &rows, std::vector<SharedChunk> &into);
    // Groups of at most GroupChunks, made of `chunks`, added to the list's.
    void group(std::vector<SharedChunk> &chunks);
    // `chunks` with the sorted `added` rows merged in, each chunk taking those before the
    // next one's first row.
    std::vector<SharedChunk> mergedInto(const std::vector<SharedChunk> &chunks,
                                        const std::vector<Packed> &added) const;
    // The place of the first row for which `before` is false (rows for which it is true
    // come first).
    template <typename Before> Place partition(Before before) const;
    qint64 rowNumber(const Place &place) const;
    void renumber();

    std::vector<SharedGroup> m_groups;
    std::vector<qint64> m_starts; // row number after each group's last
    std::array<SharedLineTimes, MaxSources> m_times{};
    std::array<qint64, MaxSources> m_counts{};
};

} // namespace Orvik
