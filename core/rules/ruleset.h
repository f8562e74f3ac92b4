#pragma once

#include "core/rules/highlightrule.h"
#include "core/rules/rulesearch.h"

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

    // The plain texts of the rules found in one sweep (null when there are not two such rules
    // or no sweeps on this machine), and the rule of each literal in it. Those rules' own
    // searches are not needed then.
    const LiteralSet *literals() const { return m_literals.get(); }
    const std::vector<int> &literalRules() const { return m_literalRules; }

    static int layerOf(int rule) { return FirstRuleLayer + rule; }
    LayerStyle style(int rule) const;

private:
    std::vector<HighlightRule> m_rules;
    std::vector<RuleSearch> m_searches;
    std::shared_ptr<const LiteralSet> m_literals;
    std::vector<int> m_literalRules;
};

using SharedRules = std::shared_ptr<const RuleSet>;

} // namespace Orvik
