#include "fakes.h"

namespace Orvik {

void FakeDocumentView::setText(const Contents &text) {
    m_text = text;
    m_selStart = m_selLength = 0;
    marks.clear();
    scrolledAway = false;
    ++setTextCount;
}

void FakeDocumentView::setSelStart(qint64 offset) {
    m_selStart = qBound<qint64>(0, offset, m_text.size());
    m_selLength = 0;
    if (offset >= m_text.size())
        scrolledAway = false;
}

void FakeDocumentView::appendKeepingSelection(const Contents &text) {
    insertions.push_back({m_text.size(), text.toByteArray()});
    if (!m_text.extendWith(text))
        m_text.append(text);
}

void FakeDocumentView::setSelText(const Contents &text) {
    insertions.push_back({m_selStart, text.toByteArray()});
    Contents grown = m_text;
    if (m_selLength == 0 && m_selStart == m_text.size() && grown.extendWith(text)) {
        m_text = grown; // continues the store: taken over without a copy
    } else {
        QByteArray whole = m_text.toByteArray();
        whole.replace(m_selStart, m_selLength, text.toByteArray());
        m_text = Contents::fromByteArray(whole);
    }
    m_selStart += text.size();
    m_selLength = 0;
}

void FakeDocumentView::colorRange(qint64 offset, qint64 length, ColorNumber color) {
    marks.push_back({offset, length, color});
}

QByteArray FakeDocumentView::colourMap() const {
    QByteArray map(m_text.size(), '.');
    for (const Mark &mark : marks) {
        for (qint64 i = mark.offset; i < mark.offset + mark.length && i < map.size(); ++i)
            map[i] = mark.color == HighlightColor ? 'x' : '.';
    }
    return map;
}

bool FakeDocumentWindow::moveTo(const QRect &pixels) {
    if (pixels.width() <= 0 || pixels.height() <= 0)
        return false;
    geometry = pixels;
    return true;
}

DocumentWindow *FakeMainWindow::createDocumentWindow() {
    if (failCreate)
        return nullptr;
    windows.push_back(std::make_unique<FakeDocumentWindow>());
    return windows.back().get();
}

namespace {

// Passes reads through, counting the bytes, and breaks after a given count when asked.
class CountingReader : public FileReader {
public:
    CountingReader(std::unique_ptr<FileReader> inner, QMutex *mutex, qint64 *counter,
                   qint64 failAfter, QString failError)
        : m_inner(std::move(inner))
        , m_mutex(mutex)
        , m_counter(counter)
        , m_failAfter(failAfter)
        , m_failError(std::move(failError)) {}

    qint64 size() const override { return m_inner->size(); }
    qint64 read(char *buffer, qint64 maxSize) override {
        if (m_failAfter >= 0 && m_delivered >= m_failAfter) {
            m_error = m_failError;
            return -1;
        }
        if (m_failAfter >= 0)
            maxSize = qMin(maxSize, m_failAfter - m_delivered);
        const qint64 n = m_inner->read(buffer, maxSize);
        m_delivered += qMax<qint64>(0, n);
        QMutexLocker lock(m_mutex);
        *m_counter += qMax<qint64>(0, n);
        return n;
    }
    QString errorString() const override {
        return m_error.isEmpty() ? m_inner->errorString() : m_error;
    }

private:
    std::unique_ptr<FileReader> m_inner;
    QMutex *m_mutex;
    qint64 *m_counter;
    qint64 m_failAfter;
    QString m_failError;
    qint64 m_delivered = 0;
    QString m_error;
};

} // namespace

QDateTime FaultyFileSystem::lastModified(const QString &path, QString *error) {
    QMutexLocker lock(&m_mutex);
    ++stampCalls[path];
    while (m_held)
        m_released.wait(&m_mutex);
    lock.unlock();
    return m_real.lastModified(path, error);
}

std::unique_ptr<FileReader> FaultyFileSystem::openForRead(const QString &path, QString *error) {
    QMutexLocker lock(&m_mutex);
    ++openCalls[path];
    if (m_openErrors.contains(path)) {
        *error = m_openErrors.value(path);
        return nullptr;
    }
    const ReadFault fault = m_readFaults.value(path, {-1, QString()});
    qint64 *counter = &bytesRead[path];
    lock.unlock();
    std::unique_ptr<FileReader> inner = m_real.openForRead(path, error);
    if (!inner)
        return nullptr;
    return std::make_unique<CountingReader>(std::move(inner), &m_mutex, counter, fault.after,
                                            fault.error);
}

} // namespace Orvik
