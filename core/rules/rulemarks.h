#pragma once

#include "core/marks/markruns.h"
#include "core/rules/ruleset.h"

#include <QString>

#include <atomic>
#include <vector>

namespace Orvik {

// The marks of every rule of a set in a text, one set of ranges per rule, and for the
// alerts the first complete line in which an alert rule matched.
//
// The last line of a text that does not end with a line feed is unfinished: what the rules
// mark in it may change as it grows (an expression that looks ahead, a whole-line rule's
// match), so an append looks at it again and its marks replace those found before, and it
// raises no alert until it is complete or has stopped growing (see OpenLine).
struct RuleMarks {
    // Lines for an alert are cut to this many characters.
    static constexpr int AlertLineLength = 200;
    // How far back from the first new byte an append looks again into an unfinished line:
    // what an append costs follows its new bytes plus at most this much of the line before
    // them. In a longer line, a match that starts further back stays as it was found and is
    // cut where the look starts; a whole-line rule's mark still starts at the line's start.
    static constexpr qint64 OpenLineReach = 64 * 1024;

    // What the rules know of a text's unfinished last line from one append to the next.
    struct OpenLine {
        qint64 start = -1;    // where the text's last line starts (-1: not known)
        bool alerted = false; // its alert was raised while it was unfinished
        QString alertLine;    // an alert rule matches it as it stands: the line; else null
    };

    std::vector<MarkRuns> layers; // by rule; empty when there are no rules
    qint64 from = 0;              // the layers' marks from here on are replaced by these
    QString alertLine;            // null when no alert rule matched a complete new line
    // In: for an append, the text before it as the last collect left it. Out: the text's.
    OpenLine open;

    // Marks text[kept, size) of the whole text, with the unfinished line it continues (at
    // most OpenLineReach bytes of it), so that a match or a line split between two appends is
    // found once the second comes: only marks that end after `from` are taken. kept = 0 marks
    // the whole text and raises no alert. False once `cancel` is set (then the marks are
    // incomplete).
    bool collect(const RuleSet &rules, const char *text, qint64 size, qint64 kept,
                 const std::atomic<bool> *cancel = nullptr);

    // The line starting at `start` as shown (UTF-8 when valid, else a character per byte),
    // without its line end, cut to AlertLineLength characters.
    static QString lineText(const char *text, qint64 size, qint64 start);
};

} // namespace Orvik
