#pragma once

#include "core/content/bytestore.h"
#include "core/time/linetimes.h"
#include "document/view/lineindex.h"

#include <QDateTime>

#include <memory>
#include <vector>

namespace Orvik {

class BesideThread;

// The lines' times of a text being read, worked out with its line index: from scratch for a
// new text, or past `previous` (the index of the text before the bytes appended). Owned by
// the reading thread while it is fed (a stretch at a time lent to a thread of its own, which
// reads the lines' times while the reading thread finds their ends); `previous` is
// immutable, so the view may show it meanwhile.
class PendingTimes {
public:
    // `previousSize`: the bytes of the text `previous` was made of.
    explicit PendingTimes(SharedLineTimes previous = nullptr, qint64 previousSize = 0);
    ~PendingTimes();
    PendingTimes(const PendingTimes &) = delete;
    PendingTimes &operator=(const PendingTimes &) = delete;

    // Before the first extend(); until told, the stamp is the time the work was made. A
    // UTC one: the reading thread takes its ms, which for a local one would load the zone.
    void setStamp(const QDateTime &stamp) { m_stamp = stamp; }
    QDateTime stamp() const { return m_stamp; }
    // The text so far: its first `size` bytes from `data`. The builder is fed whole lines
    // only, up to the last line feed: the line still open is read once, by finish(), so a
    // line of any length costs what its bytes cost.
    void extend(const char *data, qint64 size);
    // extend() on a thread of the times' own, once the whole lines are many, while the
    // caller goes on (to their line index, to reading the next stretch); the thread takes the
    // latest text offered when it is done with the one before, and wait() or finish() waits
    // until it caught up. Until then the builder and the counts are that thread's, which
    // keeps `store`; the bytes below `size` stay as they are in it (a null `store`: the
    // caller keeps them until wait()). Not mixed with extend() before a wait().
    void extendBeside(const std::shared_ptr<const ByteStore> &store, const char *data, qint64 size);
    // extend() for a text whose line index `lines` is over the same `size` bytes: the lines'
    // ends are taken from it, not looked for again.
    void extendIndexed(const char *data, qint64 size, const LineIndex &lines);
    // The same from the starts of the text's lines from `firstLine` on, as the index held them
    // over these `size` bytes, run by run: those of the lines after the ones given before.
    void extendByStarts(const char *data, qint64 size, qint64 firstLine,
                        const std::vector<LineIndex::StartRun> &runs);
    // Rethrows what the builder threw there, as extend() would have.
    void wait();
    // The bytes given so far.
    qint64 size() const { return m_given; }
    const SharedLineTimes &previous() const { return m_previous; }
    // The index of the text fed; the work is done.
    SharedLineTimes finish();

private:
    SharedLineTimes m_previous;
    QDateTime m_stamp = QDateTime::currentDateTimeUtc(); // UTC: no zone on the worker
    void extendHere(const char *data, qint64 size);
    void feed(qint64 size);
    LineTimesBuilder &builder();

    std::unique_ptr<LineTimesBuilder> m_builder;
    const char *m_data = nullptr;
    qint64 m_given = 0; // the caller's: bytes given
    // From here on the work's: the caller's only between jobs beside.
    qint64 m_size = 0;
    qint64 m_fed = 0;     // bytes the builder was given: to a line feed
    qint64 m_scanned = 0; // bytes looked through for line feeds
    bool m_extended = false;
    std::unique_ptr<BesideThread> m_beside;
};

} // namespace Orvik
