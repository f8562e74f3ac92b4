#pragma once

#include <QByteArray>

namespace Orvik {

// The built-in description the About window shows below any About file, in rich text.
QByteArray aboutDescriptionRtf();

} // namespace Orvik
