#pragma once

#include "core/documentview.h"

#include <QString>

#include <optional>

namespace Orvik {

// One highlight rule: text that is marked in every document in a colour of its own, on the
// text of each match or as the background of each line that matches, and that may ask for
// the user's attention when it shows up in a log out of sight.
//
// As one line of text (the settings file holds one per rule), the fields in this order,
// separated by commas:
//   "text",matchCase,regularExpression,#rrggbb,wholeLine,alert
// The text is in double quotes with \" \\ \n \r escaped; the flags are 0 or 1 (True and
// False in any case are read too); the colour is a hexadecimal RGB number.
// Example: "ERROR",1,0,#ff0000,0,1
struct HighlightRule {
    QString text;
    bool matchCase = false;
    bool regularExpression = false;
    ColorNumber color = HighlightColor;
    bool wholeLine = false;
    bool alert = false;

    friend bool operator==(const HighlightRule &a, const HighlightRule &b) {
        return a.text == b.text && a.matchCase == b.matchCase &&
               a.regularExpression == b.regularExpression && a.color == b.color &&
               a.wholeLine == b.wholeLine && a.alert == b.alert;
    }
    friend bool operator!=(const HighlightRule &a, const HighlightRule &b) { return !(a == b); }

    QString toText() const;
    // The rule a line of text holds, or nothing and why not.
    static std::optional<HighlightRule> fromText(const QString &line, QString *error = nullptr);

    // "#rrggbb" for a colour number (red in the low byte), and back; nothing for other text.
    static QString colorText(ColorNumber color);
    static std::optional<ColorNumber> colorFromText(const QString &text);
};

} // namespace Orvik
