#include "fakes.h"

#include <new>

namespace Orvik {

void FakeDocumentView::setText(const Contents &text) {
    m_text = text;
    m_selStart = m_selLength = 0;
    marks.clear();
    highlight.reset();
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
    if (failAppend)
        throw std::bad_alloc();
    insertions.push_back({m_text.size(), text.toByteArray()});
    if (!m_text.extendWith(text))
        m_text.append(text);
}

void FakeDocumentView::setSelText(const Contents &text) {
    if (failAppend)
        throw std::bad_alloc();
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
    ++markCalls;
}

void FakeDocumentView::setLayerMarks(int layer, SharedMarks set) {
    if (layer == HighlightLayer)
        highlight = std::move(set);
    ++markCalls;
}

void FakeDocumentView::addLayerMarks(int layer, const MarkRuns &set) {
    if (layer != HighlightLayer)
        return;
    auto grown = std::make_shared<MarkRuns>(highlight ? *highlight : MarkRuns());
    grown->append(set);
    highlight = std::move(grown);
    ++markCalls;
}

QByteArray FakeDocumentView::colourMap() const {
    QByteArray map(m_text.size(), '.');
    for (const Mark &mark : marks) {
        for (qint64 i = mark.offset; i < mark.offset + mark.length && i < map.size(); ++i)
            map[i] = mark.color == HighlightColor ? 'x' : '.';
    }
    if (highlight)
        highlight->forEachIn(0, map.size(), [&map](qint64 start, qint64 end) {
            for (qint64 i = start; i < end && i < map.size(); ++i)
                map[i] = 'x';
        });
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

// Passes reads through, counting the bytes, and breaks after a given count when asked.
class CountingReader : public FileReader {
public:
    CountingReader(std::unique_ptr<FileReader> inner, FaultyFileSystem &fs, QString path,
                   qint64 failAfter, QString failError)
        : m_inner(std::move(inner))
        , m_fs(fs)
        , m_path(std::move(path))
        , m_failAfter(failAfter)
        , m_failError(std::move(failError)) {}

    qint64 size() const override { return m_inner->size(); }
    qint64 read(char *buffer, qint64 maxSize) override {
        m_fs.waitIfHeld(m_path, m_delivered);
        if (m_failAfter >= 0 && m_delivered >= m_failAfter) {
            m_error = m_failError;
            return -1;
        }
        if (m_failAfter >= 0)
            maxSize = qMin(maxSize, m_failAfter - m_delivered);
        const qint64 n = m_inner->read(buffer, maxSize);
        m_delivered += qMax<qint64>(0, n);
        std::lock_guard<std::mutex> lock(m_fs.m_mutex);
        m_fs.bytesRead[m_path] += qMax<qint64>(0, n);
        return n;
    }
    QString errorString() const override {
        return m_error.isEmpty() ? m_inner->errorString() : m_error;
    }

private:
    std::unique_ptr<FileReader> m_inner;
    FaultyFileSystem &m_fs;
    QString m_path;
    qint64 m_failAfter;
    QString m_failError;
    qint64 m_delivered = 0;
    QString m_error;
};

void FaultyFileSystem::waitIfHeld(const QString &path, qint64 delivered) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_heldReads.contains(path) || delivered < m_heldReads.value(path))
        return;
    ++m_waiting[path];
    m_released.wait(lock, [&] { return !m_heldReads.contains(path); });
    if (--m_waiting[path] == 0)
        m_waiting.remove(path);
}

QDateTime FaultyFileSystem::lastModified(const QString &path, QString *error) {
    std::unique_lock<std::mutex> lock(m_mutex);
    ++stampCalls[path];
    m_released.wait(lock, [this] { return !m_held; });
    lock.unlock();
    return m_real.lastModified(path, error);
}

std::unique_ptr<FileReader> FaultyFileSystem::openForRead(const QString &path, QString *error) {
    std::unique_lock<std::mutex> lock(m_mutex);
    ++openCalls[path];
    if (m_openErrors.contains(path)) {
        *error = m_openErrors.value(path);
        return nullptr;
    }
    const ReadFault fault = m_readFaults.value(path, {-1, QString()});
    bytesRead[path]; // counted from here on
    lock.unlock();
    std::unique_ptr<FileReader> inner = m_real.openForRead(path, error);
    if (!inner)
        return nullptr;
    return std::make_unique<CountingReader>(std::move(inner), *this, path, fault.after,
                                            fault.error);
}

} // namespace Orvik
