// The About file's rich-text reader over any bytes: the file sits beside the program and is
// read whole each time the About window opens, so whatever it holds must be read without a
// crash, a hang or unbounded memory.
#include "about/rtfreader.h"

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdint>
#include <cstdlib>

using namespace Orvik;

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const QByteArray &input : {QByteArray("{\\rtf1 ") + bytes, bytes}) {
        QTextDocument document;
        QTextCursor cursor(&document);
        RtfReader::insert(input, cursor);
        // Plain bytes become at most one character each, plus paragraph breaks.
        if (document.characterCount() > 4 * input.size() + 16)
            std::abort();
    }
    return 0;
}
