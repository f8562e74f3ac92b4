#include "core/refresh/decompressingreader.h"

#include "core/refresh/slotread.h"

#include <atomic>
#include <cstring>

#include <sys/resource.h>
#include <unistd.h>

namespace Orvik {

namespace {

// Compressed input is read in blocks of this size.
constexpr size_t InputBlock = 128 * 1024;
// A file that only looks compressed fails to decode within this many bytes.
constexpr size_t HeaderBytes = 64;

std::atomic<qint64> limitForTests{0};

qint64 memoryTextLimit() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    qint64 limit = pages > 0 && pageSize > 0 ? qint64(pages) * pageSize / 2 : qint64(1) << 30;
    struct rlimit space;
    if (getrlimit(RLIMIT_AS, &space) == 0 && space.rlim_cur != RLIM_INFINITY)
        limit = qMin(limit, qint64(space.rlim_cur / 2));
    return limit;
}

// Reads until `count` bytes are in, the end, or a failure (-1).
qint64 readFully(FileReader &file, char *buffer, qint64 count) {
    qint64 done = 0;
    while (done < count) {
        const qint64 n = file.read(buffer + done, count - done);
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

} // namespace

DecompressingReader::DecompressingReader(std::unique_ptr<FileReader> file)
    : m_file(std::move(file))
    , m_input(StreamDecoder::SignatureBytes) {
    qint64 got = readFully(*m_file, m_input.data(), qint64(m_input.size()));
    if (got < 0) {
        m_failed = true;
        m_error = m_file->errorString();
        return;
    }
    m_inputEnd = size_t(got);
    const Compression format = StreamDecoder::detect(m_input.data(), m_inputEnd);
    if (format == Compression::None)
        return;
    m_input.resize(InputBlock);
    got = readFully(*m_file, m_input.data() + m_inputEnd, qint64(InputBlock - m_inputEnd));
    if (got < 0) {
        m_failed = true;
        m_error = m_file->errorString();
        return;
    }
    m_inputEnd += size_t(got);
    m_inputEnded = m_inputEnd < InputBlock;
    m_format = format;
    if (looksDecodable(m_inputEnded))
        m_decoder = StreamDecoder::create(format);
    else
        m_format = Compression::None;
}

DecompressingReader::~DecompressingReader() = default;

// Decodes the first bytes, where a file that only looks compressed fails: the header.
bool DecompressingReader::looksDecodable(bool wholeFile) const {
    const std::unique_ptr<StreamDecoder> trial = StreamDecoder::create(m_format);
    const char *in = m_input.data();
    size_t inLeft = qMin<size_t>(m_inputEnd, HeaderBytes);
    const bool inputEnds = wholeFile && inLeft == m_inputEnd;
    std::vector<char> scratch(16 * 1024);
    for (;;) {
        char *out = scratch.data();
        size_t outLeft = scratch.size();
        const size_t inBefore = inLeft;
        const StreamDecoder::Status status = trial->decode(in, inLeft, out, outLeft, inputEnds);
        if (status == StreamDecoder::Status::Damaged)
            return false;
        if (status != StreamDecoder::Status::Going || (inLeft == inBefore && out == scratch.data()))
            return true;
    }
}

qint64 DecompressingReader::size() const {
    return m_format == Compression::None ? m_file->size() : -1;
}

QString DecompressingReader::errorString() const {
    return m_error.isEmpty() ? m_file->errorString() : m_error;
}

qint64 DecompressingReader::read(char *buffer, qint64 maxSize) {
    if (m_failed)
        return -1;
    if (m_format != Compression::None)
        return decodeInto(buffer, maxSize);
    // Bytes: first those read to tell the format, then straight from the file.
    if (m_inputStart < m_inputEnd) {
        const size_t n = size_t(qMin<qint64>(maxSize, qint64(m_inputEnd - m_inputStart)));
        std::memcpy(buffer, m_input.data() + m_inputStart, n);
        m_inputStart += n;
        return qint64(n);
    }
    return m_file->read(buffer, maxSize);
}

bool DecompressingReader::fill() {
    if (m_inputStart > 0) {
        std::memmove(m_input.data(), m_input.data() + m_inputStart, m_inputEnd - m_inputStart);
        m_inputEnd -= m_inputStart;
        m_inputStart = 0;
    }
    const qint64 got = m_file->read(m_input.data() + m_inputEnd, qint64(InputBlock - m_inputEnd));
    if (got < 0) {
        m_failed = true;
        m_error = m_file->errorString();
        return false;
    }
    m_inputEnd += size_t(got);
    m_inputEnded = got == 0;
    return true;
}

bool DecompressingReader::anotherStreamFollows() {
    while (!m_inputEnded && m_inputEnd - m_inputStart < StreamDecoder::SignatureBytes)
        if (!fill())
            return false;
    return StreamDecoder::detect(m_input.data() + m_inputStart, m_inputEnd - m_inputStart) ==
           m_format;
}

qint64 DecompressingReader::decodeInto(char *buffer, qint64 maxSize) {
    using Status = StreamDecoder::Status;
    char *out = buffer;
    const qint64 room = qMin(maxSize, textLimit() - m_decoded);
    size_t outLeft = size_t(qMax<qint64>(0, room));
    while (!m_textEnded && outLeft > 0) {
        const char *in = m_input.data() + m_inputStart;
        size_t inLeft = m_inputEnd - m_inputStart;
        const char *const outBefore = out;
        const Status status = m_decoder->decode(in, inLeft, out, outLeft, m_inputEnded);
        const bool progressed = out != outBefore || in != m_input.data() + m_inputStart;
        m_inputStart = size_t(in - m_input.data());
        if (status == Status::NoMemory) {
            m_failed = true;
            m_error = SlotRead::NotEnoughMemory;
            return -1;
        }
        if (status == Status::Damaged) {
            m_problem = StreamDecoder::name(m_format) + QStringLiteral(" data is damaged");
            m_textEnded = true;
        } else if (status == Status::StreamEnd) {
            if (anotherStreamFollows())
                m_decoder->restart();
            else
                m_textEnded = !m_failed;
            if (m_failed)
                return -1;
        } else if (!progressed) {
            if (m_inputEnded) {
                m_problem = StreamDecoder::name(m_format) + QStringLiteral(" data ends early");
                m_textEnded = true;
            } else if (!fill()) {
                return -1;
            }
        }
    }
    m_decoded += out - buffer;
    if (!m_textEnded && out == buffer && maxSize > 0) {
        // The text goes on past the limit.
        m_failed = true;
        m_error = SlotRead::NotEnoughMemory;
        return -1;
    }
    return out - buffer;
}

qint64 DecompressingReader::textLimit() {
    const qint64 forTests = limitForTests.load(std::memory_order_relaxed);
    if (forTests > 0)
        return forTests;
    static const qint64 limit = memoryTextLimit();
    return limit;
}

void DecompressingReader::setTextLimit(qint64 bytes) {
    limitForTests.store(bytes, std::memory_order_relaxed);
}

} // namespace Orvik
