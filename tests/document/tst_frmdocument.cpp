#include "support/guihost.h"

#include "document/twips.h"

#include <QMdiArea>

using namespace Orvik;

// The document window: its view fitted with a margin, its placement, and its slot given back
// however it closes.
class tst_frmDocument : public QObject {
    Q_OBJECT
    std::unique_ptr<GuiHost> h;

private slots:
    void init() {
        h = std::make_unique<GuiHost>();
        h->show();
        for (const char *name : {"1.log", "2.log", "3.log"}) {
            h->files.write(name, name);
            h->open(name);
        }
    }

    void viewFitsTheClientAreaWithAMargin() {
        frmDocument *window = h->document(1);
        window->resize(800, 120);
        const QWidget *client = window->widget();
        const QRect box = window->rtfText().geometry();
        const int x = twipsToPixelsX(100, window), y = twipsToPixelsY(100, window);
        QCOMPARE(box,
                 QRect(x, y, twipsToPixelsX(pixelsToTwipsX(client->width(), window) - 200, window),
                       twipsToPixelsY(pixelsToTwipsY(client->height(), window) - 200, window)));
        QCOMPARE(window->rtfText().rightMargin(), box.width());
        window->widget()->resize(10, 10); // as while minimised: the view stays as it was
        QCOMPARE(window->rtfText().geometry(), box);
    }

    void placementWithANonPositiveSizeIsRefused() {
        QVERIFY(h->document(1)->moveTo(QRect(10, 20, 300, 200)));
        QVERIFY(!h->document(1)->moveTo(QRect(0, 0, 0, 100)) &&
                !h->document(1)->moveTo(QRect(0, 0, 100, -5)));
        QCOMPARE(h->document(1)->geometry(), QRect(10, 20, 300, 200));
    }

    void closingGivesTheSlotBack() {
        QPointer<frmDocument> closing = h->document(2);
        QVERIFY(closing->close());
        QCOMPARE(h->module().DocCount, 2);
        QCOMPARE(closing->rtfText().viewText().size(), qint64(0)); // emptied
        QCOMPARE(h->timer.enabledHistory.back(), true);
        QCOMPARE(h->module().DocFileName[2], h->files.path("3.log"));
        QCOMPARE(h->document(2)->tag(), QStringLiteral("2"));
        QTRY_VERIFY(closing.isNull());       // gone with the event loop
        h->workspace().closeAllSubWindows(); // as at shutdown
        QCOMPARE(h->module().DocCount, 0);
        QVERIFY(h->timer.isEnabled());
    }
};

QTEST_MAIN(tst_frmDocument)
#include "tst_frmdocument.moc"
