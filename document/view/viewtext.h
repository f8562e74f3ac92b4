#pragma once

#include "core/content/contents.h"
#include "core/text/utf8text.h"
#include "document/view/charoffsets.h"
#include "document/view/lineindex.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

namespace Orvik {

// A stretch of one line shown as one unit of layout. Lines up to WholeLineBytes are one
// piece; longer lines are cut into pieces of about PieceBytes (after a blank where one is
// near), so a line of any length is laid out only where it is shown.
struct PieceRange {
    qint64 start = 0;
    qint64 end = 0; // exclusive, before any CR LF / LF
};

// Decoded text of a piece with the byte offset of each UTF-16 unit.
struct DecodedPiece {
    QString text;
    // byteOf[i]: offset from the piece's start of the byte that begins unit i; one entry
    // more than text has units. Empty when every unit is one byte.
    std::vector<quint16> byteOf;

    qint64 byteOffset(int unit) const;
    int unitAt(qint64 byteOffset) const;
};

// The view's text: the bytes it shares with the document table, their line index and how
// each line is decoded (UTF-8 when the whole line is valid UTF-8, else one character per
// byte). The bytes are a window onto a shared append-only store: growth at the end that the
// store already holds costs nothing to take over.
class ViewText {
public:
    static constexpr qint64 WholeLineBytes = 4096;
    static constexpr qint64 PieceBytes = 1024;

    void setText(const Contents &text);
    // setText with the line index already built for the text (an empty index: built here),
    // and the character counts made with it, if any.
    void setText(const Contents &text, LineIndex &&lines, CharOffsets &&chars = CharOffsets());
    // Takes over `more` at the end. True when it continued the text, in the same store or in
    // the copy its store outgrew, so no byte was copied or compared. `lines`, when given, is an
    // extension of this text's line index fed the grown text; it is taken over when it fits.
    bool append(const Contents &more, LineIndex::Extension *lines = nullptr);
    // An extension of the line index for bytes to come (nullptr when one is out already).
    std::unique_ptr<LineIndex::Extension> prepareAppend() { return m_lines.prepareExtension(); }
    // Replaces [offset, offset + removed) by `bytes` (copies the text into a store of its own).
    void replace(qint64 offset, qint64 removed, const char *bytes, qint64 count);

    // The bytes [start, end) as a text of their own, sharing the store.
    ViewText slice(qint64 start, qint64 end) const;

    // The text, sharing the bytes.
    const Contents &contents() const { return m_text; }
    const char *data() const { return m_text.data(); }
    qint64 size() const { return m_text.size(); }
    const LineIndex &lines() const { return m_lines; }
    qint64 lineCount() const { return m_lines.lineCount(); }
    qint64 lineStart(qint64 line) const { return m_lines.lineStart(line); }
    // End of the line's characters: before its LF or CR LF.
    qint64 lineEnd(qint64 line) const;
    qint64 lineAt(qint64 offset) const { return m_lines.lineAt(offset); }

    bool isUtf8(qint64 line) const;
    int pieceCount(qint64 line) const;
    PieceRange piece(qint64 line, int index) const;
    int pieceAt(qint64 line, qint64 offset) const;
    DecodedPiece decode(qint64 line, const PieceRange &piece) const;
    // The bytes [start, end) decoded as the view decodes them (control bytes and line
    // breaks kept as they are).
    QString plainText(qint64 start, qint64 end) const;

    // Caret steps: the next or previous character start; a line break counts as one step.
    qint64 nextCharOffset(qint64 offset) const;
    qint64 prevCharOffset(qint64 offset) const;
    // The word (letters, digits, '_') around offset, or the one character there.
    std::pair<qint64, qint64> wordAt(qint64 offset) const;

    // Byte offsets as character offsets of the text shown, and back (see CharOffsets).
    qint64 charOffset(qint64 offset) const { return m_chars.charOffset(*this, offset); }
    qint64 offsetOfChar(qint64 chars) const { return m_chars.byteOffset(*this, chars); }
    const CharOffsets &charOffsets() const { return m_chars; }

    qint64 memoryUsage() const;

private:
    qint64 pieceBoundary(qint64 lineBegin, qint64 lineEnd, qint64 at, bool utf8) const;

    Contents m_text;
    LineIndex m_lines;

    // UTF-8 validity of long lines, checked incrementally as the last line grows.
    struct Validity {
        qint64 checkedTo = 0; // absolute offset, at a character boundary
        bool valid = true;
    };
    mutable QHash<qint64, Validity> m_validity;
    mutable CharOffsets m_chars;
};

// Appends the bytes decoded as the view shows them. `display` turns control bytes into
// visible placeholders; without it they stay as they are (for copying).
void decodeBytes(const char *data, qint64 size, bool utf8, bool display, QString &out,
                 std::vector<quint16> *byteOf = nullptr);

} // namespace Orvik
