#include "core/refresh/rulepass.h"

#include <new>

namespace Orvik {

void RulePass::run() {
    try {
        done = rules && marks.collect(*rules, text.data(), text.size(), 0, &cancel);
    } catch (const std::bad_alloc &) {
        marks = RuleMarks(); // the marks stay as they were
        done = false;
    }
}

} // namespace Orvik
