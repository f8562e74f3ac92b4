#include "mainwindowfixture.h"

#include "shell/commandline.h"

#include "document/twips.h"

#include <QAction>
#include <QtTest>

using namespace Orvik;

class tst_StartupShutdown : public QObject {
    Q_OBJECT

private slots:
    void firstRun();
    void storedIntervalIsLimited();
    void storedFrameIsAppliedUnchanged();
    void frameIsKnownOnceItHasASize_data();
    void frameIsKnownOnceItHasASize();
    void unconvertibleValuesGiveDefaults();
    void recentFilesAreShownAtLoad();
    void blankCommandLineOpensNothing_data();
    void blankCommandLineOpensNothing();
    void twoNamesAreTiledWithCaretsAtTheEnd();
    void commandLineNamesOpenInOrder_data();
    void commandLineNamesOpenInOrder();
    void exitClosesDocumentsAndWritesSettingsAndList();
    void minimisedKeepsTheEarlierFrame();
    void maximisedWritesItsBounds();
    void unloadRunsOnce();
    void sessionSaveWritesAndKeepsRunning();
    void unwritableStoreIsReported();
};

namespace {
const QString SettingsSection = QStringLiteral("Settings");
const QString Mru = QStringLiteral("MRU Documents");
} // namespace

void tst_StartupShutdown::firstRun() {
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.Form_Load(QString());
    QVERIFY(w.isVisible());
    QCOMPARE(w.frameGeometry().topLeft(),
             QPoint(twipsToPixelsX(1000, &w), twipsToPixelsY(1000, &w)));
    QCOMPARE(w.outerSizePixels(), QSize(twipsToPixelsX(6500, &w), twipsToPixelsY(6500, &w)));
    QCOMPARE(w.sbStatusBar().panelText(2), QStringLiteral("Refresh Interval: 1000ms"));
    QCOMPARE(w.timerUpdate().interval(), 1000);
    QVERIFY(w.timerUpdate().isEnabled());
    QVERIFY(f.module.HighLightPending);
    QCOMPARE(f.module.FontName, QStringLiteral("Arial"));
    QCOMPARE(f.module.DocCount, 0);
    for (int i = 1; i <= 10; ++i)
        QVERIFY(!w.menus().mnuFileMRU[i]->isVisible());
    QVERIFY(!w.menus().mnuMRUSep->isVisible());
}

void tst_StartupShutdown::storedIntervalIsLimited() {
    MainWindowFixture f("[Settings]\nRefreshInterval=20\n");
    f.window->Form_Load(QString());
    QCOMPARE(f.module.RefreshInterval, 100);
    QCOMPARE(f.window->timerUpdate().interval(), 100);
    QCOMPARE(f.window->sbStatusBar().panelText(2), QStringLiteral("Refresh Interval: 100ms"));
}

void tst_StartupShutdown::storedFrameIsAppliedUnchanged() {
    MainWindowFixture f("[Settings]\nLeft=-3000\nTop=30000\nWidth=9000\nHeight=4500\n");
    frmMain &w = *f.window;
    w.Form_Load(QString());
    QCOMPARE(w.frameGeometry(), QRect(twipsToPixelsX(-3000, &w), twipsToPixelsY(30000, &w),
                                      twipsToPixelsX(9000, &w), twipsToPixelsY(4500, &w)));
    const WindowTwips frame = w.frameTwips();
    QVERIFY(qAbs(frame.left + 3000) < 15);
    QVERIFY(qAbs(frame.width - 9000) < 15);
}

void tst_StartupShutdown::frameIsKnownOnceItHasASize_data() {
    QTest::addColumn<QSize>("decoration");
    QTest::addColumn<QSize>("client");
    QTest::newRow("not known yet") << QSize(0, 0) << QSize();
    QTest::newRow("title bar without side borders") << QSize(0, 30) << QSize(600, 370);
    QTest::newRow("title bar and borders") << QSize(8, 38) << QSize(592, 362);
}

void tst_StartupShutdown::frameIsKnownOnceItHasASize() {
    QFETCH(QSize, decoration);
    QFETCH(QSize, client);
    QCOMPARE(frmMain::clientSizeFor(QSize(600, 400), decoration).value_or(QSize()), client);
}

void tst_StartupShutdown::unconvertibleValuesGiveDefaults() {
    MainWindowFixture f("[Settings]\nLeft=left\nTop=1500\nFontBold=maybe\nFontItalic=1\n"
                        "FontSize=99999999999\nRefreshInterval=1e300\n");
    frmMain &w = *f.window;
    w.Form_Load(QString());
    QCOMPARE(w.frameGeometry().topLeft(),
             QPoint(twipsToPixelsX(1000, &w), twipsToPixelsY(1500, &w)));
    QVERIFY(!f.module.FontBold);
    QVERIFY(f.module.FontItalic);
    QCOMPARE(f.module.FontSize, 10);
    QCOMPARE(f.module.RefreshInterval, 1000);
}

void tst_StartupShutdown::recentFilesAreShownAtLoad() {
    MainWindowFixture f("[MRU Documents]\n01=/var/log/one.log\n03=/var/log/three.log\n");
    f.window->Form_Load(QString());
    MainMenus &menus = f.window->menus();
    QVERIFY(menus.mnuFileMRU[1]->isVisible());
    QCOMPARE(menus.mnuFileMRU[1]->text(), QStringLiteral("/var/log/one.log"));
    QVERIFY(!menus.mnuFileMRU[2]->isVisible());
    QVERIFY(menus.mnuFileMRU[3]->isVisible());
    QVERIFY(menus.mnuMRUSep->isVisible());
}

void tst_StartupShutdown::blankCommandLineOpensNothing_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing") << QString();
    QTest::newRow("blanks") << QStringLiteral("    ");
}

void tst_StartupShutdown::blankCommandLineOpensNothing() {
    QFETCH(QString, text);
    MainWindowFixture f;
    f.window->Form_Load(text);
    QCOMPARE(f.module.DocCount, 0);
    QVERIFY(f.subWindows().isEmpty());
}

void tst_StartupShutdown::twoNamesAreTiledWithCaretsAtTheEnd() {
    MainWindowFixture f;
    QByteArray lines;
    for (int i = 0; i < 200; ++i)
        lines += "2026-12-06 10:00:00 INFO line " + QByteArray::number(i) + '\n';
    const QString a = f.files.write(QStringLiteral("a.log"), lines);
    const QString b = f.files.write(QStringLiteral("b.log"), "short\n");
    f.window->Form_Load(CommandLine::argumentText({"orvik", a + QLatin1Char(',') + b}));

    QCOMPARE(f.module.DocCount, 2);
    QCOMPARE(f.module.DocFileName[1], a);
    QCOMPARE(f.module.DocFileName[2], b);
    const QRect room = f.window->workspace().viewport()->rect();
    const QRect top = f.document(1)->geometry();
    const QRect bottom = f.document(2)->geometry();
    QCOMPARE(top.left(), 0);
    QCOMPARE(top.top(), 0);
    QCOMPARE(top.width(), room.width());
    QCOMPARE(bottom.left(), 0);
    QCOMPARE(bottom.top(), top.bottom() + 1);
    QCOMPARE(bottom.width(), room.width());
    QCOMPARE(bottom.bottom(), room.bottom());
    for (int slot = 1; slot <= 2; ++slot) {
        QCOMPARE(f.document(slot)->rtfText().selStart(), f.module.DocFileSize[slot]);
        QCOMPARE(f.document(slot)->rtfText().selLength(), 0);
    }
    QCOMPARE(f.module.MRUFiles[1], b);
    QCOMPARE(f.module.MRUFiles[2], a);
}

void tst_StartupShutdown::commandLineNamesOpenInOrder_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("opened");
    QTest::newRow("separate arguments")
        << QStringList{"a.log", "b.log"} << QStringList{"a.log", "b.log"};
    QTest::newRow("quoted name with a blank")
        << QStringList{"\"My Logs/app.log\""} << QStringList{"My Logs/app.log"};
    QTest::newRow("names with a blank after the comma: nothing empty opens")
        << QStringList{"a.log,", "b.log,"} << QStringList{"a.log", "b.log"};
}

void tst_StartupShutdown::commandLineNamesOpenInOrder() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, opened);
    MainWindowFixture f;
    f.files.makeDirectory(QStringLiteral("My Logs"));
    QStringList argv{QStringLiteral("orvik")};
    for (const QString &argument : arguments) {
        QString withFolder = argument;
        withFolder.replace(QLatin1String("a.log"), f.files.path(QStringLiteral("a.log")));
        withFolder.replace(QLatin1String("b.log"), f.files.path(QStringLiteral("b.log")));
        withFolder.replace(QLatin1String("My Logs"), f.files.path(QStringLiteral("My Logs")));
        argv << withFolder;
    }
    f.files.write(QStringLiteral("a.log"), "a\n");
    f.files.write(QStringLiteral("b.log"), "b\n");
    f.files.write(QStringLiteral("My Logs/app.log"), "app\n");
    f.window->Form_Load(CommandLine::argumentText(argv));
    QCOMPARE(f.module.DocCount, opened.size());
    for (int slot = 1; slot <= opened.size(); ++slot) {
        const QString name = opened.at(slot - 1);
        QCOMPARE(f.module.DocFileName[slot], name.isEmpty() ? name : f.files.path(name));
    }
}

void tst_StartupShutdown::exitClosesDocumentsAndWritesSettingsAndList() {
    MainWindowFixture f;
    const QString a = f.files.write(QStringLiteral("a.log"), "a\n");
    const QString b = f.files.write(QStringLiteral("b.log"), "b\n");
    f.window->Form_Load(a + QLatin1Char(',') + b);
    f.module.FontName = QStringLiteral("DejaVu Sans Mono");
    f.module.FontBold = true;
    f.module.HighLightString = QStringLiteral(" ERROR ");
    f.module.RefreshInterval = 250;
    f.module.MRUFiles[3] = QStringLiteral("  /var/log/padded.log  ");
    const WindowTwips frame = f.window->frameTwips();

    f.window->menus().mnuFileExit->trigger();
    QVERIFY(f.window->isUnloaded());
    QVERIFY(!f.window->isVisible());
    QCOMPARE(f.module.DocCount, 0);
    QVERIFY(f.subWindows().isEmpty());
    QVERIFY(!f.window->timerUpdate().isEnabled());

    QCOMPARE(f.stored(SettingsSection, QStringLiteral("Left")), QString::number(frame.left));
    QCOMPARE(f.stored(SettingsSection, QStringLiteral("Width")), QString::number(frame.width));
    QCOMPARE(f.stored(SettingsSection, QStringLiteral("FontName")),
             QStringLiteral("DejaVu Sans Mono"));
    QCOMPARE(f.stored(SettingsSection, QStringLiteral("FontBold")), QStringLiteral("True"));
    QCOMPARE(f.stored(SettingsSection, QStringLiteral("FontItalic")), QStringLiteral("False"));
    QCOMPARE(f.stored(SettingsSection, QStringLiteral("HighLightString")),
             QStringLiteral(" ERROR "));
    QCOMPARE(f.stored(SettingsSection, QStringLiteral("RefreshInterval")), QStringLiteral("250"));
    QCOMPARE(f.stored(Mru, QStringLiteral("01")), b);
    QCOMPARE(f.stored(Mru, QStringLiteral("02")), a);
    QCOMPARE(f.stored(Mru, QStringLiteral("03")), QStringLiteral("/var/log/padded.log"));
    QCOMPARE(f.stored(Mru, QStringLiteral("10")), QString());
}

void tst_StartupShutdown::minimisedKeepsTheEarlierFrame() {
    MainWindowFixture f("[Settings]\nLeft=1234\nTop=2345\nWidth=7000\nHeight=5000\n");
    f.window->Form_Load(QString());
    f.window->move(500, 400);
    f.window->showMinimized();
    QVERIFY(f.window->isMinimized());
    f.module.FontName = QStringLiteral("Courier");
    f.window->close();
    QCOMPARE(f.stored(SettingsSection, QStringLiteral("Left")), QStringLiteral("1234"));
    QCOMPARE(f.stored(SettingsSection, QStringLiteral("Top")), QStringLiteral("2345"));
    QCOMPARE(f.stored(SettingsSection, QStringLiteral("Width")), QStringLiteral("7000"));
    QCOMPARE(f.stored(SettingsSection, QStringLiteral("Height")), QStringLiteral("5000"));
    QCOMPARE(f.stored(SettingsSection, QStringLiteral("FontName")), QStringLiteral("Courier"));
    QCOMPARE(f.stored(Mru, QStringLiteral("01")), QString());
}

void tst_StartupShutdown::maximisedWritesItsBounds() {
    MainWindowFixture f;
    f.window->Form_Load(QString());
    const WindowTwips normal = f.window->frameTwips();
    f.window->showMaximized();
    QVERIFY(QTest::qWaitFor([&f] { return f.window->isMaximized(); }));
    QVERIFY(QTest::qWaitFor([&f, &normal] { return !(f.window->frameTwips() == normal); }));
    const WindowTwips maximised = f.window->frameTwips();
    f.window->close();
    QCOMPARE(f.stored(SettingsSection, QStringLiteral("Width")), QString::number(maximised.width));
    QCOMPARE(f.stored(SettingsSection, QStringLiteral("Height")),
             QString::number(maximised.height));
}

void tst_StartupShutdown::unloadRunsOnce() {
    MainWindowFixture f;
    f.window->Form_Load(QString());
    QSignalSpy ends(f.window.get(), &frmMain::unloaded); // the application ends on it
    f.window->close();
    f.module.FontName = QStringLiteral("changed after the unload");
    f.window->Form_Unload();
    QCOMPARE(f.stored(SettingsSection, QStringLiteral("FontName")), QStringLiteral("Arial"));
    QCOMPARE(ends.size(), 1);
}

void tst_StartupShutdown::sessionSaveWritesAndKeepsRunning() {
    MainWindowFixture f;
    f.window->Form_Load(QString());
    f.module.FontName = QStringLiteral("Courier");
    f.module.MRUFiles[1] = QStringLiteral("/var/log/a.log");
    f.window->saveSession();
    QCOMPARE(f.stored(SettingsSection, QStringLiteral("FontName")), QStringLiteral("Courier"));
    QCOMPARE(f.stored(Mru, QStringLiteral("01")), QStringLiteral("/var/log/a.log"));
    QVERIFY(!f.window->isUnloaded() && f.window->isVisible());
    QVERIFY(f.window->timerUpdate().isEnabled());
}

void tst_StartupShutdown::unwritableStoreIsReported() {
    MainWindowFixture f;
    // A plain file where the store's folder should be: not writable, not even by root.
    const QString blocker = f.files.write(QStringLiteral("blocker"), "");
    IniSettingsStore store(blocker + QStringLiteral("/Orvik/Orvik.conf"));
    f.window = std::make_unique<frmMain>(f.module, store);
    f.module.MainForm = f.window.get();
    f.window->Form_Load(QString());
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("settings were not saved.*Orvik.conf")));
    f.window->close();
    QVERIFY(f.window->isUnloaded());
}

QTEST_MAIN(tst_StartupShutdown)
#include "tst_startupshutdown.moc"
