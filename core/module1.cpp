#include "module1.h"

namespace Orvik {

Module1::Module1(FileSystem &fileSystem, Clock &clock)
    : m_fileSystem(fileSystem)
    , m_clock(clock) {}

DisplayFont Module1::displayFont() const {
    return {FontName, FontSize, FontBold, FontItalic, FontUnderline};
}

} // namespace Orvik
