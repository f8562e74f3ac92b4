#pragma once

#include <QStringList>
#include <Qt>

class QDragMoveEvent;
class QDropEvent;
class QMimeData;

namespace Orvik {

class Module1;

// Drops of files from a file manager, on the workspace or on any view. Only lists of local
// files (text/uri-list with file addresses) are taken, and only when the source allows
// copying; text, pictures and addresses of other kinds are refused.

// The local paths the dragged data carries, in the order the source lists them.
QStringList DroppedFiles(const QMimeData *data);
// DragOverFiles: the drop action to offer for a drag, Qt::IgnoreAction to refuse it.
Qt::DropAction DragOverFiles(const QMimeData *data, Qt::DropActions possibleActions);
// Opens each dropped file, in order, while fewer than ten documents are open (the count is
// read again before each file); the rest are skipped without a message. A file already open
// has its window activated by OpenDocument.
void DropFiles(Module1 &module, const QMimeData *data);

// The event side shared by every drop target (the workspace and each view): a drag is
// accepted with the action DragOverFiles offers, or ignored; an accepted drop opens its files.
void answerFileDrag(QDragMoveEvent *event);
void takeFileDrop(Module1 &module, QDropEvent *event);

} // namespace Orvik
