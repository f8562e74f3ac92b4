#pragma once

#include <QRect>
#include <QString>

namespace Orvik {

class DocumentView;

// What the core asks of a document window (frmDocument).
class DocumentWindow {
public:
    virtual ~DocumentWindow() = default;

    virtual DocumentView &rtfText() = 0;
    virtual void setCaption(const QString &caption) = 0;
    virtual QString caption() const = 0;
    // The window's slot number in the document table, as decimal text.
    virtual void setTag(const QString &tag) = 0;
    virtual QString tag() const = 0;
    // Moves and sizes the window in one call; pixels, relative to the main window's client
    // area. A size the window system refuses returns false and leaves the window in place.
    virtual bool moveTo(const QRect &pixels) = 0;
    // Brings the window to the front and gives it the focus.
    virtual void activate() = 0;
    // Shows that the window's file is being read for it (a busy pointer over it), or no more.
    virtual void showReading(bool reading) { Q_UNUSED(reading); }
};

} // namespace Orvik
