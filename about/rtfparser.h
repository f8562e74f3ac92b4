#pragma once

#include "ansicodepage.h"

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <QTextCharFormat>

class QTextCursor;

namespace Orvik {

enum class RtfDestination { Body, FontTable, ColorTable, Skip };

// What a group carries: its destination and the character and paragraph formatting.
struct RtfGroupState {
    RtfDestination destination = RtfDestination::Body;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int font = -1;      // -1: the document's default font
    int halfPoints = 0; // 0: the view's own size
    int color = 0;
    int fallbackLength = 1; // \uc
    Qt::Alignment alignment = Qt::AlignLeft;
};

// One pass over a rich text document, inserting what it shows at a cursor. Used by
// RtfReader; see there for what is read.
class RtfParser {
public:
    RtfParser(const QByteArray &input, QTextCursor &cursor)
        : m_in(input)
        , m_cursor(cursor) {}

    void run();

private:
    using WordHandler = void (*)(RtfParser &parser, bool hasParam, int param);
    static const QHash<QByteArray, WordHandler> &bodyWords();

    void openGroup();
    void closeGroup();
    void controlWord(const QByteArray &word, bool hasParam, int param);
    void controlSymbol(char symbol);
    void unicodeChar(bool hasParam, int param);
    void textByte(char byte);
    void textChars(const QString &text);
    bool consumeFallback();
    void flushBytes();
    void flushRun();
    void paragraph();
    QTextCharFormat charFormat() const;
    void endFontEntry();
    void endColorEntry();
    char peek(qsizetype offset = 0) const {
        return m_pos + offset < m_in.size() ? m_in.at(m_pos + offset) : '\0';
    }
    bool atEnd(qsizetype offset = 0) const { return m_pos + offset >= m_in.size(); }

    const QByteArray &m_in;
    qsizetype m_pos = 0;
    QTextCursor &m_cursor;

    RtfGroupState m_state;
    QList<RtfGroupState> m_stack;
    int m_depth = 0; // open groups, also those past MaxDepth
    bool m_ignorableNext = false;
    int m_fallbackLeft = 0;

    AnsiCodePage m_codePage;
    QByteArray m_bytes; // body bytes not yet decoded
    QString m_run;      // decoded text not yet inserted
    QTextCharFormat m_runFormat;
    Qt::Alignment m_runAlignment = Qt::AlignLeft;
    Qt::Alignment m_blockAlignment = Qt::AlignLeft;
    bool m_blockStarted = false;

    int m_defaultFont = 0;
    QHash<int, QString> m_fonts;
    int m_fontEntry = 0;
    QByteArray m_fontName;
    QList<QColor> m_colors;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorGiven = false;
};

} // namespace Orvik
