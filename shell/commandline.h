#pragma once

#include <QString>
#include <QStringList>

namespace Orvik {

// The command line: a list of file names separated by commas, each optionally wrapped in
// double quotes. The program's arguments (Qt's own options already taken out) are joined
// with commas into one argument text, so that `orvik a.log b.log`, `orvik a.log,b.log` and
// `orvik "My Logs/app.log"` all name what a user expects.
namespace CommandLine {

enum class Request { Open, Help, Version, UnknownOption };

// --help/-h and --version/-v ask for usage or the version; any other argument that starts
// with "-" is an unknown option; the first option given decides. "--" ends the options, so
// that a file whose name starts with "-" can still be given after it. A lone "-" names
// standard input (StandardInput), and "--command COMMAND" (or --command=COMMAND) a command
// whose output to follow; "--command" without one is an unknown option.
Request request(const QStringList &arguments);
// The option that makes request() refuse the arguments, or the empty text.
QString unknownOption(const QStringList &arguments);
// "orvik: unknown option '--bogus'", a line break and the usage.
QString unknownOptionText(const QString &option);
// The arguments after the program name, joined with commas ("--" and the commands left out).
QString argumentText(const QStringList &arguments);
// The command lines given with --command, in order.
QStringList commands(const QStringList &arguments);
inline const QString StandardInput = QStringLiteral("-");
// Cuts the trimmed text into the names to open, in order: none for an empty or blank
// text; otherwise every comma ends a name, a name loses one leading and then one trailing
// double quote, and a name left empty is dropped (it would open nothing).
QStringList names(const QString &argumentText);

QString usage();
QString versionText();

} // namespace CommandLine

} // namespace Orvik
