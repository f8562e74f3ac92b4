#pragma once

#include <QSettings>

namespace Orvik {

// The settings file's own INI dialect, registered with QSettings. Section and key names are
// written as they are ("[MRU Documents]", not Qt's "[MRU%20Documents]"), and a value is the
// text after "=" exactly: blanks and commas are kept. A value whose edges are blanks, or that
// holds a quote, a backslash or a line break, is written in double quotes with backslash
// escapes. Lines that are not sections or key=value pairs are skipped, so a damaged file
// still yields whatever it holds intact.
QSettings::Format orvikIniFormat();

bool readOrvikIni(QIODevice &device, QSettings::SettingsMap &map);
bool writeOrvikIni(QIODevice &device, const QSettings::SettingsMap &map);

} // namespace Orvik
