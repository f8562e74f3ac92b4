#include "commandline.h"

#include "core/text/pathtext.h"

namespace Orvik::CommandLine {

namespace {
const QString EndOfOptions = QStringLiteral("--");
const QString CommandOption = QStringLiteral("--command");
const QString CommandOptionIs = QStringLiteral("--command=");

// What the arguments after the program name are, in order.
struct Parsed {
    QStringList options; // before "--", but the commands
    QStringList names;
    QStringList commands;
};

Parsed parse(const QStringList &arguments) {
    Parsed parsed;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (optionsEnded || argument == StandardInput || !argument.startsWith(QLatin1Char('-')))
            parsed.names.append(argument);
        else if (argument == EndOfOptions)
            optionsEnded = true;
        else if (argument.startsWith(CommandOptionIs))
            parsed.commands.append(argument.mid(CommandOptionIs.size()));
        else if (argument == CommandOption && i + 1 < arguments.size())
            parsed.commands.append(arguments.at(++i));
        else
            parsed.options.append(argument);
    }
    return parsed;
}

QStringList options(const QStringList &arguments) {
    return parse(arguments).options;
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
    return parse(arguments).names.join(QLatin1Char(','));
}

QStringList commands(const QStringList &arguments) {
    return parse(arguments).commands;
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
        "Usage: orvik [options] [file[,file...] ...] [-]\n"
        "Follows text files as they grow, one window per file.\n"
        "\n"
        "Files are separated by commas or given as separate arguments; a name may be\n"
        "wrapped in double quotes. A lone - follows standard input (journalctl -f | orvik -);\n"
        "a file named - is ./-.\n"
        "\n"
        "Options:\n"
        "  --command COMMAND  Follow the output of COMMAND, run by /bin/sh (repeatable).\n"
        "  -h, --help         Show this help and exit.\n"
        "  -v, --version      Show the version and exit.\n"
        "  --                 End of options: the arguments after it are file names.\n");
}

QString versionText() {
    return QStringLiteral("Orvik " ORVIK_VERSION);
}

} // namespace Orvik::CommandLine
