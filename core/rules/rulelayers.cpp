#include "core/rules/rulelayers.h"

#include "core/documentview.h"

namespace Orvik {

bool RuleLayers::same(const SharedRules &shown, const SharedRules &rules) {
    return shown == rules || ((!shown || shown->isEmpty()) && (!rules || rules->isEmpty()));
}

void RuleLayers::replace(DocumentView &view, const SharedRules &shown, const SharedRules &rules,
                         RuleMarks &marks) {
    const int count = rules ? rules->size() : 0;
    for (int rule = 0; rule < count; ++rule) {
        const int layer = RuleSet::layerOf(rule);
        view.setLayerStyle(layer, rules->style(rule));
        SharedMarks found;
        if (size_t(rule) < marks.layers.size() && !marks.layers[size_t(rule)].isEmpty())
            found = std::make_shared<MarkRuns>(std::move(marks.layers[size_t(rule)]));
        view.setLayerMarks(layer, std::move(found));
    }
    for (int rule = count; shown && rule < shown->size(); ++rule)
        view.setLayerMarks(RuleSet::layerOf(rule), nullptr);
}

void RuleLayers::add(DocumentView &view, const RuleMarks &marks) {
    for (size_t rule = 0; rule < marks.layers.size(); ++rule)
        view.replaceLayerMarksFrom(RuleSet::layerOf(int(rule)), marks.from, marks.layers[rule]);
}

} // namespace Orvik
