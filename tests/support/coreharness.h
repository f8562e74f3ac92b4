#pragma once

#include "fakes.h"
#include "filewriter.h"

#include "core/module1.h"
#include "core/text/sizetext.h"
#include "core/text/timetext.h"

namespace Orvik {

// A Module1 wired to fakes: the real file system with injectable faults, a clock that moves
// only when told, an in-memory main window, and a writer for files in a temporary folder.
struct CoreHarness {
    CoreHarness() { module.MainForm = &main; }

    FakeDocumentWindow *window(int slot) const {
        return static_cast<FakeDocumentWindow *>(module.DocWindow[slot]);
    }
    FakeDocumentView &view(int slot) const { return window(slot)->view; }
    // Writes `bytes` to `name`, modified `secondsLater` after the clock's time; gives the path.
    QString write(const QString &name, const QByteArray &bytes, int secondsLater = 0) {
        return files.writeAt(name, bytes, clock.now.addSecs(secondsLater));
    }
    QString open(const QString &name) {
        module.OpenDocument(files.path(name));
        return files.path(name);
    }
    // The caption of a document read now: path, the clock's date and time, size.
    QString caption(const QString &path, qint64 size) const {
        return path + QStringLiteral(" - ") + generalDateTimeText(clock.now) +
               QStringLiteral(" - ") + sizeText(size);
    }

    FaultyFileSystem fs;
    FakeClock clock;
    FakeMainWindow main;
    FileWriter files;
    Module1 module{fs, clock};
};

} // namespace Orvik
