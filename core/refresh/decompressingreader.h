#pragma once

#include "core/filesystem.h"
#include "core/refresh/streamdecoder.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Orvik {

// A file as its text: a file that starts with the signature of a compressed format and
// decodes is read as the text it holds, any other file as its bytes. Concatenated streams
// (gzip members, zstd frames, xz and bzip2 streams) read as one text; bytes after the last
// stream that begin no other are ignored. Data that is damaged or ends early ends the text
// where decoding stopped, and problem() says why. A file that only looks compressed (its
// first bytes do not decode: no header of the format) is read as bytes.
//
// The text is never decoded past TextLimit::bytes(): a text that would be longer fails the
// read with the description of a want of memory.
//
// A compressed file is decoded on a thread of the reader's own, a few pieces ahead of
// read(), so that decoding and what the caller does with the text share two processors.
// That thread alone touches the file, the decoder and its input; the pieces pass under the
// mutex, and problem() and errorString() tell what it found once it is done.
class DecompressingReader : public FileReader {
public:
    explicit DecompressingReader(std::unique_ptr<FileReader> file);
    ~DecompressingReader() override;

    Compression format() const { return m_format; }
    // Whether a thread of its own decodes ahead of read().
    bool decodesAhead() const { return m_decoding.joinable(); }
    // The length of the text: the file's for bytes, -1 (unknown until the end) for a text
    // decoded from a compressed file.
    qint64 size() const override;
    qint64 sizeOnDisk() const { return m_file->size(); }
    qint64 read(char *buffer, qint64 maxSize) override;
    QString errorString() const override;
    // A file read as bytes is read at offsets and moved in as the file itself; a text
    // decoded from one cannot be.
    qint64 readAt(char *buffer, qint64 maxSize, qint64 offset) const override;
    bool seek(qint64 offset) override;
    // Why the text ended before the data ("gzip data ends early"); empty when it did not.
    QString problem() const;

private:
    bool looksDecodable(bool wholeFile) const;
    // More input after what is unused; false on a read failure.
    bool fill();
    // After a stream's end: whether another of the same format follows.
    bool anotherStreamFollows();
    qint64 decodeInto(char *buffer, qint64 maxSize);
    void decodeAhead();
    qint64 readDecoded(char *buffer, qint64 maxSize);

    struct Piece {
        std::vector<char> bytes;
        size_t size = 0;
    };

    std::unique_ptr<FileReader> m_file;
    Compression m_format = Compression::None;
    std::unique_ptr<StreamDecoder> m_decoder;
    std::vector<char> m_input;
    size_t m_inputStart = 0; // unused input is [m_inputStart, m_inputEnd)
    size_t m_inputEnd = 0;
    bool m_inputEnded = false;
    bool m_textEnded = false;
    bool m_failed = false;
    qint64 m_decoded = 0;
    QString m_problem;
    QString m_error;

    std::thread m_decoding;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Piece> m_ready;             // decoded, in order
    std::vector<std::vector<char>> m_free; // read, to decode into again
    bool m_stop = false;
    bool m_decodingDone = false;
    qint64 m_lastResult = 0; // the decoding's end: 0, or -1 for a failure
    Piece m_current;         // being read, from m_currentPosition
    size_t m_currentPosition = 0;
};

} // namespace Orvik
