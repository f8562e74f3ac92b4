#include "document/view/charoffsets.h"

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
// in order, until it returns false.
template <typename Run> void forEachRun(const ViewText &text, qint64 from, qint64 to, Run run) {
    const auto *data = reinterpret_cast<const uchar *>(text.data());
    to = qMin(to, text.size());
    for (qint64 line = text.lineAt(from); from < to; ++line) {
        const qint64 end = qMin(to, text.lines().lineLimit(line));
        if (!run(data + from, end - from, text.isUtf8(line), from))
            return;
        from = end;
    }
}

qint64 countChars(const ViewText &text, qint64 from, qint64 to) {
    qint64 chars = 0;
    forEachRun(text, from, to, [&chars](const uchar *p, qint64 n, bool utf8, qint64) {
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

} // namespace

void CharOffsets::countTo(const ViewText &text, size_t mark) {
    if (m_marks.empty())
        m_marks.push_back(0);
    while (m_marks.size() <= mark) {
        const qint64 from = qint64(m_marks.size() - 1) * Step;
        m_marks.push_back(m_marks.back() + countChars(text, from, from + Step));
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
    countTo(text, size_t(text.size() / Step));
    const auto after = std::upper_bound(m_marks.begin(), m_marks.end(), chars);
    const size_t mark = size_t(after - m_marks.begin()) - 1;
    qint64 left = chars - m_marks[mark];
    qint64 found = text.size();
    forEachRun(text, qint64(mark) * Step, text.size(),
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

} // namespace Orvik
