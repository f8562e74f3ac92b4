#include "document/merged/frmmerged.h"

#include "document/frmdocument.h"
#include "document/view/textprinter.h"
#include "document/merged/mergedfilterpane.h"
#include "document/merged/mergedview.h"

#include <QSplitter>

namespace Orvik {

frmMerged::frmMerged(Module1 &module, QWidget *parent)
    : QMdiSubWindow(parent)
    , m_logs(module)
    , m_splitter(new QSplitter(Qt::Vertical))
    , m_view(new MergedView(m_logs, m_logs)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmMerged"));
    m_splitter->setObjectName(QStringLiteral("mergedSplitter"));
    m_splitter->setChildrenCollapsible(false);
    m_view->setObjectName(QStringLiteral("mergedRows"));
    m_view->setAccessibleName(QStringLiteral("All logs by time"));
    m_splitter->addWidget(m_view);
    setWidget(m_splitter);
    setFocusProxy(m_view);
    connect(&m_logs, &MergedLogs::rowsChanged, this, &frmMerged::rowsChanged);
    connect(&m_logs, &MergedLogs::logsChanged, m_view, [this] { m_view->viewport()->update(); });
    connect(m_view, &MergedView::rowActivated, this, &frmMerged::showLine);
    m_logs.trackAll();
    rowsChanged();
}

// The filter and the view go before the logs they read.
frmMerged::~frmMerged() {
    delete m_splitter;
}

// The rows are shown in the logs' font, as it is when they change.
void frmMerged::rowsChanged() {
    if (const auto logs = m_logs.logs(); !logs.empty()) {
        const QFont font = logs.front()->document->rtfText().font();
        if (font != m_view->font()) {
            m_view->setFont(font);
            if (m_filterPane)
                m_filterPane->rows().setFont(font);
        }
    }
    setWindowTitle(m_logs.caption());
    m_view->listChanged();
}

void frmMerged::showFilter(const std::shared_ptr<FilterHistory> &history) {
    if (!m_filterPane) {
        m_filterPane = new MergedFilterPane(m_logs, history);
        m_filterPane->hide();
        m_filterPane->rows().setFont(m_view->font());
        m_splitter->addWidget(m_filterPane);
        m_splitter->setStretchFactor(0, 2);
        m_splitter->setStretchFactor(1, 1);
        connect(m_filterPane, &MergedFilterPane::dismissed, m_view, [this] { m_view->setFocus(); });
        connect(m_filterPane, &MergedFilterPane::rowActivated, this, &frmMerged::showLine);
    }
    const bool opening = m_filterPane->isHidden();
    m_filterPane->open();
    if (opening) {
        const int height = m_splitter->height();
        m_splitter->setSizes({height - height / 3, height / 3});
    }
}

const MergedView &frmMerged::copiedView() const {
    if (m_filterPane && m_filterPane->isVisible() && m_filterPane->rows().hasFocus())
        return m_filterPane->rows();
    return *m_view;
}

qint64 frmMerged::copyBytes(qint64 atMost) const {
    return copiedView().copyBytes(atMost);
}

QString frmMerged::copyText() const {
    return copiedView().copyText();
}

bool frmMerged::hasSelection() const {
    return copiedView().selection().first >= 0;
}

bool frmMerged::print(QPrinter &printer) const {
    const QByteArray bytes = copyText().toUtf8();
    Contents contents;
    contents.append(bytes.constData(), bytes.size());
    ViewText text;
    text.setText(contents);
    return TextPrinter(text, ViewMarks(), m_view->font()).print(printer, 0, text.size());
}

void frmMerged::showLine(const MergedRows::Row &row) {
    const MergedLogs::Log *log = m_logs.log(row.source);
    if (!log)
        return;
    frmDocument *document = log->document;
    document->rtfText().selectLineByReader(row.line);
    document->activate();
}

} // namespace Orvik
