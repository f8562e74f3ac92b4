#include "core/recentfiles.h"

#include "core/mainwindow.h"
#include "core/text/pathtext.h"

namespace Orvik {

void addRecentFile(RecentFileSlots &files, const QString &name) {
    const int count = int(files.size()) - 1;
    const QString wanted = pathComparisonForm(name);
    int found = 0;
    for (int i = 1; i <= count; ++i) {
        if (pathComparisonForm(files[i]) == wanted) {
            found = i;
            break;
        }
    }
    const int top = found ? found : count;
    for (int i = top; i >= 2; --i)
        files[i] = files[i - 1];
    files[1] = name;
}

void showRecentFiles(const RecentFileSlots &files, MruMenu &menu, bool &separatorShown) {
    for (int i = 1; i < int(files.size()); ++i) {
        if (!files[i].isEmpty()) {
            separatorShown = true;
            menu.setSeparatorVisible(true);
            menu.setItem(i, files[i], true);
        } else {
            menu.setItem(i, QString(), false);
        }
    }
    if (separatorShown)
        menu.setSeparatorVisible(true);
}

} // namespace Orvik
