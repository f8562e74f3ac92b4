#include "faultyfilesystem.h"

namespace Orvik {

namespace {

// Passes reads through, counting the bytes, and breaks after a given count when asked.
class CountingReader : public FileReader {
public:
    CountingReader(std::unique_ptr<FileReader> inner, qint64 *counter, qint64 failAfter,
                   QString failError)
        : m_inner(std::move(inner))
        , m_counter(counter)
        , m_failAfter(failAfter)
        , m_failError(std::move(failError)) {}

    qint64 size() const override { return m_inner->size(); }

    qint64 read(char *buffer, qint64 maxSize) override {
        if (m_failAfter >= 0) {
            const qint64 left = m_failAfter - m_delivered;
            if (left <= 0) {
                m_error = m_failError;
                return -1;
            }
            maxSize = qMin(maxSize, left);
        }
        const qint64 n = m_inner->read(buffer, maxSize);
        if (n > 0) {
            m_delivered += n;
            *m_counter += n;
        }
        return n;
    }

    QString errorString() const override {
        return m_error.isEmpty() ? m_inner->errorString() : m_error;
    }

private:
    std::unique_ptr<FileReader> m_inner;
    qint64 *m_counter;
    qint64 m_failAfter;
    QString m_failError;
    qint64 m_delivered = 0;
    QString m_error;
};

} // namespace

QDateTime FaultyFileSystem::lastModified(const QString &path, QString *error) {
    {
        QMutexLocker lock(&m_mutex);
        ++m_stampCalls[path];
        while (m_held)
            m_released.wait(&m_mutex);
        const auto fault = m_stampErrors.constFind(path);
        if (fault != m_stampErrors.constEnd()) {
            if (error)
                *error = *fault;
            return {};
        }
    }
    return m_real.lastModified(path, error);
}

qint64 FaultyFileSystem::FileSizeProbe(const QString &path) {
    {
        QMutexLocker lock(&m_mutex);
        ++m_probeCalls[path];
        if (m_probeFails.value(path))
            return -1;
    }
    return m_real.FileSizeProbe(path);
}

std::unique_ptr<FileReader> FaultyFileSystem::openForRead(const QString &path, QString *error) {
    QMutexLocker lock(&m_mutex);
    ++m_openCalls[path];
    const auto fault = m_openErrors.constFind(path);
    if (fault != m_openErrors.constEnd()) {
        if (error)
            *error = *fault;
        return nullptr;
    }
    std::unique_ptr<FileReader> inner = m_real.openForRead(path, error);
    if (!inner)
        return nullptr;
    const auto readFault = m_readFaults.constFind(path);
    const qint64 failAfter = readFault != m_readFaults.constEnd() ? readFault->after : -1;
    const QString failError = readFault != m_readFaults.constEnd() ? readFault->error : QString();
    return std::make_unique<CountingReader>(std::move(inner), &m_bytesRead[path], failAfter,
                                            failError);
}

void FaultyFileSystem::failReadAfter(const QString &path, qint64 bytes, const QString &error) {
    QMutexLocker lock(&m_mutex);
    m_readFaults[path] = {bytes, error};
}

void FaultyFileSystem::hold() {
    QMutexLocker lock(&m_mutex);
    m_held = true;
}

void FaultyFileSystem::release() {
    QMutexLocker lock(&m_mutex);
    m_held = false;
    m_released.wakeAll();
}

int FaultyFileSystem::stampCalls(const QString &path) const {
    QMutexLocker lock(&m_mutex);
    return m_stampCalls.value(path);
}

int FaultyFileSystem::probeCalls(const QString &path) const {
    QMutexLocker lock(&m_mutex);
    return m_probeCalls.value(path);
}

int FaultyFileSystem::openCalls(const QString &path) const {
    QMutexLocker lock(&m_mutex);
    return m_openCalls.value(path);
}

qint64 FaultyFileSystem::bytesRead(const QString &path) const {
    QMutexLocker lock(&m_mutex);
    const auto it = m_bytesRead.find(path);
    return it == m_bytesRead.end() ? 0 : it->second;
}

void FaultyFileSystem::heal(const QString &path) {
    QMutexLocker lock(&m_mutex);
    m_stampErrors.remove(path);
    m_probeFails.remove(path);
    m_openErrors.remove(path);
    m_readFaults.remove(path);
}

void FaultyFileSystem::healAll() {
    QMutexLocker lock(&m_mutex);
    m_stampErrors.clear();
    m_probeFails.clear();
    m_openErrors.clear();
    m_readFaults.clear();
}

void FaultyFileSystem::resetCounters() {
    QMutexLocker lock(&m_mutex);
    m_stampCalls.clear();
    m_probeCalls.clear();
    m_openCalls.clear();
    m_bytesRead.clear();
}

} // namespace Orvik
