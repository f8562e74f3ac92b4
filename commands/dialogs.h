#pragma once

#include <QString>

namespace Orvik {

// The modal boxes and choosers the commands show (dlgCommonDialog, the message box and the
// text-entry box): Qt's dialogs in the program, scripted answers in tests.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Filled in by the commands' owner; see qtdialogs.h for the program's implementation.
};

} // namespace Orvik
