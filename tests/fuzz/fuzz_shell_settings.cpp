// The settings reader over a raw INI file of any bytes: the load must take defaults for what
// it cannot use and keep the refresh interval within its limits; and whatever text the
// preferences then hold must survive a write and a second read unchanged.
#include "core/module1.h"
#include "core/refresh/posixfilesystem.h"
#include "core/refresh/systemclock.h"
#include "shell/mrulist.h"
#include "shell/rulesettings.h"
#include "shell/settings.h"
#include "shell/settingsstore.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <tuple>

using namespace Orvik;

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

QTemporaryDir *folder;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    static QCoreApplication app(*argc, *argv);
    folder = new QTemporaryDir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString path = folder->filePath(QStringLiteral("Orvik.conf"));
    {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    PosixFileSystem fs;
    SystemClock clock;
    const auto load = [](const QString &from, Module1 &into) {
        IniSettingsStore store(from);
        (void)Settings::LoadSettings(store, into);
        MRUList::LoadMRUList(store, into);
        RuleSettings::LoadHighlightRules(store, into);
    };
    Module1 module(fs, clock);
    load(path, module);
    require(module.RefreshInterval >= Module1::MinRefreshInterval &&
            module.RefreshInterval <= Module1::MaxRefreshInterval);

    // What was read is written back and must read the same.
    const QString path2 = folder->filePath(QStringLiteral("Orvik2.conf"));
    QFile::remove(path2);
    {
        IniSettingsStore store(path2);
        Settings::SaveSettings(store, module, WindowTwips());
        MRUList::SaveMRUList(store, module);
        RuleSettings::SaveHighlightRules(store, module);
        QString error;
        require(store.flush(&error));
    }
    Module1 again(fs, clock);
    load(path2, again);
    const auto kept = [](const Module1 &m) {
        return std::tie(m.HighLightString, m.FontName, m.FontSize, m.RefreshInterval, m.FontBold,
                        m.FontItalic, m.FontUnderline);
    };
    require(kept(again) == kept(module));
    require(again.HighlightRules->rules() == module.HighlightRules->rules());
    return 0;
}
