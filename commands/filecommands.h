#pragma once

#include <QString>
#include <QStringList>

namespace Orvik {

class CommandHost;
class Dialogs;

// The File menu: Open, Open Command, Close, Save As, Print and Exit.
class FileCommands {
public:
    static const QStringList OpenFilters;
    static const QString AllFilesFilter; // "All Files (*.*)"

    FileCommands(CommandHost &host, Dialogs &dialogs);

    void open();
    // Asks for a command line, offering the recent ones, and follows its output.
    void openCommand();
    void close();
    void saveAs();
    void print();
    void exit();

private:
    CommandHost &m_host;
    Dialogs &m_dialogs;
};

} // namespace Orvik
