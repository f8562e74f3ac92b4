#pragma once

#include <QString>

namespace Orvik {

// The display font shared by every document view.
struct DisplayFont {
    QString name = QStringLiteral("Arial");
    int size = 10; // points
    bool bold = false;
    bool italic = false;
    bool underline = false;

    friend bool operator==(const DisplayFont &a, const DisplayFont &b) {
        return a.name == b.name && a.size == b.size && a.bold == b.bold && a.italic == b.italic &&
               a.underline == b.underline;
    }
};

} // namespace Orvik
