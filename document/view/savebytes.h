#pragma once

#include <QString>

namespace Orvik {

// Writes exactly `size` bytes to `path`, replacing an existing file. The bytes go to a
// temporary file in the same folder that is renamed into place only when all is written,
// so a failure never leaves a half-written file in place of an existing one. False and a
// description in *error on failure.
bool saveBytes(const QString &path, const char *data, qint64 size, QString *error = nullptr);

} // namespace Orvik
