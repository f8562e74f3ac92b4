#include "core/text/iniformat.h"

#include <QIODevice>
#include <QStringList>

namespace Orvik {

namespace {

bool needsQuotes(const QString &value) {
    if (value.isEmpty())
        return false;
    if (value.front().isSpace() || value.back().isSpace())
        return true;
    for (const QChar c : value) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\') || c == QLatin1Char('\n') ||
            c == QLatin1Char('\r'))
            return true;
    }
    return false;
}

// Blanks around the value are not part of it; a value in double quotes is taken from
// between them, escapes undone.
QString unquoted(const QString &raw) {
    const QString value = raw.trimmed();
    if (value.size() < 2 || !value.startsWith(QLatin1Char('"')) ||
        !value.endsWith(QLatin1Char('"')))
        return value;
    QString out;
    for (qsizetype i = 1; i < value.size() - 1; ++i) {
        QChar c = value.at(i);
        if (c == QLatin1Char('\\') && i + 1 < value.size() - 1) {
            c = value.at(++i);
            if (c == QLatin1Char('n'))
                c = QLatin1Char('\n');
            else if (c == QLatin1Char('r'))
                c = QLatin1Char('\r');
        }
        out += c;
    }
    return out;
}

QString valueText(const QVariant &value) {
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

} // namespace

QString iniQuoted(const QString &value) {
    QString out = QStringLiteral("\"");
    for (const QChar c : value) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + c;
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

bool readOrvikIni(QIODevice &device, QSettings::SettingsMap &map) {
    QString section;
    const QStringList lines = QString::fromUtf8(device.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) ||
            trimmed.startsWith(QLatin1Char('#')))
            continue;
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            section = trimmed.mid(1, trimmed.size() - 2).trimmed();
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0 || section.isEmpty())
            continue;
        const QString key = line.left(equals).trimmed();
        if (key.isEmpty() || key.contains(QLatin1Char('/')) || section.contains(QLatin1Char('/')))
            continue;
        map.insert(section + QLatin1Char('/') + key, unquoted(line.mid(equals + 1)));
    }
    return true;
}

bool writeOrvikIni(QIODevice &device, const QSettings::SettingsMap &map) {
    QString text;
    QString section;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(QLatin1Char('/'));
        const QString keySection = slash < 0 ? QStringLiteral("General") : it.key().left(slash);
        const QString key = it.key().mid(slash + 1);
        if (keySection != section || text.isEmpty()) {
            if (!text.isEmpty())
                text += QLatin1Char('\n');
            text += QLatin1Char('[') + keySection + QStringLiteral("]\n");
            section = keySection;
        }
        const QString value = valueText(it.value());
        // A value given as bytes is written as it is.
        const bool verbatim = it.value().typeId() == QMetaType::QByteArray;
        text += key + QLatin1Char('=') +
                (verbatim || !needsQuotes(value) ? value : iniQuoted(value)) + QLatin1Char('\n');
    }
    const QByteArray bytes = text.toUtf8();
    return device.write(bytes) == bytes.size();
}

QSettings::Format orvikIniFormat() {
    static const QSettings::Format format = QSettings::registerFormat(
        QStringLiteral("conf"), readOrvikIni, writeOrvikIni, Qt::CaseSensitive);
    return format;
}

} // namespace Orvik
