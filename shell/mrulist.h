#pragma once

#include <QString>

namespace Orvik {

class Module1;
class SettingsStore;

// Section "MRU Documents": slot i of MRUFiles under the key i written with two digits.
namespace MRUList {
inline const QString Section = QStringLiteral("MRU Documents");

QString key(int slot);
// Reads the ten slots (the empty text when absent) and shows them in the File menu.
void LoadMRUList(SettingsStore &store, Module1 &module);
// Writes all ten keys, each slot trimmed of blanks; free slots as the empty text.
void SaveMRUList(SettingsStore &store, const Module1 &module);
} // namespace MRUList

} // namespace Orvik
