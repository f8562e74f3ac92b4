#include "core/refresh/posixfilesystem.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Orvik {

namespace {

// Opens a regular file or a folder. Anything else is refused before it is opened: opening a
// FIFO releases a writer waiting for a reader (its data then goes nowhere, or it dies of
// SIGPIPE), and opening a device can act on it. *special tells that refusal from a failed open.
int openForReading(const QString &path, bool *special = nullptr) {
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty()) {
        errno = ENOENT;
        return -1;
    }
    struct stat st;
    if (::stat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        if (special)
            *special = true;
        errno = ENODEV;
        return -1;
    }
    int fd;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// One open of a regular file. Reads stop at the length seen when it was opened.
class PosixFileReader : public FileReader {
public:
    PosixFileReader(int fd, qint64 size)
        : m_fd(fd)
        , m_size(size) {}
    ~PosixFileReader() override { ::close(m_fd); }

    qint64 size() const override { return m_size; }

    qint64 read(char *buffer, qint64 maxSize) override {
        const qint64 wanted = qMin(maxSize, m_size - m_position);
        if (wanted <= 0)
            return 0;
        ssize_t n;
        do {
            n = ::read(m_fd, buffer, size_t(wanted));
        } while (n < 0 && errno == EINTR);
        if (n < 0) {
            m_error = PosixFileSystem::errorDescription(errno);
            return -1;
        }
        m_position += n;
        return n;
    }

    QString errorString() const override { return m_error; }

    qint64 readAt(char *buffer, qint64 maxSize, qint64 offset) const override {
        const qint64 wanted = qMin(maxSize, m_size - offset);
        if (wanted <= 0)
            return 0;
        ssize_t n;
        do {
            n = ::pread(m_fd, buffer, size_t(wanted), off_t(offset));
        } while (n < 0 && errno == EINTR);
        return n;
    }

    bool seek(qint64 offset) override {
        if (offset < 0 || offset > m_size || ::lseek(m_fd, off_t(offset), SEEK_SET) < 0)
            return false;
        m_position = offset;
        return true;
    }

private:
    int m_fd;
    qint64 m_size;
    qint64 m_position = 0;
    QString m_error;
};

} // namespace

QString PosixFileSystem::errorDescription(int errorNumber) {
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not be in the buffer.
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
    const char *text = strerror_r(errorNumber, buffer, sizeof buffer);
#else
    const char *text = strerror_r(errorNumber, buffer, sizeof buffer) == 0 ? buffer : "error";
#endif
    return QString::fromLocal8Bit(text);
}

QDateTime PosixFileSystem::lastModified(const QString &path, QString *error) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (name.isEmpty() || ::stat(name.constData(), &st) != 0) {
        if (error)
            *error = errorDescription(name.isEmpty() ? ENOENT : errno);
        return {};
    }
    // The instant, in whole seconds. Not converted to local time: that would read the time
    // zone, which the C library guards with a lock of its own on every thread that converts.
    return QDateTime::fromSecsSinceEpoch(qint64(st.st_mtime), Qt::UTC);
}

qint64 PosixFileSystem::FileSizeProbe(const QString &path) {
    const int fd = openForReading(path);
    if (fd < 0)
        return -1;
    struct stat st;
    const qint64 size = ::fstat(fd, &st) == 0 ? qint64(st.st_size) : 0;
    ::close(fd);
    return size;
}

std::unique_ptr<FileReader> PosixFileSystem::openForRead(const QString &path, QString *error) {
    bool special = false;
    const int fd = openForReading(path, &special);
    if (fd < 0) {
        if (error)
            *error = special ? QStringLiteral("not a regular file") : errorDescription(errno);
        return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        if (error)
            *error = errorDescription(errno);
        ::close(fd);
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        if (error)
            *error = QStringLiteral("not a regular file");
        ::close(fd);
        return nullptr;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return std::make_unique<PosixFileReader>(fd, qint64(st.st_size));
}

} // namespace Orvik
