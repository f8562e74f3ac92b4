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
        const auto row = [](const char *name, const QByteArray &rtf, const QString &text) {
            QTest::newRow(name) << rtf << text;
        };
        const QString para = QString(QChar::ParagraphSeparator);
        row("plain words", "{\\rtf1 Hello world}", "Hello world");
        row("control word delimiter blank is eaten", "{\\rtf1\\b Bold\\b0  after}", "Bold after");
        row("paragraph, line break and tab", "{\\rtf1 one\\par two\\line three\\tab four}",
            "one" + para + "two" + QChar(QChar::LineSeparator) + "three\tfour");
        row("line ends in the source are not text", "{\\rtf1 a\r\nb\nc}", "abc");
        row("escaped braces and backslash", "{\\rtf1 \\{x\\}\\\\}", "{x}\\");
        row("hex byte in code page 1252", "{\\rtf1\\ansi\\ansicpg1252 caf\\'e9 \\'80}", "café €");
        row("unicode with its fallback: a character, a hex byte; a negative one",
            "{\\rtf1 \\u8364?x\\u233\\'e9y\\u-4064?}", "€xéy" + QString(QChar(0xF020)));
        row("uc2 skips two fallback characters", "{\\rtf1\\uc2 \\u8364ab c}", "€ c");
        row("fallback ends at a group boundary", "{\\rtf1\\uc3 {\\u8364}ab}", "€ab");
        row("destinations, tables and pictures are not text",
            "{\\rtf1{\\*\\generator Riched20 10.0;}{\\*\\whatever {nested} text}{\\info{\\title T}"
            "{\\author A}}{\\stylesheet{\\s0 Normal;}}{\\fonttbl{\\f0 Arial;}}"
            "{\\colortbl ;\\red255\\green0\\blue0;}{\\pict\\wmetafile8 0a0b}x}",
            "x");
        row("named characters",
            "{\\rtf1\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}", "—–•‘’“”");
        row("not rich text is plain text", "just text\r\nsecond", "just text" + para + "second");
        // Damaged input: whatever text there is, never a failure.
        row("group never closed", "{\\rtf1 abc{\\b def", "abcdef");
        row("more closing than opening braces", "{\\rtf1 a}}}b}", "ab");
        row("huge numbers are clamped",
            "{\\rtf1\\fs99999999999999999999 x\\f-99999999999999 y\\cf88888888888888 z\\bin-5 v"
            "\\uc99999999999 \\u99999999999 skipped}",
            "xyzv" + QString(QChar(0xFFFD)));
        row("binary data is skipped, braces inside too", "{\\rtf1 a\\bin5 }}{{{b}", "ab");
        row("hex byte without digits", "{\\rtf1 a\\'zz}", "azz");
        row("control word of endless letters", "{\\rtf1 \\" + QByteArray(100000, 'x') + " ok}",
            "ok");
        row("zero and control bytes in text", QByteArray("{\\rtf1 a\0b\x01\x7f c}", 15),
            "ab\x7f c");
        row("empty input", QByteArray(), "");
        // Formatting switched on every character: one pass, no quadratic rework.
        row("many tiny runs", "{\\rtf1 " + QByteArray("\\b x\\b0 y").repeated(20000) + "}",
            QString("xy").repeated(20000));
        const QByteArray deep(200000, '{'), deepEnd(200000, '}');
        row("deep nesting is skipped, not followed",
            "{\\rtf1 before" + deep + "\\b deep" + deepEnd + " after}", "before after");
        row("right at the nesting limit the text shows",
            "{\\rtf1" + deep.left(RtfReader::MaxDepth - 1) + "shown" +
                deepEnd.left(RtfReader::MaxDepth),
            "shown");
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
