#include "fakedocumentwindow.h"

namespace Orvik {

void FakeDocumentWindow::setCaption(const QString &caption) {
    m_caption = caption;
    captions << caption;
}

bool FakeDocumentWindow::moveTo(const QRect &pixels) {
    if (pixels.width() <= 0 || pixels.height() <= 0)
        return false;
    m_geometry = pixels;
    return true;
}

} // namespace Orvik
