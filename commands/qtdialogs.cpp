#include "qtdialogs.h"

namespace Orvik {

QtDialogs::QtDialogs(QWidget *owner)
    : m_owner(owner) {}

} // namespace Orvik
