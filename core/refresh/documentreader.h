#pragma once

#include "core/content/contents.h"
#include "core/refresh/streamdecoder.h"

#include <QString>

#include <atomic>
#include <functional>
#include <vector>

namespace Orvik {

class DecompressingReader;
class FileSystem;

// How a read relates to the contents seen before.
enum class ReadKind {
    Failed,      // nothing usable was read; error says why
    Append,      // the previous contents are the file's beginning; contents continue them
    Replacement, // anything else: contents are a new whole
};

struct ReadOutcome {
    ReadKind kind = ReadKind::Failed;
    Contents contents; // the whole text as read
    QString error;
    int processors = 1; // the threads that compared it at once
    // A compressed file's format and size on disk, and why its text ends before its data
    // does (empty when it does not); Compression::None for a file read as bytes.
    Compression compression = Compression::None;
    qint64 sizeOnDisk = 0;
    QString problem;
};

// Reads a monitored file's text whole (decompressed, see DecompressingReader) and classifies the
// change against what was read before. The file's first bytes are compared with the previous
// contents chunk by chunk in one reused buffer; on an append only the remainder is read, straight
// into the previous contents' store past their end, where no other holder looks (so what is already
// held is neither copied nor held twice, and the holders may read it meanwhile). Only the length
// that the open saw is read; a text whose length only its end tells grows in a store whose
// room is the most text a read may decode.
class DocumentReader {
public:
    static constexpr qint64 DefaultChunkSize = 256 * 1024;
    // A read that may be cancelled goes in stretches of this size.
    static constexpr qint64 Stretch = 4 * 1024 * 1024;
    // A followed read goes in steps of this size: each is told while it is still in the
    // processor's cache, so that following the bytes does not fetch them from memory again.
    static constexpr qint64 FollowedStep = 256 * 1024;

    explicit DocumentReader(FileSystem &fileSystem, qint64 chunkSize = DefaultChunkSize);

    // Previous contents of at least this many bytes are compared by two threads, each half
    // (tests make it small).
    static constexpr qint64 DefaultSplitFrom = 32 * 1024 * 1024;
    void setSplitFrom(qint64 bytes);

    // Smaller chunks let tests reach the chunk boundaries.
    void setChunkSize(qint64 bytes);
    qint64 chunkSize() const { return m_chunkSize; }
    // While `*cancel` is true a read stops at the next stretch and fails; nullptr reads on.
    void setCancel(const std::atomic<bool> *cancel) { m_cancel = cancel; }

    // Told the bytes of the new whole text in so far (`size` bytes from `data`, held by
    // `store`), as they come, and whether the text continues the previous contents (Append)
    // or is new (Replacement).
    using Progress = std::function<void(ReadKind kind, const std::shared_ptr<ByteStore> &store,
                                        const char *data, qint64 size)>;
    // The outcome's contents are the whole text: for an append the previous contents and the
    // bytes after them, in the same store when it had room at their end. `progress` follows
    // the whole text as it is read (for an append, from the previous contents' end on).
    ReadOutcome read(const QString &path, const Contents &previous, const Progress &progress = {});
    // While read() runs: whether the text comes from a decoder of its own thread, which the
    // reading thread mostly waits for.
    bool decodes() const { return m_decodes; }

private:
    ReadOutcome readOpened(DecompressingReader &file, const Contents &previous,
                           const Progress &progress);
    ReadOutcome readAfterMismatch(DecompressingReader &file, const Contents &previous,
                                  qint64 matched, qint64 chunkBytes, bool atEnd,
                                  const Progress &progress);

    bool cancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed); }
    // Reads `count` bytes to `whole` at `from` (into the room made past its end), in steps
    // when the read is followed and in stretches when it may be cancelled; the count read, or
    // -1 on a failure or a cancel.
    qint64 readInto(DecompressingReader &file, ReadKind kind, const Contents &whole, qint64 from,
                    qint64 count, const Progress &progress);
    // Appends to `contents` until the end of a text of unknown length; false on a failure or
    // a cancel.
    bool readToEnd(DecompressingReader &file, ReadKind kind, Contents &contents,
                   const Progress &progress);

    FileSystem &m_fileSystem;
    const std::atomic<bool> *m_cancel = nullptr;
    qint64 m_chunkSize;
    qint64 m_splitFrom = DefaultSplitFrom;
    std::vector<char> m_chunk;
    bool m_decodes = false;
};

} // namespace Orvik
