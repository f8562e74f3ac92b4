#include "application.h"

#include "commandline.h"
#include "frmmain.h"
#include "settingsstore.h"
#include "terminationsignals.h"

#include "core/module1.h"
#include "core/refresh/posixfilesystem.h"
#include "core/refresh/systemclock.h"
#include "core/stream/streamsource.h"
#include "core/watch/filewatcher.h"
#include "resources/resources.h"

#include <QApplication>
#include <QSessionManager>

#include <cstdio>
#include <optional>

namespace Orvik {

namespace {
// Answers usage, version and unknown options; nothing when the arguments name files to open.
std::optional<int> answerRequest(const QStringList &arguments) {
    switch (CommandLine::request(arguments)) {
    case CommandLine::Request::Help:
        std::fputs(qPrintable(CommandLine::usage()), stdout);
        return 0;
    case CommandLine::Request::Version:
        std::printf("%s\n", qPrintable(CommandLine::versionText()));
        return 0;
    case CommandLine::Request::UnknownOption:
        std::fputs(
            qPrintable(CommandLine::unknownOptionText(CommandLine::unknownOption(arguments))),
            stderr);
        return 2;
    case CommandLine::Request::Open:
        break;
    }
    return std::nullopt;
}
} // namespace

int runApplication(int argc, char *argv[]) {
    // Usage and version need no display, so they are answered before Qt starts. Options
    // unknown to Orvik may still be Qt's own (-platform, -session ...): they are refused
    // once Qt has taken its own out, before any window is made.
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    if (CommandLine::request(rawArguments) != CommandLine::Request::UnknownOption) {
        if (const std::optional<int> status = answerRequest(rawArguments))
            return *status;
    }

    QApplication app(argc, argv);
    // QApplication has taken its own options out of the arguments.
    const QStringList arguments = QCoreApplication::arguments();
    if (const std::optional<int> status = answerRequest(arguments))
        return *status;
    initResources();
    QApplication::setOrganizationName(QStringLiteral("Orvik"));
    QApplication::setApplicationName(QStringLiteral("Orvik"));
    QApplication::setApplicationVersion(QStringLiteral(ORVIK_VERSION));
    // Ties the windows to the launcher (and its icon) on Wayland desktops.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.orvik.Orvik"));

    // The file system lives as long as the process: a read blocked in the kernel when Orvik
    // ends is not waited for, and may return to it on its way out.
    static PosixFileSystem &fileSystem = *new PosixFileSystem;
    SystemClock clock;
    // The kernel's news of changes to the documents' files; it outlives the documents.
    FileWatcher fileWatcher;
    Module1 module(fileSystem, clock);
    module.setFileWatcher(&fileWatcher);
    IniSettingsStore store;
    frmMain mainWindow(module, store);
    module.MainForm = &mainWindow;
    // Files are read and compared on worker threads: the window answers while they are.
    module.setBackgroundCycles(true);
    QObject::connect(&mainWindow, &frmMain::unloaded, &app, &QCoreApplication::quit);

    // A session manager saving the session gets the settings and the list written; the
    // program goes on. The session ending closes the main window like its close box: the
    // session manager's quit closes every window, and so do the signals a session sends.
#ifndef QT_NO_SESSIONMANAGER
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &mainWindow,
                     [&mainWindow](QSessionManager &) { mainWindow.saveSession(); });
    QObject::connect(&app, &QGuiApplication::saveStateRequest, &mainWindow,
                     [&mainWindow](QSessionManager &) { mainWindow.saveSession(); });
#endif
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::terminationRequested, &mainWindow,
                     [&mainWindow] { mainWindow.close(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &mainWindow, [&mainWindow] {
        if (!mainWindow.isUnloaded())
            mainWindow.close();
    });

    mainWindow.Form_Load(CommandLine::argumentText(arguments), CommandLine::commands(arguments));
    const int status = app.exec();
    // The commands of the documents closed are stopped on threads of their own: none is left
    // running (SIGKILL comes after the grace).
    StreamSource::waitForAllStopped(module.StreamStopGrace + std::chrono::seconds(1));
    return status;
}

} // namespace Orvik
