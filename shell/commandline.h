#pragma once

#include <QString>
#include <QStringList>

namespace Orvik {

// The command line: a list of file names separated by commas, each optionally wrapped in
// double quotes. The program's arguments (Qt's own options already taken out) are joined
// with commas into one argument text, so that `orvik a.log b.log`, `orvik a.log,b.log` and
// `orvik "My Logs/app.log"` all name what a user expects.
namespace CommandLine {

enum class Request { Open, Help, Version };

// --help/-h and --version/-v ask for usage or the version; "--" ends the options, so that
// a file with such a name can still be given after it.
Request request(const QStringList &arguments);
// The arguments after the program name, joined with commas ("--" left out).
QString argumentText(const QStringList &arguments);
// Cuts the trimmed text into the names to open, in order: none for an empty or blank
// text; otherwise every comma ends a name, a name loses one leading and then one trailing
// double quote, and a name left empty is dropped (it would open nothing).
QStringList names(const QString &argumentText);

QString usage();
QString versionText();

} // namespace CommandLine

} // namespace Orvik
