#include "document/frmdocument.h"

#include "core/mainwindow.h"
#include "core/module1.h"
#include "document/filedrop.h"
#include "document/filter/filterpane.h"
#include "document/twips.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QFile>
#include <QIcon>
#include <QMdiArea>
#include <QPainter>
#include <QPixmap>
#include <QSplitter>

namespace Orvik {

namespace {
// The client area until the window is placed.
constexpr double CreatedClientWidthTwips = 3375;
constexpr double CreatedClientHeightTwips = 2730;
} // namespace

frmDocument::frmDocument(Module1 &module, QWidget *parent)
    : QMdiSubWindow(parent)
    , m_module(module)
    , m_client(new QWidget)
    , m_rtfText(new RichTextView(m_client)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("frmDocument"));
    setWindowIcon(documentIcon());
    setWidget(m_client);
    m_client->installEventFilter(this);
    m_client->setFocusProxy(m_rtfText);
    m_rtfText->setObjectName(QStringLiteral("rtfText"));
    m_rtfText->setGeometry(twipsToPixelsX(100, this), twipsToPixelsY(100, this),
                           twipsToPixelsX(3000, this), twipsToPixelsY(2000, this));
    m_rtfText->setRightMargin(0);
    m_rtfText->setVisible(false);
    connect(m_rtfText, &RichTextView::oleDragOver, this, &frmDocument::rtfText_OLEDragOver);
    connect(m_rtfText, &RichTextView::oleDragDrop, this, &frmDocument::rtfText_OLEDragDrop);
}

frmDocument::~frmDocument() = default;

RichTextView &frmDocument::rtfText() {
    return *m_rtfText;
}

void frmDocument::setCaption(const QString &caption) {
    setWindowTitle(caption);
}

QString frmDocument::caption() const {
    return windowTitle();
}

void frmDocument::setTag(const QString &tag) {
    m_tag = tag;
}

QString frmDocument::tag() const {
    return m_tag;
}

bool frmDocument::moveTo(const QRect &pixels) {
    if (pixels.width() <= 0 || pixels.height() <= 0)
        return false;
    m_sized = true;
    setGeometry(pixels);
    return true;
}

void frmDocument::activate() {
    if (QMdiArea *area = mdiArea())
        area->setActiveSubWindow(this);
    else
        activateWindow();
    raise();
    m_rtfText->setFocus();
}

void frmDocument::showReading(bool reading) {
    if (reading)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
    m_rtfText->viewport()->setCursor(reading ? Qt::BusyCursor : Qt::IBeamCursor);
}

void frmDocument::showFilter(const std::shared_ptr<FilterHistory> &history) {
    if (!m_filterPane) {
        m_splitter = new QSplitter(Qt::Vertical, m_client);
        m_splitter->setObjectName(QStringLiteral("filterSplitter"));
        m_splitter->setChildrenCollapsible(false);
        m_splitter->setGeometry(m_rtfText->geometry());
        m_splitter->addWidget(m_rtfText);
        m_filterPane = new FilterPane(*m_rtfText, history);
        m_filterPane->hide();
        m_splitter->addWidget(m_filterPane);
        m_splitter->setStretchFactor(0, 2);
        m_splitter->setStretchFactor(1, 1);
        m_splitter->show();
        connect(m_filterPane, &FilterPane::dismissed, m_rtfText, [this] { m_rtfText->setFocus(); });
    }
    const bool opening = m_filterPane->isHidden();
    m_filterPane->open();
    if (opening) {
        const int height = m_splitter->height();
        m_splitter->setSizes({height - height / 3, height / 3});
    }
}

// Keeps rtfText (with the filter, the split of rtfText and its filter) 100 twips inside the
// client area on every side and wrapping at its width. A client area too small for that leaves
// the box where it is (the size is refused).
void frmDocument::Form_Resize() {
    const double scaleWidth = pixelsToTwipsX(m_client->width(), this);
    const double scaleHeight = pixelsToTwipsY(m_client->height(), this);
    const int width = twipsToPixelsX(scaleWidth - 200, this);
    const int height = twipsToPixelsY(scaleHeight - 200, this);
    QWidget *box = m_splitter ? static_cast<QWidget *>(m_splitter) : m_rtfText;
    if (width > 0 && height > 0)
        box->setGeometry(twipsToPixelsX(100, this), twipsToPixelsY(100, this), width, height);
    m_rtfText->setRightMargin(box->width());
}

void frmDocument::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (m_module.MainForm)
        m_module.MainForm->timerUpdate().setEnabled(false);
    m_rtfText->setText(Contents());
    m_module.RemoveDocument(m_tag.toInt());
    if (m_module.MainForm)
        m_module.MainForm->timerUpdate().setEnabled(true);
}

void frmDocument::rtfText_OLEDragOver(QDragMoveEvent *event) {
    answerFileDrag(event);
}

void frmDocument::rtfText_OLEDragDrop(QDropEvent *event) {
    takeFileDrop(m_module, event);
}

void frmDocument::resizeEvent(QResizeEvent *event) {
    QMdiSubWindow::resizeEvent(event);
    Form_Resize();
}

void frmDocument::showEvent(QShowEvent *event) {
    // The frame is known once the window is in the workspace; placing it comes after.
    if (!m_sized) {
        m_sized = true;
        const QMargins frame = contentsMargins();
        resize(twipsToPixelsX(CreatedClientWidthTwips, this) + frame.left() + frame.right(),
               twipsToPixelsY(CreatedClientHeightTwips, this) + frame.top() + frame.bottom());
    }
    QMdiSubWindow::showEvent(event);
}

void frmDocument::closeEvent(QCloseEvent *event) {
    // Every way of closing (close box, Ctrl+F4, the main window closing) comes here.
    QMdiSubWindow::closeEvent(event);
    if (!event->isAccepted())
        return;
    Form_Unload();
}

void frmDocument::setLogColor(const QColor &color) {
    if (color == m_logColor)
        return;
    m_logColor = color;
    m_client->update();
}

bool frmDocument::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_client && event->type() == QEvent::Resize)
        Form_Resize();
    if (watched == m_client && event->type() == QEvent::Paint && m_logColor.isValid()) {
        const QWidget *box = m_splitter ? static_cast<QWidget *>(m_splitter) : m_rtfText;
        QPainter painter(m_client);
        painter.fillRect(QRect(0, 0, qMax(3, box->x() - 1), m_client->height()), m_logColor);
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

void frmDocument::showAlert(bool alerted) {
    if (alerted == m_alerted)
        return;
    m_alerted = alerted;
    const QString alert = QStringLiteral(":/icons/alert.svg");
    setWindowIcon(alerted && QFile::exists(alert) ? QIcon(alert) : documentIcon());
}

QIcon frmDocument::documentIcon() {
    const QString bundled = QStringLiteral(":/icons/document.svg");
    if (QFile::exists(bundled))
        return QIcon(bundled);
    // A plain grey sheet of paper with its top right corner folded.
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal s = size / 16.0;
        const QPolygonF sheet({QPointF(3 * s, 1 * s), QPointF(10 * s, 1 * s),
                               QPointF(13 * s, 4 * s), QPointF(13 * s, 15 * s),
                               QPointF(3 * s, 15 * s)});
        painter.setPen(QPen(QColor(96, 96, 96), s));
        painter.setBrush(QColor(192, 192, 192));
        painter.drawPolygon(sheet);
        const QPolygonF fold(
            {QPointF(10 * s, 1 * s), QPointF(10 * s, 4 * s), QPointF(13 * s, 4 * s)});
        painter.setBrush(QColor(224, 224, 224));
        painter.drawPolygon(fold);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace Orvik
