#pragma once

#include "highlightrule.h"
#include "rulesearch.h"

#include <memory>
#include <vector>

namespace Orvik {

// The highlight rules in force, in order (the first wins where two overlap), with their
// searches made once. A set never changes once made: a change of rules makes a new set, so
// that workers may share one while the user edits the next. Rule i (from 0) is shown in the
// view's layer FirstRuleLayer + i.
class RuleSet {
public:
    // More would only slow every document down.
    static constexpr int MaxRules = 32;

    RuleSet() = default;
    explicit RuleSet(std::vector<HighlightRule> rules);

    const std::vector<HighlightRule> &rules() const { return m_rules; }
    int size() const { return int(m_rules.size()); }
    bool isEmpty() const { return m_rules.empty(); }
    // Any rule that can mark something.
    bool isActive() const;
    // The searches for one thread's use (each copy has its own scratch space).
    std::vector<RuleSearch> searches() const { return m_searches; }

    static int layerOf(int rule) { return FirstRuleLayer + rule; }
    LayerStyle style(int rule) const;

private:
    std::vector<HighlightRule> m_rules;
    std::vector<RuleSearch> m_searches;
};

using SharedRules = std::shared_ptr<const RuleSet>;

} // namespace Orvik
