#include "ruleset.h"

#include <algorithm>

namespace Orvik {

RuleSet::RuleSet(std::vector<HighlightRule> rules)
    : m_rules(std::move(rules)) {
    m_searches.reserve(m_rules.size());
    for (const HighlightRule &rule : m_rules)
        m_searches.emplace_back(rule);
}

bool RuleSet::isActive() const {
    return std::any_of(m_searches.begin(), m_searches.end(),
                       [](const RuleSearch &s) { return s.isActive(); });
}

LayerStyle RuleSet::style(int rule) const {
    const HighlightRule &r = m_rules.at(size_t(rule));
    return {r.color, r.wholeLine};
}

} // namespace Orvik
