#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

namespace Orvik {

// One open of a file for reading, shared with writers. It sees the length the file had
// when it was opened and reads sequentially from the start.
class FileReader {
public:
    virtual ~FileReader() = default;
    // The length that will be read; -1 when only the end of the reading tells it (a text
    // decoded from a compressed file).
    virtual qint64 size() const = 0;
    // Reads up to maxSize bytes; returns the count read, 0 at the end, -1 on failure.
    virtual qint64 read(char *buffer, qint64 maxSize) = 0;
    virtual QString errorString() const = 0;
    // Reads up to maxSize bytes from `offset` (within the length the open saw) without moving
    // the sequential position; another thread may call it while read() runs. -1 on a failure
    // and where the file cannot be read at an offset.
    virtual qint64 readAt(char *buffer, qint64 maxSize, qint64 offset) const {
        Q_UNUSED(buffer);
        Q_UNUSED(maxSize);
        Q_UNUSED(offset);
        return -1;
    }
    // Moves the sequential position to `offset`; false where it cannot be moved.
    virtual bool seek(qint64 offset) {
        Q_UNUSED(offset);
        return false;
    }
};

// The file system as the core sees it. Nothing here writes a file or keeps one open.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // The last-modified date-time with whole seconds; an invalid QDateTime and a description
    // in *error when it cannot be taken. Stamps compare as instants, whatever their zone.
    virtual QDateTime lastModified(const QString &path, QString *error) = 0;
    // The size in bytes, taken by an open for reading that is closed again at once;
    // -1 when the open fails.
    virtual qint64 FileSizeProbe(const QString &path) = 0;
    // Opens a regular file for reading; nullptr and a description in *error otherwise.
    // Never blocks: FIFOs, devices and directories are refused.
    virtual std::unique_ptr<FileReader> openForRead(const QString &path, QString *error) = 0;
};

} // namespace Orvik
