#include "document/view/viewtext.h"

#include <algorithm>
#include <cstring>

namespace Orvik {

namespace {
// How far back a piece boundary looks for a blank; less than a piece, so that boundaries
// stay in order.
constexpr qint64 BoundarySearch = 256;

inline bool isContinuation(uchar c) {
    return (c & 0xC0) == 0x80;
}

inline QChar placeholder(uint code) {
    if (code < 0x20)
        return QChar(char16_t(0x2400 + code)); // control pictures
    if (code == 0x7F)
        return QChar(char16_t(0x2421));
    return QChar(char16_t(0xFFFD)); // C1 controls
}

inline bool isControl(uint code) {
    return (code < 0x20 && code != '\t') || (code >= 0x7F && code < 0xA0);
}
} // namespace

void decodeBytes(const char *data, qint64 size, bool utf8, bool display, QString &out,
                 std::vector<quint16> *byteOf) {
    const auto *p = reinterpret_cast<const uchar *>(data);
    const qsizetype base = out.size();
    out.reserve(base + qsizetype(size));
    if (!utf8) {
        for (qint64 i = 0; i < size; ++i)
            out.append(display && isControl(p[i]) ? placeholder(p[i]) : QChar(char16_t(p[i])));
        return; // one unit per byte: no map needed
    }
    bool oneToOne = true;
    std::vector<quint16> map;
    for (qint64 i = 0; i < size;) {
        const Utf8Char c = decodeUtf8(p + i, size - i);
        // A broken sequence (a range that cuts a character) shows one byte as U+FFFD.
        const int length = c.length > 0 ? c.length : 1;
        const uint code = c.length > 0 ? uint(c.code) : 0xFFFDu;
        if (oneToOne && length > 1 && byteOf) {
            oneToOne = false;
            map.reserve(size_t(size) + 1);
            for (qsizetype u = base; u < out.size(); ++u)
                map.push_back(quint16(u - base));
        }
        const qsizetype before = out.size();
        if (display && isControl(code))
            out.append(placeholder(code));
        else if (code > 0xFFFF)
            out.append(QChar::fromUcs4(char32_t(code)));
        else
            out.append(QChar(char16_t(code)));
        if (!oneToOne)
            for (qsizetype u = before; u < out.size(); ++u)
                map.push_back(quint16(i));
        i += length;
    }
    if (!oneToOne && byteOf) {
        map.push_back(quint16(size));
        *byteOf = std::move(map);
    }
}

qint64 DecodedPiece::byteOffset(int unit) const {
    if (byteOf.empty())
        return unit;
    return byteOf[size_t(qBound(0, unit, int(byteOf.size()) - 1))];
}

int DecodedPiece::unitAt(qint64 byteOffset) const {
    if (byteOf.empty())
        return int(qBound<qint64>(0, byteOffset, text.size()));
    // The first unit of the character that holds the byte.
    auto it = std::upper_bound(byteOf.begin(), byteOf.end(), quint16(qMax<qint64>(0, byteOffset)));
    int unit = int(it - byteOf.begin()) - 1;
    while (unit > 0 && byteOf[size_t(unit - 1)] == byteOf[size_t(unit)])
        --unit;
    return qBound(0, unit, int(text.size()));
}

void ViewText::setText(const Contents &text) {
    setText(text, LineIndex());
}

void ViewText::setText(const Contents &text, LineIndex &&lines, CharOffsets &&chars) {
    m_text = text;
    m_lines = std::move(lines);
    m_chars = std::move(chars);
    if (m_lines.size() != size() || m_lines.lineCount() == 0) {
        m_lines.build(data(), size());
        m_chars = CharOffsets();
    }
    m_validity.clear();
}

bool ViewText::append(const Contents &more, LineIndex::Extension *lines) {
    if (more.isEmpty())
        return true;
    // The last line may change its decoding as it grows.
    m_chars.forgetFrom(lineStart(lineCount() - 1));
    const qint64 before = size();
    const bool continues = m_text.extendWith(more);
    if (!continues) {
        // Anything but the text's own growth is copied into a store of the view's own, never
        // appended to a store that others share.
        Contents copy;
        copy.append(data(), before);
        copy.append(more);
        m_text = copy;
    }
    if (!(lines && lines->size() == size() && m_lines.publish(*lines)))
        m_lines.extend(data(), size());
    return continues;
}

void ViewText::replace(qint64 offset, qint64 removed, const char *bytes, qint64 count) {
    const qint64 total = size();
    offset = qBound(qint64(0), offset, total);
    removed = qBound(qint64(0), removed, total - offset);
    Contents c;
    char *out = c.appendSpace(total - removed + count);
    std::memcpy(out, data(), size_t(offset));
    std::memcpy(out + offset, bytes, size_t(count));
    std::memcpy(out + offset + count, data() + offset + removed, size_t(total - offset - removed));
    c.commitAppend(total - removed + count);
    setText(c);
}

ViewText ViewText::slice(qint64 start, qint64 end) const {
    ViewText t;
    t.setText(m_text.mid(start, qMax(qint64(0), end - start)));
    return t;
}

qint64 ViewText::lineEnd(qint64 line) const {
    const qint64 start = m_lines.lineStart(line);
    if (line + 1 >= m_lines.lineCount())
        return size();
    qint64 end = m_lines.lineStart(line + 1) - 1; // the LF
    if (end > start && data()[end - 1] == '\r')
        --end;
    return end;
}

bool ViewText::isUtf8(qint64 line) const {
    const qint64 start = lineStart(line);
    const qint64 end = lineEnd(line);
    if (end - start <= WholeLineBytes)
        return checkUtf8(data() + start, end - start) == Utf8State::Valid;
    auto it = m_validity.find(line);
    if (it == m_validity.end())
        it = m_validity.insert(line, Validity{start, true});
    Validity &v = *it;
    if (!v.valid)
        return false;
    if (v.checkedTo < end) {
        qint64 complete = 0;
        const Utf8State state = checkUtf8(data() + v.checkedTo, end - v.checkedTo, &complete);
        v.checkedTo += complete;
        if (state == Utf8State::Invalid) {
            v.valid = false;
            return false;
        }
    }
    return v.checkedTo >= end;
}

qint64 ViewText::pieceBoundary(qint64 lineBegin, qint64 lineEnd, qint64 at, bool utf8) const {
    Q_UNUSED(lineEnd);
    const char *d = data();
    // Prefer to cut after a blank, so that a cut rarely splits a word.
    for (qint64 i = at - 1; i >= qMax(lineBegin, at - BoundarySearch); --i)
        if (d[i] == ' ')
            return i + 1;
    if (utf8)
        for (int n = 0; n < 3 && at > lineBegin && isContinuation(uchar(d[at])); ++n)
            --at;
    return at;
}

int ViewText::pieceCount(qint64 line) const {
    const qint64 length = lineEnd(line) - lineStart(line);
    if (length <= WholeLineBytes)
        return 1;
    return int((length + PieceBytes - 1) / PieceBytes);
}

PieceRange ViewText::piece(qint64 line, int index) const {
    const qint64 start = lineStart(line);
    const qint64 end = lineEnd(line);
    const int count = pieceCount(line);
    if (count == 1)
        return {start, end};
    const bool utf8 = isUtf8(line);
    index = qBound(0, index, count - 1);
    PieceRange r;
    r.start = index == 0 ? start : pieceBoundary(start, end, start + index * PieceBytes, utf8);
    r.end = index + 1 == count ? end
                               : pieceBoundary(start, end, start + (index + 1) * PieceBytes, utf8);
    return r;
}

int ViewText::pieceAt(qint64 line, qint64 offset) const {
    const int count = pieceCount(line);
    if (count == 1)
        return 0;
    const qint64 start = lineStart(line);
    int index = int(qBound(qint64(0), (offset - start) / PieceBytes, qint64(count - 1)));
    if (index > 0 && offset < piece(line, index).start)
        --index;
    else if (index + 1 < count && offset >= piece(line, index + 1).start)
        ++index;
    return index;
}

DecodedPiece ViewText::decode(qint64 line, const PieceRange &piece) const {
    DecodedPiece d;
    decodeBytes(data() + piece.start, piece.end - piece.start, isUtf8(line), true, d.text,
                &d.byteOf);
    return d;
}

QString ViewText::plainText(qint64 start, qint64 end) const {
    start = qBound<qint64>(0, start, size());
    end = qBound<qint64>(start, end, size());
    QString out;
    if (start == end)
        return out;
    const qint64 last = lineAt(end - 1);
    for (qint64 line = lineAt(start); line <= last; ++line) {
        const qint64 from = qMax(start, lineStart(line));
        const qint64 to = qMin(end, m_lines.lineLimit(line));
        decodeBytes(data() + from, to - from, isUtf8(line), false, out);
    }
    return out;
}

qint64 ViewText::nextCharOffset(qint64 offset) const {
    if (offset >= size())
        return size();
    const qint64 line = lineAt(offset);
    if (offset >= lineEnd(line))
        return line + 1 < lineCount() ? lineStart(line + 1) : size();
    ++offset;
    if (isUtf8(line))
        while (offset < size() && isContinuation(uchar(data()[offset])))
            ++offset;
    return offset;
}

qint64 ViewText::prevCharOffset(qint64 offset) const {
    if (offset <= 0)
        return 0;
    offset = qMin(offset, size());
    const qint64 line = lineAt(offset);
    if (offset <= lineStart(line))
        return lineEnd(line - 1);
    if (offset > lineEnd(line)) // inside the line break: back to its start
        return lineEnd(line);
    --offset;
    if (isUtf8(line))
        while (offset > lineStart(line) && isContinuation(uchar(data()[offset])))
            --offset;
    return offset;
}

std::pair<qint64, qint64> ViewText::wordAt(qint64 offset) const {
    if (size() == 0)
        return {0, 0};
    offset = qBound<qint64>(0, offset, size() - 1);
    const qint64 line = lineAt(offset);
    const PieceRange range = piece(line, pieceAt(line, offset));
    const DecodedPiece d = decode(line, range);
    if (d.text.isEmpty())
        return {offset, offset};
    auto isWord = [&](int unit) {
        const QChar c = d.text.at(unit);
        return c.isLetterOrNumber() || c == QLatin1Char('_') || c.isSurrogate();
    };
    int unit = qMin(d.unitAt(offset - range.start), int(d.text.size()) - 1);
    if (!isWord(unit))
        return {range.start + d.byteOffset(unit), range.start + d.byteOffset(unit + 1)};
    int first = unit;
    int last = unit + 1;
    while (first > 0 && isWord(first - 1))
        --first;
    while (last < d.text.size() && isWord(last))
        ++last;
    return {range.start + d.byteOffset(first), range.start + d.byteOffset(last)};
}

qint64 ViewText::memoryUsage() const {
    return m_lines.memoryUsage() + qint64(m_validity.size()) * 32;
}

} // namespace Orvik
