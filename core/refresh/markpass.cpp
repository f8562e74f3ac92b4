#include "core/refresh/markpass.h"

#include "core/search/highlightsearch.h"

#include <new>

namespace Orvik {

void MarkPass::run() {
    try {
        MarkRuns found;
        if (!HighlightSearch(pattern).collect(text.data(), text.size(), 0, found, &cancel))
            return;
        auto all = std::make_shared<MarkRuns>(before ? MarkRuns::united(*before, found)
                                                     : std::move(found));
        all->squeeze();
        marks = std::move(all);
    } catch (const std::bad_alloc &) {
        marks.reset(); // the marks stay as they were
    }
}

} // namespace Orvik
