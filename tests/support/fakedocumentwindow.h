#pragma once

#include "fakedocumentview.h"

#include "core/documentwindow.h"

#include <QRect>
#include <QStringList>

namespace Orvik {

// An in-memory DocumentWindow: remembers its caption (and every caption it had), tag,
// placement and activations. A placement with a non-positive size is refused, as a window
// system would.
class FakeDocumentWindow : public DocumentWindow {
public:
    DocumentView &rtfText() override { return m_view; }
    FakeDocumentView &view() { return m_view; }
    void setCaption(const QString &caption) override;
    QString caption() const override { return m_caption; }
    void setTag(const QString &tag) override { m_tag = tag; }
    QString tag() const override { return m_tag; }
    bool moveTo(const QRect &pixels) override;
    void activate() override { ++m_activations; }

    QRect geometry() const { return m_geometry; }
    int activations() const { return m_activations; }
    QStringList captions; // every caption set, in order
    bool closed = false;  // set by tests that close the window

private:
    FakeDocumentView m_view;
    QString m_caption;
    QString m_tag;
    QRect m_geometry;
    int m_activations = 0;
};

} // namespace Orvik
