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

// The look of the first character of `probe`: "b", "i", "u", point size, font, colour and
// the paragraph's alignment, in that order, whatever of them it has.
QString lookOf(QTextDocument &doc, const QString &probe) {
    QTextCursor cursor(&doc);
    cursor.setPosition(int(doc.toRawText().indexOf(probe)) + 1);
    const QTextCharFormat f = cursor.charFormat();
    QStringList look;
    if (f.fontWeight() == QFont::Bold)
        look << "b";
    if (f.fontItalic())
        look << "i";
    if (f.fontUnderline())
        look << "u";
    if (f.hasProperty(QTextFormat::FontPointSize))
        look << QString::number(f.fontPointSize()) + "pt";
    if (!f.fontFamilies().toStringList().isEmpty())
        look << f.fontFamilies().toStringList().join(',');
    if (f.hasProperty(QTextFormat::ForegroundBrush))
        look << f.foreground().color().name();
    const Qt::Alignment align = cursor.block().blockFormat().alignment();
    if (align & (Qt::AlignHCenter | Qt::AlignRight))
        look << (align & Qt::AlignHCenter ? "centred" : "right");
    return look.join(' ');
}
} // namespace

class tst_RtfReader : public QObject {
    Q_OBJECT

private slots:
    void text_data() {
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
        QTest::newRow("escaped braces and backslash")
            << QByteArray("{\\rtf1 \\{x\\}\\\\}") << "{x}\\";
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
        // Damaged input: whatever text there is, never a failure.
        QTest::newRow("group never closed") << QByteArray("{\\rtf1 abc{\\b def") << "abcdef";
        QTest::newRow("more closing than opening braces") << QByteArray("{\\rtf1 a}}}b}") << "ab";
        QTest::newRow("huge numbers are clamped")
            << QByteArray("{\\rtf1\\fs99999999999999999999 x\\f-99999999999999 y\\cf88888888888888 "
                          "z\\bin-5 v\\uc99999999999 \\u99999999999 skipped}")
            << QString("xyzv") + QChar(0xFFFD);
        QTest::newRow("binary data is skipped, braces inside too")
            << QByteArray("{\\rtf1 a\\bin5 }}{{{b}") << "ab";
        QTest::newRow("binary count past the end")
            << QByteArray("{\\rtf1 a\\bin999999999 xyz") << "a";
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
        const int depth = 200000;
        QTest::newRow("deep nesting is skipped, not followed")
            << "{\\rtf1 before" + QByteArray(depth, '{') + "\\b deep" + QByteArray(depth, '}') +
                   " after}"
            << "before after";
        QTest::newRow("right at the nesting limit the text shows")
            << "{\\rtf1" + QByteArray(RtfReader::MaxDepth - 1, '{') + "shown" +
                   QByteArray(RtfReader::MaxDepth, '}')
            << "shown";
    }
    void text() {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, text);
        QCOMPARE(read(rtf), text);
    }

    void look_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("probe");
        QTest::addColumn<QString>("look");
        const QByteArray words = "{\\rtf1 n\\b b\\b0 n\\i i\\i0 n\\ul u\\ulnone n\\ul v\\ul0 w\\fs40 "
                                 "big\\plain p}";
        QTest::newRow("plain") << words << "n" << "";
        QTest::newRow("b") << words << "b" << "b";
        QTest::newRow("i") << words << "i" << "i";
        QTest::newRow("i0") << words << "nu" << "";
        QTest::newRow("ul") << words << "u" << "u";
        QTest::newRow("ulnone") << words << "nv" << "";
        QTest::newRow("ul0") << words << "w" << "";
        QTest::newRow("fs in half points") << words << "big" << "20pt";
        QTest::newRow("plain resets") << words << "p" << "";
        const QByteArray groups = "{\\rtf1 a{\\b\\i b{\\ul c}d}e}";
        QTest::newRow("group formatting") << groups << "b" << "b i";
        QTest::newRow("nested group adds") << groups << "c" << "b i u";
        QTest::newRow("closed group restores") << groups << "d" << "b i";
        QTest::newRow("outside again") << groups << "e" << "";
        const QByteArray tables =
            "{\\rtf1\\deff1{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss\\fcharset0 "
            "Arial{\\*\\panose 020b0604020202020204};}\\f2 Courier;}"
            "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}"
            "D\\f0 T\\f2 C\\cf1 R\\cf2 N\\cf0 A\\cf99 Z}";
        QTest::newRow("default font") << tables << "D" << "Arial";
        QTest::newRow("font 0") << tables << "T" << "Times New Roman";
        QTest::newRow("font 2 after a nested group") << tables << "C" << "Courier";
        QTest::newRow("colour 1") << tables << "R" << "Courier #ff0000";
        QTest::newRow("colour 2") << tables << "N" << "Courier #000080";
        QTest::newRow("colour 0 is the default") << tables << "A" << "Courier";
        QTest::newRow("unknown colour is the default") << tables << "Z" << "Courier";
        const QByteArray aligned = "{\\rtf1\\qc centred\\par\\pard left\\par\\qr right}";
        QTest::newRow("qc") << aligned << "centred" << "centred";
        QTest::newRow("pard") << aligned << "left" << "";
        QTest::newRow("qr") << aligned << "right" << "right";
        QTest::newRow("after deep nesting")
            << "{\\rtf1 x" + QByteArray(200000, '{') + "\\b y" + QByteArray(200000, '}') + " after}"
            << "after" << "";
    }
    void look() {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, probe);
        QFETCH(QString, look);
        QTextDocument doc;
        read(rtf, &doc);
        QCOMPARE(lookOf(doc, probe), look);
    }

    void binaryNoiseNeverFails() {
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

    void hugeInputOfTinyRunsStaysLinear() {
        // Formatting switched on every character: one pass, no quadratic rework.
        QByteArray rtf = "{\\rtf1 ";
        for (int i = 0; i < 20000; ++i)
            rtf += "\\b x\\b0 y";
        QCOMPARE(read(rtf + "}").size(), 40000);
    }
};

QTEST_MAIN(tst_RtfReader)
#include "tst_rtfreader.moc"
