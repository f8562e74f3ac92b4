#include "filedrop.h"

#include "core/module1.h"

#include <QMimeData>
#include <QUrl>

namespace Orvik {

Qt::DropAction DragOverFiles(const QMimeData *data, Qt::DropActions possibleActions) {
    if (!data || !data->hasUrls() || !(possibleActions & Qt::CopyAction))
        return Qt::IgnoreAction;
    return Qt::CopyAction;
}

void DropFiles(Module1 &module, const QMimeData *data) {
    if (!data)
        return;
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        if (module.DocCount < Module1::MaxDocuments)
            module.OpenDocument(url.toLocalFile());
    }
}

} // namespace Orvik
