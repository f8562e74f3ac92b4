#include "fakedocumentview.h"

#include <algorithm>

namespace Orvik {

namespace {
QString shortBytes(const QByteArray &bytes) {
    return bytes.size() <= 40 ? QString::fromLatin1(bytes)
                              : QString::fromLatin1(bytes.left(37)) + QStringLiteral("...");
}
} // namespace

void FakeDocumentView::setText(const Contents &text) {
    m_text = text;
    m_selStart = 0;
    m_selLength = 0;
    m_marks.clear();
    scrolledAway = false;
    ++m_setTextCount;
    log << QStringLiteral("setText %1").arg(text.size());
}

void FakeDocumentView::setSelStart(qint64 offset) {
    m_selStart = qBound<qint64>(0, offset, m_text.size());
    m_selLength = 0;
    if (offset >= m_text.size())
        scrolledAway = false;
    log << QStringLiteral("setSelStart %1").arg(offset);
}

void FakeDocumentView::setSelLength(qint64 length) {
    m_selLength = qBound<qint64>(0, length, m_text.size() - m_selStart);
    log << QStringLiteral("setSelLength %1").arg(length);
}

void FakeDocumentView::setSelText(const Contents &text) {
    const QByteArray bytes = text.toByteArray();
    m_insertions.push_back({m_selStart, bytes});
    log << QStringLiteral("setSelText %1").arg(shortBytes(bytes));
    m_lastInsertionShared = false;
    if (m_selLength == 0 && m_selStart == m_text.size()) {
        Contents grown = m_text;
        if (grown.extendWith(text)) {
            m_lastInsertionShared = !text.isEmpty();
            m_text = grown;
            m_selStart = m_text.size();
            return;
        }
    }
    QByteArray whole = m_text.toByteArray();
    whole.replace(m_selStart, m_selLength, bytes);
    m_text = Contents::fromByteArray(whole);
    m_selStart += bytes.size();
    m_selLength = 0;
}

void FakeDocumentView::appendKeepingSelection(const Contents &text) {
    m_insertions.push_back({m_text.size(), text.toByteArray()});
    log << QStringLiteral("appendKeepingSelection %1").arg(shortBytes(text.toByteArray()));
    if (!m_text.extendWith(text))
        m_text.append(text);
}

QByteArray FakeDocumentView::selText() const {
    return m_text.mid(m_selStart, m_selLength).toByteArray();
}

void FakeDocumentView::setSelColor(ColorNumber color) {
    if (m_selLength > 0)
        m_marks.push_back({m_selStart, m_selLength, color});
    log << QStringLiteral("setSelColor %1").arg(color);
}

void FakeDocumentView::colorRange(qint64 offset, qint64 length, ColorNumber color) {
    m_marks.push_back({offset, length, color});
    log << QStringLiteral("colorRange %1 %2 %3").arg(offset).arg(length).arg(color);
}

QByteArray FakeDocumentView::colourMap(ColorNumber color) const {
    QByteArray map(m_text.size(), '.');
    for (const Mark &mark : m_marks) {
        for (qint64 i = mark.offset; i < mark.offset + mark.length && i < map.size(); ++i)
            map[i] = mark.color == color ? 'x' : '.';
    }
    return map;
}

std::vector<std::pair<qint64, qint64>> FakeDocumentView::colouredRuns(ColorNumber color) const {
    std::vector<std::pair<qint64, qint64>> runs;
    const QByteArray map = colourMap(color);
    for (qint64 i = 0; i < map.size();) {
        if (map.at(i) != 'x') {
            ++i;
            continue;
        }
        qint64 j = i;
        while (j < map.size() && map.at(j) == 'x')
            ++j;
        runs.emplace_back(i, j - i);
        i = j;
    }
    return runs;
}

void FakeDocumentView::clearRecords() {
    log.clear();
    m_insertions.clear();
    m_setTextCount = 0;
}

} // namespace Orvik
