#include "support/guihost.h"

#include "core/stream/streamsource.h"
#include "document/filter/filterhistory.h"
#include "document/filter/filtermodel.h"
#include "document/filter/filterpane.h"

#include <QComboBox>

using namespace Orvik;

// A command's output into the real document window through the stream's reader thread and
// the refresh cycle's workers, as the program runs it: every part an append, with the
// highlight, the rules and the filter, and saved as the bytes that came.
class tst_CommandOutput : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(StreamSource::waitForAllStopped(std::chrono::seconds(10))); }

    void outputShownAsItCame_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("bytes");
        QByteArray lines;
        for (int i = 1; i <= 300000; ++i)
            lines += QByteArray::number(i) + '\n';
        QTest::newRow("many parts") << "seq 1 300000" << lines;
        QTest::newRow("binary shown as bytes")
            << "printf 'a\\000b\\377\\n7777'" << QByteArray("a\0b\xff\n7777", 9);
    }
    void outputShownAsItCame() {
        QFETCH(QString, command);
        QFETCH(QByteArray, bytes);
        GuiHost h;
        h.show();
        h.module().setBackgroundCycles(true);
        h.module().HighLightString = QStringLiteral("7777");
        h.module().setHighlightRules({HighlightRule::fromText("\"99\",0,0,#1f77b4,1,0").value()});
        h.module().OpenCommand(command);
        h.document(1)->showFilter(std::make_shared<FilterHistory>());
        FilterPane &pane = *h.document(1)->filterPane();
        pane.filterBox().setEditText(QStringLiteral("7777"));
        QTRY_VERIFY_WITH_TIMEOUT(h.document(1)->windowTitle().endsWith("ended with status 0"),
                                 20000);
        QCOMPARE(h.view(1).text().toByteArray(), bytes);
        int matching = 0;
        for (const QByteArray &line : bytes.split('\n'))
            matching += line.contains("7777");
        QTRY_COMPARE(pane.model().rowCount(), matching);
        QVERIFY(!h.view(1).layerMarks(HighlightLayer)->isEmpty());
        const SharedMarks ruleMarks = h.view(1).layerMarks(FirstRuleLayer);
        QCOMPARE(ruleMarks && !ruleMarks->isEmpty(), bytes.contains("99"));
        const QString saved = h.files.path(QStringLiteral("saved"));
        QVERIFY(h.view(1).SaveFile(saved, 1));
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
    }
};

QTEST_MAIN(tst_CommandOutput)
#include "tst_commandoutput.moc"
