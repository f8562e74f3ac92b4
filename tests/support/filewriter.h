#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTemporaryDir>

namespace Orvik {

// Writes files in a private temporary folder the way the programs that produce logs do:
// whole writes, appends (also of a partial line), truncation, rename, delete, and a chosen
// modification time so tests never wait for the clock. Failures stop the test program.
class FileWriter {
public:
    FileWriter();

    QString folder() const { return m_dir.path(); }
    // The path of `name` inside the folder (the file need not exist).
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QString write(const QString &name, const QByteArray &bytes);
    void append(const QString &name, const QByteArray &bytes);
    void truncate(const QString &name, qint64 size);
    void rename(const QString &from, const QString &to);
    void remove(const QString &name);
    // Sets the modification time (access time too), to the second.
    void setModified(const QString &name, const QDateTime &when);
    // Writes `bytes` and sets the modification time in one step.
    QString writeAt(const QString &name, const QByteArray &bytes, const QDateTime &when);
    QString makeDirectory(const QString &name);
    QString makeFifo(const QString &name);
    // `bytes` as the compressing tool (gzip, zstd, xz, bzip2) writes them.
    static QByteArray compressed(const QString &tool, const QByteArray &bytes);

private:
    QTemporaryDir m_dir;
};

} // namespace Orvik
