#include "core/rules/highlightrule.h"

#include "core/text/iniformat.h"

#include <QStringList>

namespace Orvik {

namespace {

// The quoted text at the start of `line`; `end` gets the offset after its closing quote.
std::optional<QString> readQuoted(const QString &line, qsizetype *end) {
    if (!line.startsWith(QLatin1Char('"')))
        return std::nullopt;
    QString out;
    for (qsizetype i = 1; i < line.size(); ++i) {
        QChar c = line.at(i);
        if (c == QLatin1Char('"')) {
            *end = i + 1;
            return out;
        }
        if (c == QLatin1Char('\\')) {
            if (++i == line.size())
                return std::nullopt;
            c = line.at(i);
            if (c == QLatin1Char('n'))
                c = QLatin1Char('\n');
            else if (c == QLatin1Char('r'))
                c = QLatin1Char('\r');
        }
        out += c;
    }
    return std::nullopt; // no closing quote
}

std::optional<bool> readFlag(const QString &text) {
    const QString t = text.trimmed();
    if (t == QLatin1String("1") || t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t == QLatin1String("0") || t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

QString flagText(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

QString HighlightRule::colorText(ColorNumber color) {
    const ColorNumber rgb = ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
    return QStringLiteral("#%1").arg(rgb, 6, 16, QLatin1Char('0'));
}

std::optional<ColorNumber> HighlightRule::colorFromText(const QString &text) {
    const QString t = text.trimmed();
    if (t.size() != 7 || !t.startsWith(QLatin1Char('#')))
        return std::nullopt;
    bool ok = false;
    const uint rgb = t.mid(1).toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

QString HighlightRule::toText() const {
    return QStringList{iniQuoted(text),  flagText(matchCase), flagText(regularExpression),
                       colorText(color), flagText(wholeLine), flagText(alert)}
        .join(QLatin1Char(','));
}

std::optional<HighlightRule> HighlightRule::fromText(const QString &line, QString *error) {
    const auto fail = [error](const QString &why) -> std::optional<HighlightRule> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QString trimmed = line.trimmed();
    qsizetype end = 0;
    const std::optional<QString> text = readQuoted(trimmed, &end);
    if (!text)
        return fail(QStringLiteral("the text is not in double quotes"));
    const QString rest = trimmed.mid(end);
    if (!rest.startsWith(QLatin1Char(',')))
        return fail(QStringLiteral("a comma must follow the text"));
    const QStringList fields = rest.mid(1).split(QLatin1Char(','));
    if (fields.size() != 5)
        return fail(QStringLiteral("%1 fields after the text instead of 5").arg(fields.size()));
    const std::optional<bool> matchCase = readFlag(fields[0]);
    const std::optional<bool> regex = readFlag(fields[1]);
    const std::optional<ColorNumber> color = colorFromText(fields[2]);
    const std::optional<bool> wholeLine = readFlag(fields[3]);
    const std::optional<bool> alert = readFlag(fields[4]);
    if (!matchCase || !regex || !wholeLine || !alert)
        return fail(QStringLiteral("a flag is neither 0 nor 1"));
    if (!color)
        return fail(QStringLiteral("the colour is not #rrggbb"));
    HighlightRule rule;
    rule.text = *text;
    rule.matchCase = *matchCase;
    rule.regularExpression = *regex;
    rule.color = *color;
    rule.wholeLine = *wholeLine;
    rule.alert = *alert;
    return rule;
}

} // namespace Orvik
