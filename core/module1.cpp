#include "core/module1.h"

#include "core/documentopener.h"
#include "core/documentview.h"
#include "core/documentwindow.h"
#include "core/mainwindow.h"
#include "core/recentfiles.h"
#include "core/refreshcycle.h"
#include "core/stream/streamsource.h"
#include "core/watch/filewatcher.h"

namespace Orvik {

Module1::Module1(FileSystem &fileSystem, Clock &clock)
    : m_fileSystem(fileSystem)
    , m_clock(clock)
    , m_refreshCycle(std::make_unique<RefreshCycle>(*this)) {}

Module1::~Module1() = default;

DisplayFont Module1::displayFont() const {
    return {FontName, FontSize, FontBold, FontItalic, FontUnderline};
}

void Module1::setHighlightRules(std::vector<HighlightRule> rules) {
    HighlightRules = std::make_shared<const RuleSet>(std::move(rules));
}

void Module1::OpenDocument(const QString &path) {
    DocumentOpener(*this).OpenDocument(path);
}

void Module1::OpenStandardInput() {
    DocumentOpener(*this).OpenStream(QString());
}

void Module1::OpenCommand(const QString &command) {
    DocumentOpener(*this).OpenStream(command);
}

void Module1::AddToRecentCommands(const QString &command) {
    RecentCommands.removeAll(command);
    RecentCommands.prepend(command);
    while (RecentCommands.size() > RecentCommandCount)
        RecentCommands.removeLast();
}

void Module1::NewDocumentWindow() {
    DocumentOpener(*this).NewDocumentWindow();
}

void Module1::RefreshDocuments(int index) {
    if (m_backgroundCycles)
        m_refreshCycle->start(index);
    else
        m_refreshCycle->run(index);
}

void Module1::timerUpdate_Timer() {
    RefreshDocuments(0);
}

void Module1::setFollowInstantly(bool on) {
    FollowInstantly = on;
    for (int slot = 1; slot <= DocCount; ++slot)
        watchDocument(slot);
}

void Module1::setFileWatcher(FileWatcher *watcher) {
    if (m_watcher) {
        for (int slot = 1; slot <= DocCount; ++slot)
            m_watcher->unwatch(DocSerial[slot]);
        QObject::disconnect(m_watcher, nullptr, m_refreshCycle.get(), nullptr);
    }
    m_watcher = watcher;
    if (!m_watcher)
        return;
    QObject::connect(m_watcher, &FileWatcher::changed, m_refreshCycle.get(),
                     [this](quint64 serial) {
                         if (FollowInstantly)
                             m_refreshCycle->notify(serial);
                     });
    for (int slot = 1; slot <= DocCount; ++slot)
        watchDocument(slot);
}

void Module1::watchDocument(int slot) {
    if (!m_watcher || slot < 1 || slot > DocCount || DocStream[slot])
        return;
    if (FollowInstantly)
        m_watcher->watch(DocSerial[slot], DocFileName[slot]);
    else
        m_watcher->unwatch(DocSerial[slot]);
}

void Module1::RemoveDocument(int slot) {
    if (slot < 1 || slot > DocCount)
        return;
    m_refreshCycle->forget(DocSerial[slot]);
    if (m_watcher)
        m_watcher->unwatch(DocSerial[slot]);
    for (int j = slot + 1; j <= DocCount; ++j) {
        DocFileName[j - 1] = DocFileName[j];
        DocFileTime[j - 1] = DocFileTime[j];
        DocFileSize[j - 1] = DocFileSize[j];
        DocContents[j - 1] = std::move(DocContents[j]);
        DocSerial[j - 1] = DocSerial[j];
        DocStream[j - 1] = std::move(DocStream[j]);
        DocWindow[j - 1] = DocWindow[j];
        if (DocWindow[j - 1])
            DocWindow[j - 1]->setTag(QString::number(j - 1));
    }
    // The freed slot lets go of its window and of its contents' memory.
    DocFileName[DocCount].clear();
    DocFileTime[DocCount] = QDateTime();
    DocFileSize[DocCount] = 0;
    DocContents[DocCount] = Contents();
    DocSerial[DocCount] = 0;
    DocStream[DocCount].reset();
    DocWindow[DocCount] = nullptr;
    --DocCount;
}

void Module1::AddToMRU(const QString &name) {
    addRecentFile(MRUFiles, name);
    UpdateMRUMenu();
}

void Module1::UpdateMRUMenu() {
    if (MainForm)
        showRecentFiles(MRUFiles, MainForm->mruMenu(), m_mruSeparatorShown);
}

void Module1::setReadChunkSize(qint64 bytes) {
    m_refreshCycle->setChunkSize(bytes);
}

} // namespace Orvik
