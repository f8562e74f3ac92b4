#pragma once

#include "support/filewriter.h"

#include "core/module1.h"
#include "core/refresh/posixfilesystem.h"
#include "core/refresh/systemclock.h"
#include "document/frmdocument.h"
#include "resources/resources.h"
#include "shell/frmmain.h"
#include "shell/settingsstore.h"

#include <memory>

namespace Orvik {

// The real main window on real files, its settings file in the files' folder, never the
// user's own; `storeText`: the file as a person or an earlier run left it. For the tests
// that link the shell.
struct MainWindowFixture {
    FileWriter files;
    PosixFileSystem fileSystem;
    SystemClock clock;
    Module1 module{fileSystem, clock};
    std::unique_ptr<IniSettingsStore> store;
    std::unique_ptr<frmMain> window;

    explicit MainWindowFixture(const QByteArray &storeText = QByteArray()) {
        initResources();
        files.makeDirectory(QStringLiteral("config"));
        if (!storeText.isNull())
            files.write(QStringLiteral("config/Orvik.conf"), storeText);
        store = std::make_unique<IniSettingsStore>(storePath());
        window = std::make_unique<frmMain>(module, *store);
        module.MainForm = window.get();
    }
    ~MainWindowFixture() {
        if (window && !window->isUnloaded())
            window->close(); // whatever a test left open closes before the module goes
        module.MainForm = nullptr;
    }
    MainWindowFixture(const MainWindowFixture &) = delete;
    MainWindowFixture &operator=(const MainWindowFixture &) = delete;

    QString storePath() const { return files.path(QStringLiteral("config/Orvik.conf")); }
    frmDocument *document(int slot) const {
        return dynamic_cast<frmDocument *>(module.DocWindow[slot]);
    }
    // The logs written as "1.log", "2.log"... and opened from the command line.
    void load(const QList<QByteArray> &logs) {
        QStringList paths;
        for (int i = 0; i < logs.size(); ++i)
            paths << files.write(QStringLiteral("%1.log").arg(i + 1), logs[i]);
        window->Form_Load(paths.join(QLatin1Char(',')));
    }
};

} // namespace Orvik
