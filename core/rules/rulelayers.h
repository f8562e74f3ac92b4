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
    // Puts the marks of appended text, with those of the unfinished line it continues, into the
    // layers of the rules they were found for, in place of what the layers had from marks.from.
    static void add(DocumentView &view, const RuleMarks &marks);
};

} // namespace Orvik
