#include "resources.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE declares a function of the global namespace, so it cannot be used inside
// namespace Orvik directly.
static void initOrvikResources() {
    Q_INIT_RESOURCE(resources);
}

namespace Orvik {

void initResources() {
    initOrvikResources();
}

QString toolbarIconPath(const QString &key) {
    return QStringLiteral(":/icons/toolbar/") + key + QStringLiteral(".svg");
}

} // namespace Orvik
