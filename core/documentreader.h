#pragma once

#include "contents.h"

#include <QString>

#include <atomic>
#include <functional>
#include <vector>

namespace Orvik {

class FileReader;
class FileSystem;

// How a read relates to the contents seen before.
enum class ReadKind {
    Failed,      // nothing usable was read; error says why
    Append,      // the previous contents are the file's beginning; contents continue them
    Replacement, // anything else: contents are a new whole
};

struct ReadOutcome {
    ReadKind kind = ReadKind::Failed;
    Contents contents; // the whole file as read
    QString error;
};

// Reads a monitored file whole and classifies the change against what was read before.
// The file's first bytes are compared with the previous contents chunk by chunk in one
// reused buffer; on an append only the remainder is read, so what is already held is neither
// copied nor held twice. Only the length that the open saw is read.
class DocumentReader {
public:
    static constexpr qint64 DefaultChunkSize = 256 * 1024;

    explicit DocumentReader(FileSystem &fileSystem, qint64 chunkSize = DefaultChunkSize);

    // Smaller chunks let tests reach the chunk boundaries.
    void setChunkSize(qint64 bytes);
    qint64 chunkSize() const { return m_chunkSize; }
    // While `*cancel` is true a read stops at the next stretch and fails; nullptr reads on.
    void setCancel(const std::atomic<bool> *cancel) { m_cancel = cancel; }

    // An append goes straight into the previous contents' store; contents are the whole.
    ReadOutcome read(const QString &path, const Contents &previous);

    // Told the bytes of a new whole text in so far (`size` bytes from `data`), as they come.
    using Progress = std::function<void(const char *data, qint64 size)>;
    // Touches no store but its own, so the previous contents may be shown meanwhile: an
    // append's contents are only the new part, in a store of their own; the caller adds them.
    // `progress` follows a replacement's text as it is read.
    ReadOutcome readApart(const QString &path, const Contents &previous,
                          const Progress &progress = {});

private:
    ReadOutcome readWhole(const QString &path, const Contents &previous, bool apart,
                          const Progress &progress);
    ReadOutcome readAfterMismatch(FileReader &file, const Contents &previous, qint64 matched,
                                  qint64 chunkBytes, bool atEnd, const Progress &progress);

    bool cancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed); }
    qint64 readStretches(FileReader &file, char *buffer, qint64 count, qint64 stretch);

    FileSystem &m_fileSystem;
    const std::atomic<bool> *m_cancel = nullptr;
    qint64 m_chunkSize;
    std::vector<char> m_chunk;
};

} // namespace Orvik
