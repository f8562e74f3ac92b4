#pragma once

#include "core/posixfilesystem.h"

#include <QHash>
#include <QMutex>
#include <QString>
#include <QWaitCondition>

#include <map>

namespace Orvik {

// The real file system with failures injected per path (paths compared exactly), for what
// tests cannot make happen with real files when they run as root: a stamp that cannot be
// taken, a probe that cannot open, an open refused by another process, a read that breaks
// after some bytes. Calls are counted per path. Safe to call from several threads; hold()
// keeps every stamp taken waiting until release(), so that a cycle stays in flight.
class FaultyFileSystem : public FileSystem {
public:
    QDateTime lastModified(const QString &path, QString *error) override;
    qint64 FileSizeProbe(const QString &path) override;
    std::unique_ptr<FileReader> openForRead(const QString &path, QString *error) override;

    void failStamp(const QString &path, const QString &error) {
        QMutexLocker lock(&m_mutex);
        m_stampErrors[path] = error;
    }
    void failProbe(const QString &path) {
        QMutexLocker lock(&m_mutex);
        m_probeFails[path] = true;
    }
    void failOpen(const QString &path, const QString &error) {
        QMutexLocker lock(&m_mutex);
        m_openErrors[path] = error;
    }
    // The read breaks with `error` once `bytes` bytes were delivered.
    void failReadAfter(const QString &path, qint64 bytes, const QString &error);
    void hold();
    void release();
    void heal(const QString &path);
    void healAll();

    int stampCalls(const QString &path) const;
    int probeCalls(const QString &path) const;
    int openCalls(const QString &path) const;
    // Bytes delivered by reads of the path since the counters were reset.
    qint64 bytesRead(const QString &path) const;
    void resetCounters();

    PosixFileSystem &real() { return m_real; }

private:
    mutable QMutex m_mutex;
    QWaitCondition m_released;
    bool m_held = false;
    PosixFileSystem m_real;
    QHash<QString, QString> m_stampErrors;
    QHash<QString, bool> m_probeFails;
    QHash<QString, QString> m_openErrors;
    struct ReadFault {
        qint64 after;
        QString error;
    };
    QHash<QString, ReadFault> m_readFaults;
    QHash<QString, int> m_stampCalls;
    QHash<QString, int> m_probeCalls;
    QHash<QString, int> m_openCalls;
    std::map<QString, qint64> m_bytesRead; // node-based: readers keep a pointer
};

} // namespace Orvik
