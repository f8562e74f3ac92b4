#pragma once

#include "core/merge/mergedrows.h"
#include "document/frmdocument.h"
#include "document/merged/mergebuild.h"
#include "document/merged/mergedrowlist.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

namespace Orvik {

class Module1;
class RichTextView;

// The open documents' lines in the order of their times, kept in step with their windows.
// Each document window followed is a log with a source number of the list, given in the
// order the windows were opened, so that lines of the same time keep the documents' slot
// order. A document whose lines carry no time is left out (and counted). Every change costs
// what changed: an append adds that log's new lines, a replaced text takes that log's rows out
// and merges its new text, a closed window's rows go; the other logs' rows are left alone.
// Merges of more than sliceLines() lines at once run on a MergeBuild, the rows shown as each
// log's come.
//
// The list holds whole lines, and the last line while it has text and no line feed yet; when
// its time changes as it grows, that log is merged again.
class MergedLogs : public QObject, public MergedRowList {
    Q_OBJECT

public:
    static constexpr qint64 DefaultSliceLines = 200 * 1000;
    // Rows show and copy at most this many bytes of a line.
    static constexpr qint64 RowBytes = 4096;

    struct Log {
        QPointer<frmDocument> document;
        int source = -1;
        QString tag; // the file's name, or the command
        QColor color;
        SharedLineTimes times; // those the list's rows of this log were merged with
        qint64 lines = 0;      // the lines [0, lines) are in the list
        qint64 openTime = 0;   // the time the last of them had, when it had no line feed
        bool open = false;
        bool stale = false; // its text was replaced: its rows go and it is merged again
    };

    explicit MergedLogs(Module1 &module, QObject *parent = nullptr);
    ~MergedLogs() override;

    // Follows every document window of the table, in slot order.
    void trackAll();
    // Follows one more document window.
    void track(frmDocument &document);

    const MergedRows &rows() const { return m_rows; }
    // The log of a source number, or nullptr.
    const Log *log(int source) const;
    // The logs followed, in source order.
    std::vector<const Log *> logs() const;
    // Logs whose rows are in the list, and documents left out as their lines have no time.
    int mergedCount() const;
    int withoutTimesCount() const;
    // While a build runs: the logs it has merged and the number it merges.
    bool isBuilding() const { return m_build != nullptr; }
    QString caption() const;

    // The line of a row as its document's view shows it (at most RowBytes of it, control
    // bytes as placeholders), or `whole` as Copy takes it; empty once its document closed.
    QString lineText(const MergedRows::Row &row, bool whole = false) const;
    qint64 lineBytes(const MergedRows::Row &row) const;
    QString tagOf(int source) const;
    QColor colorOf(int source) const;
    // The view of a source's document, or nullptr.
    RichTextView *viewOf(int source) const;
    // The times of a view's lines when it has any; nullptr for an empty text, whose index is
    // never asked for (no time index is made of nothing).
    static SharedLineTimes timesOf(const RichTextView &view);
    static bool hasTimes(const RichTextView &view);

    void setSliceLines(qint64 lines) { m_sliceLines = lines; }
    // What sliceLines() is for lists made from now on (tests make it small).
    static void setDefaultSliceLines(qint64 lines);

    // MergedRowList
    qint64 rowCount() const override { return m_rows.size(); }
    MergedRows::Row row(qint64 index) const override { return m_rows.at(index); }
    qint64 indexOf(const MergedRows::Row &row) const override;

signals:
    // Rows came or went, or the caption changed.
    void rowsChanged();
    // A log was added or taken away.
    void logsChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Log *find(const frmDocument *document);
    void untrack(frmDocument *document);
    void renumber();
    void update();
    QColor freeColor() const;
    void delivered(quint64 build, const MergedRows &rows, size_t done);

    Module1 &m_module;
    MergedRows m_rows;
    std::vector<Log> m_logs; // in source order
    int m_nextSource = 0;
    qint64 m_sliceLines;
    // The build in flight and what it adds; the list changes only through it meanwhile.
    std::unique_ptr<MergeBuild> m_build;
    std::vector<MergeBuild::Addition> m_building;
    size_t m_built = 0;
    quint64 m_buildSerial = 0;
    bool m_updating = false;
};

} // namespace Orvik
