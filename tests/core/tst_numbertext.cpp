#include "core/numbertext.h"

#include <QtTest>

#include <cmath>

using namespace Orvik;

class tst_NumberText : public QObject {
    Q_OBJECT

private slots:
    void leadingNumber_data();
    void leadingNumber();
    void roundsHalfToEven_data();
    void roundsHalfToEven();
    void integerRoundingRefusesWhatDoesNotFit();
    void displayNumberHasOneBlankBeforeNonNegative_data();
    void displayNumberHasOneBlankBeforeNonNegative();
    void booleanText();
};

void tst_NumberText::leadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("found");

    QTest::newRow("plain integer") << "1000" << 1000.0 << true;
    QTest::newRow("letters are no number") << "abc" << 0.0 << false;
    QTest::newRow("empty text reads 0") << "" << 0.0 << false;
    QTest::newRow("zero is a number") << "0" << 0.0 << true;
    QTest::newRow("unit after the digits ends it") << "1000ms" << 1000.0 << true;
    QTest::newRow("leading blank skipped") << " 250" << 250.0 << true;
    QTest::newRow("blank inside ignored") << "2 500" << 2500.0 << true;
    QTest::newRow("tab and line feed ignored") << "\t1\n2" << 12.0 << true;
    QTest::newRow("carriage return ends it") << "1\r2" << 1.0 << true;
    QTest::newRow("comma ends the number") << "1,500" << 1.0 << true;
    QTest::newRow("negative") << "-5" << -5.0 << true;
    QTest::newRow("explicit plus") << "+7" << 7.0 << true;
    QTest::newRow("sign alone") << "-" << 0.0 << false;
    QTest::newRow("fraction") << "0.4" << 0.4 << true;
    QTest::newRow("fraction without leading digit") << ".5" << 0.5 << true;
    QTest::newRow("trailing point") << "5." << 5.0 << true;
    QTest::newRow("point alone") << "." << 0.0 << false;
    QTest::newRow("second point ends it") << "1.2.3" << 1.2 << true;
    QTest::newRow("half up") << "1500.5" << 1500.5 << true;
    QTest::newRow("exponent E") << "1E3" << 1000.0 << true;
    QTest::newRow("exponent D") << "2.5d2" << 250.0 << true;
    QTest::newRow("negative exponent") << "5e-1" << 0.5 << true;
    QTest::newRow("exponent without digits is dropped") << "7e" << 7.0 << true;
    QTest::newRow("exponent sign without digits is dropped") << "7e+x" << 7.0 << true;
    QTest::newRow("blanks inside exponent ignored") << "1 e 2" << 100.0 << true;
    QTest::newRow("hexadecimal") << "&H1F4" << 500.0 << true;
    QTest::newRow("hexadecimal lower case") << "&hff" << 255.0 << true;
    QTest::newRow("hexadecimal stops at non-digit") << "&H1G" << 1.0 << true;
    QTest::newRow("hexadecimal without digits") << "&H" << 0.0 << false;
    QTest::newRow("octal") << "&O17" << 15.0 << true;
    QTest::newRow("octal stops at 8") << "&o78" << 7.0 << true;
    QTest::newRow("ampersand alone") << "&" << 0.0 << false;
    QTest::newRow("non-Latin text stops it") << QString::fromUtf8("12\u00e9") << 12.0 << true;
    QTest::newRow("decimal comma is not a point") << "10,5" << 10.0 << true;
    QTest::newRow("too small for a double reads 0")
        << "0." + QString(330, '0') + "1" << 0.0 << true;
    QTest::newRow("too large despite a negative exponent is infinite")
        << QString(400, '9') + "e-5" << qInf() << true;
}

void tst_NumberText::leadingNumber() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(bool, found);
    const LeadingNumber n = readLeadingNumber(text);
    QCOMPARE(n.value, value);
    QCOMPARE(n.found, found);
    QCOMPARE(leadingNumberValue(text), value);
}

void tst_NumberText::roundsHalfToEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("rounded");
    QTest::newRow("10.5 to 10") << 10.5 << 10;
    QTest::newRow("11.5 to 12") << 11.5 << 12;
    QTest::newRow("12.5 to 12") << 12.5 << 12;
    QTest::newRow("13.5 to 14") << 13.5 << 14;
    QTest::newRow("1500.5 to 1500") << 1500.5 << 1500;
    QTest::newRow("1501.5 to 1502") << 1501.5 << 1502;
    QTest::newRow("0.4 to 0") << 0.4 << 0;
    QTest::newRow("0.6 to 1") << 0.6 << 1;
    QTest::newRow("-2.5 to -2") << -2.5 << -2;
    QTest::newRow("-3.5 to -4") << -3.5 << -4;
}

void tst_NumberText::roundsHalfToEven() {
    QFETCH(double, value);
    QFETCH(int, rounded);
    QCOMPARE(roundHalfEven(value), double(rounded));
    QCOMPARE(roundHalfEvenToInt(value), std::optional<int>(rounded));
}

void tst_NumberText::integerRoundingRefusesWhatDoesNotFit() {
    QCOMPARE(roundHalfEvenToInt(2147483647.4), std::optional<int>(2147483647));
    QVERIFY(!roundHalfEvenToInt(2147483648.0));
    QVERIFY(!roundHalfEvenToInt(-2147483649.0));
    QVERIFY(!roundHalfEvenToInt(std::nan("")));
    QVERIFY(!roundHalfEvenToInt(readLeadingNumber("1e999").value));
}

void tst_NumberText::displayNumberHasOneBlankBeforeNonNegative_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("positive") << 1000.0 << " 1000";
    QTest::newRow("zero") << 0.0 << " 0";
    QTest::newRow("negative zero") << -0.0 << " 0";
    QTest::newRow("negative") << -5.0 << "-5";
    QTest::newRow("fraction") << 2.5 << " 2.5";
}

void tst_NumberText::displayNumberHasOneBlankBeforeNonNegative() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(displayNumber(value), text);
    if (value == std::floor(value))
        QCOMPARE(displayNumber(qint64(value)), text);
}

void tst_NumberText::booleanText() {
    QCOMPARE(boolText(true), QStringLiteral("True"));
    QCOMPARE(boolText(false), QStringLiteral("False"));
}

QTEST_GUILESS_MAIN(tst_NumberText)
#include "tst_numbertext.moc"
