#pragma once

#include "core/refresh/slotread.h"

namespace Orvik {

// The refresh of a document whose text arrives on a pipe: no file is looked at. The bytes
// the stream's reader published since the kept contents (`previous`, their beginning) are an
// append, prepared for the view and marked as a file's append is; the outcome is a SlotRead's.
//
// `grown` is immutable while the task runs: the stream's reader appends only past its end.
struct StreamRead : SlotRead {
    Contents grown;  // every byte the stream has given
    QString failure; // why the stream's text is gone, or empty
    QString endText; // how the stream ended, or empty while it goes on

    void run(FileSystem &fileSystem) override;
};

} // namespace Orvik
