// The settings file: what the program takes from the bytes a person or an earlier run left,
// and the bytes it writes. Every read goes through a store opened on a file no store in this
// process has opened before, so the INI reader itself runs, never a cached copy.
#include "shell/mrulist.h"
#include "shell/rulesettings.h"
#include "shell/settings.h"
#include "shell/settingsstore.h"

#include "support/filewriter.h"

#include "core/module1.h"
#include "core/refresh/posixfilesystem.h"
#include "core/refresh/systemclock.h"

#include <QtTest>

using namespace Orvik;

class tst_Settings : public QObject {
    Q_OBJECT

    FileWriter m_files;
    PosixFileSystem m_fileSystem;
    SystemClock m_clock;
    int m_fileCount = 0;

    QString freshName() { return QStringLiteral("%1.conf").arg(++m_fileCount); }
    QByteArray bytesOf(const QString &name) {
        QFile file(m_files.path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }
    // What the program takes from a file holding `bytes`, by section/key.
    QMap<QString, QString> load(const QByteArray &bytes) {
        IniSettingsStore store(m_files.write(freshName(), bytes));
        Module1 m(m_fileSystem, m_clock);
        const WindowTwips frame = Settings::LoadSettings(store, m);
        MRUList::LoadMRUList(store, m);
        const auto text = [](auto value) { return QVariant(value).toString(); };
        QMap<QString, QString> values{{"Left", text(frame.left)},
                                      {"Top", text(frame.top)},
                                      {"Width", text(frame.width)},
                                      {"Height", text(frame.height)},
                                      {"FontName", m.FontName},
                                      {"FontSize", text(m.FontSize)},
                                      {"FontBold", text(m.FontBold)},
                                      {"FontItalic", text(m.FontItalic)},
                                      {"FontUnderline", text(m.FontUnderline)},
                                      {"RefreshInterval", text(m.RefreshInterval)},
                                      {"HighLightString", m.HighLightString},
                                      {"FollowInstantly", text(m.FollowInstantly)}};
        for (int i = 1; i <= Module1::MruCount; ++i)
            values.insert(MRUList::key(i), m.MRUFiles[i]);
        return values;
    }

private slots:
    void valueReadFromTheFile_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        // `line` goes under [Settings] unless it names its section; its key is the one read.
        const auto row = [](const char *name, const QByteArray &line, const char *value) {
            const QByteArray file = line.startsWith('[') ? line : "[Settings]\n" + line + '\n';
            const QString key =
                QString::fromUtf8(line.mid(line.lastIndexOf('\n') + 1)).section('=', 0, 0);
            QTest::newRow(name) << file << key.trimmed() << QString::fromUtf8(value);
        };
        const QStringList firstRun{"Left=1000",
                                   "Top=1000",
                                   "Width=6500",
                                   "Height=6500",
                                   "FontName=Arial",
                                   "FontSize=10",
                                   "FontBold=false",
                                   "FontItalic=false",
                                   "FontUnderline=false",
                                   "RefreshInterval=1000",
                                   "HighLightString=",
                                   "01=",
                                   "10="};
        for (const QString &pair : firstRun)
            QTest::addRow("first run %s", qPrintable(pair))
                << QByteArray() << pair.section('=', 0, 0) << pair.section('=', 1);
        row("geometry off screen unchanged", "Left=-60", "-60");
        row("geometry fraction", "Width=1234.5", "1234.5");
        row("geometry not a number", "Left=left", "1000");
        row("geometry trailing text", "Left=1500px", "1000");
        row("geometry empty", "Height=", "6500");
        row("geometry beyond 32 bits", "Left=1e12", "1000");
        row("FontName as stored", "FontName=DejaVu Sans Mono", "DejaVu Sans Mono");
        row("FontName empty is not absent", "FontName=", "");
        row("FontSize half to even, down", "FontSize=12.5", "12");
        row("FontSize half to even, up", "FontSize=13.5", "14");
        row("FontSize has no limit", "FontSize=500", "500");
        row("FontSize leading number", "FontSize=11pt", "11");
        row("FontSize beyond 32 bits", "FontSize=1e12", "10");
        row("FontBold True", "FontBold=True", "true");
        row("FontBold -1", "FontBold=-1", "true");
        row("FontBold not a boolean", "FontBold=maybe", "false");
        row("FontItalic 1", "FontItalic=1", "true");
        row("FontItalic fALSE", "FontBold=1\nFontItalic=fALSE", "false");
        row("FontUnderline True", "FontUnderline=True", "true");
        row("FontUnderline 0", "FontUnderline=0", "false");
        row("FollowInstantly False", "FollowInstantly=False", "false");
        row("FollowInstantly not a boolean", "FollowInstantly=maybe", "true");
        row("RefreshInterval below 100", "RefreshInterval=50", "100");
        row("RefreshInterval above 60000", "RefreshInterval=75000", "60000");
        row("RefreshInterval limit stays", "RefreshInterval=60000", "60000");
        row("RefreshInterval no number", "RefreshInterval=abc", "100");
        row("RefreshInterval with a unit", "RefreshInterval=250ms", "250");
        row("RefreshInterval &h hex", "RefreshInterval=&H3E8", "1000");
        row("RefreshInterval beyond 32 bits", "RefreshInterval=99999999999", "1000");
        row("quoted blanks kept", "HighLightString=\"  ERROR \"", "  ERROR ");
        row("escaped line breaks", "HighLightString=\"one\\ntwo\\r\\nthree\"", "one\ntwo\r\nthree");
        row("escaped quote and backslash", "HighLightString=\"a \\\"b\\\" C:\\\\x\"",
            "a \"b\" C:\\x");
        row("commas", "HighLightString=a,b", "a,b");
        row("hand-edited, quoted value after blanks",
            "; by hand\n[Settings]\n  FontName = \"Courier\"", "Courier");
        row("blanks around = are not part of it", "[MRU Documents]\n01 = /var/log/syslog",
            "/var/log/syslog");
        row("blanks after a value are not part of it", "FontName=Courier New \t", "Courier New");
        row("hand-edited, CRLF line ends", "; by hand\r\n[Settings]\r\nHighLightString=a\r", "a");
        row("recent file section as named", "[MRU Documents]\n03=/var/log/syslog",
            "/var/log/syslog");
        row("recent file quoted", "[MRU Documents]\n10=\"  spaced.log\"", "  spaced.log");
        static const char raw[] = "[Settings]\nFontSize=12\n\x00\xff\xfe garbage\n=novalue\nnokey\n"
                                  "[broken\nRefreshInterval=250\nWidth\n";
        const QByteArray damaged(raw, sizeof(raw) - 1);
        QTest::newRow("damaged lines skipped, before") << damaged << "FontSize"
                                                       << "12";
        QTest::newRow("damaged lines skipped, after") << damaged << "RefreshInterval"
                                                      << "250";
        QTest::newRow("damaged line gives the default") << damaged << "Width"
                                                        << "6500";
    }
    void valueReadFromTheFile() {
        QFETCH(QByteArray, file);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QMap<QString, QString> values = load(file);
        QVERIFY2(values.contains(key), qPrintable(key));
        QCOMPARE(values.value(key), value);
    }

    void fileAsWritten() {
        Module1 module(m_fileSystem, m_clock);
        module.FontName = QStringLiteral("DejaVu Sans Mono");
        module.FontSize = 13;
        module.FontItalic = true;
        module.RefreshInterval = 250;
        module.HighLightString = QStringLiteral("  ERROR ");
        module.MRUFiles[1] = QStringLiteral(" /tmp/a.log ");
        module.MRUFiles[2] = QStringLiteral("/tmp/a,b.log");
        const QString name = freshName();
        for (const bool minimised : {false, true}) {
            // A minimised window leaves the frame of an earlier run alone.
            IniSettingsStore store(m_files.path(name));
            Settings::SaveSettings(
                store, module,
                minimised ? std::nullopt : std::optional<WindowTwips>({-60, 1000, 6500.5, 9000}));
            MRUList::SaveMRUList(store, module);
            RuleSettings::SaveHighlightRules(store, module); // none: no section
            Settings::SaveRecentCommands(store, module);     // none: no section
            QVERIFY(store.flush(nullptr));
            module.RefreshInterval = 100;
        }
        QByteArray expected = "[MRU Documents]\n01=/tmp/a.log\n02=/tmp/a,b.log\n";
        for (int i = 3; i <= 10; ++i)
            expected += QStringLiteral("%1=\n").arg(i, 2, 10, QLatin1Char('0')).toUtf8();
        expected += "\n[Settings]\nFontBold=False\nFontItalic=True\nFontName=DejaVu Sans Mono\n"
                    "FontSize=13\nFontUnderline=False\nHeight=9000\n"
                    "HighLightString=\"  ERROR \"\nLeft=-60\nRefreshInterval=100\nTop=1000\n"
                    "Width=6500.5\n";
        QCOMPARE(bytesOf(name), expected);
    }

    // Commands opened are kept newest first, ten at most, once one was.
    void recentCommandsWrittenAndReadBack() {
        Module1 module(m_fileSystem, m_clock);
        for (int i = 0; i <= 11; ++i)
            module.AddToRecentCommands(QStringLiteral("tail -F /var/log/%1").arg(i % 11));
        const QString name = freshName();
        {
            IniSettingsStore store(m_files.path(name));
            Settings::SaveRecentCommands(store, module);
            QVERIFY(store.flush(nullptr));
        }
        QVERIFY(bytesOf(name).startsWith("[Recent Commands]\n01=tail -F /var/log/0\n"
                                         "02=tail -F /var/log/10\n"));
        IniSettingsStore store(m_files.path(name));
        Module1 loaded(m_fileSystem, m_clock);
        Settings::LoadRecentCommands(store, loaded);
        QCOMPARE(loaded.RecentCommands, module.RecentCommands);
        QCOMPARE(loaded.RecentCommands.size(), 10);
    }

    // Following at once is stored only while it is switched off.
    void followInstantlyKeptOnlyWhileOff() {
        Module1 module(m_fileSystem, m_clock);
        const QString name = freshName();
        for (const bool on : {false, true}) {
            module.FollowInstantly = on;
            IniSettingsStore store(m_files.path(name));
            Settings::SaveSettings(store, module, std::nullopt);
            QVERIFY(store.flush(nullptr));
            QCOMPARE(bytesOf(name).contains("FollowInstantly=False\n"), !on);
            QVERIFY(!bytesOf(name).contains("FollowInstantly=True"));
        }
    }

    void rulesReadFromTheFile_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("rules");    // as HighlightRule::toText() gives them
        QTest::addColumn<QStringList>("messages"); // on stderr
        const QByteArray head = "[Highlight Rules]\n";
        const QString error = "\"ERROR\",1,0,#ff0000,0,1";
        const QString warn = "\"WARN\",0,1,#ffa500,1,0";
        const auto skipped = [](const char *line, const char *why) {
            return QStringLiteral("orvik: settings [Highlight Rules] %1: %2; skipped")
                .arg(line, why);
        };
        QTest::newRow("no section, no rules")
            << QByteArray("[Settings]\nFontSize=12\n") << QStringList() << QStringList();
        QTest::newRow("one rule as documented")
            << head + "Count=1\nRule1=\"ERROR\",1,0,#ff0000,0,1\n"
            << QStringList{error} << QStringList();
        QTest::newRow("a rule quoted whole")
            << head + "Count=1\nRule1=\"\\\"ERROR\\\",1,0,#FF0000,0,1\"\n"
            << QStringList{error} << QStringList();
        QTest::newRow("text with commas, quotes and blanks")
            << head + "Count=1\nRule1 = \" a,\\\"b\\\" \",0,0,#00ff00,False,TRUE\n"
            << QStringList{"\" a,\\\"b\\\" \",0,0,#00ff00,0,1"} << QStringList();
        QTest::newRow("a damaged rule is skipped, the others load")
            << head + "Count=3\nRule1=\"ERROR\",1,0,#ff0000,0,1\nRule2=ERROR,1\n"
                      "Rule3=\"WARN\",0,1,#ffa500,1,0\n"
            << QStringList{error, warn}
            << QStringList{skipped("Rule2=ERROR,1", "the text is not in double quotes")};
        QTest::newRow("a colour that is not one")
            << head + "Count=1\nRule1=\"E\",0,0,red,0,0\n"
            << QStringList()
            << QStringList{skipped("Rule1=\"E\",0,0,red,0,0", "the colour is not #rrggbb")};
        QTest::newRow("a flag that is not one")
            << head + "Count=1\nRule1=\"E\",0,2,#000000,0,0\n"
            << QStringList()
            << QStringList{skipped("Rule1=\"E\",0,2,#000000,0,0", "a flag is neither 0 nor 1")};
        QTest::newRow("a field missing")
            << head + "Count=1\nRule1=\"E\",0,0,#000000,0\n"
            << QStringList()
            << QStringList{
                   skipped("Rule1=\"E\",0,0,#000000,0", "4 fields after the text instead of 5")};
        QTest::newRow("a field too many")
            << head + "Count=1\nRule1=\"E\",0,0,#000000,0,0,1\n"
            << QStringList()
            << QStringList{skipped("Rule1=\"E\",0,0,#000000,0,0,1",
                                   "6 fields after the text instead of 5")};
        QTest::newRow("an unfinished text")
            << head + "Count=1\nRule1=\"E,0,0,#000000,0,0\n"
            << QStringList()
            << QStringList{
                   skipped("Rule1=\"E,0,0,#000000,0,0", "the text is not in double quotes")};
        QTest::newRow("a rule counted but missing")
            << head + "Count=2\nRule2=\"ERROR\",1,0,#ff0000,0,1\n"
            << QStringList{error} << QStringList{skipped("Rule1=", "missing")};
        QTest::newRow("a count that is not a number reads the rules found")
            << head + "Count=many\nRule1=\"ERROR\",1,0,#ff0000,0,1\n"
            << QStringList{error}
            << QStringList{"orvik: settings [Highlight Rules] Count=many: not a number of rules; "
                           "reading the rules found"};
        QTest::newRow("rules past the count are not read")
            << head + "Count=1\nRule1=\"ERROR\",1,0,#ff0000,0,1\nRule2=\"WARN\",0,1,#ffa500,1,0\n"
            << QStringList{error} << QStringList();
        QByteArray many = head + "Count=2147483647\n";
        for (int i = 1; i <= 40; ++i)
            many += QStringLiteral("Rule%1=\"ERROR\",1,0,#ff0000,0,1\n").arg(i).toUtf8();
        QTest::newRow("a count beyond the limit reads the first 32")
            << many << QStringList(32, error)
            << QStringList{"orvik: settings [Highlight Rules] Count=2147483647: only the first 32 "
                           "rules are read"};
    }
    void rulesReadFromTheFile() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, rules);
        QFETCH(QStringList, messages);
        for (const QString &message : messages)
            QTest::ignoreMessage(QtWarningMsg, qPrintable(message));
        IniSettingsStore store(m_files.write(freshName(), file));
        Module1 m(m_fileSystem, m_clock);
        RuleSettings::LoadHighlightRules(store, m);
        QStringList read;
        for (const HighlightRule &rule : m.HighlightRules->rules())
            read << rule.toText();
        QCOMPARE(read, rules);
    }

    // The section as written: only while there are rules; written rules read back as they were.
    void rulesWrittenAndReadBack() {
        Module1 module(m_fileSystem, m_clock);
        HighlightRule odd;
        odd.text = QStringLiteral(" a,\"b\"\\c\nd ");
        odd.regularExpression = odd.wholeLine = true;
        odd.color = 0x123456;
        HighlightRule error;
        error.text = QStringLiteral("ERROR");
        error.matchCase = error.alert = true;
        module.setHighlightRules({error, odd});
        const QString name = freshName();
        {
            IniSettingsStore store(m_files.write(name, "[Highlight Rules]\nRule3=old\n"));
            RuleSettings::SaveHighlightRules(store, module);
            QVERIFY(store.flush(nullptr));
        }
        QCOMPARE(bytesOf(name), QByteArray("[Highlight Rules]\nCount=2\n"
                                           "Rule1=\"ERROR\",1,0,#ff0000,0,1\n"
                                           "Rule2=\" a,\\\"b\\\"\\\\c\\nd \",0,1,#563412,1,0\n"));
        Module1 loaded(m_fileSystem, m_clock);
        IniSettingsStore again(m_files.path(name));
        RuleSettings::LoadHighlightRules(again, loaded);
        QVERIFY(loaded.HighlightRules->rules() == module.HighlightRules->rules());
        module.setHighlightRules({});
        RuleSettings::SaveHighlightRules(again, module);
        QVERIFY(again.flush(nullptr));
        QCOMPARE(bytesOf(name), QByteArray());
    }

    void textComesBackFromTheBytesExactly_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("blanks at both ends") << "  ERROR  ";
        QTest::newRow("commas") << "/var/log/a,b.log";
        QTest::newRow("semicolon and equals") << "a;b=c";
        QTest::newRow("leading at sign") << "@Variant(x)";
        QTest::newRow("quotes and backslashes") << "\"C:\\logs\\a.log\"";
        QTest::newRow("line breaks") << "one\ntwo\r\nthree";
        QTest::newRow("non-ASCII") << "/home/jörg/Протокол.log";
    }
    void textComesBackFromTheBytesExactly() {
        QFETCH(QString, text);
        const QString name = freshName();
        IniSettingsStore store(m_files.path(name));
        store.write(QStringLiteral("Settings"), QStringLiteral("HighLightString"), text);
        store.write(QStringLiteral("MRU Documents"), QStringLiteral("01"), text);
        QVERIFY(store.flush(nullptr));
        const QMap<QString, QString> values = load(bytesOf(name));
        QCOMPARE(values.value("HighLightString"), text);
        QCOMPARE(values.value("01"), text);
    }

    void storeLivesInTheUserConfigFolderAndAFolderReadsAsDefaults() {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_files.path(QStringLiteral("config"))));
        IniSettingsStore store;
        store.write(QStringLiteral("Settings"), QStringLiteral("FontName"),
                    QStringLiteral("Arial"));
        QVERIFY(store.flush(nullptr));
        QCOMPARE(bytesOf("config/Orvik/Orvik.conf"), QByteArray("[Settings]\nFontName=Arial\n"));
        // A folder where the file should be cannot be read, not even by root.
        IniSettingsStore folder(m_files.path("config/Orvik"));
        QCOMPARE(folder.read("Settings", "FontName", "default"), QStringLiteral("default"));
    }
};

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_settings.moc"
