#pragma once

#include <QString>

namespace Orvik {

// The text without blanks (space characters only, not tabs) at either end.
QString trimBlanks(const QString &text);
// True when the text is empty or holds only blanks.
bool isBlank(const QString &text);

// The form in which paths and recently used names are compared: blanks trimmed at both ends,
// upper case. Other spellings of one file are not recognised as the same.
QString pathComparisonForm(const QString &path);

} // namespace Orvik
