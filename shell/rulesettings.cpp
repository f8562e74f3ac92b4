#include "rulesettings.h"

#include "settingsstore.h"

#include "core/module1.h"

#include <QDebug>

namespace Orvik::RuleSettings {

namespace {
void report(const QString &key, const QString &value, const QString &why) {
    qWarning().noquote()
        << QStringLiteral("orvik: settings [%1] %2=%3: %4").arg(Section, key, value, why);
}
} // namespace

QString key(int rule) {
    return QStringLiteral("Rule%1").arg(rule);
}

void LoadHighlightRules(SettingsStore &store, Module1 &module) {
    const QString countKey = QStringLiteral("Count");
    const QString countText = store.read(Section, countKey, QString());
    if (countText.isNull())
        return; // no rules stored
    bool ok = false;
    int count = countText.trimmed().toInt(&ok);
    // Without a count every rule stored is looked for.
    const bool counted = ok && count >= 0;
    if (!counted) {
        report(countKey, countText,
               QStringLiteral("not a number of rules; reading the rules found"));
        count = MaxRules;
    } else if (count > MaxRules) {
        report(countKey, countText,
               QStringLiteral("only the first %1 rules are read").arg(MaxRules));
        count = MaxRules;
    }
    std::vector<HighlightRule> rules;
    for (int i = 1; i <= count; ++i) {
        const QString value = store.read(Section, key(i), QString());
        if (value.isNull()) {
            if (counted)
                report(key(i), QString(), QStringLiteral("missing; skipped"));
            continue;
        }
        QString error;
        if (const std::optional<HighlightRule> rule = HighlightRule::fromText(value, &error))
            rules.push_back(*rule);
        else
            report(key(i), value, error + QStringLiteral("; skipped"));
    }
    module.setHighlightRules(std::move(rules));
}

void SaveHighlightRules(SettingsStore &store, const Module1 &module) {
    store.removeSection(Section);
    const std::vector<HighlightRule> &rules = module.HighlightRules->rules();
    if (rules.empty())
        return;
    store.write(Section, QStringLiteral("Count"), QString::number(rules.size()));
    for (size_t i = 0; i < rules.size(); ++i)
        store.writeVerbatim(Section, key(int(i) + 1), rules[i].toText());
}

} // namespace Orvik::RuleSettings
