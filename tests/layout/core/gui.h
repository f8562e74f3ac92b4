#pragma once
// The core may not use QtGui.
#include <QtGui/QColor>
