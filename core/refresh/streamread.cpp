#include "core/refresh/streamread.h"

#include "core/search/highlightsearch.h"

#include <new>

namespace Orvik {

void StreamRead::run(FileSystem &) {
    changed = true;
    if (!failure.isEmpty()) {
        outcome.error = failure;
        return;
    }
    try {
        const qint64 kept = previous.size();
        previous = Contents();
        outcome.kind = ReadKind::Append;
        outcome.contents = grown;
        if (grown.size() <= kept)
            return;
        // In steps the processor's cache still holds when the marks are looked for.
        if (appendPreparation) {
            for (qint64 end = kept; end < grown.size();) {
                end = qMin(grown.size(), end + DocumentReader::FollowedStep);
                appendPreparation->extendHeld(grown.store(), grown.data(), end);
            }
        }
        HighlightSearch(pattern).collect(grown.data() + kept, grown.size() - kept, kept, marks,
                                         &cancel);
        marks.squeeze();
        ruleMarks.collect(rules ? *rules : RuleSet(), grown.data(), grown.size(), kept, &cancel);
        if (appendPreparation)
            appendPreparation->settle(); // its work beside went on with the searches
    } catch (const std::bad_alloc &) {
        outcome = ReadOutcome();
        outcome.error = NotEnoughMemory;
    }
}

} // namespace Orvik
