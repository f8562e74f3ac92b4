#include "document/filedrop.h"

#include "core/module1.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace Orvik {

QStringList DroppedFiles(const QMimeData *data) {
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.append(url.toLocalFile());
    }
    return paths;
}

Qt::DropAction DragOverFiles(const QMimeData *data, Qt::DropActions possibleActions) {
    if (!(possibleActions & Qt::CopyAction) || DroppedFiles(data).isEmpty())
        return Qt::IgnoreAction;
    return Qt::CopyAction;
}

void DropFiles(Module1 &module, const QMimeData *data) {
    const QStringList paths = DroppedFiles(data);
    for (const QString &path : paths) {
        if (module.DocCount < Module1::MaxDocuments)
            module.OpenDocument(path);
    }
}

void answerFileDrag(QDragMoveEvent *event) {
    const Qt::DropAction action = DragOverFiles(event->mimeData(), event->possibleActions());
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void takeFileDrop(Module1 &module, QDropEvent *event) {
    if (DragOverFiles(event->mimeData(), event->possibleActions()) == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    DropFiles(module, event->mimeData());
}

} // namespace Orvik
