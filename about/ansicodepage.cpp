#include "ansicodepage.h"

#include <QStringDecoder>

namespace Orvik {

namespace {

// 0x80..0x9F of Windows-1252; the five unassigned bytes keep their own code.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

AnsiCodePage::AnsiCodePage(int codePage) {
    setCodePage(codePage);
}

AnsiCodePage::~AnsiCodePage() = default;

void AnsiCodePage::setCodePage(int codePage) {
    m_decoder.reset();
    if (codePage == 1252 || codePage <= 0)
        return;
    const QByteArray name = "windows-" + QByteArray::number(codePage);
    auto decoder = std::make_unique<QStringDecoder>(name.constData());
    if (decoder->isValid())
        m_decoder = std::move(decoder);
}

QString AnsiCodePage::decode(const QByteArray &bytes) const {
    if (!m_decoder)
        return decode1252(bytes);
    QString text = m_decoder->decode(bytes);
    m_decoder->resetState();
    return text;
}

QString AnsiCodePage::decode1252(const QByteArray &bytes) {
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xA0)
            text.append(QChar(Windows1252High[byte - 0x80]));
        else
            text.append(QChar(byte));
    }
    return text;
}

} // namespace Orvik
