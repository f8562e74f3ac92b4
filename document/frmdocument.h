#pragma once

#include "core/documentwindow.h"
#include "document/view/richtextview.h"

#include <QColor>
#include <QMdiSubWindow>

#include <memory>

class QDragMoveEvent;
class QDropEvent;
class QIcon;
class QSplitter;

namespace Orvik {

class FilterHistory;
class FilterPane;
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
    void showReading(bool reading) override;

    // Shows, or no more, that an alert rule matched in the window's text while it was out of
    // sight: the alert icon in place of the document's.
    void showAlert(bool alerted);
    bool isAlerted() const { return m_alerted; }
    // The colour that stands for the document in the window of all logs by time, shown as a
    // stripe down the left margin of the window; an invalid colour shows none.
    void setLogColor(const QColor &color);
    QColor logColor() const { return m_logColor; }

    // Opens the filter under the view, the two split by a bar that can be dragged. The pane is
    // made on first use: until then the window holds the view alone.
    void showFilter(const std::shared_ptr<FilterHistory> &history);
    // The filter pane, or nullptr before the filter was first opened.
    FilterPane *filterPane() const { return m_filterPane; }

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
    QSplitter *m_splitter = nullptr; // holds rtfText and the filter pane once the filter opened
    FilterPane *m_filterPane = nullptr;
    QString m_tag;
    QColor m_logColor;
    bool m_unloaded = false;
    bool m_sized = false; // given its client area as created
    bool m_alerted = false;
};

} // namespace Orvik
