#pragma once

#include "core/time/timeform.h"

#include <QString>
#include <QtGlobal>

#include <memory>

namespace Orvik {

// One time per line of a document's text, numbered as the view numbers its lines (a line
// ends at a line feed; the text has one line more than it has line feeds). A line without a
// time of its own has the time of the line before it; lines before the first time have
// NoTime. Compact: at most four bytes a line on average. Immutable once made: an append
// makes a new index that shares the finished part of the one before, so it costs what the
// new lines cost.
class LineTimes {
public:
    virtual ~LineTimes() = default;

    virtual TimeForm form() const = 0;
    virtual qint64 lineCount() const = 0;
    virtual bool hasTimes() const = 0;
    // NoTime for a line past the end or before the first time.
    virtual qint64 timeOf(qint64 line) const = 0;
    // The first line whose time is at or after `time`; lineCount() when none is.
    virtual qint64 firstAtOrAfter(qint64 time) const = 0;
    // The last line whose time is at or before `time`; -1 when none is.
    virtual qint64 lastAtOrBefore(qint64 time) const = 0;
    virtual qint64 memoryUsage() const = 0;
};
using SharedLineTimes = std::shared_ptr<const LineTimes>;

// Works out the times of a text as it is read, on the reading thread, which owns the
// builder while it runs. Fed the whole text so far, each call with more of it; the last line
// is kept open (its time may still be coming) until a line feed ends it.
class LineTimesBuilder {
public:
    // A builder for a text from its start; `stamp` is its file's modification time.
    explicit LineTimesBuilder(const QDateTime &stamp);
    // A builder for bytes appended to the text `previous` was made of.
    LineTimesBuilder(const SharedLineTimes &previous, const QDateTime &stamp);
    ~LineTimesBuilder();
    LineTimesBuilder(const LineTimesBuilder &) = delete;
    LineTimesBuilder &operator=(const LineTimesBuilder &) = delete;

    // The text's first `size` bytes, at `data`.
    void extend(const char *data, qint64 size);

    // For a caller that knows where the lines start (a line index), so that the builder need
    // not look for their ends. Until the builder has settled the text's form from its first
    // lines it looks at those itself: only extend() is taken then.
    bool takesStarts() const;
    // The line still open: the lines before it have their times.
    qint64 openLine() const;
    // The lines after the open one start at `base + starts[i]` for i < count, each just past
    // the line feed that ends the line before it, in the text at `data`: the open line and all
    // but the last of those are closed, and the last is the open one.
    void closeBefore(const char *data, qint64 base, const quint32 *starts, qint64 count);
    // The index of the text fed so far; the builder is done.
    SharedLineTimes finish();

private:
    class Private;
    std::unique_ptr<Private> d;
};

// What a reader types into Go to Time: `13:58`, `13:58:42.5`, `2026-12-08 13:58` or a full
// ISO time. A missing date is the date of `reference` (in the system zone); NoTime for a text
// that is no time.
qint64 parseWantedTime(const QString &text, qint64 reference);
// A time as Go to Time shows it: `2026-12-08 13:58:42.803` in the system zone.
QString wantedTimeText(qint64 time);

} // namespace Orvik
