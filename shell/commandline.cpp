#include "commandline.h"

#include "core/text/pathtext.h"

namespace Orvik::CommandLine {

namespace {
const QString EndOfOptions = QStringLiteral("--");

// The options before "--", in order.
QStringList options(const QStringList &arguments) {
    QStringList result;
    for (qsizetype i = 1; i < arguments.size() && arguments.at(i) != EndOfOptions; ++i) {
        if (arguments.at(i).startsWith(QLatin1Char('-')))
            result.append(arguments.at(i));
    }
    return result;
}

Request optionRequest(const QString &option) {
    if (option == QLatin1String("--help") || option == QLatin1String("-h"))
        return Request::Help;
    if (option == QLatin1String("--version") || option == QLatin1String("-v"))
        return Request::Version;
    return Request::UnknownOption;
}
} // namespace

Request request(const QStringList &arguments) {
    const QStringList given = options(arguments);
    return given.isEmpty() ? Request::Open : optionRequest(given.first());
}

QString unknownOption(const QStringList &arguments) {
    const QStringList given = options(arguments);
    return request(arguments) == Request::UnknownOption ? given.first() : QString();
}

QString unknownOptionText(const QString &option) {
    return QStringLiteral("orvik: unknown option '%1'\n").arg(option) + usage();
}

QString argumentText(const QStringList &arguments) {
    QStringList names = arguments.mid(1);
    const qsizetype end = names.indexOf(EndOfOptions);
    if (end >= 0)
        names.removeAt(end);
    return names.join(QLatin1Char(','));
}

QStringList names(const QString &argumentText) {
    QStringList result;
    const QString text = trimBlanks(argumentText);
    if (text.isEmpty())
        return result;
    for (QString name : text.split(QLatin1Char(','))) {
        if (name.startsWith(QLatin1Char('"')))
            name.remove(0, 1);
        if (name.endsWith(QLatin1Char('"')))
            name.chop(1);
        if (!name.isEmpty()) // "a.log, b.log" in a shell, or a trailing comma
            result.append(name);
    }
    return result;
}

QString usage() {
    return QStringLiteral(
        "Usage: orvik [options] [file[,file...] ...]\n"
        "Follows text files as they grow, one window per file.\n"
        "\n"
        "Files are separated by commas or given as separate arguments; a name may be\n"
        "wrapped in double quotes.\n"
        "\n"
        "Options:\n"
        "  -h, --help     Show this help and exit.\n"
        "  -v, --version  Show the version and exit.\n"
        "  --             End of options: the arguments after it are file names.\n");
}

QString versionText() {
    return QStringLiteral("Orvik " ORVIK_VERSION);
}

} // namespace Orvik::CommandLine
