#include "core/rules/ruleset.h"

#include <algorithm>

namespace Orvik {

RuleSet::RuleSet(std::vector<HighlightRule> rules)
    : m_rules(std::move(rules)) {
    m_searches.reserve(m_rules.size());
    for (const HighlightRule &rule : m_rules)
        m_searches.emplace_back(rule);
    if (!LiteralSet::isAvailable())
        return;
    std::vector<LiteralSet::Literal> literals;
    for (size_t i = 0; i < m_searches.size(); ++i) {
        if (const auto literal = m_searches[i].literal()) {
            literals.push_back(*literal);
            m_literalRules.push_back(int(i));
        }
    }
    // One text alone is found as fast by its own search.
    if (literals.size() >= 2)
        m_literals = std::make_shared<const LiteralSet>(literals);
    if (!m_literals || !m_literals->isValid()) {
        m_literals.reset();
        m_literalRules.clear();
    }
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
