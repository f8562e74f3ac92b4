#include "document/view/charoffsets.h"

#include "core/text/utf8text.h"
#include "document/view/lineindex.h"
#include "document/view/viewtext.h"

#include <algorithm>
#include <cstring>

namespace Orvik {

namespace {

// The units a byte starts: none for a continuation byte, two for the lead of a character
// past U+FFFF.
inline int unitsOf(uchar c) {
    return (c & 0xC0) == 0x80 ? 0 : c >= 0xF0 ? 2 : 1;
}

// Calls run(bytes, count, utf8, start) for the stretches of [from, to) that lie in one line,
// in order, until it returns false; lineUtf8(line) tells how a line is decoded.
template <typename Utf8, typename Run>
void forEachRun(const char *text, const LineIndex &lines, qint64 from, qint64 to, Utf8 lineUtf8,
                Run run) {
    const auto *data = reinterpret_cast<const uchar *>(text);
    to = qMin(to, lines.size());
    for (qint64 line = lines.lineAt(from); from < to; ++line) {
        const qint64 end = qMin(to, lines.lineLimit(line));
        if (!run(data + from, end - from, lineUtf8(line), from))
            return;
        from = end;
    }
}

// True when no byte of [p, p + n) has its high bit set: ASCII, one unit a byte however its
// lines decode.
bool isAscii(const char *p, qint64 n) {
    qint64 i = 0;
    for (; i + 32 <= n; i += 32) {
        quint64 w[4];
        std::memcpy(w, p + i, sizeof w);
        if ((w[0] | w[1] | w[2] | w[3]) & 0x8080808080808080ULL)
            return false;
    }
    for (; i < n; ++i)
        if (uchar(p[i]) & 0x80)
            return false;
    return true;
}

template <typename Utf8>
qint64 countChars(const char *text, const LineIndex &lines, qint64 from, qint64 to, Utf8 lineUtf8) {
    to = qMin(to, lines.size());
    if (from >= to)
        return 0;
    if (isAscii(text + from, to - from)) // most logs: no line needs looking at
        return to - from;
    qint64 chars = 0;
    forEachRun(text, lines, from, to, lineUtf8,
               [&chars](const uchar *p, qint64 n, bool utf8, qint64) {
                   if (!utf8) {
                       chars += n;
                       return true;
                   }
                   qint64 i = 0;
                   for (; i + 8 <= n; i += 8) { // ASCII eight bytes at a time
                       quint64 word;
                       std::memcpy(&word, p + i, 8);
                       if (word & 0x8080808080808080ULL)
                           break;
                       chars += 8;
                   }
                   for (; i < n; ++i)
                       chars += unitsOf(p[i]);
                   return true;
               });
    return chars;
}

qint64 countChars(const ViewText &text, qint64 from, qint64 to) {
    return countChars(text.data(), text.lines(), from, to,
                      [&text](qint64 line) { return text.isUtf8(line); });
}

} // namespace

void CharOffsets::countTo(const ViewText &text, size_t mark) {
    if (m_marks.empty())
        m_marks.push_back(0);
    while (m_marks.size() <= mark) {
        const qint64 from = qint64(m_marks.size() - 1) * Step;
        m_marks.push_back(m_marks.back() + countChars(text, from, from + Step));
        m_countedOnDemand += Step;
    }
}

qint64 CharOffsets::charOffset(const ViewText &text, qint64 offset) {
    offset = qBound<qint64>(0, offset, text.size());
    const size_t mark = size_t(offset / Step);
    countTo(text, mark);
    return m_marks[mark] + countChars(text, qint64(mark) * Step, offset);
}

qint64 CharOffsets::byteOffset(const ViewText &text, qint64 chars) {
    if (chars <= 0)
        return 0;
    // Counts only as far as the character: the first conversions into a new text are near
    // its start.
    const size_t last = size_t(text.size() / Step);
    if (m_marks.empty())
        m_marks.push_back(0);
    while (m_marks.size() <= last && m_marks.back() <= chars)
        countTo(text, m_marks.size());
    const auto after = std::upper_bound(m_marks.begin(), m_marks.end(), chars);
    const size_t mark = size_t(after - m_marks.begin()) - 1;
    qint64 left = chars - m_marks[mark];
    qint64 found = text.size();
    const auto lineUtf8 = [&text](qint64 line) { return text.isUtf8(line); };
    forEachRun(text.data(), text.lines(), qint64(mark) * Step, text.size(), lineUtf8,
               [&](const uchar *p, qint64 n, bool utf8, qint64 start) {
                   if (!utf8) {
                       if (left < n) {
                           found = start + left;
                           return false;
                       }
                       left -= n;
                       return true;
                   }
                   for (qint64 i = 0; i < n; ++i) {
                       const int units = unitsOf(p[i]);
                       if (units > 0 && left < units) {
                           found = start + i;
                           return false;
                       }
                       left -= units;
                   }
                   return true;
               });
    return found;
}

void CharOffsets::forgetFrom(qint64 offset) {
    const size_t keep = size_t(qMax<qint64>(0, offset) / Step) + 1;
    if (m_marks.size() > keep)
        m_marks.resize(keep);
}

void CharOffsets::countWholeLines(const char *data, const LineIndex &lines) {
    const qint64 whole = lines.lineStart(lines.lineCount() - 1);
    const auto lineUtf8 = [&](qint64 line) {
        if (line != m_checkedLine) {
            const qint64 start = lines.lineStart(line);
            qint64 end = lines.lineLimit(line) - 1; // the LF: every line before the last has one
            if (end > start && data[end - 1] == '\r')
                --end;
            m_checkedLine = line;
            m_checkedUtf8 = checkUtf8(data + start, end - start) == Utf8State::Valid;
        }
        return m_checkedUtf8;
    };
    if (m_marks.empty())
        m_marks.push_back(0);
    while (qint64(m_marks.size()) * Step <= whole) {
        const qint64 from = qint64(m_marks.size() - 1) * Step;
        m_marks.push_back(m_marks.back() + countChars(data, lines, from, from + Step, lineUtf8));
    }
}

} // namespace Orvik
