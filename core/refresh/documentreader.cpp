#include "core/refresh/documentreader.h"

#include "core/content/textlimit.h"
#include "core/filesystem.h"
#include "core/refresh/decompressingreader.h"

#include <cstring>
#include <pthread.h>
#include <system_error>

namespace Orvik {

namespace {

// Reads until `count` bytes are in, the end is reached, or a failure (-1).
qint64 readFully(FileReader &file, char *buffer, qint64 count) {
    qint64 done = 0;
    while (done < count) {
        const qint64 n = file.read(buffer + done, count - done);
        if (n < 0)
            return -1;
        if (n == 0)
            break; // the file shrank after the open: keep what was there
        done += n;
    }
    return done;
}

const QString Cancelled = QStringLiteral("cancelled");

ReadOutcome failed(const QString &error) {
    ReadOutcome outcome;
    outcome.error = error;
    return outcome;
}

// Compares the bytes [from, to) of an open file with the same bytes of the previous contents
// on a thread of its own, so that a large text that only grew is checked by two processors
// at once. The thread owns its buffer and the result (the owner reads it after the join); it reads
// the file at offsets, which leaves the sequential reads beside it alone; the previous contents
// below their size never change while it runs (a store only grows, and only the read that started
// the thread appends to it, after the thread was joined); `stop` and the cancel flag are atomic.
class FarCompare {
public:
    FarCompare(const FileReader &file, const Contents &previous, qint64 from, qint64 to,
               qint64 chunkSize, const std::atomic<bool> *cancel)
        : m_file(file)
        , m_previous(previous)
        , m_from(from)
        , m_to(to)
        , m_cancel(cancel)
        , m_chunk(static_cast<size_t>(chunkSize)) {
        // A small stack, and the buffer allocated here: the thread takes next to no address
        // space (a thread's first allocation would take an arena of its own).
        pthread_attr_t attributes;
        pthread_attr_init(&attributes);
        pthread_attr_setstacksize(&attributes, 256 * 1024);
        const int error = pthread_create(&m_thread, &attributes, &FarCompare::run, this);
        pthread_attr_destroy(&attributes);
        if (error != 0)
            throw std::system_error(error, std::generic_category());
        m_running = true;
    }
    ~FarCompare() {
        m_stop = true;
        join();
    }
    FarCompare(const FarCompare &) = delete;
    FarCompare &operator=(const FarCompare &) = delete;

    // Waits for the compare: true when every byte compared equal.
    bool same() {
        join();
        return m_same;
    }

private:
    static void *run(void *self) {
        static_cast<FarCompare *>(self)->compare();
        return nullptr;
    }
    void compare() {
        const qint64 step = qint64(m_chunk.size());
        for (qint64 at = m_from; at < m_to; at += step) {
            if (m_stop.load(std::memory_order_relaxed) ||
                (m_cancel && m_cancel->load(std::memory_order_relaxed)))
                return;
            const qint64 want = qMin(step, m_to - at);
            qint64 got = 0;
            while (got < want) {
                const qint64 n = m_file.readAt(m_chunk.data() + got, want - got, at + got);
                if (n <= 0)
                    return;
                got += n;
            }
            if (std::memcmp(m_chunk.data(), m_previous.data() + at, size_t(want)) != 0)
                return;
        }
        m_same = true;
    }
    void join() {
        if (m_running)
            pthread_join(m_thread, nullptr);
        m_running = false;
    }

    const FileReader &m_file;
    const Contents &m_previous;
    const qint64 m_from;
    const qint64 m_to;
    const std::atomic<bool> *const m_cancel;
    std::atomic<bool> m_stop{false};
    bool m_same = false;       // written by the thread, read after the join
    std::vector<char> m_chunk; // the thread's own
    pthread_t m_thread{};
    bool m_running = false;
};

} // namespace

DocumentReader::DocumentReader(FileSystem &fileSystem, qint64 chunkSize)
    : m_fileSystem(fileSystem)
    , m_chunkSize(qMax<qint64>(1, chunkSize)) {}

void DocumentReader::setSplitFrom(qint64 bytes) {
    m_splitFrom = qMax<qint64>(1, bytes);
}

void DocumentReader::setChunkSize(qint64 bytes) {
    m_chunkSize = qMax<qint64>(1, bytes);
    m_chunk.clear();
    m_chunk.shrink_to_fit();
}

ReadOutcome DocumentReader::read(const QString &path, const Contents &previous,
                                 const Progress &progress) {
    QString error;
    std::unique_ptr<FileReader> opened = m_fileSystem.openForRead(path, &error);
    if (!opened)
        return failed(error);
    DecompressingReader file(std::move(opened));
    m_decodes = file.decodesAhead();
    ReadOutcome outcome = readOpened(file, previous, progress);
    if (file.format() != Compression::None && outcome.kind != ReadKind::Failed) {
        outcome.compression = file.format();
        outcome.sizeOnDisk = file.sizeOnDisk();
        outcome.problem = file.problem();
    }
    return outcome;
}

ReadOutcome DocumentReader::readOpened(DecompressingReader &file, const Contents &previous,
                                       const Progress &progress) {
    const qint64 size = file.size(); // -1: known at the end
    const qint64 kept = previous.size();

    if (kept == 0 || (size >= 0 && size < kept))
        return readAfterMismatch(file, previous, 0, 0, false, progress);

    if (qint64(m_chunk.size()) < qMin(m_chunkSize, kept))
        m_chunk.resize(size_t(qMin(m_chunkSize, kept)));
    // A large text's second half is compared beside the first, where the file allows it.
    std::unique_ptr<FarCompare> far;
    qint64 near = kept;
    if (kept >= m_splitFrom && file.readAt(m_chunk.data(), 1, 0) == 1) {
        const qint64 half = kept / 2 / m_chunkSize * m_chunkSize;
        try {
            far = std::make_unique<FarCompare>(file, previous, half, kept, m_chunkSize, m_cancel);
            near = half;
        } catch (const std::system_error &) { // no thread to be had: one compares it all
        }
    }
    qint64 compared = 0;
    while (compared < kept) {
        if (cancelled())
            return failed(Cancelled);
        if (compared == near) {
            // A far half found equal is skipped; one that differs is compared again here, to
            // find where.
            near = kept;
            if (far->same() && file.seek(kept))
                break;
        }
        const qint64 want = qMin(m_chunkSize, near - compared);
        const qint64 got = readFully(file, m_chunk.data(), want);
        if (got < 0)
            return failed(file.errorString());
        if (got < want || std::memcmp(m_chunk.data(), previous.data() + compared, size_t(got))) {
            far.reset();
            return readAfterMismatch(file, previous, compared, got, got < want, progress);
        }
        compared += got;
    }
    const int processors = far ? 2 : 1;
    far.reset();

    ReadOutcome outcome;
    outcome.kind = ReadKind::Append;
    outcome.processors = processors;
    outcome.contents = previous;
    if (size < 0) {
        if (!readToEnd(file, ReadKind::Append, outcome.contents, progress))
            return failed(cancelled() ? Cancelled : file.errorString());
        return outcome;
    }
    const qint64 remainder = size - kept;
    if (remainder > 0) {
        outcome.contents.appendSpace(remainder);
        const qint64 got =
            readInto(file, ReadKind::Append, outcome.contents, kept, remainder, progress);
        if (got < 0)
            return failed(cancelled() ? Cancelled : file.errorString());
        outcome.contents.commitAppend(got);
    }
    return outcome;
}

bool DocumentReader::readToEnd(DecompressingReader &file, ReadKind kind, Contents &contents,
                               const Progress &progress) {
    const qint64 stretch = progress ? FollowedStep : Stretch;
    for (;;) {
        if (cancelled())
            return false;
        char *space = contents.appendSpace(stretch);
        const qint64 got = readFully(file, space, stretch);
        if (got < 0)
            return false;
        contents.commitAppend(got);
        if (progress && got > 0)
            progress(kind, contents.store(), contents.data(), contents.size());
        if (got < stretch)
            return true;
    }
}

qint64 DocumentReader::readInto(DecompressingReader &file, ReadKind kind, const Contents &whole,
                                qint64 from, qint64 count, const Progress &progress) {
    char *start = const_cast<char *>(whole.data()); // the room past its end is the read's
    const qint64 stretch = progress ? FollowedStep : m_cancel ? Stretch : count;
    qint64 done = 0;
    while (done < count) {
        if (cancelled())
            return -1;
        const qint64 want = qMin(stretch, count - done);
        const qint64 got = readFully(file, start + from + done, want);
        if (got < 0)
            return -1;
        done += got;
        if (progress)
            progress(kind, whole.store(), start, from + done);
        if (got < want)
            break;
    }
    return done;
}

// Builds a new whole: the `matched` bytes that equalled the previous contents, the
// `chunkBytes` of the chunk in hand, then the rest of the file unless the end was reached.
ReadOutcome DocumentReader::readAfterMismatch(DecompressingReader &file, const Contents &previous,
                                              qint64 matched, qint64 chunkBytes, bool atEnd,
                                              const Progress &progress) {
    ReadOutcome outcome;
    outcome.kind = ReadKind::Replacement;
    const qint64 size = file.size();
    if (size < 0) {
        // Small pages for a text decoded on a thread beside this one: each huge page this
        // thread first writes is cleared whole at once, and those 2 MB bursts slowed the
        // decoder beside by a third or more (a 100 MB zstd log opened in 254 ms with them,
        // 141 ms without; `zstd -dc` took 113-151 ms).
        outcome.contents.reserve(TextLimit::bytes(), !m_decodes);
        outcome.contents.append(previous.data(), matched);
        outcome.contents.append(m_chunk.data(), chunkBytes);
        if (progress && outcome.contents.size() > 0)
            progress(ReadKind::Replacement, outcome.contents.store(), outcome.contents.data(),
                     outcome.contents.size());
        if (!atEnd && !readToEnd(file, ReadKind::Replacement, outcome.contents, progress))
            return failed(cancelled() ? Cancelled : file.errorString());
        return outcome;
    }
    if (size == 0)
        return outcome;
    char *space = outcome.contents.appendSpace(size);
    if (matched > 0)
        std::memcpy(space, previous.data(), size_t(matched));
    if (chunkBytes > 0)
        std::memcpy(space + matched, m_chunk.data(), size_t(chunkBytes));
    qint64 total = matched + chunkBytes;
    if (progress && total > 0)
        progress(ReadKind::Replacement, outcome.contents.store(), space, total);
    if (!atEnd && total < size) {
        const qint64 got =
            readInto(file, ReadKind::Replacement, outcome.contents, total, size - total, progress);
        if (got < 0)
            return failed(cancelled() ? Cancelled : file.errorString());
        total += got;
    }
    outcome.contents.commitAppend(total);
    return outcome;
}

} // namespace Orvik
