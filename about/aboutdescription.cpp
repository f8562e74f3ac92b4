#include "aboutdescription.h"

namespace Orvik {

QByteArray aboutDescriptionRtf() {
    return QByteArrayLiteral(
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033"
        "{\\fonttbl{\\f0\\fswiss\\fcharset0 MS Sans Serif;}}\n"
        "\\viewkind4\\uc1\\pard\\lang1033\\f0\\fs17 "
        "Orvik is a real-time file viewer that's modeled after the UNIX 'tail' command.  "
        "In a nutshell, it will load and display files.  "
        "Its real power is the ability to keep the view constantly up-to-date.  "
        "In other words, when the file changes Orvik will update the view of the file to keep "
        "it in synch with the file's actual contents.  "
        "Because of this, it's a great tool for monitoring log files.}\n");
}

} // namespace Orvik
