#include "shell/commandline.h"

#include <QtTest>

using namespace Orvik;

class tst_CommandLine : public QObject {
    Q_OBJECT

private slots:
    void namesOpened_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("names");
        const auto row = [](const char *name, QStringList arguments, QStringList names) {
            arguments.prepend(QStringLiteral("orvik"));
            QTest::newRow(name) << arguments << names;
        };
        row("nothing opens nothing", {}, {});
        row("blanks only open nothing", {"   "}, {});
        row("outer blanks trimmed", {"  a.log  "}, {"a.log"});
        row("separate arguments in order", {"a.log", "b.log"}, {"a.log", "b.log"});
        row("commas separate names", {"a.log,b.log"}, {"a.log", "b.log"});
        row("blank after a comma stays", {"a.log, b.log"}, {"a.log", " b.log"});
        row("empty name between commas is dropped", {"a.log,,b.log"}, {"a.log", "b.log"});
        row("argument with a blank is one name", {"My Logs/app.log"}, {"My Logs/app.log"});
        row("quoted name with a blank", {"\"/var/My Logs/app.log\""}, {"/var/My Logs/app.log"});
        row("two quoted names with a blank form one", {"\"a.log\" \"b.log\""}, {"a.log\" \"b.log"});
        row("only a leading quote removed", {"\"a.log"}, {"a.log"});
        row("only a trailing quote removed", {"a.log\""}, {"a.log"});
        row("blanks inside quotes stay", {"a.log,\" b.log \""}, {"a.log", " b.log "});
        row("a lone quote opens nothing", {"\""}, {});
        row("tabs are not blanks", {"\ta.log\t"}, {"\ta.log\t"});
        row("end of options is left out", {"--", "--help"}, {"--help"});
        row("a lone - is standard input", {"a.log", "-"}, {"a.log", "-"});
        row("commands are no names", {"--command", "echo a,b", "a.log", "--command=ls"}, {"a.log"});
    }
    void namesOpened() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, names);
        QCOMPARE(CommandLine::names(CommandLine::argumentText(arguments)), names);
    }
    void commandsGiven() {
        QCOMPARE(CommandLine::commands({"orvik", "--command", "echo a,b", "x", "--command=ls -l"}),
                 QStringList({"echo a,b", "ls -l"}));
    }

    void request_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("request");
        const int open = int(CommandLine::Request::Open);
        const int help = int(CommandLine::Request::Help);
        const int version = int(CommandLine::Request::Version);
        const int unknown = int(CommandLine::Request::UnknownOption);
        QTest::newRow("files open") << QStringList{"orvik", "a.log"} << open;
        QTest::newRow("--help") << QStringList{"orvik", "--help"} << help;
        QTest::newRow("-h after a file") << QStringList{"orvik", "a.log", "-h"} << help;
        QTest::newRow("--version") << QStringList{"orvik", "--version"} << version;
        QTest::newRow("after -- it is a file") << QStringList{"orvik", "--", "--version"} << open;
        QTest::newRow("program name is not an option") << QStringList{"--help"} << open;
        QTest::newRow("unknown option refused") << QStringList{"orvik", "--bogus"} << unknown;
        QTest::newRow("unknown after a file") << QStringList{"orvik", "a.log", "-x"} << unknown;
        QTest::newRow("first option decides") << QStringList{"orvik", "-x", "--help"} << unknown;
        QTest::newRow("- is standard input") << QStringList{"orvik", "-"} << open;
        QTest::newRow("a command is --command's argument")
            << QStringList{"orvik", "--command", "--help"} << open;
        QTest::newRow("--command without one") << QStringList{"orvik", "--command"} << unknown;
    }
    void request() {
        QFETCH(QStringList, arguments);
        QFETCH(int, request);
        QCOMPARE(int(CommandLine::request(arguments)), request);
        QCOMPARE(CommandLine::unknownOption(arguments).isEmpty(),
                 request != int(CommandLine::Request::UnknownOption));
    }

    void versionAndUsageTexts() {
        QCOMPARE(CommandLine::versionText(), QStringLiteral("Orvik 1.0.0"));
        QVERIFY(CommandLine::usage().contains(QLatin1String("--version")));
        QVERIFY(CommandLine::usage().contains(QLatin1String("--command COMMAND")));
        QVERIFY(CommandLine::usage().contains(QLatin1String("A lone - follows standard input")));
        QVERIFY(CommandLine::unknownOptionText("--bogus").startsWith(
            "orvik: unknown option '--bogus'\nUsage: orvik"));
    }
};

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
