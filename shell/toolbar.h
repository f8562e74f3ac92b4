#pragma once

#include <QString>
#include <QToolBar>

namespace Orvik {

// tbToolBar: thirteen positions along the top edge, buttons without captions showing their
// tooltips, pictures from imlToolbarIcons. A button's key is its action's data.
class ToolBar : public QToolBar {
    Q_OBJECT

public:
    explicit ToolBar(QWidget *parent = nullptr);

    // The action of the button with this key; nullptr for an unknown key.
    QAction *button(const QString &key) const;

signals:
    // A button was pressed; separators raise nothing.
    void buttonClick(const QString &key);
};

} // namespace Orvik
