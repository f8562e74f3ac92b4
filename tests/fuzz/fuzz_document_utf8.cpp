// The view's text over any bytes: the UTF-8 check and display decoding, the line index, the
// pieces of long lines and caret steps. The text is built once whole and once grown by an
// append at a chosen point, and both must agree on every line's decoding: the validity of a
// growing line is checked incrementally.
#include "document/view/viewtext.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

using namespace Orvik;

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

void checkText(const ViewText &text) {
    const qint64 size = text.size();
    require(text.lineCount() >= 1);
    for (qint64 line = 0, previousStart = -1; line < text.lineCount(); ++line) {
        const qint64 start = text.lineStart(line), end = text.lineEnd(line);
        require(start > previousStart && start <= end && end <= size);
        previousStart = start;
        qint64 at = start;
        for (int p = 0; p < text.pieceCount(line); ++p) {
            const PieceRange piece = text.piece(line, p);
            require(piece.start == at && piece.end >= piece.start && piece.end <= end);
            at = piece.end;
            const DecodedPiece decoded = text.decode(line, piece);
            for (qint64 unit = 0, last = 0; unit <= decoded.text.size(); ++unit) {
                const qint64 b = decoded.byteOffset(int(unit));
                const int back = decoded.unitAt(b);
                require(b >= last && b <= piece.end - piece.start && back >= 0 &&
                        back <= decoded.text.size());
                last = b;
            }
        }
        require(at == end);
    }
    // Every offset of a short text; a sample of a long one (each step decodes a piece).
    for (qint64 offset = 0; offset < size; offset += qMax<qint64>(1, size / 256)) {
        const qint64 next = text.nextCharOffset(offset), prev = text.prevCharOffset(offset + 1);
        const auto word = text.wordAt(offset);
        require(next > offset && next <= size && prev <= offset && prev >= 0 && word.first >= 0 &&
                word.first <= word.second && word.second <= size);
    }
    (void)text.plainText(0, size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    // The first byte chooses a long line prefix (past the length checked whole) and the
    // second where the text is cut for the append.
    QByteArray bytes;
    if (data[0] & 1)
        bytes = QByteArray(ViewText::PieceBytes + (data[0] >> 1), 'a');
    bytes.append(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));
    const qint64 cut = bytes.size() * data[1] / 255;

    qint64 complete = -1;
    const Utf8State state = checkUtf8(bytes.constData(), bytes.size(), &complete);
    require(complete >= 0 && complete <= bytes.size());
    if (state == Utf8State::Valid) {
        require(complete == bytes.size());
        QString decoded;
        decodeBytes(bytes.constData(), bytes.size(), true, false, decoded);
        require(decoded.toUtf8() == bytes); // valid UTF-8 decodes without loss
    }

    ViewText whole;
    whole.setText(Contents::fromByteArray(bytes));
    // As the refresh cycle grows a view: the appended part continues the same store.
    const Contents all = Contents::fromByteArray(bytes);
    ViewText grown;
    grown.setText(all.mid(0, cut));
    for (qint64 line = 0; line < grown.lineCount(); ++line)
        (void)grown.isUtf8(line); // fills the incremental validity before the growth
    grown.append(all.mid(cut));
    require(grown.size() == whole.size() && grown.lineCount() == whole.lineCount());
    for (qint64 line = 0; line < whole.lineCount(); ++line)
        require(grown.lineStart(line) == whole.lineStart(line) &&
                grown.isUtf8(line) == whole.isUtf8(line));
    if (bytes.size() <= 3 * ViewText::PieceBytes) {
        checkText(whole);
        checkText(grown);
    }
    return 0;
}
