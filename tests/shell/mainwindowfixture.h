#pragma once

#include "shell/frmmain.h"
#include "shell/settingsstore.h"

#include "support/filewriter.h"

#include "core/module1.h"
#include "core/posixfilesystem.h"
#include "core/systemclock.h"
#include "document/frmdocument.h"
#include "resources/resources.h"

#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>

#include <memory>

namespace Orvik {

// A main window on real files in a temporary folder, with its settings store in that
// folder too, never the user's own.
struct MainWindowFixture {
    FileWriter files;
    QTemporaryDir configDir;
    PosixFileSystem fileSystem;
    SystemClock clock;
    Module1 module{fileSystem, clock};
    std::unique_ptr<IniSettingsStore> store;
    std::unique_ptr<frmMain> window;

    // `storeText`: the store file as a person or an earlier run left it.
    explicit MainWindowFixture(const QByteArray &storeText = QByteArray()) {
        initResources();
        if (!storeText.isNull())
            writeStoreFile(storeText);
        openStore();
        window = std::make_unique<frmMain>(module, *store);
        module.MainForm = window.get();
    }

    ~MainWindowFixture() {
        // Whatever a test left open closes before the module goes.
        if (window && !window->isUnloaded())
            window->close();
        module.MainForm = nullptr;
    }

    QString storePath() const { return configDir.filePath(QStringLiteral("Orvik/Orvik.conf")); }
    void openStore() { store = std::make_unique<IniSettingsStore>(storePath()); }

    void writeStoreFile(const QByteArray &text) {
        QDir().mkpath(configDir.filePath(QStringLiteral("Orvik")));
        QFile file(storePath());
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
    }

    // Reads the store file back as the next run would.
    QString stored(const QString &section, const QString &key) const {
        IniSettingsStore reread(storePath());
        return reread.read(section, key, QStringLiteral("<absent>"));
    }

    frmDocument *document(int slot) const {
        return dynamic_cast<frmDocument *>(module.DocWindow[slot]);
    }
    QList<QMdiSubWindow *> subWindows() const {
        return window->workspace().subWindowList(QMdiArea::CreationOrder);
    }
};

} // namespace Orvik
