#pragma once

#include "core/documentwindow.h"
#include "richtextview.h"

#include <QMdiSubWindow>

class QDragMoveEvent;
class QDropEvent;
class QIcon;

namespace Orvik {

class Module1;

// A document window: one open file shown in its view rtfText, inside the main window's
// workspace. Closing it in any way gives its slot of the document table back.
class frmDocument : public QMdiSubWindow, public DocumentWindow {
    Q_OBJECT

public:
    explicit frmDocument(Module1 &module, QWidget *parent = nullptr);
    ~frmDocument() override;

    RichTextView &rtfText() override;
    void setCaption(const QString &caption) override;
    QString caption() const override;
    void setTag(const QString &tag) override;
    QString tag() const override;
    bool moveTo(const QRect &pixels) override;
    void activate() override;

    void Form_Resize();
    void Form_Unload();
    void rtfText_OLEDragOver(QDragMoveEvent *event);
    void rtfText_OLEDragDrop(QDropEvent *event);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static QIcon documentIcon();

    Module1 &m_module;
    QWidget *m_client;
    RichTextView *m_rtfText;
    QString m_tag;
    bool m_unloaded = false;
    bool m_sized = false; // given its client area as created
};

} // namespace Orvik
