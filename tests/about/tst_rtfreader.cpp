#include "about/rtfreader.h"

#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

using namespace Orvik;

namespace {

QString read(const QByteArray &rtf, QTextDocument *doc = nullptr) {
    QTextDocument own;
    QTextDocument &target = doc ? *doc : own;
    QTextCursor cursor(&target);
    RtfReader::insert(rtf, cursor);
    return target.toRawText();
}

// The format of the character at `index` of the document's text.
QTextCharFormat formatAt(QTextDocument &doc, int index) {
    QTextCursor cursor(&doc);
    cursor.setPosition(index + 1);
    return cursor.charFormat();
}

int indexOf(QTextDocument &doc, const QString &text) {
    return int(doc.toRawText().indexOf(text));
}

} // namespace

class tst_RtfReader : public QObject {
    Q_OBJECT

private slots:
    void text_data();
    void text();
    void characterFormatting();
    void groupsKeepTheirFormatting();
    void fontAndColourTables();
    void alignment();
    void malformed_data();
    void malformed();
    void deepNestingIsSkippedNotFollowed();
    void binaryNoiseNeverFails();
    void hugeInputOfTinyRunsStaysLinear();
};

void tst_RtfReader::text_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");

    const QString para = QString(QChar::ParagraphSeparator);
    QTest::newRow("plain words") << QByteArray("{\\rtf1 Hello world}") << "Hello world";
    QTest::newRow("control word delimiter blank is eaten")
        << QByteArray("{\\rtf1\\b Bold\\b0  after}") << "Bold after";
    QTest::newRow("par starts a paragraph")
        << QByteArray("{\\rtf1 one\\par two}") << "one" + para + "two";
    QTest::newRow("line is a line break")
        << QByteArray("{\\rtf1 one\\line two}") << "one" + QString(QChar::LineSeparator) + "two";
    QTest::newRow("tab") << QByteArray("{\\rtf1 a\\tab b}") << "a\tb";
    QTest::newRow("line ends in the source are not text")
        << QByteArray("{\\rtf1 a\r\nb\nc}") << "abc";
    QTest::newRow("escaped braces and backslash") << QByteArray("{\\rtf1 \\{x\\}\\\\}") << "{x}\\";
    QTest::newRow("hex byte in code page 1252")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1252 caf\\'e9 \\'80}") << QString::fromUtf8("café €");
    QTest::newRow("unicode with one fallback character")
        << QByteArray("{\\rtf1 \\u8364?x}") << QString::fromUtf8("€x");
    QTest::newRow("unicode fallback of a hex byte")
        << QByteArray("{\\rtf1 \\u233\\'e9x}") << QString::fromUtf8("éx");
    QTest::newRow("uc2 skips two fallback characters")
        << QByteArray("{\\rtf1\\uc2 \\u8364ab c}") << QString::fromUtf8("€ c");
    QTest::newRow("negative unicode parameter")
        << QByteArray("{\\rtf1 \\u-4064?}") << QString(QChar(0xF020));
    QTest::newRow("fallback ends at a group boundary")
        << QByteArray("{\\rtf1\\uc3 {\\u8364}ab}") << QString::fromUtf8("€ab");
    QTest::newRow("ignorable destination")
        << QByteArray("{\\rtf1{\\*\\generator Riched20 10.0;}shown}") << "shown";
    QTest::newRow("unknown ignorable destination")
        << QByteArray("{\\rtf1{\\*\\whatever {nested} text}shown}") << "shown";
    QTest::newRow("info and stylesheet")
        << QByteArray("{\\rtf1{\\info{\\title T}{\\author A}}{\\stylesheet{\\s0 Normal;}}x}")
        << "x";
    QTest::newRow("font and colour tables are not text")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl ;\\red255\\green0\\blue0;}x}")
        << "x";
    QTest::newRow("picture skipped") << QByteArray("{\\rtf1{\\pict\\wmetafile8 0a0b0c}x}") << "x";
    QTest::newRow("named characters")
        << QByteArray("{\\rtf1\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}")
        << QString::fromUtf8("—–•‘’“”");
    QTest::newRow("not rich text is plain text")
        << QByteArray("just text\r\nsecond") << "just text" + para + "second";
}

void tst_RtfReader::text() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(read(rtf), text);
}

void tst_RtfReader::characterFormatting() {
    QTextDocument doc;
    read("{\\rtf1 n\\b b\\b0 n\\i i\\i0 n\\ul u\\ulnone n\\ul v\\ul0 n\\fs40 big\\plain p}", &doc);
    QCOMPARE(formatAt(doc, indexOf(doc, "b")).fontWeight(), int(QFont::Bold));
    QCOMPARE(formatAt(doc, 0).fontWeight(), int(QFont::Normal));
    QVERIFY(formatAt(doc, indexOf(doc, "i")).fontItalic());
    QVERIFY(!formatAt(doc, indexOf(doc, "i") + 1).fontItalic());
    QVERIFY(formatAt(doc, indexOf(doc, "u")).fontUnderline());
    QVERIFY(!formatAt(doc, indexOf(doc, "u") + 1).fontUnderline());
    QVERIFY(formatAt(doc, indexOf(doc, "v")).fontUnderline());
    QVERIFY(!formatAt(doc, indexOf(doc, "v") + 1).fontUnderline());
    QCOMPARE(formatAt(doc, indexOf(doc, "big")).fontPointSize(), 20.0);
    QVERIFY(!formatAt(doc, indexOf(doc, "p")).hasProperty(QTextFormat::FontPointSize));
}

void tst_RtfReader::groupsKeepTheirFormatting() {
    QTextDocument doc;
    read("{\\rtf1 a{\\b\\i b{\\ul c}d}e}", &doc);
    QCOMPARE(doc.toRawText(), QStringLiteral("abcde"));
    QCOMPARE(formatAt(doc, 0).fontWeight(), int(QFont::Normal));
    QCOMPARE(formatAt(doc, 1).fontWeight(), int(QFont::Bold));
    QVERIFY(formatAt(doc, 2).fontUnderline());
    QVERIFY(formatAt(doc, 2).fontItalic());
    QVERIFY(!formatAt(doc, 3).fontUnderline());
    QCOMPARE(formatAt(doc, 3).fontWeight(), int(QFont::Bold));
    QCOMPARE(formatAt(doc, 4).fontWeight(), int(QFont::Normal));
    QVERIFY(!formatAt(doc, 4).fontItalic());
}

void tst_RtfReader::fontAndColourTables() {
    QTextDocument doc;
    read("{\\rtf1\\deff1{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss\\fcharset0 "
         "Arial{\\*\\panose 020b0604020202020204};}\\f2 Courier;}"
         "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}"
         "d\\f0 t\\f2 c\\cf1 r\\cf2 n\\cf0 a\\cf99 z}",
         &doc);
    QCOMPARE(doc.toRawText(), QStringLiteral("dtcrnaz"));
    QCOMPARE(formatAt(doc, 0).fontFamilies().toStringList(), QStringList{"Arial"});
    QCOMPARE(formatAt(doc, 1).fontFamilies().toStringList(), QStringList{"Times New Roman"});
    QCOMPARE(formatAt(doc, 2).fontFamilies().toStringList(), QStringList{"Courier"});
    QCOMPARE(formatAt(doc, 3).foreground().color(), QColor(255, 0, 0));
    QCOMPARE(formatAt(doc, 4).foreground().color(), QColor(0, 0, 128));
    QVERIFY(!formatAt(doc, 5).hasProperty(QTextFormat::ForegroundBrush));
    QVERIFY(!formatAt(doc, 6).hasProperty(QTextFormat::ForegroundBrush));
}

void tst_RtfReader::alignment() {
    QTextDocument doc;
    read("{\\rtf1\\qc centred\\par\\pard left\\par\\qr right}", &doc);
    QCOMPARE(doc.blockCount(), 3);
    QCOMPARE(doc.findBlockByNumber(0).blockFormat().alignment(), Qt::AlignHCenter);
    QCOMPARE(doc.findBlockByNumber(1).blockFormat().alignment(), Qt::AlignLeft);
    QCOMPARE(doc.findBlockByNumber(2).blockFormat().alignment(), Qt::AlignRight);
}

void tst_RtfReader::malformed_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");

    QTest::newRow("group never closed") << QByteArray("{\\rtf1 abc{\\b def") << "abcdef";
    QTest::newRow("more closing than opening braces") << QByteArray("{\\rtf1 a}}}b}") << "ab";
    QTest::newRow("huge numbers are clamped")
        << QByteArray("{\\rtf1\\fs99999999999999999999 x\\f-99999999999999 y\\cf88888888888888 "
                      "z\\bin-5 v\\uc99999999999 \\u99999999999 skipped}")
        << QString("xyzv") + QChar(0xFFFD);
    QTest::newRow("binary data is skipped, braces inside too")
        << QByteArray("{\\rtf1 a\\bin5 }}{{{b}") << "ab";
    QTest::newRow("binary count past the end") << QByteArray("{\\rtf1 a\\bin999999999 xyz") << "a";
    QTest::newRow("backslash at the end") << QByteArray("{\\rtf1 a\\") << "a";
    QTest::newRow("hex byte cut short") << QByteArray("{\\rtf1 a\\'6") << "a";
    QTest::newRow("hex byte without digits") << QByteArray("{\\rtf1 a\\'zz}") << "azz";
    QTest::newRow("control word of endless letters")
        << (QByteArray("{\\rtf1 \\") + QByteArray(100000, 'x') + " ok}") << "ok";
    QTest::newRow("zero and control bytes in text")
        << QByteArray("{\\rtf1 a\0b\x01\x7f c}", 15) << "ab\x7f c";
    QTest::newRow("unicode fallback past the end") << QByteArray("{\\rtf1\\uc5 \\u65") << "A";
    QTest::newRow("font table entry without semicolon")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial}}{\\f0 x}}") << "x";
    QTest::newRow("empty input") << QByteArray() << "";
    QTest::newRow("only the header") << QByteArray("{\\rtf") << "";
}

void tst_RtfReader::malformed() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(read(rtf), text);
}

void tst_RtfReader::deepNestingIsSkippedNotFollowed() {
    const int depth = 200000;
    QByteArray rtf = "{\\rtf1 before";
    rtf += QByteArray(depth, '{') + "\\b deep" + QByteArray(depth, '}');
    rtf += " after}";
    QTextDocument doc;
    QCOMPARE(read(rtf, &doc), QStringLiteral("before after"));
    QCOMPARE(formatAt(doc, indexOf(doc, "after")).fontWeight(), int(QFont::Normal));

    // Right at the limit the text still shows.
    QByteArray atLimit = "{\\rtf1" + QByteArray(RtfReader::MaxDepth - 1, '{') + "shown" +
                         QByteArray(RtfReader::MaxDepth, '}');
    QCOMPARE(read(atLimit), QStringLiteral("shown"));
}

void tst_RtfReader::binaryNoiseNeverFails() {
    QRandomGenerator random(20261206);
    for (int round = 0; round < 20; ++round) {
        QByteArray rtf = "{\\rtf1 ";
        for (int i = 0; i < 20000; ++i)
            rtf.append(char(random.bounded(256)));
        QTextDocument doc;
        QTextCursor cursor(&doc);
        RtfReader::insert(rtf, cursor);
        QVERIFY(doc.characterCount() >= 1);
    }
}

void tst_RtfReader::hugeInputOfTinyRunsStaysLinear() {
    // Formatting switched on every character: one pass, no quadratic rework.
    QByteArray rtf = "{\\rtf1 ";
    for (int i = 0; i < 20000; ++i)
        rtf += "\\b x\\b0 y";
    rtf += "}";
    QCOMPARE(read(rtf).size(), 40000);
}

QTEST_MAIN(tst_RtfReader)
#include "tst_rtfreader.moc"
