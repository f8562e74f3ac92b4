#include "filewriter.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Orvik {

namespace {

[[noreturn]] void die(const char *what, const QString &path) {
    std::fprintf(stderr, "FileWriter: %s %s: %s\n", what, qPrintable(path), std::strerror(errno));
    std::abort();
}

void writeAll(int fd, const QByteArray &bytes, const QString &path) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            die("write", path);
        }
        done += n;
    }
}

void writeFile(const QString &path, const QByteArray &bytes, int flags) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | flags, 0644);
    if (fd < 0)
        die("open", path);
    writeAll(fd, bytes, path);
    ::close(fd);
}

} // namespace

FileWriter::FileWriter() {
    if (!m_dir.isValid())
        die("temporary folder", QString());
}

QString FileWriter::path(const QString &name) const {
    return m_dir.filePath(name);
}

QString FileWriter::write(const QString &name, const QByteArray &bytes) {
    writeFile(path(name), bytes, O_TRUNC);
    return path(name);
}

void FileWriter::append(const QString &name, const QByteArray &bytes) {
    writeFile(path(name), bytes, O_APPEND);
}

void FileWriter::truncate(const QString &name, qint64 size) {
    if (::truncate(QFile::encodeName(path(name)).constData(), off_t(size)) != 0)
        die("truncate", path(name));
}

void FileWriter::rename(const QString &from, const QString &to) {
    if (::rename(QFile::encodeName(path(from)).constData(),
                 QFile::encodeName(path(to)).constData()) != 0)
        die("rename", path(from));
}

void FileWriter::remove(const QString &name) {
    if (::unlink(QFile::encodeName(path(name)).constData()) != 0)
        die("unlink", path(name));
}

void FileWriter::setModified(const QString &name, const QDateTime &when) {
    struct timespec times[2];
    times[0].tv_sec = time_t(when.toSecsSinceEpoch());
    times[0].tv_nsec = 0;
    times[1] = times[0];
    if (::utimensat(AT_FDCWD, QFile::encodeName(path(name)).constData(), times, 0) != 0)
        die("utimensat", path(name));
}

QString FileWriter::writeAt(const QString &name, const QByteArray &bytes, const QDateTime &when) {
    write(name, bytes);
    setModified(name, when);
    return path(name);
}

QString FileWriter::makeDirectory(const QString &name) {
    if (!QDir(folder()).mkpath(name))
        die("mkdir", path(name));
    return path(name);
}

QString FileWriter::makeFifo(const QString &name) {
    if (::mkfifo(QFile::encodeName(path(name)).constData(), 0644) != 0)
        die("mkfifo", path(name));
    return path(name);
}

} // namespace Orvik
