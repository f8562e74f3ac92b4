// Highlight rules as the user sees them: each rule's colour on the text or the lines it
// marks, the first rule above the later ones and the highlight's red above all, through the
// refresh cycle on the user-interface thread and on the workers.
#include "support/guihost.h"

#include "core/refreshcycle.h"
#include "core/rules/highlightrule.h"

#include "document/view/viewpainter.h"

using namespace Orvik;

namespace {

std::vector<HighlightRule> rulesFrom(const QStringList &lines) {
    std::vector<HighlightRule> rules;
    for (const QString &line : lines) {
        const std::optional<HighlightRule> rule = HighlightRule::fromText(line);
        if (!rule)
            qFatal("bad rule in a test: %s", qPrintable(line));
        rules.push_back(*rule);
    }
    return rules;
}

// One character per byte: '.' unmarked, 'R' the highlight's red, 'a' the colour of the
// first rule, 'b' of the second... (rules of a row have distinct colours).
QByteArray colourMap(const std::vector<ViewMarks::Run> &runs, qint64 size,
                     const std::vector<HighlightRule> &rules) {
    QByteArray map(size, '.');
    for (const ViewMarks::Run &run : runs) {
        char c = '?';
        if (run.color == HighlightColor)
            c = 'R';
        for (size_t i = 0; i < rules.size(); ++i)
            if (rules[i].color == run.color)
                c = char('a' + i);
        for (qint64 i = run.start; i < run.end && i < size; ++i)
            map[i] = c;
    }
    return map;
}

} // namespace

class tst_HighlightRules : public QObject {
    Q_OBJECT

    std::unique_ptr<GuiHost> h;

    // Opens a log of `first`, appends `more` to it and gives the text and background maps. A
    // '|' in `more` ends one refresh: the parts are appended one refresh each, an empty part
    // is a refresh that finds the file as it was.
    std::pair<QByteArray, QByteArray> shown(const std::vector<HighlightRule> &rules,
                                            const QString &highlight, const QByteArray &first,
                                            const QByteArray &more, bool onWorkers) {
        h = std::make_unique<GuiHost>();
        h->module().setBackgroundCycles(onWorkers);
        h->module().refreshCycle().setMarkPassApart(0);
        h->module().setHighlightRules(rules);
        h->module().HighLightString = highlight;
        h->module().HighLightPending = true;
        h->files.write("rules.log", first);
        h->open("rules.log");
        for (const QByteArray &part : more.isEmpty() ? QByteArrayList() : more.split('|')) {
            if (!part.isEmpty())
                h->files.append("rules.log", part);
            h->cycle();
        }
        const ViewMarks &marks = h->view(1).marks();
        const qint64 size = h->view(1).viewText().size();
        return {colourMap(marks.runs(0, size), size, rules),
                colourMap(marks.backgroundRuns(0, size), size, rules)};
    }

private slots:
    void coloursShown_data() {
        QTest::addColumn<QStringList>("rules");
        QTest::addColumn<QString>("highlight");
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("appended");
        QTest::addColumn<QByteArray>("expectedText");
        QTest::addColumn<QByteArray>("expectedBackground");
        const QString blue = "\"ERROR\",0,0,#0000ff,0,0";
        QTest::newRow("first rule wins where two overlap")
            << QStringList{blue, "\"ROR x\",0,0,#00ff00,0,0"} << "" << QByteArray("ERROR x\n")
            << QByteArray() << QByteArray("aaaaabb.") << QByteArray("........");
        QTest::newRow("a later rule shows where the first marks nothing")
            << QStringList{"\"x\",0,0,#00ff00,0,0", blue} << "" << QByteArray("ERROR x\n")
            << QByteArray() << QByteArray("bbbbb.a.") << QByteArray("........");
        QTest::newRow("a later rule keeps its colour beside the part the first takes")
            << QStringList{"\"WARN\",1,0,#ffa500,0,0", "\"(req|WARN)-\\\\d+\",0,1,#0000ff,0,0"}
            << "" << QByteArray("code WARN-17 seen\n") << QByteArray()
            << QByteArray(".....aaaabbb......") << QByteArray("..................");
        QTest::newRow("a rule keeps its colour beside the highlight's red")
            << QStringList{"\"(req|WARN)-\\\\d+\",0,1,#0000ff,0,0"} << "req-42"
            << QByteArray("req-4242\n") << QByteArray() << QByteArray("RRRRRRaa.")
            << QByteArray(".........");
        QTest::newRow("whole line colours the background of matching lines")
            << QStringList{"\"ERROR\",0,0,#ffa500,1,0"} << "" << QByteArray("ok\nan ERROR\nok\n")
            << QByteArray() << QByteArray("...............") << QByteArray("...aaaaaaaaa...");
        QTest::newRow("whole-line and text rules show together")
            << QStringList{"\"ERROR\",0,0,#ffa500,1,0", "\"id=7\",0,0,#0000ff,0,0"} << ""
            << QByteArray("ERROR id=7\nid=7\n") << QByteArray() << QByteArray("......bbbb.bbbb.")
            << QByteArray("aaaaaaaaaaa.....");
        QTest::newRow("the highlight's red above the rules")
            << QStringList{blue} << "err" << QByteArray("ERROR\n") << QByteArray()
            << QByteArray("RRRaa.") << QByteArray("......");
        QTest::newRow("plain text folds case as the highlight does")
            << QStringList{"\"error\",0,0,#0000ff,0,0"} << "" << QByteArray("Error ERROR\n")
            << QByteArray() << QByteArray("aaaaa.aaaaa.") << QByteArray("............");
        QTest::newRow("plain text folds letters beyond ASCII")
            << QStringList{"\"ÉCHEC\",0,0,#0000ff,0,0"} << "" << QByteArray("échec\n")
            << QByteArray() << QByteArray("aaaaaa.") << QByteArray(".......");
        QTest::newRow("Match case matches byte for byte")
            << QStringList{"\"Error\",1,0,#0000ff,0,0"} << "" << QByteArray("Error ERROR\n")
            << QByteArray() << QByteArray("aaaaa.......") << QByteArray("............");
        QTest::newRow("overlapping occurrences are all marked")
            << QStringList{"\"aa\",0,0,#0000ff,0,0"} << "" << QByteArray("aaa b\n") << QByteArray()
            << QByteArray("aaa...") << QByteArray("......");
        QTest::newRow("regular expression")
            << QStringList{"\"\\\\d+ ms\",0,1,#0000ff,0,0"} << "" << QByteArray("took 250 ms\n")
            << QByteArray() << QByteArray(".....aaaaaa.") << QByteArray("............");
        QTest::newRow("regular expression match is cut at its line's end")
            << QStringList{"\"x\\\\s+y\",0,1,#0000ff,0,0"} << "" << QByteArray("x\ny\n")
            << QByteArray() << QByteArray("a...") << QByteArray("....");
        QTest::newRow("regular expression marks whole lines")
            << QStringList{"\"^W\",1,1,#0000ff,1,0"} << "" << QByteArray("Warn\nok\nW\nw\n")
            << QByteArray() << QByteArray("............") << QByteArray("aaaaa...aa..");
        QTest::newRow("appended text is marked")
            << QStringList{blue} << "" << QByteArray("ok\n") << QByteArray("ERROR\n")
            << QByteArray("...aaaaa.") << QByteArray(".........");
        QTest::newRow("a match split across appends is marked")
            << QStringList{blue} << "" << QByteArray("an ERR") << QByteArray("OR here\n")
            << QByteArray("...aaaaa......") << QByteArray("..............");
        QTest::newRow("a line split across appends is marked whole")
            << QStringList{"\"ERROR\",0,0,#ffa500,1,0"} << "" << QByteArray("ok\nan ER")
            << QByteArray("ROR\nok\n") << QByteArray("...............")
            << QByteArray("...aaaaaaaaa...");
        QTest::newRow("an unfinished line's marks are replaced as it grows")
            << QStringList{"\"ERROR(?!: retrying)\",1,1,#0000ff,0,0",
                           "\"ERROR(?!: retrying)\",1,1,#00ff00,1,0"}
            << "" << QByteArray("a ERROR") << QByteArray(": retrying\n")
            << QByteArray("..................") << QByteArray("..................");
        QTest::newRow("an unfinished line's match grows with it")
            << QStringList{"\"req-\\\\d+\",1,1,#0000ff,0,0"} << "" << QByteArray("id req-4")
            << QByteArray("2|1 ok\n") << QByteArray("...aaaaaaa....")
            << QByteArray("..............");
        QTest::newRow("blanks only mark nothing")
            << QStringList{"\"  \",0,0,#0000ff,0,0"} << "" << QByteArray("a  b\n") << QByteArray()
            << QByteArray(".....") << QByteArray(".....");
        QTest::newRow("a refused expression marks nothing")
            << QStringList{"\"(\",0,1,#0000ff,0,0"} << "" << QByteArray("(a)\n") << QByteArray()
            << QByteArray("....") << QByteArray("....");
    }

    void coloursShown() {
        QFETCH(QStringList, rules);
        QFETCH(QString, highlight);
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, appended);
        QFETCH(QByteArray, expectedText);
        QFETCH(QByteArray, expectedBackground);
        for (const bool onWorkers : {false, true}) {
            const auto [text, background] =
                shown(rulesFrom(rules), highlight, first, appended, onWorkers);
            QCOMPARE(text, expectedText);
            QCOMPARE(background, expectedBackground);
            // The accessible text tells the same colour runs, from any offset in them.
            const ViewMarks &marks = h->view(1).marks();
            const qint64 size = expectedText.size();
            std::vector<ViewMarks::Run> told;
            for (qint64 at = 0; at < size;) {
                const ViewMarks::Run run = marks.runAt(at, size);
                QVERIFY(run.start <= at && at < run.end);
                if (run.color != ViewMarks::NoColor)
                    told.push_back(run);
                at = run.end;
            }
            QCOMPARE(colourMap(told, size, rulesFrom(rules)), expectedText);
        }
    }

    // A change of rules marks every document anew: colours of rules gone go with them.
    void changeOfRules_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QByteArray>("expectedText");
        QTest::addColumn<QByteArray>("expectedBackground");
        const QString error = "\"ERROR\",0,0,#0000ff,0,0";
        const QString warnLine = "\"WARN\",0,0,#00ff00,1,0";
        QTest::newRow("a rule added marks the whole text")
            << QStringList{} << QStringList{error} << QByteArray("aaaaa.....")
            << QByteArray("..........");
        QTest::newRow("a rule removed takes its colours away")
            << QStringList{error, warnLine} << QStringList{warnLine} << QByteArray("..........")
            << QByteArray("......aaaa");
        QTest::newRow("all rules removed") << QStringList{error, warnLine} << QStringList{}
                                           << QByteArray("..........") << QByteArray("..........");
        QTest::newRow("a rule's colour changed")
            << QStringList{error} << QStringList{"\"ERROR\",0,0,#ff00ff,0,0"}
            << QByteArray("aaaaa.....") << QByteArray("..........");
    }

    void changeOfRules() {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(QByteArray, expectedText);
        QFETCH(QByteArray, expectedBackground);
        for (const bool onWorkers : {false, true}) {
            shown(rulesFrom(before), QString(), "ERROR\nWARN", QByteArray(), onWorkers);
            const std::vector<HighlightRule> rules = rulesFrom(after);
            h->module().setHighlightRules(rules);
            h->cycle();
            const ViewMarks &marks = h->view(1).marks();
            QCOMPARE(colourMap(marks.runs(0, 10), 10, rules), expectedText);
            QCOMPARE(colourMap(marks.backgroundRuns(0, 10), 10, rules), expectedBackground);
        }
    }

    // Without rules nothing besides the highlight's layer is ever made.
    void noRulesNoRuleLayers() {
        shown({}, "ok", "ok\n", "more ok\n", true);
        QVERIFY(h->view(1).marks().layer(HighlightLayer));
        QVERIFY(!h->view(1).marks().layer(FirstRuleLayer));
        QCOMPARE(h->view(1).marks().layerStyle(HighlightLayer), LayerStyle());
    }

    void alertRaised_data() {
        QTest::addColumn<QStringList>("rules");
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("appended"); // an empty one rewrites the file instead
        QTest::addColumn<QStringList>("alerts");  // lines raised
        const QString alert = "\"ERROR\",0,0,#0000ff,0,1";
        QTest::newRow("the first matching line of an append")
            << QStringList{alert} << QByteArray("ERROR old\n")
            << QByteArray("ok\nan ERROR\nERROR 2\n") << QStringList{"an ERROR"};
        QTest::newRow("the first line of any alert rule")
            << QStringList{alert, "\"^W\",1,1,#00ff00,1,1"} << QByteArray("start\n")
            << QByteArray("ok\nW1\nERROR\n") << QStringList{"W1"};
        QTest::newRow("a rule without Alert raises none")
            << QStringList{"\"ERROR\",0,0,#0000ff,0,0"} << QByteArray("start\n")
            << QByteArray("ERROR\n") << QStringList();
        QTest::newRow("an opened or rewritten text raises none")
            << QStringList{alert} << QByteArray("ERROR\n") << QByteArray() << QStringList();
        QTest::newRow("a line completed by an append, whole, without its CR")
            << QStringList{alert} << QByteArray("one ER") << QByteArray("ROR two\r\n")
            << QStringList{"one ERROR two"};
        QTest::newRow("an unfinished line raises none until it is complete")
            << QStringList{"\"ERROR(?!: retrying)\",1,1,#0000ff,0,1"} << QByteArray("start\n")
            << QByteArray("...ERROR|: retrying\nERROR|: retrying\n") << QStringList();
        QTest::newRow("a line written in two parts raises one alert")
            << QStringList{"\"ERROR\",0,0,#0000ff,1,1"} << QByteArray("start\n")
            << QByteArray("ERROR disk| full\n") << QStringList{"ERROR disk full"};
        QTest::newRow("an unfinished line that stops growing raises its alert once")
            << QStringList{alert} << QByteArray("start\n") << QByteArray("disk ERROR||| full\nok\n")
            << QStringList{"disk ERROR"};
        QTest::newRow("a long line cut at 200 characters")
            << QStringList{alert} << QByteArray("start\n") << "ERROR " + QByteArray(300, 'x') + "\n"
            << QStringList{"ERROR " + QString(194, 'x')};
        QTest::newRow("a line not UTF-8 shown a character per byte")
            << QStringList{alert} << QByteArray("start\n") << QByteArray("ERROR \xe9t\xe9\n")
            << QStringList{"ERROR \u00e9t\u00e9"};
    }
    void alertRaised() {
        QFETCH(QStringList, rules);
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, appended);
        QFETCH(QStringList, alerts);
        shown(rulesFrom(rules), QString(), first, appended, true);
        if (appended.isEmpty()) {
            h->files.write("rules.log", "ERROR rewritten\n");
            h->cycle();
        }
        QStringList lines;
        for (const QString &raised : h->alerts)
            lines << raised.mid(h->files.path("rules.log").size() + 2);
        QCOMPARE(lines, alerts);
    }

    void wholeLinePaintsItsRows() {
        shown(rulesFrom({"\"ERROR\",0,0,#0000ff,1,0"}), QString(), "ok\nERROR\nok\n", {}, false);
        h->show();
        const QImage image = h->view(1).viewport()->grab().toImage();
        const QColor tint = backgroundTint(HighlightRule::colorFromText("#0000ff").value());
        int rows = 0;
        for (int y = 0; y < image.height(); ++y)
            rows += image.pixelColor(image.width() - 2, y) == tint;
        QVERIFY(rows > 4);
        QVERIFY(rows < image.height() / 2);
    }
};

QTEST_MAIN(tst_HighlightRules)
#include "tst_highlightrules.moc"
