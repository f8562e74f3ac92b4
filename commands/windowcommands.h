#pragma once

namespace Orvik {

class CommandHost;

// The Edit, View, Window and Help commands: Copy, the two bar toggles, the arrangements of
// the document windows and the About window.
class WindowCommands {
public:
    enum class Arrangement { Cascade, TileHorizontal, TileVertical, ArrangeIcons };

    explicit WindowCommands(CommandHost &host);

    void copy();
    void toggleToolbar();
    void toggleStatusBar();
    void arrange(Arrangement arrangement);
    void about();

private:
    CommandHost &m_host;
};

} // namespace Orvik
