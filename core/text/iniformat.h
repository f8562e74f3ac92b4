#pragma once

#include <QSettings>

namespace Orvik {

// The INI dialect of Orvik's settings files, registered with QSettings, for files people
// edit by hand. Section and key names are written as they are ("[MRU Documents]", not Qt's
// "[MRU%20Documents]"). A value is the text after "=" without the blanks around it; commas
// are part of it. A value whose edges are blanks, or that holds a quote, a backslash or a
// line break, is written in double quotes with backslash escapes, so that it reads back
// exactly; a value given as bytes (QByteArray) is written as it is. Lines that are not
// sections or key=value pairs are skipped, so a damaged file
// still yields whatever it holds intact.
QSettings::Format orvikIniFormat();

// `value` in double quotes, with a backslash before a quote or a backslash and line breaks
// written as \n and \r: the form a value takes in the file when it needs quotes.
QString iniQuoted(const QString &value);

bool readOrvikIni(QIODevice &device, QSettings::SettingsMap &map);
bool writeOrvikIni(QIODevice &device, const QSettings::SettingsMap &map);

} // namespace Orvik
