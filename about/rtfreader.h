#pragma once

#include <QByteArray>

class QTextCursor;

namespace Orvik {

// Our own reader of the rich text format, enough for an About note: groups, paragraphs and
// line breaks, tabs, bold, italic, underline, font size, fonts from the font table, colours
// from the colour table, \'hh bytes in the document's code page, \uN with its fallback, and
// destinations that are skipped (\*, \info, \stylesheet, pictures, headers...). Anything
// else is ignored. Malformed input (unbalanced braces, huge numbers, deep nesting, binary
// bytes) is read as far as it makes sense, in one pass, without failing.
class RtfReader {
public:
    // Groups nested deeper than this are skipped whole.
    static constexpr int MaxDepth = 64;

    // Inserts the document at the cursor. Input that does not start with "{\rtf" is
    // inserted as plain text, one byte per character.
    static void insert(const QByteArray &rtf, QTextCursor &cursor);
};

} // namespace Orvik
