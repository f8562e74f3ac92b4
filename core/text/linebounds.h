#pragma once

#include <QtGlobal>

#include <cstring>

namespace Orvik {

// Where the lines of a text of bytes start and end; a line ends with its line feed.

// The start of the line holding `at`, looking back no further than `lineStart`, which starts
// a line itself.
inline qint64 lineStartBefore(const char *text, qint64 lineStart, qint64 at) {
    const void *feed = memrchr(text + lineStart, '\n', size_t(at - lineStart));
    return feed ? static_cast<const char *>(feed) - text + 1 : lineStart;
}

// Just after the line feed ending the line that holds `at`, or `to` when none comes before it.
inline qint64 nextLineStart(const char *text, qint64 at, qint64 to) {
    const void *feed = std::memchr(text + at, '\n', size_t(to - at));
    return feed ? static_cast<const char *>(feed) - text + 1 : to;
}

} // namespace Orvik
