#include "shell/commandline.h"

#include <QtTest>

using namespace Orvik;

class tst_CommandLine : public QObject {
    Q_OBJECT

private slots:
    void names_data();
    void names();
    void argumentsAreJoinedWithCommas_data();
    void argumentsAreJoinedWithCommas();
    void requests_data();
    void requests();
    void versionText();
};

void tst_CommandLine::names_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("nothing opens nothing") << QString() << QStringList();
    QTest::newRow("blanks only open nothing") << QStringLiteral("   ") << QStringList();
    QTest::newRow("one name") << QStringLiteral("a.log") << QStringList{"a.log"};
    QTest::newRow("outer blanks trimmed") << QStringLiteral("  a.log  ") << QStringList{"a.log"};
    QTest::newRow("two names in order")
        << QStringLiteral("a.log,b.log") << QStringList{"a.log", "b.log"};
    QTest::newRow("blank after a comma stays")
        << QStringLiteral("a.log, b.log") << QStringList{"a.log", " b.log"};
    QTest::newRow("empty name between commas is dropped")
        << QStringLiteral("a.log,,b.log") << QStringList{"a.log", "b.log"};
    QTest::newRow("trailing comma adds no name")
        << QStringLiteral("a.log,") << QStringList{"a.log"};
    QTest::newRow("quoted name with a blank")
        << QStringLiteral("\"/var/My Logs/app.log\"") << QStringList{"/var/My Logs/app.log"};
    QTest::newRow("two quoted names with a blank form one")
        << QStringLiteral("\"a.log\" \"b.log\"") << QStringList{"a.log\" \"b.log"};
    QTest::newRow("only a leading quote removed")
        << QStringLiteral("\"a.log") << QStringList{"a.log"};
    QTest::newRow("only a trailing quote removed")
        << QStringLiteral("a.log\"") << QStringList{"a.log"};
    QTest::newRow("blanks inside quotes around a name stay")
        << QStringLiteral("a.log,\" b.log \"") << QStringList{"a.log", " b.log "};
    QTest::newRow("a lone quote opens nothing") << QStringLiteral("\"") << QStringList{};
    QTest::newRow("tabs are not blanks") << QStringLiteral("\ta.log\t") << QStringList{"\ta.log\t"};
}

void tst_CommandLine::names() {
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QCOMPARE(CommandLine::names(text), expected);
}

void tst_CommandLine::argumentsAreJoinedWithCommas_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("no arguments") << QStringList{"orvik"} << QStringList();
    QTest::newRow("separate arguments")
        << QStringList{"orvik", "a.log", "b.log"} << QStringList{"a.log", "b.log"};
    QTest::newRow("comma separated argument")
        << QStringList{"orvik", "a.log,b.log"} << QStringList{"a.log", "b.log"};
    QTest::newRow("argument with a blank is one name")
        << QStringList{"orvik", "My Logs/app.log"} << QStringList{"My Logs/app.log"};
    QTest::newRow("quoted argument")
        << QStringList{"orvik", "\"My Logs/app.log\""} << QStringList{"My Logs/app.log"};
    QTest::newRow("end of options is left out")
        << QStringList{"orvik", "--", "--help"} << QStringList{"--help"};
}

void tst_CommandLine::argumentsAreJoinedWithCommas() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, expected);
    QCOMPARE(CommandLine::names(CommandLine::argumentText(arguments)), expected);
}

void tst_CommandLine::requests_data() {
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
    QTest::newRow("file starting with - after --") << QStringList{"orvik", "--", "-x"} << open;
}

void tst_CommandLine::requests() {
    QFETCH(QStringList, arguments);
    QFETCH(int, request);
    QCOMPARE(int(CommandLine::request(arguments)), request);
    QCOMPARE(CommandLine::unknownOption(arguments).isEmpty(),
             request != int(CommandLine::Request::UnknownOption));
}

void tst_CommandLine::versionText() {
    QCOMPARE(CommandLine::versionText(), QStringLiteral("Orvik 1.0.0"));
    QVERIFY(CommandLine::usage().contains(QLatin1String("--version")));
    QVERIFY(CommandLine::unknownOptionText("--bogus").startsWith(
        "orvik: unknown option '--bogus'\nUsage: orvik"));
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
