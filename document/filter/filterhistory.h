#pragma once

#include <QStringList>

namespace Orvik {

// The filter texts used in this run, most recent first, shared by the document windows.
class FilterHistory {
public:
    static constexpr int Count = 10;

    const QStringList &texts() const { return m_texts; }
    void remember(const QString &text) {
        if (text.isEmpty())
            return;
        m_texts.removeAll(text);
        m_texts.prepend(text);
        while (m_texts.size() > Count)
            m_texts.removeLast();
    }

private:
    QStringList m_texts;
};

} // namespace Orvik
