#include "document/view/lineindexpreparation.h"

#include "document/view/besidethread.h"

#include <system_error>

namespace Orvik {

LineIndexPreparation::LineIndexPreparation(bool countChars)
    : m_countChars(countChars) {}

LineIndexPreparation::~LineIndexPreparation() = default;

void LineIndexPreparation::findLines(const char *data, qint64 size) {
    lines.extend(data, size);
    if (m_countChars)
        chars.countWholeLines(data, lines);
}

void LineIndexPreparation::timesHere(const char *data, qint64 size) {
    times.extendIndexed(data, size, lines);
    m_handed = lines.lineCount();
}

void LineIndexPreparation::extend(const char *data, qint64 size) {
    settle();
    findLines(data, size);
    timesHere(data, size);
}

void LineIndexPreparation::extendHeld(const std::shared_ptr<const ByteStore> &store,
                                      const char *data, qint64 size) {
    const qint64 before = lines.size();
    findLines(data, size);
    if (!m_beside) {
        if (size - before < BesideThread::WorthAThread) {
            timesHere(data, size);
            return;
        }
        try {
            m_beside = std::make_unique<BesideThread>(
                [this](const char *bytes, qint64 count) { timesBeside(bytes, count); },
                [this] {
                    m_taken.swap(m_offered); // the work left m_taken empty
                    m_takenFirst = m_offeredFirst;
                });
        } catch (const std::system_error &) {
            timesHere(data, size); // no thread to be had: the work is done here
            return;
        }
    }
    const qint64 count = lines.lineCount();
    m_beside->offer(store, data, size, [&] {
        if (m_offered.empty())
            m_offeredFirst = m_handed;
        lines.forEachStart(m_handed, count,
                           [this](const LineIndex::StartRun &run) { m_offered.push_back(run); });
    });
    m_handed = count;
}

void LineIndexPreparation::timesBeside(const char *data, qint64 size) {
    std::vector<LineIndex::StartRun> runs;
    runs.swap(m_taken);
    times.extendByStarts(data, size, m_takenFirst, runs);
}

void LineIndexPreparation::settle() {
    if (m_beside)
        m_beside->wait();
}

} // namespace Orvik
