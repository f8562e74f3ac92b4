#pragma once

#include <QtGlobal>

#include <atomic>
#include <memory>

namespace Orvik {

// Where each line of a text starts, as byte offsets. A line ends at a line feed (the feed
// belongs to the line it ends); the text has one line more than it has line feeds, the last
// one possibly empty. Each line costs four bytes: its start as a distance from the start of
// its block of lines. The starts live in segments of address space reserved up front (mapped
// for huge pages where the system offers them); a full segment is followed by another at least
// as large as all before it, never copied, so the starts never move as the index grows and
// growing it costs only the new lines. Growing the text scans only the new bytes.
//
// Growth can be worked out on another thread: an Extension scans appended bytes and writes
// their lines past the ones the index shows, where none of its readers looks; publish() then
// takes them over in constant time.
class LineIndex {
public:
    class Extension;

    LineIndex() = default;
    ~LineIndex();
    LineIndex(const LineIndex &) = delete;
    LineIndex &operator=(const LineIndex &) = delete;
    LineIndex(LineIndex &&other) noexcept;
    LineIndex &operator=(LineIndex &&other) noexcept;

    void clear();
    // Indexes `size` bytes from scratch.
    void build(const char *data, qint64 size);
    // The text grew from size() to `newSize` bytes (the first size() bytes unchanged);
    // `data` points at the start of the whole text.
    void extend(const char *data, qint64 newSize);

    // An extension of the index as it is now, to be fed on another thread.
    std::unique_ptr<Extension> prepareExtension();
    // Takes over what the extension found, when the index is still as it was when the
    // extension was made; false (and nothing changed) otherwise.
    bool publish(Extension &extension);

    qint64 size() const { return m_state.size; }
    qint64 lineCount() const { return m_state.count; }
    qint64 lineStart(qint64 line) const;
    // Where the next line starts (after the line feed), or size() for the last line.
    qint64 lineLimit(qint64 line) const;
    // The line holding byte `offset`; offsets at or past the end give the last line.
    qint64 lineAt(qint64 offset) const;
    // Memory held by the index, in bytes.
    qint64 memoryUsage() const;
    // Lines stored together: `count` of them, starting at base + starts[i]. The starts stay
    // where they are, unchanged, as long as the index (or one it was moved to) lives and is
    // not cleared, while it grows: another thread may read them once handed them.
    struct StartRun {
        qint64 base;
        const quint32 *starts;
        qint64 count;
    };
    // The starts of lines [from, to), for 0 < from <= to <= lineCount(), run by run.
    template <class Each> void forEachStart(qint64 from, qint64 to, Each each) const {
        while (from < to) {
            const StartRun run = runFrom(from, to);
            each(run);
            from += run.count;
        }
    }

private:
    friend class Extension;
    static constexpr qint64 BlockLines = 4096;
    // A block's lines all lie in one segment.
    struct Block {
        qint64 base;           // start of the block's first line
        qint64 firstLine;      // number of the block's first line
        const quint32 *starts; // the first line's entry in its segment
    };
    struct Segment;
    struct Storage;
    // The index's extent within its storage. The owner's thread and an extension each keep
    // one: entries below its counts are never written again.
    struct State {
        std::shared_ptr<Storage> storage;
        qint64 count = 0;  // lines
        qint64 blocks = 0; // blocks
        qint64 size = 0;
        int segments = 0;        // segments in use
        qint64 segmentFirst = 0; // the first line of the last one
        qint64 segmentLimit = 0; // the line past the last this state may write there
        // False once a block started early: a line of 4 GiB or more, or a new segment.
        bool regular = true;

        Segment &segment() const;
        void addStart(qint64 offset);
        void addSegment();
        // Room for `count` blocks: committed in the storage, or in a larger one.
        void reserveBlocks(qint64 count);
        void scan(const char *data, qint64 from, qint64 to);
        void extend(const char *data, qint64 newSize);
    };
    const Block &blockOfLine(qint64 line) const;
    // The starts stored together from `line` on, up to `to` at most.
    StartRun runFrom(qint64 line, qint64 to) const;

    State m_state;
};

class LineIndex::Extension {
public:
    ~Extension();
    // The grown text: its first `size` bytes from `data`.
    void extend(const char *data, qint64 size) { m_state.extend(data, size); }
    qint64 size() const { return m_state.size; }

private:
    friend class LineIndex;
    Extension(const State &base);
    State m_base;
    State m_state;
};

} // namespace Orvik
