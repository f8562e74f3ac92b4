#pragma once

#include "contents.h"

#include <QString>

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
// reused buffer; on an append only the remainder is read, straight into the previous
// contents' store, so what is already held is neither copied nor held twice. Only the
// length that the open saw is read.
class DocumentReader {
public:
    static constexpr qint64 DefaultChunkSize = 256 * 1024;

    explicit DocumentReader(FileSystem &fileSystem, qint64 chunkSize = DefaultChunkSize);

    // Smaller chunks let tests reach the chunk boundaries.
    void setChunkSize(qint64 bytes);
    qint64 chunkSize() const { return m_chunkSize; }

    ReadOutcome read(const QString &path, const Contents &previous);

private:
    ReadOutcome readAfterMismatch(FileReader &file, const Contents &previous, qint64 matched,
                                  qint64 chunkBytes, bool atEnd);

    FileSystem &m_fileSystem;
    qint64 m_chunkSize;
    std::vector<char> m_chunk;
};

} // namespace Orvik
