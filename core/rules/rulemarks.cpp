#include "core/rules/rulemarks.h"

#include "core/text/linebounds.h"
#include "core/text/utf8text.h"

#include <cstring>
#include <optional>

namespace Orvik {

namespace {

// The start of the line holding `kept`, from what the collect before left for the text then.
qint64 openLineStart(const char *text, qint64 kept, qint64 known) {
    if (kept == 0 || text[kept - 1] == '\n')
        return kept;
    if (known >= 0 && known < kept && (known == 0 || text[known - 1] == '\n'))
        return known;
    // Not known: looked for no further back than the reach (a longer line is taken to start
    // there).
    return lineStartBefore(text, qMax<qint64>(0, kept - RuleMarks::OpenLineReach), kept);
}

// A whole-line rule's marks with the first one moved back to `lineStart` when it starts at
// `from`, where the look began inside that line.
MarkRuns fromLineStart(const MarkRuns &marks, qint64 from, qint64 lineStart) {
    if (marks.isEmpty() || marks.first().start != from || from == lineStart)
        return marks;
    MarkRuns moved;
    for (MarkRuns::Cursor c(marks); !c.atEnd(); c.next())
        moved.add(qMin(c.range().start, lineStart), c.range().end);
    return moved;
}

} // namespace

bool RuleMarks::collect(const RuleSet &rules, const char *text, qint64 size, qint64 kept,
                        const std::atomic<bool> *cancel) {
    layers.clear();
    alertLine = QString();
    const OpenLine before = open;
    const qint64 lineStart = openLineStart(text, kept, before.start);
    from = qMax(lineStart, kept - OpenLineReach);
    while (from < kept && (uchar(text[from]) & 0xC0) == 0x80)
        ++from; // never inside a character
    const void *lastFeed = size > kept ? memrchr(text + kept, '\n', size_t(size - kept)) : nullptr;
    const qint64 lastLine = lastFeed ? static_cast<const char *>(lastFeed) - text + 1 : lineStart;
    open = OpenLine();
    open.start = lastLine;
    // Raised while unfinished: not again once complete.
    const bool alerted = kept > 0 && before.alerted && before.start == lineStart;
    if (lastLine == lineStart)
        open.alerted = alerted;
    if (rules.isEmpty())
        return true;
    const std::vector<RuleSearch> searches = rules.searches();
    layers.resize(searches.size());
    // Rules of plain text are found together in one sweep where the machine can.
    std::optional<LiteralSet::Scanner> sweep;
    std::vector<bool> swept(searches.size(), false);
    if (rules.literals()) {
        sweep.emplace(*rules.literals());
        for (const int rule : rules.literalRules())
            swept[size_t(rule)] = true;
    }
    std::vector<RuleSearch::Marker> markers;
    // Every rule over one stretch of whole lines while it is in the processor's cache, then
    // the next stretch: the text comes from memory once, not once per rule.
    constexpr qint64 Stretch = 128 * 1024;
    for (qint64 start = from; start < size;) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return false;
        const qint64 end =
            start + Stretch < size ? nextLineStart(text, start + Stretch, size) : size;
        if (sweep) {
            markers.clear();
            for (const int rule : rules.literalRules())
                markers.emplace_back(searches[size_t(rule)], text, start, end, from,
                                     layers[size_t(rule)]);
            auto onMatch = [&markers, start](int literal, qint64 at) {
                markers[size_t(literal)].take(start + at);
                return true;
            };
            sweep->scan(text + start, end - start, onMatch);
        }
        for (size_t i = 0; i < searches.size(); ++i)
            if (!swept[i])
                searches[i].collect(text, start, end, from, layers[i]);
        start = end;
    }
    for (size_t i = 0; i < searches.size(); ++i) {
        if (searches[i].wholeLine())
            layers[i] = fromLineStart(layers[i], from, lineStart);
        layers[i].squeeze();
    }
    if (kept == 0)
        return true; // a new text raises no alert
    // The first complete line an alert rule matched, past a line alerted already, and whether
    // one matches the unfinished line.
    const qint64 firstLineEnd = nextLineStart(text, kept, size);
    const qint64 skip = alerted ? firstLineEnd : from;
    qint64 firstAlert = -1;
    bool openMatched = false;
    for (size_t i = 0; i < searches.size(); ++i) {
        if (!rules.rules()[i].alert || layers[i].isEmpty())
            continue;
        const MarkRuns::Cursor c(layers[i], skip);
        if (c.atEnd())
            continue;
        const qint64 at = qMax(skip, c.range().start);
        if (at < lastLine && (firstAlert < 0 || at < firstAlert))
            firstAlert = at;
        openMatched = openMatched || layers[i].last().end > qMax(skip, lastLine);
    }
    if (firstAlert >= 0) {
        const qint64 start =
            firstAlert < firstLineEnd ? lineStart : lineStartBefore(text, firstLineEnd, firstAlert);
        alertLine = lineText(text, size, start);
    }
    if (openMatched && !open.alerted)
        open.alertLine = lineText(text, size, lastLine);
    return true;
}

QString RuleMarks::lineText(const char *text, qint64 size, qint64 start) {
    // Four bytes at most per character: enough for the characters kept.
    const qint64 reach = qMin(size - start, qint64(AlertLineLength) * 4 + 1);
    const void *feed = std::memchr(text + start, '\n', size_t(reach));
    qint64 end = feed ? static_cast<const char *>(feed) - text : start + reach;
    if (end > start && text[end - 1] == '\r')
        --end;
    const qint64 length = qMin(end - start, qint64(AlertLineLength) * 4);
    QString line = checkUtf8(text + start, length) == Utf8State::Invalid
                       ? QString::fromLatin1(text + start, length)
                       : QString::fromUtf8(text + start, length);
    if (line.size() > AlertLineLength) {
        line.truncate(AlertLineLength);
        if (line.back().isHighSurrogate())
            line.chop(1);
    }
    return line;
}

} // namespace Orvik
