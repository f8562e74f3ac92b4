#pragma once

#include "documentreader.h"

#include <QString>

namespace Orvik {

class Module1;

// The refresh cycle over the document table: each visited document whose size or stamp
// changed is read again whole, its view gets the new part appended or its whole text
// replaced, the highlight text is marked, and the caption, the clock (panel 4) and the
// duration (panel 1) are renewed. A document that fails, also for want of memory, shows the
// failure in its caption, and the cycle goes on with the next one. A view whose reader
// selected text or scrolled away from the end keeps its place; the others follow the end.
class RefreshCycle {
public:
    explicit RefreshCycle(Module1 &module);

    // index > 0 visits that slot only (when it is in use); otherwise slots 1..DocCount.
    void run(int index);

    DocumentReader &reader() { return m_reader; }

private:
    bool visit(int slot, QString *error);
    void fail(int slot, const QString &error);
    void showDuration(double startSeconds);

    Module1 &m_module;
    DocumentReader m_reader;
};

} // namespace Orvik
