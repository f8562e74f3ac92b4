#include "mrulist.h"

#include "settingsstore.h"

#include "core/module1.h"
#include "core/text/pathtext.h"

namespace Orvik::MRUList {

QString key(int slot) {
    return QStringLiteral("%1").arg(slot, 2, 10, QLatin1Char('0'));
}

void LoadMRUList(SettingsStore &store, Module1 &module) {
    for (int i = 1; i <= Module1::MruCount; ++i)
        module.MRUFiles[i] = store.read(Section, key(i), QString());
    module.UpdateMRUMenu();
}

void SaveMRUList(SettingsStore &store, const Module1 &module) {
    for (int i = 1; i <= Module1::MruCount; ++i)
        store.write(Section, key(i), trimBlanks(module.MRUFiles[i]));
}

} // namespace Orvik::MRUList
