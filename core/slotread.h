#pragma once

#include "documentreader.h"
#include "documentview.h"
#include "highlightsearch.h"

#include <QDateTime>
#include <QString>

#include <atomic>
#include <memory>
#include <vector>

namespace Orvik {

class FileSystem;

// Where the highlight text occurs: a byte range.
struct TextMatch {
    qint64 offset;
    qint64 length;
};

// The file work of one visited slot in a refresh cycle, done away from the user-interface
// thread: the stamp, the size probe and, when either changed, the read compared with the
// kept contents. It works on copies taken when the cycle began, so the document table may
// change meanwhile; the kept contents are shared, and only read.
struct SlotRead {
    // Taken from the table when the cycle began.
    int slot = 0;
    quint64 serial = 0;
    QString path;
    QDateTime knownTime;
    qint64 knownSize = 0;
    Contents previous;
    qint64 chunkSize = DocumentReader::DefaultChunkSize;
    QString pattern; // the highlight text, for the matches in an appended part
    const std::atomic<bool> *cancel = nullptr; // stops the read when set
    std::unique_ptr<TextPreparation> preparation;

    // Found.
    bool changed = false;
    QDateTime stamp;
    qint64 probed = 0;
    // Append: contents are only the new part. Failed: error says why.
    ReadOutcome outcome;
    std::vector<TextMatch> appendMatches; // offsets in the new part
    std::atomic<bool> done{false};

    void run(FileSystem &fileSystem);
};

// A full highlight pass over a whole text, away from the user-interface thread.
struct MarkPass {
    quint64 serial = 0;
    int slot = 0;
    Contents text;
    QString pattern;
    std::vector<TextMatch> matches;
    std::atomic<bool> done{false};

    void run();
};

} // namespace Orvik
