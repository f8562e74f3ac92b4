#include "core/rules/rulemarks.h"

#include "core/text/linebounds.h"
#include "core/text/utf8text.h"

#include <cstring>
#include <optional>

namespace Orvik {

bool RuleMarks::collect(const RuleSet &rules, const char *text, qint64 size, qint64 kept,
                        const std::atomic<bool> *cancel) {
    layers.clear();
    alertLine = QString();
    if (rules.isEmpty())
        return true;
    const qint64 from = lineStartBefore(text, 0, kept);
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
                markers.emplace_back(searches[size_t(rule)], text, start, end, kept,
                                     layers[size_t(rule)]);
            auto onMatch = [&markers, start](int literal, qint64 at) {
                markers[size_t(literal)].take(start + at);
                return true;
            };
            sweep->scan(text + start, end - start, onMatch);
        }
        for (size_t i = 0; i < searches.size(); ++i)
            if (!swept[i])
                searches[i].collect(text, start, end, kept, layers[i]);
        start = end;
    }
    qint64 firstAlert = -1;
    for (size_t i = 0; i < searches.size(); ++i) {
        layers[i].squeeze();
        if (rules.rules()[i].alert && !layers[i].isEmpty()) {
            const qint64 at = qMax(kept, layers[i].first().start);
            if (firstAlert < 0 || at < firstAlert)
                firstAlert = at;
        }
    }
    if (firstAlert >= 0)
        alertLine = lineText(text, size, firstAlert);
    return true;
}

QString RuleMarks::lineText(const char *text, qint64 size, qint64 offset) {
    const qint64 start = lineStartBefore(text, 0, offset);
    const void *feed = std::memchr(text + offset, '\n', size_t(size - offset));
    qint64 end = feed ? static_cast<const char *>(feed) - text : size;
    if (end > start && text[end - 1] == '\r')
        --end;
    // Four bytes at most per character: enough for the characters kept.
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
