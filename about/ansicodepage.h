#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QStringDecoder;

namespace Orvik {

// Decodes the 8-bit text of a rich text document in its ANSI code page (\ansicpgN).
// Windows-1252 is built in; other pages are used when the platform offers a decoder for
// them, else 1252 stands in.
class AnsiCodePage {
public:
    explicit AnsiCodePage(int codePage = 1252);
    ~AnsiCodePage();
    AnsiCodePage(const AnsiCodePage &) = delete;
    AnsiCodePage &operator=(const AnsiCodePage &) = delete;

    void setCodePage(int codePage);
    QString decode(const QByteArray &bytes) const;
    static QString decode1252(const QByteArray &bytes);

private:
    std::unique_ptr<QStringDecoder> m_decoder;
};

} // namespace Orvik
