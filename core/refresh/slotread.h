#pragma once

#include "core/documentview.h"
#include "core/marks/markruns.h"
#include "core/refresh/documentreader.h"
#include "core/refresh/refreshtask.h"
#include "core/rules/rulemarks.h"
#include "core/rules/ruleset.h"

#include <QDateTime>
#include <QString>

#include <memory>

namespace Orvik {

// The file work of one document in a refresh: the stamp, the size probe and, when either
// changed, the read compared with the kept contents; then the highlight marks of the new
// part, or of the whole text when it is new, with the marks of the highlight rules, and the
// view's preparations for it.
//
// What it touches besides itself: the kept contents and the rules, which it only reads (the
// rules are immutable); the room past their
// end in their store, where it appends (one task at a time works for a document, so it is
// the store's only appender); the preparations, which are given to it.
struct SlotRead : RefreshTask {
    // Taken from the document table when the refresh began.
    QString path;
    QDateTime knownTime;
    qint64 knownSize = 0;
    Contents previous;
    qint64 chunkSize = DocumentReader::DefaultChunkSize;
    // The kernel said the file was written: it is read even when its size and stamp look as
    // they were (a rewrite of the same size within the same second).
    bool forced = false;
    QString pattern;                                    // the highlight text
    SharedRules rules;                                  // the highlight rules
    std::unique_ptr<TextPreparation> preparation;       // for a new whole text
    std::unique_ptr<TextPreparation> appendPreparation; // for bytes after the kept ones

    // Found.
    bool changed = false;
    QDateTime stamp;
    qint64 probed = 0;
    // The whole text for an append or a replacement; for a failure, the reason.
    ReadOutcome outcome;
    // Append: the new part's marks. Replacement: the whole text's.
    MarkRuns marks;
    // The rules' marks of the same text (an append's with the unfinished line it continues),
    // and the first complete line of the new part an alert rule matched. Its `open` is given
    // with the task: what the read before found of the kept text's unfinished line.
    RuleMarks ruleMarks;

    void run(FileSystem &fileSystem) override;

    // The description of a failure for want of memory.
    static const QString NotEnoughMemory;
};

} // namespace Orvik
