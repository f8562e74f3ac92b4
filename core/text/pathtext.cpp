#include "core/text/pathtext.h"

namespace Orvik {

QString trimBlanks(const QString &text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

bool isBlank(const QString &text) {
    for (QChar c : text) {
        if (c != QLatin1Char(' '))
            return false;
    }
    return true;
}

QString pathComparisonForm(const QString &path) {
    return trimBlanks(path).toUpper();
}

} // namespace Orvik
