#include "rtfreader.h"

#include "ansicodepage.h"
#include "rtfparser.h"

#include <QTextCursor>

namespace Orvik {

namespace {

bool isAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool looksLikeRtf(const QByteArray &input) {
    qsizetype i = 0;
    while (i < input.size() && isAsciiSpace(input.at(i)))
        ++i;
    return input.mid(i, 5) == "{\\rtf";
}

} // namespace

void RtfReader::insert(const QByteArray &rtf, QTextCursor &cursor) {
    if (!looksLikeRtf(rtf)) {
        QString text = AnsiCodePage::decode1252(rtf);
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        text.removeIf([](QChar c) { return c.unicode() < 0x20 && c != u'\n' && c != u'\t'; });
        cursor.insertText(text);
        return;
    }
    // One edit block: the document lays itself out once, not after every run.
    cursor.beginEditBlock();
    RtfParser parser(rtf, cursor);
    parser.run();
    cursor.endEditBlock();
}

} // namespace Orvik
