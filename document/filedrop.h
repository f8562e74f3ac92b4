#pragma once

#include <Qt>

class QMimeData;

namespace Orvik {

class Module1;

// Drops of files from a file manager, on the workspace or on any view. Only lists of local
// files are taken, and only when the source allows copying.
// DragOverFiles: the drop action to offer for a drag, Qt::IgnoreAction to refuse it.
Qt::DropAction DragOverFiles(const QMimeData *data, Qt::DropActions possibleActions);
// Opens each dropped file while fewer than ten documents are open; the rest are skipped.
void DropFiles(Module1 &module, const QMimeData *data);

} // namespace Orvik
