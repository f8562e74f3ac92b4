#pragma once

#include "core/filesystem.h"

namespace Orvik {

// The file system of a POSIX system. Every call opens, asks and closes at once; opens use
// O_NONBLOCK so that a FIFO or a device never stalls the caller, and reads stop at the
// length the open saw, so a file that keeps growing cannot stall a read either. It holds no
// state: refresh workers call it from several threads at once.
class PosixFileSystem : public FileSystem {
public:
    QDateTime lastModified(const QString &path, QString *error) override;
    qint64 FileSizeProbe(const QString &path) override;
    std::unique_ptr<FileReader> openForRead(const QString &path, QString *error) override;

    // The description of an errno value, as the caption shows it.
    static QString errorDescription(int errorNumber);
};

} // namespace Orvik
