#include "core/refresh/decompressingreader.h"

#include "core/content/textlimit.h"
#include "core/refresh/slotread.h"

#include <cstring>
#include <system_error>

namespace Orvik {

namespace {

// Compressed input is read in blocks of this size.
constexpr size_t InputBlock = 128 * 1024;
// Decoded ahead of the reader: this many pieces of this size.
constexpr size_t PieceBytes = 256 * 1024;
constexpr size_t Pieces = 4;
// A file that only looks compressed fails to decode within this many bytes.
constexpr size_t HeaderBytes = 64;

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
    if (!looksDecodable(m_inputEnded)) {
        m_format = Compression::None;
        return;
    }
    m_decoder = StreamDecoder::create(format);
    try {
        m_decoding = std::thread([this] { decodeAhead(); });
    } catch (const std::system_error &) {
        // No thread: read() decodes itself.
    }
}

DecompressingReader::~DecompressingReader() {
    if (!m_decoding.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_decoding.join();
}

void DecompressingReader::decodeAhead() {
    size_t made = 0;
    for (;;) {
        std::vector<char> bytes;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [&] { return m_stop || !m_free.empty() || made < Pieces; });
            if (m_stop)
                return;
            if (!m_free.empty()) {
                bytes = std::move(m_free.back());
                m_free.pop_back();
            }
        }
        qint64 got;
        try {
            if (bytes.empty()) {
                bytes.resize(PieceBytes);
                ++made;
            }
            got = decodeInto(bytes.data(), qint64(bytes.size()));
        } catch (const std::bad_alloc &) {
            m_failed = true;
            m_error = SlotRead::NotEnoughMemory;
            got = -1;
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (got > 0) {
                m_ready.push_back({std::move(bytes), size_t(got)});
            } else {
                m_lastResult = got;
                m_decodingDone = true;
            }
        }
        m_changed.notify_all();
        if (got <= 0)
            return;
    }
}

qint64 DecompressingReader::readDecoded(char *buffer, qint64 maxSize) {
    qint64 done = 0;
    while (done < maxSize) {
        if (m_currentPosition < m_current.size) {
            const size_t n =
                size_t(qMin<qint64>(maxSize - done, qint64(m_current.size - m_currentPosition)));
            std::memcpy(buffer + done, m_current.bytes.data() + m_currentPosition, n);
            m_currentPosition += n;
            done += qint64(n);
            continue;
        }
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_current.bytes.empty()) {
            m_free.push_back(std::move(m_current.bytes));
            m_current = Piece();
            m_changed.notify_all();
        }
        m_changed.wait(lock, [this] { return !m_ready.empty() || m_decodingDone; });
        if (m_ready.empty())
            return done > 0 ? done : m_lastResult;
        m_current = std::move(m_ready.front());
        m_ready.pop_front();
        m_currentPosition = 0;
    }
    return done;
}

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

QString DecompressingReader::problem() const {
    if (m_decoding.joinable()) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_decodingDone)
            return QString();
    }
    return m_problem;
}

QString DecompressingReader::errorString() const {
    if (m_decoding.joinable()) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_decodingDone)
            return QString();
    }
    return m_error.isEmpty() ? m_file->errorString() : m_error;
}

qint64 DecompressingReader::readAt(char *buffer, qint64 maxSize, qint64 offset) const {
    return m_format == Compression::None ? m_file->readAt(buffer, maxSize, offset) : -1;
}

bool DecompressingReader::seek(qint64 offset) {
    // Not while bytes read ahead to tell the format wait to be read.
    return m_format == Compression::None && !m_failed && m_inputStart == m_inputEnd &&
           m_file->seek(offset);
}

qint64 DecompressingReader::read(char *buffer, qint64 maxSize) {
    if (m_format != Compression::None && m_decoding.joinable())
        return readDecoded(buffer, maxSize);
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
    const qint64 room = qMin(maxSize, TextLimit::bytes() - m_decoded);
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

} // namespace Orvik
