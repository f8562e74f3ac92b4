#pragma once

#include "dialogs.h"

class QWidget;

namespace Orvik {

// Dialogs shown with Qt's own dialog classes, owned by the main window.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget *owner);

private:
    QWidget *m_owner;
};

} // namespace Orvik
