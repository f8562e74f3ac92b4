#pragma once

#include "core/documentview.h"
#include "document/view/charoffsets.h"
#include "document/view/lineindex.h"
#include "document/view/pendingtimes.h"

#include <memory>
#include <vector>

namespace Orvik {

class BesideThread;

// What a view needs of a text being read, worked out as its bytes come in: its line index,
// its lines' times, and for accessibility tools its character counts, so that the
// user-interface thread never counts a whole text. The index is found on the reading thread
// from the bytes it has just read; the times are read from the lines' starts the index found,
// so the text is looked through for line feeds once.
//
// Bytes a store holds have their times worked out on a thread of the preparation's own while
// the reading thread reads on. From the first such offer until settle() the times are that
// thread's alone; it reads only bytes and line starts written before they were handed to it
// (starts never move as the index grows), and the starts go over under the thread's lock.
// After settle() everything is the view's to take.
class LineIndexPreparation : public TextPreparation {
public:
    explicit LineIndexPreparation(bool countChars);
    ~LineIndexPreparation() override;

    void extend(const char *data, qint64 size) override;
    void extendHeld(const std::shared_ptr<const ByteStore> &store, const char *data,
                    qint64 size) override;
    void settle() override;
    void setStamp(const QDateTime &stamp) override { times.setStamp(stamp); }

    LineIndex lines;
    PendingTimes times;
    CharOffsets chars;

private:
    void findLines(const char *data, qint64 size);
    void timesHere(const char *data, qint64 size);
    // On the thread beside: the times of the lines whose starts came with the offer.
    void timesBeside(const char *data, qint64 size);

    const bool m_countChars;
    qint64 m_handed = 1; // the reading thread's: the first line whose start the times lack
    // Under the thread's lock: the starts of the lines from m_offeredFirst on, not yet taken.
    std::vector<LineIndex::StartRun> m_offered;
    qint64 m_offeredFirst = 1;
    // The thread's own: the starts it took, of the lines from m_takenFirst on.
    std::vector<LineIndex::StartRun> m_taken;
    qint64 m_takenFirst = 1;
    std::unique_ptr<BesideThread> m_beside; // last: it stops before the rest goes
};

} // namespace Orvik
