#include "core/refresh/streamdecoder.h"

#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>
#include <zstd.h>
#include <zstd_errors.h>

#include <climits>
#include <cstring>

namespace Orvik {

namespace {

using Status = StreamDecoder::Status;

// zlib and bzip2 count in unsigned int.
unsigned int clampToUInt(size_t n) {
    return n > UINT_MAX ? UINT_MAX : unsigned(n);
}

// gzip through zlib; each member is a stream.
class GzipDecoder : public StreamDecoder {
public:
    GzipDecoder() { m_ready = inflateInit2(&m_z, 16 + MAX_WBITS) == Z_OK; }
    ~GzipDecoder() override { inflateEnd(&m_z); }
    Status decode(const char *&in, size_t &inLeft, char *&out, size_t &outLeft, bool) override {
        if (!m_ready)
            return Status::NoMemory;
        m_z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in));
        m_z.avail_in = clampToUInt(inLeft);
        m_z.next_out = reinterpret_cast<Bytef *>(out);
        m_z.avail_out = clampToUInt(outLeft);
        const unsigned int inGiven = m_z.avail_in, outGiven = m_z.avail_out;
        const int result = inflate(&m_z, Z_NO_FLUSH);
        in += inGiven - m_z.avail_in;
        inLeft -= inGiven - m_z.avail_in;
        out += outGiven - m_z.avail_out;
        outLeft -= outGiven - m_z.avail_out;
        switch (result) {
        case Z_OK:
        case Z_BUF_ERROR:
            return Status::Going;
        case Z_STREAM_END:
            return Status::StreamEnd;
        case Z_MEM_ERROR:
            return Status::NoMemory;
        default:
            return Status::Damaged;
        }
    }
    void restart() override { inflateReset(&m_z); }

private:
    z_stream m_z{};
    bool m_ready = false;
};

// zstd; each frame is a stream, and the context goes on to the next frame by itself.
class ZstdDecoder : public StreamDecoder {
public:
    ZstdDecoder()
        : m_d(ZSTD_createDStream()) {}
    ~ZstdDecoder() override { ZSTD_freeDStream(m_d); }
    Status decode(const char *&in, size_t &inLeft, char *&out, size_t &outLeft, bool) override {
        if (!m_d)
            return Status::NoMemory;
        ZSTD_inBuffer input{in, inLeft, 0};
        ZSTD_outBuffer output{out, outLeft, 0};
        const size_t result = ZSTD_decompressStream(m_d, &output, &input);
        in += input.pos;
        inLeft -= input.pos;
        out += output.pos;
        outLeft -= output.pos;
        if (ZSTD_isError(result))
            return ZSTD_getErrorCode(result) == ZSTD_error_memory_allocation ? Status::NoMemory
                                                                             : Status::Damaged;
        return result == 0 ? Status::StreamEnd : Status::Going;
    }

private:
    ZSTD_DStream *m_d;
};

// xz through liblzma, which decodes concatenated streams and their padding itself.
class XzDecoder : public StreamDecoder {
public:
    XzDecoder() { m_ready = lzma_stream_decoder(&m_s, UINT64_MAX, LZMA_CONCATENATED) == LZMA_OK; }
    ~XzDecoder() override { lzma_end(&m_s); }
    Status decode(const char *&in, size_t &inLeft, char *&out, size_t &outLeft,
                  bool inputEnds) override {
        if (!m_ready)
            return Status::NoMemory;
        m_s.next_in = reinterpret_cast<const uint8_t *>(in);
        m_s.avail_in = inLeft;
        m_s.next_out = reinterpret_cast<uint8_t *>(out);
        m_s.avail_out = outLeft;
        const lzma_ret result = lzma_code(&m_s, inputEnds ? LZMA_FINISH : LZMA_RUN);
        in += inLeft - m_s.avail_in;
        inLeft = m_s.avail_in;
        out += outLeft - m_s.avail_out;
        outLeft = m_s.avail_out;
        switch (result) {
        case LZMA_OK:
        case LZMA_BUF_ERROR:
            return Status::Going;
        case LZMA_STREAM_END:
            return Status::StreamEnd;
        case LZMA_MEM_ERROR:
            return Status::NoMemory;
        default:
            return Status::Damaged;
        }
    }

private:
    lzma_stream m_s = LZMA_STREAM_INIT;
    bool m_ready = false;
};

// bzip2; each stream starts again with its signature.
class Bzip2Decoder : public StreamDecoder {
public:
    Bzip2Decoder() { start(); }
    ~Bzip2Decoder() override { stop(); }
    Status decode(const char *&in, size_t &inLeft, char *&out, size_t &outLeft, bool) override {
        if (!m_ready)
            return Status::NoMemory;
        m_b.next_in = const_cast<char *>(in);
        m_b.avail_in = clampToUInt(inLeft);
        m_b.next_out = out;
        m_b.avail_out = clampToUInt(outLeft);
        const unsigned int inGiven = m_b.avail_in, outGiven = m_b.avail_out;
        const int result = BZ2_bzDecompress(&m_b);
        in += inGiven - m_b.avail_in;
        inLeft -= inGiven - m_b.avail_in;
        out += outGiven - m_b.avail_out;
        outLeft -= outGiven - m_b.avail_out;
        switch (result) {
        case BZ_OK:
            return Status::Going;
        case BZ_STREAM_END:
            return Status::StreamEnd;
        case BZ_MEM_ERROR:
            return Status::NoMemory;
        default:
            return Status::Damaged;
        }
    }
    void restart() override {
        stop();
        start();
    }

private:
    void start() {
        m_b = bz_stream{};
        m_ready = BZ2_bzDecompressInit(&m_b, 0, 0) == BZ_OK;
    }
    void stop() {
        if (m_ready)
            BZ2_bzDecompressEnd(&m_b);
        m_ready = false;
    }

    bz_stream m_b{};
    bool m_ready = false;
};

bool startsWith(const char *head, size_t size, const char *signature, size_t length) {
    return size >= length && std::memcmp(head, signature, length) == 0;
}

} // namespace

Compression StreamDecoder::detect(const char *head, size_t size) {
    if (startsWith(head, size, "\x1f\x8b", 2))
        return Compression::Gzip;
    if (startsWith(head, size, "\x28\xb5\x2f\xfd", 4))
        return Compression::Zstd;
    if (startsWith(head, size, "\xfd\x37\x7a\x58\x5a\x00", 6))
        return Compression::Xz;
    if (startsWith(head, size, "BZh", 3) && size >= 4 && head[3] >= '1' && head[3] <= '9')
        return Compression::Bzip2;
    return Compression::None;
}

QString StreamDecoder::name(Compression format) {
    switch (format) {
    case Compression::Gzip:
        return QStringLiteral("gzip");
    case Compression::Zstd:
        return QStringLiteral("zstd");
    case Compression::Xz:
        return QStringLiteral("xz");
    case Compression::Bzip2:
        return QStringLiteral("bzip2");
    case Compression::None:
        break;
    }
    return QString();
}

std::unique_ptr<StreamDecoder> StreamDecoder::create(Compression format) {
    switch (format) {
    case Compression::Gzip:
        return std::make_unique<GzipDecoder>();
    case Compression::Zstd:
        return std::make_unique<ZstdDecoder>();
    case Compression::Xz:
        return std::make_unique<XzDecoder>();
    case Compression::Bzip2:
        return std::make_unique<Bzip2Decoder>();
    case Compression::None:
        break;
    }
    return nullptr;
}

} // namespace Orvik
