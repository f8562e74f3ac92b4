#include "about/rtfreader.h"

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
        QTest::newRow("paragraph, line break and tab")
            << QByteArray("{\\rtf1 one\\par two\\line three\\tab four}")
            << "one" + para + "two" + QChar(QChar::LineSeparator) + "three\tfour";
        QTest::newRow("line ends in the source are not text")
            << QByteArray("{\\rtf1 a\r\nb\nc}") << "abc";
        QTest::newRow("escaped braces and backslash")
            << QByteArray("{\\rtf1 \\{x\\}\\\\}") << "{x}\\";
        QTest::newRow("hex byte in code page 1252")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1252 caf\\'e9 \\'80}")
            << QString::fromUtf8("café €");
        QTest::newRow("unicode with its fallback: a character, a hex byte; a negative one")
            << QByteArray("{\\rtf1 \\u8364?x\\u233\\'e9y\\u-4064?}")
            << QString::fromUtf8("€xéy") + QChar(0xF020);
        QTest::newRow("uc2 skips two fallback characters")
            << QByteArray("{\\rtf1\\uc2 \\u8364ab c}") << QString::fromUtf8("€ c");
        QTest::newRow("fallback ends at a group boundary")
            << QByteArray("{\\rtf1\\uc3 {\\u8364}ab}") << QString::fromUtf8("€ab");
        QTest::newRow("destinations, tables and pictures are not text")
            << QByteArray(
                   "{\\rtf1{\\*\\generator Riched20 10.0;}{\\*\\whatever {nested} text}"
                   "{\\info{\\title T}{\\author A}}{\\stylesheet{\\s0 Normal;}}{\\fonttbl{\\f0 "
                   "Arial;}}{\\colortbl ;\\red255\\green0\\blue0;}{\\pict\\wmetafile8 0a0b}x}")
            << "x";
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
        QTest::newRow("hex byte without digits") << QByteArray("{\\rtf1 a\\'zz}") << "azz";
        QTest::newRow("control word of endless letters")
            << (QByteArray("{\\rtf1 \\") + QByteArray(100000, 'x') + " ok}") << "ok";
        QTest::newRow("zero and control bytes in text")
            << QByteArray("{\\rtf1 a\0b\x01\x7f c}", 15) << "ab\x7f c";
        QTest::newRow("empty input") << QByteArray() << "";
        // Formatting switched on every character: one pass, no quadratic rework.
        QTest::newRow("many tiny runs")
            << "{\\rtf1 " + QByteArray("\\b x\\b0 y").repeated(20000) + "}"
            << QString("xy").repeated(20000);
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

    // "probe=look" for every probe, the look as lookOf() tells it.
    void look_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("looks");
        QTest::newRow("character switches")
            << QByteArray("{\\rtf1 n\\b b\\b0 o\\i i\\i0 p\\ul u\\ulnone q\\ul v\\ul0 w\\fs40 big"
                          "\\plain r}")
            << "n= b=b o= i=i p= u=u q= v=u w= big=20pt r=";
        QTest::newRow("groups add and restore")
            << QByteArray("{\\rtf1 a{\\b\\i b{\\ul c}d}e}") << "a= b=b i c=b i u d=b i e=";
        QTest::newRow("font and colour tables")
            << QByteArray("{\\rtf1\\deff1{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss"
                          "\\fcharset0 Arial{\\*\\panose 020b0604020202020204};}\\f2 Courier;}"
                          "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}"
                          "D\\f0 T\\f2 C\\cf1 R\\cf2 N\\cf0 A\\cf99 Z}")
            << "D=Arial T=Times New Roman C=Courier R=Courier #ff0000 N=Courier #000080 A=Courier "
               "Z=Courier";
        QTest::newRow("alignment")
            << QByteArray("{\\rtf1\\qc centred\\par\\pard left\\par\\qr right}")
            << "centred=centred left= right=right";
        QTest::newRow("after deep nesting")
            << "{\\rtf1 x" + QByteArray(200000, '{') + "\\b y" + QByteArray(200000, '}') + " after}"
            << "after=";
    }
    void look() {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, looks);
        QTextDocument doc;
        read(rtf, &doc);
        // Each probe is a word with no '='; its look runs to the next probe.
        const QStringList parts = looks.split(QRegularExpression(" (?=\\S+=)"));
        for (const QString &part : parts)
            QCOMPARE(part.section('=', 0, 0) + '=' + lookOf(doc, part.section('=', 0, 0)), part);
    }
};

QTEST_MAIN(tst_RtfReader)
#include "tst_rtfreader.moc"
