#include "filewriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Orvik {

namespace {
// A test on a file that was not written means nothing: stop the test program.
void check(bool ok, const char *what, const QString &path) {
    if (!ok)
        qFatal("FileWriter: %s %s: %s", what, qPrintable(path), strerror(errno));
}
} // namespace

FileWriter::FileWriter() {
    check(m_dir.isValid(), "temporary folder", m_dir.path());
}

QString FileWriter::write(const QString &name, const QByteArray &bytes) {
    QFile file(path(name));
    check(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(), "write",
          path(name));
    return path(name);
}

void FileWriter::append(const QString &name, const QByteArray &bytes) {
    QFile file(path(name)); // O_APPEND, as a logger opens its file
    check(file.open(QIODevice::Append) && file.write(bytes) == bytes.size(), "append", path(name));
}

void FileWriter::truncate(const QString &name, qint64 size) {
    check(::truncate(QFile::encodeName(path(name)).constData(), off_t(size)) == 0, "truncate",
          path(name));
}

void FileWriter::rename(const QString &from, const QString &to) {
    // Replaces `to` in one step, as QFile::rename would not.
    check(::rename(QFile::encodeName(path(from)).constData(),
                   QFile::encodeName(path(to)).constData()) == 0,
          "rename", path(from));
}

void FileWriter::remove(const QString &name) {
    check(QFile::remove(path(name)), "remove", path(name));
}

void FileWriter::setModified(const QString &name, const QDateTime &when) {
    const struct timespec times[2] = {{time_t(when.toSecsSinceEpoch()), 0},
                                      {time_t(when.toSecsSinceEpoch()), 0}};
    check(::utimensat(AT_FDCWD, QFile::encodeName(path(name)).constData(), times, 0) == 0,
          "utimensat", path(name));
}

QString FileWriter::writeAt(const QString &name, const QByteArray &bytes, const QDateTime &when) {
    write(name, bytes);
    setModified(name, when);
    return path(name);
}

QString FileWriter::makeDirectory(const QString &name) {
    check(QDir(folder()).mkpath(name), "mkdir", path(name));
    return path(name);
}

QString FileWriter::makeFifo(const QString &name) {
    check(::mkfifo(QFile::encodeName(path(name)).constData(), 0644) == 0, "mkfifo", path(name));
    return path(name);
}

QByteArray FileWriter::compressed(const QString &tool, const QByteArray &bytes) {
    QProcess process;
    process.start(tool, {QStringLiteral("-c")});
    process.write(bytes);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qFatal("%s failed", qPrintable(tool));
    return process.readAllStandardOutput();
}

} // namespace Orvik
