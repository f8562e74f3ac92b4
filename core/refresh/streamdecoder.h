#pragma once

#include <QString>

#include <cstddef>
#include <memory>

namespace Orvik {

// The formats a file may be compressed in, told by its first bytes.
enum class Compression { None, Gzip, Zstd, Xz, Bzip2 };

// Decodes one compressed format as a stream: input and output come in pieces of any size.
class StreamDecoder {
public:
    enum class Status {
        Going,     // more input or more room is needed
        StreamEnd, // a whole stream (gzip member, zstd frame...) ended; another may follow
        Damaged,   // the data cannot be decoded
        NoMemory,  // the decoder's own memory could not be had
    };

    // The longest signature: a file's first this many bytes tell its format.
    static constexpr size_t SignatureBytes = 6;
    // The format whose signature starts `head` (fewer bytes than SignatureBytes match none).
    static Compression detect(const char *head, size_t size);
    static QString name(Compression format);
    // A decoder for `format`; nullptr for Compression::None.
    static std::unique_ptr<StreamDecoder> create(Compression format);

    virtual ~StreamDecoder() = default;
    // Decodes from `in` into `out`, advancing both past what was used. `inputEnds` says that
    // no input follows what is given.
    virtual Status decode(const char *&in, size_t &inLeft, char *&out, size_t &outLeft,
                          bool inputEnds) = 0;
    // Makes ready for the next stream after StreamEnd.
    virtual void restart() {}
};

} // namespace Orvik
