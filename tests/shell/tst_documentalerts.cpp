// Alerts of the highlight rules: which document windows get one, how it shows (icon, Window
// menu marker, an accessible event) and goes when the window is seen, and the desktop
// notifications, at most once a minute per document by a clock the test moves.
#include "shell/dbusnotifier.h"
#include "shell/desktopnotifier.h"
#include "shell/documentalerts.h"
#include "shell/mainmenus.h"

#include "support/guihost.h"

#include <QAccessible>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>

using namespace Orvik;

namespace {

struct RecordingNotifier : DesktopNotifier {
    struct Shown {
        quint64 key;
        QString summary, body;
    };
    std::vector<Shown> shown;
    void notify(quint64 key, const QString &summary, const QString &body) override {
        shown.push_back({key, summary, body});
    }
    void takeDefaultAction(size_t index) { activated(shown.at(index).key); }
};

} // namespace

class tst_DocumentAlerts : public QObject {
    Q_OBJECT

    std::unique_ptr<GuiHost> h;
    std::unique_ptr<RecordingNotifier> notifier;
    std::unique_ptr<DocumentAlerts> alerts;
    QMenuBar bar;
    std::unique_ptr<MainMenus> menus;
    bool mainActive = true;
    QList<QObject *> accessibleAlerts;

    QStringList windowMenu() {
        menus->updateWindowList();
        QStringList entries;
        for (const QAction *a : menus->windowListActions())
            if (!a->isSeparator())
                entries << a->text();
        return entries;
    }

private slots:

    void init() {
        h = std::make_unique<GuiHost>();
        h->show();
        for (const char *name : {"a.log", "b.log"}) {
            h->files.write(name, "x\n");
            h->open(name);
        }
        h->workspace().setActiveSubWindow(h->document(1));
        notifier = std::make_unique<RecordingNotifier>();
        alerts = std::make_unique<DocumentAlerts>(*h, h->workspace(), h->clock, *notifier);
        alerts->setMainWindowActive([this] { return mainActive; });
        alerts->setAccessibleEvents([this](QAccessibleEvent &event) {
            if (event.type() == QAccessible::Alert)
                accessibleAlerts << event.object();
        });
        menus = std::make_unique<MainMenus>(bar, h->workspace());
        mainActive = true;
        accessibleAlerts.clear();
    }
    void cleanup() {
        menus.reset();
        alerts.reset();
        h.reset();
    }

    void alertShown_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("mainWindowActive");
        QTest::addColumn<bool>("alerted");
        QTest::newRow("a document in the background") << 2 << true << true;
        QTest::newRow("the active document while the main window is not") << 1 << false << true;
        QTest::newRow("not the active document of the active main window") << 1 << true << false;
    }
    void alertShown() {
        QFETCH(int, slot);
        QFETCH(bool, mainWindowActive);
        QFETCH(bool, alerted);
        mainActive = mainWindowActive;
        const qint64 icon = h->document(slot)->windowIcon().cacheKey();
        alerts->raise(*h->document(slot), "/logs/x.log", "an ERROR");
        QCOMPARE(h->document(slot)->isAlerted(), alerted);
        QCOMPARE(h->document(slot)->windowIcon().cacheKey() != icon, alerted);
        const QString caption = h->document(slot)->windowTitle();
        const QString entry = QStringLiteral("&%1 ").arg(slot) +
                              (alerted ? DocumentAlerts::MenuMarker : QString()) + caption;
        QCOMPARE(windowMenu().at(slot - 1), entry);
        QCOMPARE(accessibleAlerts.size(), alerted ? 1 : 0);
        QCOMPARE(int(notifier->shown.size()), alerted ? 1 : 0);
        if (alerted) {
            QCOMPARE(accessibleAlerts.first(), h->document(slot));
            QCOMPARE(notifier->shown.front().body, QStringLiteral("/logs/x.log: an ERROR"));
        }
    }

    void alertGoesWhenTheWindowIsSeen_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("the window activated") << "activate";
        QTest::newRow("the main window activated over it") << "main";
        QTest::newRow("the notification's default action") << "notification";
    }
    void alertGoesWhenTheWindowIsSeen() {
        QFETCH(QString, how);
        frmDocument *document = h->document(how == "main" ? 1 : 2);
        const qint64 icon = document->windowIcon().cacheKey();
        mainActive = false;
        alerts->raise(*document, "/logs/x.log", "an ERROR");
        QVERIFY(document->isAlerted());
        if (how == "activate")
            h->workspace().setActiveSubWindow(document);
        else if (how == "main")
            alerts->mainWindowActivated();
        else
            notifier->takeDefaultAction(0);
        QCOMPARE(h->workspace().activeSubWindow(), document);
        QVERIFY(!document->isAlerted());
        QVERIFY(document->windowIcon().cacheKey() != icon); // the document's own again
        QVERIFY(!windowMenu().join('|').contains(DocumentAlerts::MenuMarker));
    }

    void notificationsAtMostOnceAMinutePerDocument_data() {
        QTest::addColumn<QStringList>("alerts"); // "SECONDS SLOT": an alert at that time
        QTest::addColumn<QStringList>("shown");  // the documents notified, in order
        QTest::newRow("one alert") << QStringList{"0 2"} << QStringList{"b"};
        QTest::newRow("a second within the minute is not shown")
            << QStringList{"0 2", "59 2"} << QStringList{"b"};
        QTest::newRow("a minute later shown again")
            << QStringList{"0 2", "30 2", "60 2"} << QStringList{"b", "b"};
        QTest::newRow("the minute counts from the last notification shown")
            << QStringList{"0 2", "60 2", "90 2", "119 2", "120 2"} << QStringList{"b", "b", "b"};
        QTest::newRow("each document has its own minute")
            << QStringList{"0 2", "1 1", "2 2", "3 1"} << QStringList{"b", "a"};
    }
    void notificationsAtMostOnceAMinutePerDocument() {
        QFETCH(QStringList, alerts);
        QFETCH(QStringList, shown);
        mainActive = false;
        double at = 0;
        for (const QString &alert : alerts) {
            const double seconds = alert.section(' ', 0, 0).toDouble();
            h->clock.advance(seconds - at);
            at = seconds;
            const int slot = alert.section(' ', 1).toInt();
            this->alerts->raise(*h->document(slot), slot == 1 ? "a" : "b", "line");
        }
        QStringList notified;
        for (const RecordingNotifier::Shown &s : notifier->shown)
            notified << s.body.section(':', 0, 0);
        QCOMPARE(notified, shown);
    }

    void notificationBodyIsNeverMarkup_data() {
        QTest::addColumn<bool>("markup"); // the service reads markup
        QTest::addColumn<QString>("sent");
        QTest::newRow("escaped for a service that reads markup")
            << true << "/x.log: &lt;b&gt;a &amp; b&lt;/b&gt; &quot;q&quot;";
        QTest::newRow("as it is for one that does not") << false << "/x.log: <b>a & b</b> \"q\"";
    }
    void notificationBodyIsNeverMarkup() {
        QFETCH(bool, markup);
        QFETCH(QString, sent);
        QCOMPARE(DBusNotifier::bodyFor("/x.log: <b>a & b</b> \"q\"", markup), sent);
    }
};

QTEST_MAIN(tst_DocumentAlerts)
#include "tst_documentalerts.moc"
