// The command-line cutter over any argument text: every comma ends a name, a name loses one
// leading and then one trailing double quote, and names left empty are dropped; nothing else
// of the text is changed or lost.
#include "shell/commandline.h"

#include <QRegularExpression>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

using namespace Orvik;

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList names = CommandLine::names(text);
    const QString trimmed = QString(text).remove(QRegularExpression(QStringLiteral("^ +| +\\z")));
    if (trimmed.isEmpty()) {
        require(names.isEmpty());
    } else {
        QStringList expected;
        for (QString piece : trimmed.split(QLatin1Char(','))) {
            if (piece.startsWith(QLatin1Char('"')))
                piece.remove(0, 1);
            if (piece.endsWith(QLatin1Char('"')))
                piece.chop(1);
            if (!piece.isEmpty())
                expected.append(piece);
        }
        require(names == expected);
    }
    // The same text as separate program arguments (split at NULs, as argv would be).
    QStringList arguments{QStringLiteral("orvik")};
    arguments += text.split(QChar(0));
    (void)CommandLine::request(arguments);
    (void)CommandLine::names(CommandLine::argumentText(arguments));
    return 0;
}
