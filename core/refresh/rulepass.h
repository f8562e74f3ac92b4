#pragma once

#include "core/content/contents.h"
#include "core/refresh/refreshtask.h"
#include "core/rules/rulemarks.h"
#include "core/rules/ruleset.h"

namespace Orvik {

// A full pass of the highlight rules over a document's whole text, after the rules changed:
// every rule's marks as a finished set for the view to show in place of what it showed for
// the rules before. Besides itself it reads the text and the rules, both shared and immutable.
struct RulePass : RefreshTask {
    Contents text;
    SharedRules rules;
    RuleMarks marks; // found
    bool done = false;

    void run(FileSystem &) override { run(); }
    void run();
};

} // namespace Orvik
