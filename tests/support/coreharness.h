#pragma once

#include "fakeclock.h"
#include "fakemainwindow.h"
#include "faultyfilesystem.h"
#include "filewriter.h"

#include "core/module1.h"
#include "core/sizetext.h"
#include "core/timetext.h"

namespace Orvik {

// A Module1 wired to fakes: the real file system with injectable faults, a clock that moves
// only when told, an in-memory main window, and a writer for files in a temporary folder.
struct CoreHarness {
    CoreHarness() { module.MainForm = &main; }

    FakeDocumentWindow *window(int slot) const {
        return static_cast<FakeDocumentWindow *>(module.DocWindow[slot]);
    }
    FakeDocumentView &view(int slot) const { return window(slot)->view(); }
    // Writes `bytes` to `name` with the modification time `secondsLater` after the clock's
    // current time, and returns the path.
    QString write(const QString &name, const QByteArray &bytes, int secondsLater = 0) {
        return files.writeAt(name, bytes, clock.currentDateTime().addSecs(secondsLater));
    }
    // The caption of a document read now: path, the clock's date and time, size.
    QString stateCaption(const QString &path, qint64 size) const {
        return path + QStringLiteral(" - ") + generalDateTimeText(clock.currentDateTime()) +
               QStringLiteral(" - ") + sizeText(size);
    }
    QString open(const QString &name) {
        const QString path = files.path(name);
        module.OpenDocument(path);
        return path;
    }

    FaultyFileSystem fs;
    FakeClock clock;
    FakeMainWindow main;
    FileWriter files;
    Module1 module{fs, clock};
};

} // namespace Orvik
