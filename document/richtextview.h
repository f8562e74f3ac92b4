#pragma once

#include "core/documentview.h"

#include <QAbstractScrollArea>

class QDragMoveEvent;
class QDropEvent;
class QPrinter;

namespace Orvik {

// rtfText: a read-only text view over a document's bytes that lays out and paints only
// what is visible. Lines that are valid UTF-8 show decoded; other lines show one character
// per byte. Every offset it takes or gives is a byte offset into the text.
class RichTextView : public QAbstractScrollArea, public DocumentView {
    Q_OBJECT

public:
    explicit RichTextView(QWidget *parent = nullptr);
    ~RichTextView() override;

    // DocumentView
    void setText(const Contents &text) override;
    Contents text() const override;
    void setSelStart(qint64 offset) override;
    qint64 selStart() const override;
    void setSelLength(qint64 length) override;
    qint64 selLength() const override;
    void setSelText(const Contents &text) override;
    QByteArray selText() const override;
    void setSelColor(ColorNumber color) override;
    void colorRange(qint64 offset, qint64 length, ColorNumber color) override;
    void setDisplayFont(const DisplayFont &font) override;
    void setVisible(bool visible) override;

    // The text as the user sees it (decoded as the view decodes it), whole or selected.
    QString plainText() const;
    QString selectedPlainText() const;

    // The width in pixels at which lines wrap; 0 wraps at the viewport's width.
    void setRightMargin(int pixels);
    int rightMargin() const;

    // Writes the text's bytes exactly to `path` (format 1, plain text), through a temporary
    // file in the same folder renamed into place. False and a description on failure.
    bool SaveFile(const QString &path, int format, QString *error = nullptr);
    // Prints the selection, or the whole text when nothing is selected.
    void SelPrint(QPrinter &printer);

signals:
    // A drag over the view or a drop on it, reported instead of being inserted. The
    // receiver accepts or ignores the event.
    void oleDragOver(QDragMoveEvent *event);
    void oleDragDrop(QDropEvent *event);
};

} // namespace Orvik
