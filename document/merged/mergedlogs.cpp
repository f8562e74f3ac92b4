#include "document/merged/mergedlogs.h"

#include "core/module1.h"
#include "document/frmdocument.h"
#include "document/view/richtextview.h"

#include <QEvent>
#include <QFileInfo>
#include <QScopedValueRollback>

#include <algorithm>
#include <array>

namespace Orvik {

namespace {
// Colours told apart on a light background, one a log, in the order they are given out.
const std::array<QColor, 10> LogColors = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28),
                                          QColor(0x2c, 0xa0, 0x2c), QColor(0x94, 0x67, 0xbd),
                                          QColor(0xff, 0x7f, 0x0e), QColor(0x8c, 0x56, 0x4b),
                                          QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0xbe, 0xcf),
                                          QColor(0x7f, 0x7f, 0x7f), QColor(0xbc, 0xbd, 0x22)};

// The lines of a view the list takes: all but the empty one after a last line feed.
qint64 wantedLines(const ViewText &text) {
    const qint64 lines = text.lineCount();
    return text.lineStart(lines - 1) == text.size() ? lines - 1 : lines;
}
} // namespace

namespace {
qint64 defaultSliceLines = MergedLogs::DefaultSliceLines;
} // namespace

MergedLogs::MergedLogs(Module1 &module, QObject *parent)
    : QObject(parent)
    , m_module(module)
    , m_sliceLines(defaultSliceLines) {}

void MergedLogs::setDefaultSliceLines(qint64 lines) {
    defaultSliceLines = lines;
}

// The build ends before the logs it reads go; the windows lose their stripes.
MergedLogs::~MergedLogs() {
    m_build.reset();
    for (Log &log : m_logs) {
        if (log.document) {
            log.document->removeEventFilter(this);
            log.document->setLogColor(QColor());
        }
    }
}

void MergedLogs::trackAll() {
    for (int slot = 1; slot <= m_module.DocCount; ++slot)
        if (auto *document = dynamic_cast<frmDocument *>(m_module.DocWindow[slot]))
            track(*document);
}

void MergedLogs::track(frmDocument &document) {
    if (find(&document))
        return;
    Log log;
    log.document = &document;
    log.source = m_nextSource++;
    log.color = freeColor();
    m_logs.push_back(log);
    RichTextView &view = document.rtfText();
    connect(&view, &RichTextView::appended, this, &MergedLogs::update);
    connect(&view, &RichTextView::replaced, this, [this, document = &document] {
        if (Log *replaced = find(document))
            replaced->stale = true;
        update();
    });
    document.installEventFilter(this);
    if (m_nextSource > MergedRows::MaxSources)
        renumber();
    emit logsChanged();
    update();
}

// Every way of closing a document window comes through its close event, before its text goes.
bool MergedLogs::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Close)
        if (auto *document = qobject_cast<frmDocument *>(watched))
            untrack(document);
    return QObject::eventFilter(watched, event);
}

void MergedLogs::untrack(frmDocument *document) {
    const auto found = std::find_if(m_logs.begin(), m_logs.end(), [document](const Log &log) {
        return log.document == document;
    });
    if (found == m_logs.end())
        return;
    m_logs.erase(found);
    disconnect(&document->rtfText(), nullptr, this, nullptr);
    document->removeEventFilter(this);
    document->setLogColor(QColor());
    emit logsChanged();
    update();
}

MergedLogs::Log *MergedLogs::find(const frmDocument *document) {
    for (Log &log : m_logs)
        if (log.document == document)
            return &log;
    return nullptr;
}

const MergedLogs::Log *MergedLogs::log(int source) const {
    for (const Log &log : m_logs)
        if (log.source == source)
            return log.document ? &log : nullptr;
    return nullptr;
}

std::vector<const MergedLogs::Log *> MergedLogs::logs() const {
    std::vector<const Log *> all;
    for (const Log &log : m_logs)
        if (log.document)
            all.push_back(&log);
    return all;
}

// Source numbers run out after MaxSources windows opened: the logs open are numbered again
// from 0 in their order and merged anew.
void MergedLogs::renumber() {
    m_build.reset();
    m_building.clear();
    m_rows = MergedRows();
    m_nextSource = 0;
    for (Log &log : m_logs) {
        log.source = m_nextSource++;
        log.times.reset();
        log.lines = 0;
        log.open = false;
        log.stale = false;
    }
}

QColor MergedLogs::freeColor() const {
    for (const QColor &color : LogColors) {
        const bool used = std::any_of(m_logs.begin(), m_logs.end(),
                                      [&color](const Log &log) { return log.color == color; });
        if (!used)
            return color;
    }
    return LogColors[size_t(m_nextSource) % LogColors.size()];
}

// Works out what changed since the list was last brought up to date, log by log, and merges
// only that: on this thread when it is small, else on a build, which the list waits for.
void MergedLogs::update() {
    if (m_build || m_updating)
        return;
    const QScopedValueRollback<bool> updating(m_updating, true);
    bool changed = false;
    // Rows of logs no longer followed.
    for (int source = 0; source < MergedRows::MaxSources; ++source) {
        if (m_rows.rowsOf(source) > 0 && !log(source)) {
            m_rows = m_rows.without(source);
            changed = true;
        }
    }
    struct Pending {
        Log *log;
        MergeBuild::Addition addition;
        bool open;
        qint64 openTime;
    };
    std::vector<Pending> pending;
    qint64 total = 0;
    for (Log &log : m_logs) {
        if (!log.document)
            continue;
        const RichTextView &view = log.document->rtfText();
        const SharedLineTimes times = timesOf(view);
        const bool hasTimes = times && times->hasTimes();
        // The stripe shows in the windows of the logs merged.
        log.document->setLogColor(hasTimes ? log.color : QColor());
        const qint64 wanted = hasTimes ? qMin(wantedLines(view.viewText()), times->lineCount()) : 0;
        // A replaced text, a shrunk one, or a last line whose time changed as it grew.
        if (log.stale || wanted < log.lines ||
            (log.open && log.lines > 0 && times->timeOf(log.lines - 1) != log.openTime)) {
            if (m_rows.rowsOf(log.source) > 0) {
                m_rows = m_rows.without(log.source);
                changed = true;
            }
            log.stale = false;
            log.lines = 0;
            log.open = false;
            log.times.reset();
        }
        if (log.tag.isEmpty() && hasTimes) {
            const int slot = log.document->tag().toInt();
            if (slot >= 1 && slot <= m_module.DocCount) {
                const QString &name = m_module.DocFileName[slot];
                log.tag = m_module.DocStream[slot] ? name : QFileInfo(name).fileName();
            }
        }
        if (wanted <= log.lines)
            continue;
        const bool open = wanted == view.viewText().lineCount();
        pending.push_back({&log,
                           {log.source, times, log.lines, wanted},
                           open,
                           open ? times->timeOf(wanted - 1) : 0});
        total += wanted - log.lines;
    }
    if (total > m_sliceLines) {
        std::vector<MergeBuild::Addition> additions;
        m_building.clear();
        for (const Pending &p : pending) {
            additions.push_back(p.addition);
            m_building.push_back(p.addition);
            // The state the log will have once its rows are delivered.
            p.log->open = p.open;
            p.log->openTime = p.openTime;
        }
        m_built = 0;
        const quint64 serial = ++m_buildSerial;
        m_build = std::make_unique<MergeBuild>(
            m_rows, std::move(additions), [this, serial](const MergedRows &rows, size_t done) {
                QMetaObject::invokeMethod(
                    this, [this, serial, rows, done] { delivered(serial, rows, done); },
                    Qt::QueuedConnection);
            });
        emit rowsChanged();
        return;
    }
    for (const Pending &p : pending) {
        const MergeBuild::Addition &a = p.addition;
        m_rows = m_rows.withLines(a.source, a.times, a.from, a.to);
        p.log->times = a.times;
        p.log->lines = a.to;
        p.log->open = p.open;
        p.log->openTime = p.openTime;
        changed = true;
    }
    if (changed)
        emit rowsChanged();
}

void MergedLogs::delivered(quint64 build, const MergedRows &rows, size_t done) {
    if (build != m_buildSerial || !m_build)
        return;
    m_rows = rows;
    for (; m_built < done; ++m_built) {
        const MergeBuild::Addition &a = m_building[m_built];
        for (Log &log : m_logs) {
            if (log.source == a.source) {
                log.times = a.times;
                log.lines = a.to;
            }
        }
    }
    if (done == m_building.size()) {
        m_build.reset();
        m_building.clear();
        // What changed meanwhile: appends, replaced texts, windows opened or closed.
        update();
    }
    emit rowsChanged();
}

int MergedLogs::mergedCount() const {
    int count = 0;
    for (const Log &log : m_logs)
        if (log.document && hasTimes(log.document->rtfText()))
            ++count;
    return count;
}

int MergedLogs::withoutTimesCount() const {
    int count = 0;
    for (const Log &log : m_logs)
        if (log.document && !hasTimes(log.document->rtfText()))
            ++count;
    return count;
}

QString MergedLogs::caption() const {
    const int merged = mergedCount();
    QString caption = QStringLiteral("All Logs by Time - ");
    if (m_build)
        caption += QStringLiteral("merging %1 of %2 logs")
                       .arg(qMax<qint64>(0, merged - qint64(m_building.size() - m_built)))
                       .arg(merged);
    else
        caption += QStringLiteral("%1 logs").arg(merged);
    caption += QStringLiteral(" - %1 lines").arg(m_rows.size());
    if (const int without = withoutTimesCount())
        caption += QStringLiteral(" - %1 without times").arg(without);
    return caption;
}

qint64 MergedLogs::indexOf(const MergedRows::Row &row) const {
    return m_rows.rowOf(row.source, row.line);
}

SharedLineTimes MergedLogs::timesOf(const RichTextView &view) {
    return view.viewText().size() > 0 ? view.lineTimes() : nullptr;
}

bool MergedLogs::hasTimes(const RichTextView &view) {
    const SharedLineTimes times = timesOf(view);
    return times && times->hasTimes();
}

RichTextView *MergedLogs::viewOf(int source) const {
    const Log *found = log(source);
    return found ? &found->document->rtfText() : nullptr;
}

QString MergedLogs::tagOf(int source) const {
    const Log *found = log(source);
    return found ? found->tag : QString();
}

QColor MergedLogs::colorOf(int source) const {
    const Log *found = log(source);
    return found ? found->color : QColor(Qt::gray);
}

qint64 MergedLogs::lineBytes(const MergedRows::Row &row) const {
    const RichTextView *view = viewOf(row.source);
    if (!view || row.line >= view->viewText().lineCount())
        return 0;
    const ViewText &text = view->viewText();
    return text.lineEnd(row.line) - text.lineStart(row.line);
}

QString MergedLogs::lineText(const MergedRows::Row &row, bool whole) const {
    const RichTextView *view = viewOf(row.source);
    QString out;
    if (!view || row.line >= view->viewText().lineCount())
        return out;
    const ViewText &text = view->viewText();
    const qint64 start = text.lineStart(row.line);
    const qint64 end = text.lineEnd(row.line);
    if (whole)
        return text.plainText(start, end);
    decodeBytes(text.data() + start, qMin(end - start, RowBytes), text.isUtf8(row.line), true, out);
    return out;
}

} // namespace Orvik
