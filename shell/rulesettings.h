#pragma once

#include "core/rules/ruleset.h"

#include <QString>

namespace Orvik {

class Module1;
class SettingsStore;

// Section "Highlight Rules": "Count" and the rules as "Rule1" to "RuleN", each one line in the
// form HighlightRule::toText() writes. The section exists only while there are rules.
namespace RuleSettings {
inline const QString Section = QStringLiteral("Highlight Rules");
constexpr int MaxRules = RuleSet::MaxRules;

QString key(int rule);
// Reads the rules in force. A rule that does not read, and a count that is not one, is
// reported on stderr with its key and value and skipped; the other rules are kept.
void LoadHighlightRules(SettingsStore &store, Module1 &module);
// Writes the rules in force, or removes the section when there are none.
void SaveHighlightRules(SettingsStore &store, const Module1 &module);
} // namespace RuleSettings

} // namespace Orvik
