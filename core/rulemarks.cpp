#include "rulemarks.h"

#include "utf8text.h"

#include <cstring>

namespace Orvik {

bool RuleMarks::collect(const RuleSet &rules, const char *text, qint64 size, qint64 kept,
                        const std::atomic<bool> *cancel) {
    layers.clear();
    alertLine = QString();
    if (rules.isEmpty())
        return true;
    qint64 from = 0;
    if (kept > 0) {
        const void *feed = memrchr(text, '\n', size_t(kept));
        from = feed ? static_cast<const char *>(feed) - text + 1 : 0;
    }
    const std::vector<RuleSearch> searches = rules.searches();
    layers.resize(searches.size());
    qint64 firstAlert = -1;
    for (size_t i = 0; i < searches.size(); ++i) {
        if (!searches[i].collect(text, from, size, kept, layers[i], cancel))
            return false;
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
    const void *before = memrchr(text, '\n', size_t(offset));
    const qint64 start = before ? static_cast<const char *>(before) - text + 1 : 0;
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
