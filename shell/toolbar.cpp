#include "toolbar.h"

#include "toolbaricons.h"

#include "document/twips.h"

#include <QAction>

namespace Orvik {

namespace {
struct Position {
    const char *key; // nullptr for a separator
    const char *toolTip;
};

constexpr Position Positions[] = {
    {"Open", "Open"},
    {"Save", "Save"},
    {nullptr, nullptr},
    {"Print", "Print"},
    {nullptr, nullptr},
    {"Copy", "Copy"},
    {nullptr, nullptr},
    {"Font", "Customize Display Font"},
    {"Refresh", "Set the refresh interval"},
    {nullptr, nullptr},
    {"Cascade", "Cascade Windows"},
    {"Tile Horizontally", "Tile Windows Horizontally"},
    {"Tile Vertically", "Tile Windows Vertically"},
};

constexpr double BarHeightTwips = 420;
} // namespace

ToolBar::ToolBar(QWidget *parent)
    : QToolBar(parent) {
    setObjectName(QStringLiteral("tbToolBar"));
    setWindowTitle(QStringLiteral("Toolbar"));
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setIconSize(QSize(16, 16));
    setMinimumHeight(twipsToPixelsY(BarHeightTwips, this));

    for (const Position &position : Positions) {
        if (!position.key) {
            addSeparator();
            continue;
        }
        const QString key = QString::fromLatin1(position.key);
        QAction *action = addAction(imlToolbarIcons(key), QString::fromLatin1(position.toolTip));
        action->setToolTip(QString::fromLatin1(position.toolTip));
        action->setData(key);
        action->setObjectName(QStringLiteral("tbToolBar_") + key);
        connect(action, &QAction::triggered, this, [this, key] { Q_EMIT buttonClick(key); });
    }
}

QAction *ToolBar::button(const QString &key) const {
    const QList<QAction *> all = actions();
    for (QAction *action : all) {
        if (!action->isSeparator() && action->data().toString() == key)
            return action;
    }
    return nullptr;
}

} // namespace Orvik
