#include "core/search/findrun.h"

namespace Orvik {

FindRun::FindRun(const TextFinder &finder, const Contents &text, qint64 selStart, qint64 selEnd,
                 Direction direction)
    : m_finder(finder)
    , m_text(text)
    , m_direction(direction) {
    const qint64 size = m_text.size();
    m_selStart = qBound<qint64>(0, selStart, size);
    m_selEnd = qBound<qint64>(m_selStart, selEnd, size);
    if (m_direction == Direction::Down) {
        m_from = m_selEnd;
        m_to = size;
    } else {
        m_from = 0;
        m_to = m_selStart;
    }
    m_done = !m_finder.isActive();
}

bool FindRun::step() {
    if (m_done)
        return true;
    if (m_from >= m_to) {
        wrapOrEnd();
        return m_done;
    }
    // The bytes are fetched for each piece: the store may have moved since the last one.
    const char *data = m_text.data();
    const qint64 size = m_text.size();
    if (m_direction == Direction::Down) {
        const qint64 to = qMin(m_to, m_from + m_piece);
        m_match = m_finder.firstIn(data, size, m_from, to);
        m_from = to;
    } else {
        const qint64 from = qMax(m_from, m_to - m_piece);
        m_match = m_finder.lastIn(data, size, from, m_to);
        m_to = from;
    }
    m_piece = qMin(m_piece * 2, LargestPiece);
    if (m_match.found())
        m_done = true;
    else if (m_from >= m_to)
        wrapOrEnd();
    return m_done;
}

bool FindRun::searchGrowth(const Contents &grown) {
    if (!m_done || m_match.found() || !m_finder.isActive() || grown.size() <= m_text.size())
        return false;
    // Matches starting up to longestMatch() - 1 bytes before the old end may now be complete.
    m_from = qMax<qint64>(0, m_text.size() - m_finder.longestMatch() + 1);
    m_to = grown.size();
    m_text = grown;
    m_piece = FirstPiece;
    // Down reaches the new bytes before passing the end; Up only after passing the beginning.
    m_wrapped = m_direction == Direction::Up;
    m_final = true;
    m_done = false;
    return true;
}

void FindRun::wrapOrEnd() {
    if (m_wrapped || m_final) {
        m_done = true;
        return;
    }
    m_wrapped = true;
    m_piece = FirstPiece;
    if (m_direction == Direction::Down) {
        m_from = 0;
        m_to = m_selEnd;
    } else {
        m_from = m_selStart;
        m_to = m_text.size();
    }
    if (m_from >= m_to)
        m_done = true;
}

} // namespace Orvik
