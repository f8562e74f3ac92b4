#pragma once

#include <QtGlobal>

#include <atomic>

namespace Orvik {

// Gives mapped address space back to the system on a thread of its own. Unmapping hundreds
// of megabytes of pages in use takes a good part of a second, which the thread that dropped
// the last holder (often the user-interface thread, swapping a document's text) must not
// wait for. Small mappings are unmapped at once.
//
// The release thread owns a mapping from the moment it is handed over: no one else may touch
// its pages. Its queue is under its mutex.
class PageRelease {
public:
    // Unmaps [address, address + bytes) and then takes `committed` from `*counter` (when
    // given). Mappings of `BackgroundBytes` used bytes or more go to the release thread.
    static void unmap(void *address, qint64 bytes, qint64 committed,
                      std::atomic<qint64> *counter = nullptr);
    static constexpr qint64 BackgroundBytes = 4 << 20;
    // Hands the whole mapping [address, address + bytes) to the release thread, whatever its
    // size.
    static void unmapAside(void *address, qint64 bytes);

    // Waits until what was handed over is unmapped (not while held): for a mapping that did
    // not fit in a limited address space, the room given back may make it fit.
    static void waitForPending();
    // While held, the release thread leaves its queue alone (for tests that look at what
    // waits on it); releasing the hold lets it catch up.
    static void hold(bool held);
    // Mappings handed over and not yet unmapped.
    static int pending();
};

} // namespace Orvik
