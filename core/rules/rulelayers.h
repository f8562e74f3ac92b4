#pragma once

#include "core/rules/rulemarks.h"
#include "core/rules/ruleset.h"

namespace Orvik {

class DocumentView;

// Puts the marks of the highlight rules into a view's layers, each rule in its own layer
// with its own style. Showing a whole new set costs the same however many marks it has.
class RuleLayers {
public:
    // Whether a view that shows the marks of `shown` (nullptr for none) shows those of
    // `rules` too: the same set, or no rules either way.
    static bool same(const SharedRules &shown, const SharedRules &rules);
    // Shows `marks`, found for `rules`, in place of the layers of `shown`.
    static void replace(DocumentView &view, const SharedRules &shown, const SharedRules &rules,
                        RuleMarks &marks);
    // Adds the marks of appended text to the layers of the rules they were found for.
    static void add(DocumentView &view, const RuleMarks &marks);
};

} // namespace Orvik
