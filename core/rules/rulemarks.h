#pragma once

#include "core/marks/markruns.h"
#include "core/rules/ruleset.h"

#include <QString>

#include <atomic>
#include <vector>

namespace Orvik {

// The marks of every rule of a set in a text, one set of ranges per rule, and for the
// alerts the first line in which an alert rule matched.
struct RuleMarks {
    // Lines for an alert are cut to this many characters.
    static constexpr int AlertLineLength = 200;

    std::vector<MarkRuns> layers; // by rule; empty when there are no rules
    QString alertLine;            // null when no alert rule matched

    // Marks text[kept, size) of the whole text, with the lines that run on into it, so that
    // a match or a line split between two appends is found once the second comes: only marks
    // that end after `kept` are taken. kept = 0 marks the whole text. False once `cancel` is
    // set (then the marks are incomplete).
    bool collect(const RuleSet &rules, const char *text, qint64 size, qint64 kept,
                 const std::atomic<bool> *cancel = nullptr);

    // The line at `offset` as shown (UTF-8 when valid, else a character per byte), without its
    // line end, cut to AlertLineLength characters.
    static QString lineText(const char *text, qint64 size, qint64 offset);
};

} // namespace Orvik
