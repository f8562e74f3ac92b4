#include "rtfparser.h"

#include "rtfreader.h"

#include <QTextBlockFormat>
#include <QTextCursor>

#include <algorithm>

namespace Orvik {

namespace {

constexpr int MaxDepth = RtfReader::MaxDepth;
constexpr int MaxWordLength = 32;
constexpr int MaxTableEntries = 4096;
constexpr qint64 NumberLimit = 1'000'000'000;
constexpr int MaxFallbackSkip = 16;
constexpr int MaxHalfPoints = 3276;

// The format's syntax is ASCII whatever the locale says about other bytes.
bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isAsciiHexDigit(char c) {
    return isAsciiDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}

bool isSkippedDestination(const QByteArray &word) {
    // clang-format off
    static const QByteArray words[] = {
        "info", "stylesheet", "pict", "header", "headerl", "headerr", "headerf", "footer",
        "footerl", "footerr", "footerf", "footnote", "fldinst", "object", "themedata",
        "colorschememapping", "latentstyles", "datastore", "xmlnstbl", "listtable",
        "listoverridetable", "rsidtbl", "generator", "filetbl", "revtbl", "pgdsctbl",
        "bkmkstart", "bkmkend", "nonshppict", "shppict", "private", "userprops", "xmlopen",
        "annotation", "atnid", "atnauthor", "comment", "doccomm", "operator", "title",
        "subject", "author", "keywords", "company",
    };
    // clang-format on
    return std::find(std::begin(words), std::end(words), word) != std::end(words);
}

} // namespace

void RtfParser::run() {
    while (!atEnd()) {
        const char c = m_in.at(m_pos++);
        if (m_depth > MaxDepth && c != '{' && c != '}' && c != '\\')
            continue;
        switch (c) {
        case '{':
            openGroup();
            break;
        case '}':
            closeGroup();
            break;
        case '\\': {
            if (atEnd())
                break;
            const char next = peek();
            if (isAsciiLetter(next)) {
                QByteArray word;
                while (!atEnd() && isAsciiLetter(peek())) {
                    if (word.size() < MaxWordLength)
                        word.append(peek());
                    ++m_pos;
                }
                bool negative = false;
                if (peek() == '-' && isAsciiDigit(peek(1))) {
                    negative = true;
                    ++m_pos;
                }
                bool hasParam = false;
                qint64 value = 0;
                while (!atEnd() && isAsciiDigit(peek())) {
                    hasParam = true;
                    value = std::min(NumberLimit, value * 10 + (peek() - '0'));
                    ++m_pos;
                }
                if (peek() == ' ')
                    ++m_pos;
                controlWord(word, hasParam, int(negative ? -value : value));
            } else {
                ++m_pos;
                if (m_depth > MaxDepth)
                    break;
                controlSymbol(next);
            }
            break;
        }
        case '\r':
        case '\n':
            break;
        default:
            textByte(c);
            break;
        }
    }
    flushBytes();
    flushRun();
}

void RtfParser::openGroup() {
    ++m_depth;
    m_fallbackLeft = 0;
    if (m_depth > MaxDepth)
        return;
    flushBytes();
    m_stack.append(m_state);
    m_ignorableNext = false;
}

void RtfParser::closeGroup() {
    m_fallbackLeft = 0;
    m_ignorableNext = false;
    if (m_depth == 0)
        return; // a closing brace without its group
    --m_depth;
    if (m_depth >= MaxDepth)
        return;
    flushBytes();
    if (m_state.destination == RtfDestination::FontTable && !m_fontName.isEmpty())
        endFontEntry();
    if (!m_stack.isEmpty())
        m_state = m_stack.takeLast();
}

void RtfParser::controlWord(const QByteArray &word, bool hasParam, int param) {
    if (word == "bin") {
        // Raw bytes follow, wherever they stand; they are data, never text or braces.
        const qsizetype count = hasParam && param > 0 ? param : 0;
        m_pos = std::min(m_in.size(), m_pos + count);
        return;
    }
    const bool ignorable = m_ignorableNext;
    m_ignorableNext = false;
    if (m_depth > MaxDepth || m_state.destination == RtfDestination::Skip)
        return;
    if (consumeFallback())
        return;

    if (word == "fonttbl") {
        m_state.destination = RtfDestination::FontTable;
        return;
    }
    if (word == "colortbl") {
        flushBytes();
        m_state.destination = RtfDestination::ColorTable;
        m_colorGiven = false;
        return;
    }
    if (ignorable || isSkippedDestination(word)) {
        flushBytes();
        m_state.destination = RtfDestination::Skip;
        return;
    }

    if (m_state.destination == RtfDestination::FontTable) {
        if (word == "f")
            m_fontEntry = param;
        return;
    }
    if (m_state.destination == RtfDestination::ColorTable) {
        const int component = std::clamp(param, 0, 255);
        if (word == "red")
            m_red = component;
        else if (word == "green")
            m_green = component;
        else if (word == "blue")
            m_blue = component;
        else
            return;
        m_colorGiven = true;
        return;
    }

    const auto handler = bodyWords().constFind(word);
    if (handler != bodyWords().constEnd())
        (*handler)(*this, hasParam, param);
}

// What each control word does in the text; a word not listed shows nothing.
const QHash<QByteArray, RtfParser::WordHandler> &RtfParser::bodyWords() {
    using P = RtfParser;
    static const auto on = [](bool hasParam, int param) { return !hasParam || param != 0; };
    static const QHash<QByteArray, WordHandler> words = {
        {"par", [](P &p, bool, int) { p.paragraph(); }},
        {"row", [](P &p, bool, int) { p.paragraph(); }},
        {"sect", [](P &p, bool, int) { p.paragraph(); }},
        {"page", [](P &p, bool, int) { p.paragraph(); }},
        {"line", [](P &p, bool, int) { p.textChars(QString(QChar::LineSeparator)); }},
        {"tab", [](P &p, bool, int) { p.textChars(QStringLiteral("\t")); }},
        {"cell", [](P &p, bool, int) { p.textChars(QStringLiteral("\t")); }},
        {"u", [](P &p, bool hasParam, int param) { p.unicodeChar(hasParam, param); }},
        {"uc", [](P &p, bool,
                  int param) { p.m_state.fallbackLength = std::clamp(param, 0, MaxFallbackSkip); }},
        {"b",
         [](P &p, bool hasParam, int param) {
             p.flushBytes();
             p.m_state.bold = on(hasParam, param);
         }},
        {"i",
         [](P &p, bool hasParam, int param) {
             p.flushBytes();
             p.m_state.italic = on(hasParam, param);
         }},
        {"ul",
         [](P &p, bool hasParam, int param) {
             p.flushBytes();
             p.m_state.underline = on(hasParam, param);
         }},
        {"ulnone",
         [](P &p, bool, int) {
             p.flushBytes();
             p.m_state.underline = false;
         }},
        {"fs",
         [](P &p, bool hasParam, int param) {
             p.flushBytes();
             p.m_state.halfPoints = hasParam && param > 0 ? std::min(param, MaxHalfPoints) : 0;
         }},
        {"f",
         [](P &p, bool, int param) {
             p.flushBytes();
             p.m_state.font = param;
         }},
        {"cf",
         [](P &p, bool, int param) {
             p.flushBytes();
             p.m_state.color = param;
         }},
        {"plain",
         [](P &p, bool, int) {
             p.flushBytes();
             p.m_state.bold = p.m_state.italic = p.m_state.underline = false;
             p.m_state.font = -1;
             p.m_state.halfPoints = 0;
             p.m_state.color = 0;
         }},
        {"pard", [](P &p, bool, int) { p.m_state.alignment = Qt::AlignLeft; }},
        {"ql", [](P &p, bool, int) { p.m_state.alignment = Qt::AlignLeft; }},
        {"qr", [](P &p, bool, int) { p.m_state.alignment = Qt::AlignRight; }},
        {"qc", [](P &p, bool, int) { p.m_state.alignment = Qt::AlignHCenter; }},
        {"qj", [](P &p, bool, int) { p.m_state.alignment = Qt::AlignJustify; }},
        {"deff", [](P &p, bool, int param) { p.m_defaultFont = param; }},
        {"ansicpg",
         [](P &p, bool, int param) {
             p.flushBytes();
             p.m_codePage.setCodePage(param);
         }},
        {"emdash", [](P &p, bool, int) { p.textChars(QString(QChar(0x2014))); }},
        {"endash", [](P &p, bool, int) { p.textChars(QString(QChar(0x2013))); }},
        {"bullet", [](P &p, bool, int) { p.textChars(QString(QChar(0x2022))); }},
        {"lquote", [](P &p, bool, int) { p.textChars(QString(QChar(0x2018))); }},
        {"rquote", [](P &p, bool, int) { p.textChars(QString(QChar(0x2019))); }},
        {"ldblquote", [](P &p, bool, int) { p.textChars(QString(QChar(0x201C))); }},
        {"rdblquote", [](P &p, bool, int) { p.textChars(QString(QChar(0x201D))); }},
    };
    return words;
}

// \uN: one UTF-16 unit (a negative N counts from 65536), then its stand-ins are dropped.
void RtfParser::unicodeChar(bool hasParam, int param) {
    int code = param < 0 ? param + 65536 : param;
    if (code < 0 || code > 0xFFFF || !hasParam)
        code = 0xFFFD;
    textChars(QString(QChar(char16_t(code))));
    m_fallbackLeft = m_state.fallbackLength;
}

void RtfParser::controlSymbol(char symbol) {
    if (symbol == '*') {
        m_ignorableNext = true;
        return;
    }
    m_ignorableNext = false;
    if (symbol == '\'') {
        int value = 0;
        int digits = 0;
        while (digits < 2 && !atEnd() && isAsciiHexDigit(peek())) {
            const char h = peek();
            value = value * 16 + (isAsciiDigit(h) ? h - '0' : (h | 0x20) - 'a' + 10);
            ++digits;
            ++m_pos;
        }
        if (digits > 0)
            textByte(char(value));
        return;
    }
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        textByte(symbol);
        break;
    case '~':
        if (!consumeFallback() && m_state.destination == RtfDestination::Body)
            textChars(QString(QChar(0x00A0)));
        break;
    case '_':
        if (!consumeFallback() && m_state.destination == RtfDestination::Body)
            textChars(QString(QChar(0x2011)));
        break;
    case '\r':
    case '\n':
        if (!consumeFallback() && m_state.destination == RtfDestination::Body)
            paragraph();
        break;
    default:
        consumeFallback(); // \- \: \| and unknown symbols show nothing
        break;
    }
}

// The characters after \uN that stand in for it in older readers are dropped.
bool RtfParser::consumeFallback() {
    if (m_fallbackLeft <= 0)
        return false;
    --m_fallbackLeft;
    return true;
}

void RtfParser::textByte(char byte) {
    if (consumeFallback())
        return;
    switch (m_state.destination) {
    case RtfDestination::Skip:
        return;
    case RtfDestination::FontTable:
        if (byte == ';')
            endFontEntry();
        else if (static_cast<unsigned char>(byte) >= 0x20)
            m_fontName.append(byte);
        return;
    case RtfDestination::ColorTable:
        if (byte == ';')
            endColorEntry();
        return;
    case RtfDestination::Body:
        break;
    }
    const auto value = static_cast<unsigned char>(byte);
    if (value < 0x20 && byte != '\t')
        return; // control bytes in the text are not shown
    m_bytes.append(byte);
}

void RtfParser::textChars(const QString &text) {
    if (m_state.destination != RtfDestination::Body)
        return;
    flushBytes();
    m_run.append(text);
}

// Takes the pending bytes into the run, and starts a new run when the formatting changed:
// everything added to the run since the last call was written under the current state.
void RtfParser::flushBytes() {
    const QString decoded = m_bytes.isEmpty() ? QString() : m_codePage.decode(m_bytes);
    m_bytes.clear();
    const QTextCharFormat format = charFormat();
    if (format != m_runFormat || m_state.alignment != m_runAlignment) {
        flushRun();
        m_runFormat = format;
        m_runAlignment = m_state.alignment;
    }
    m_run.append(decoded);
}

void RtfParser::flushRun() {
    if (!m_bytes.isEmpty()) {
        m_run.append(m_codePage.decode(m_bytes));
        m_bytes.clear();
    }
    if (m_run.isEmpty())
        return;
    if (!m_blockStarted || m_blockAlignment != m_runAlignment) {
        QTextBlockFormat block;
        block.setAlignment(m_runAlignment);
        m_cursor.mergeBlockFormat(block);
        m_blockAlignment = m_runAlignment;
        m_blockStarted = true;
    }
    m_cursor.insertText(m_run, m_runFormat);
    m_run.clear();
}

void RtfParser::paragraph() {
    flushBytes();
    flushRun();
    m_cursor.insertBlock();
    m_blockStarted = false;
}

QTextCharFormat RtfParser::charFormat() const {
    QTextCharFormat format;
    format.setFontWeight(m_state.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(m_state.italic);
    format.setFontUnderline(m_state.underline);
    const int font = m_state.font >= 0 ? m_state.font : m_defaultFont;
    const auto name = m_fonts.constFind(font);
    if (name != m_fonts.constEnd() && !name->isEmpty())
        format.setFontFamilies({*name});
    if (m_state.halfPoints > 0)
        format.setFontPointSize(m_state.halfPoints / 2.0);
    if (m_state.color >= 0 && m_state.color < m_colors.size() &&
        m_colors.at(m_state.color).isValid())
        format.setForeground(m_colors.at(m_state.color));
    return format;
}

void RtfParser::endFontEntry() {
    if (m_fonts.size() < MaxTableEntries || m_fonts.contains(m_fontEntry))
        m_fonts.insert(m_fontEntry, AnsiCodePage::decode1252(m_fontName).trimmed());
    m_fontName.clear();
}

void RtfParser::endColorEntry() {
    if (m_colors.size() < MaxTableEntries)
        m_colors.append(m_colorGiven ? QColor(m_red, m_green, m_blue) : QColor());
    m_red = m_green = m_blue = 0;
    m_colorGiven = false;
}

} // namespace Orvik
