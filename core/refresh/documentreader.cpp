#include "core/refresh/documentreader.h"

#include "core/filesystem.h"
#include "core/refresh/decompressingreader.h"

#include <cstring>

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

} // namespace

DocumentReader::DocumentReader(FileSystem &fileSystem, qint64 chunkSize)
    : m_fileSystem(fileSystem)
    , m_chunkSize(qMax<qint64>(1, chunkSize)) {}

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
    qint64 compared = 0;
    while (compared < kept) {
        if (cancelled())
            return failed(Cancelled);
        const qint64 want = qMin(m_chunkSize, kept - compared);
        const qint64 got = readFully(file, m_chunk.data(), want);
        if (got < 0)
            return failed(file.errorString());
        if (got < want || std::memcmp(m_chunk.data(), previous.data() + compared, size_t(got)))
            return readAfterMismatch(file, previous, compared, got, got < want, progress);
        compared += got;
    }

    ReadOutcome outcome;
    outcome.kind = ReadKind::Append;
    outcome.contents = previous;
    if (size < 0) {
        if (!readToEnd(file, ReadKind::Append, outcome.contents, progress))
            return failed(cancelled() ? Cancelled : file.errorString());
        return outcome;
    }
    const qint64 remainder = size - kept;
    if (remainder > 0) {
        char *whole = outcome.contents.appendSpace(remainder) - kept;
        const qint64 got = readInto(file, ReadKind::Append, whole, kept, remainder, progress);
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
            progress(kind, contents.data(), contents.size());
        if (got < stretch)
            return true;
    }
}

qint64 DocumentReader::readInto(DecompressingReader &file, ReadKind kind, char *whole, qint64 from,
                                qint64 count, const Progress &progress) {
    const qint64 stretch = progress ? FollowedStep : m_cancel ? Stretch : count;
    qint64 done = 0;
    while (done < count) {
        if (cancelled())
            return -1;
        const qint64 want = qMin(stretch, count - done);
        const qint64 got = readFully(file, whole + from + done, want);
        if (got < 0)
            return -1;
        done += got;
        if (progress)
            progress(kind, whole, from + done);
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
        outcome.contents.reserve(DecompressingReader::textLimit());
        outcome.contents.append(previous.data(), matched);
        outcome.contents.append(m_chunk.data(), chunkBytes);
        if (progress && outcome.contents.size() > 0)
            progress(ReadKind::Replacement, outcome.contents.data(), outcome.contents.size());
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
        progress(ReadKind::Replacement, space, total);
    if (!atEnd && total < size) {
        const qint64 got =
            readInto(file, ReadKind::Replacement, space, total, size - total, progress);
        if (got < 0)
            return failed(cancelled() ? Cancelled : file.errorString());
        total += got;
    }
    outcome.contents.commitAppend(total);
    return outcome;
}

} // namespace Orvik
