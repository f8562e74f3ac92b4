// The lines' times a view shows, worked out on the workers with its line index: an append
// adds only its lines (a time split across two writes is read whole), a replacement
// starts again.
#include "support/guihost.h"

using namespace Orvik;

namespace {
// "HH:mm:ss" on 2026-12-08 in the system zone, or "-" for no time.
QString timeText(qint64 time) {
    return time == NoTime
               ? QStringLiteral("-")
               : QDateTime::fromMSecsSinceEpoch(time).toString(QStringLiteral("HH:mm:ss"));
}
// `count` lines a second apart from 13:00:00 plus `first` seconds, with their number.
QString timedLines(int first, int count) {
    const QDateTime start = QDateTime::fromString("2026-12-08T13:00:00", Qt::ISODate);
    QString lines;
    for (int n = first; n < first + count; ++n)
        lines += start.addSecs(n).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz ")) +
                 QString::number(n) + '\n';
    return lines;
}

// Each line's own time, or the one before it, as the form of the text reads them alone.
QStringList expectedTimes(const QByteArray &text) {
    const TimeForm form = TimeForm::detect(text.constData(), text.size(), QDateTime());
    QStringList times;
    qint64 carry = NoTime;
    for (const QByteArray &line : text.split('\n')) {
        const qint64 time = form.parse(line.constData(), line.size());
        times << timeText(carry = time == NoTime ? carry : time);
    }
    return times;
}
} // namespace

class tst_ViewTimes : public QObject {
    Q_OBJECT

private slots:
    // Each write is a refresh: "+" appends its bytes, "=" writes the file anew.
    void timesAfterEachRead_data() {
        QTest::addColumn<QStringList>("writes");
        // Of every line, the last (maybe empty) too; none: each line's as read alone.
        QTest::addColumn<QStringList>("times");
        const QString a = QStringLiteral("2026-12-08 13:58:40 a\n");
        QTest::newRow("a time split across two writes")
            << QStringList{"=" + a + "2026-12-08 13:5", "+8:42 b\n  at c\n"}
            << QStringList{"13:58:40", "13:58:42", "13:58:42", "13:58:42"};
        QTest::newRow("appends of whole lines")
            << QStringList{"=" + a, "+2026-12-08 13:58:41 b\n", "+2026-12-08 13:58:43 c"}
            << QStringList{"13:58:40", "13:58:41", "13:58:43"};
        QTest::newRow("lines before the first time have none")
            << QStringList{"=starting\n", "+" + a} << QStringList{"-", "13:58:40", "13:58:40"};
        QTest::newRow("a replacement without times drops them")
            << QStringList{"=" + a + a, "=no time here\n"} << QStringList{"-", "-"};
        QTest::newRow("a replacement's own times")
            << QStringList{"=" + a + a + a, "=2026-12-08 14:00:00 x\n"}
            << QStringList{"14:00:00", "14:00:00"};
        // Reads of hundreds of kilobytes have their times found beside the line index.
        QTest::newRow("megabytes opened, then appended, a time split between reads")
            << QStringList{"=" + timedLines(0, 40000),
                           "+" + timedLines(40000, 30000) + "2026-12-08 23:5", "+9:59.000 last\n"}
            << QStringList();
    }
    void timesAfterEachRead() {
        QFETCH(QStringList, writes);
        QFETCH(QStringList, times);
        GuiHost h;
        h.module().setBackgroundCycles(true); // read and indexed on the workers
        for (const QString &write : writes) {
            const QByteArray bytes = write.mid(1).toUtf8();
            if (write.startsWith('='))
                h.files.write("times.log", bytes);
            else
                h.files.append("times.log", bytes);
            if (h.module().DocCount == 0)
                h.open("times.log");
            else
                h.cycle();
        }
        VERIFY_VIEW_EQUALS_FILE(h, 1);
        const RichTextView &view = h.view(1);
        QVERIFY(view.lineTimes());
        QCOMPARE(view.lineTimes()->lineCount(), view.viewText().lineCount());
        QStringList shown;
        for (qint64 line = 0; line < view.viewText().lineCount(); ++line)
            shown << timeText(view.lineTimes()->timeOf(line));
        if (times.isEmpty())
            times = expectedTimes(view.viewText().contents().toByteArray());
        QCOMPARE(shown, times);
        QCOMPARE(view.hasTimes(), times.join(QString()) != QString(times.size(), '-'));
    }
};

QTEST_MAIN(tst_ViewTimes)
#include "tst_viewtimes.moc"
