#include "core/numbertext.h"

#include <QtTest>

#include <cmath>

using namespace Orvik;

// The number reader (the leading number of a text, as typed into the settings and dialogs),
// rounding half to even and the number texts shown.
class tst_NumberText : public QObject {
    Q_OBJECT

private slots:
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("found");
        QTest::newRow("plain integer") << "1000" << 1000.0 << true;
        QTest::newRow("letters are no number") << "abc" << 0.0 << false;
        QTest::newRow("empty text reads 0") << "" << 0.0 << false;
        QTest::newRow("zero is a number") << "0" << 0.0 << true;
        QTest::newRow("unit after the digits ends it") << "1000ms" << 1000.0 << true;
        QTest::newRow("blanks, tabs and line feeds ignored") << " 2 5\t0\n0" << 2500.0 << true;
        QTest::newRow("carriage return ends it") << "1\r2" << 1.0 << true;
        QTest::newRow("comma ends the number") << "10,5" << 10.0 << true;
        QTest::newRow("negative") << "-5" << -5.0 << true;
        QTest::newRow("explicit plus") << "+7" << 7.0 << true;
        QTest::newRow("sign alone") << "-" << 0.0 << false;
        QTest::newRow("fraction without leading digit") << ".5" << 0.5 << true;
        QTest::newRow("trailing point") << "5." << 5.0 << true;
        QTest::newRow("point alone") << "." << 0.0 << false;
        QTest::newRow("second point ends it") << "1.2.3" << 1.2 << true;
        QTest::newRow("exponent E") << "1E3" << 1000.0 << true;
        QTest::newRow("exponent D") << "2.5d2" << 250.0 << true;
        QTest::newRow("negative exponent") << "5e-1" << 0.5 << true;
        QTest::newRow("exponent without digits is dropped") << "7e+x" << 7.0 << true;
        QTest::newRow("blanks inside exponent ignored") << "1 e 2" << 100.0 << true;
        QTest::newRow("hexadecimal") << "&H1F4" << 500.0 << true;
        QTest::newRow("hexadecimal lower case, stops at non-digit") << "&hfg" << 15.0 << true;
        QTest::newRow("hexadecimal without digits") << "&H" << 0.0 << false;
        QTest::newRow("octal stops at 8") << "&o178" << 15.0 << true;
        QTest::newRow("ampersand alone") << "&" << 0.0 << false;
        QTest::newRow("non-Latin text stops it") << "12\u00e9" << 12.0 << true;
        QTest::newRow("too small for a double reads 0")
            << "0." + QString(330, '0') + "1" << 0.0 << true;
        QTest::newRow("too large despite a negative exponent is infinite")
            << QString(400, '9') + "e-5" << qInf() << true;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(bool, found);
        const LeadingNumber n = readLeadingNumber(text);
        QCOMPARE(n.value, value);
        QCOMPARE(n.found, found);
        QCOMPARE(leadingNumberValue(text), value);
    }

    void roundsHalfToEven() {
        const std::pair<double, int> cases[] = {{10.5, 10}, {11.5, 12}, {1500.5, 1500},
                                                {0.6, 1},   {-2.5, -2}, {-3.5, -4}};
        for (const auto &[value, rounded] : cases) {
            QCOMPARE(roundHalfEven(value), double(rounded));
            QCOMPARE(roundHalfEvenToInt(value), std::optional<int>(rounded));
        }
        QCOMPARE(roundHalfEvenToInt(2147483647.4), std::optional<int>(2147483647));
        QVERIFY(!roundHalfEvenToInt(2147483648.0));
        QVERIFY(!roundHalfEvenToInt(-2147483649.0));
        QVERIFY(!roundHalfEvenToInt(std::nan("")));
        QVERIFY(!roundHalfEvenToInt(readLeadingNumber("1e999").value));
    }

    void displayNumberHasOneBlankBeforeNonNegative() {
        QCOMPARE(displayNumber(1000.0), QStringLiteral(" 1000"));
        QCOMPARE(displayNumber(-0.0), QStringLiteral(" 0"));
        QCOMPARE(displayNumber(2.5), QStringLiteral(" 2.5"));
        QCOMPARE(displayNumber(qint64(-5)), QStringLiteral("-5"));
        QCOMPARE(displayNumber(qint64(0)), QStringLiteral(" 0"));
        QCOMPARE(boolText(true) + boolText(false), QStringLiteral("TrueFalse"));
    }
};

QTEST_GUILESS_MAIN(tst_NumberText)
#include "tst_numbertext.moc"
