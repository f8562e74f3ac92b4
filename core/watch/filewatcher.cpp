#include "core/watch/filewatcher.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace Orvik {

namespace {
// A write or truncation (IN_MODIFY), a touch or a change of mode (IN_ATTRIB), and the file
// leaving its name: moved away (a rotation) or deleted once nothing holds it.
constexpr uint32_t FileEvents = IN_MODIFY | IN_ATTRIB | IN_MOVE_SELF | IN_DELETE_SELF;
// A file created, moved in or out, or deleted under one of the names watched in the folder.
constexpr uint32_t FolderEvents = IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_ONLYDIR;
} // namespace

FileWatcher::FileWatcher(QObject *parent)
    : QObject(parent)
    , m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (m_fd < 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &FileWatcher::readEvents);
}

FileWatcher::~FileWatcher() {
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd); // releases every watch
}

bool FileWatcher::watch(quint64 key, const QString &path) {
    unwatch(key);
    if (m_fd < 0 || path.isEmpty())
        return false;
    const QFileInfo info(path);
    Key k;
    k.folder = info.absolutePath();
    k.name = info.fileName();
    k.folderWatch = addWatch(k.folder, true, key);
    if (k.folderWatch < 0)
        return false;
    Key &kept = m_keys.emplace(key, k).first->second;
    watchFile(key, kept);
    // A file that is there but cannot be watched would leave its writes unseen.
    if (kept.file < 0 && QFileInfo::exists(path)) {
        unwatch(key);
        return false;
    }
    return true;
}

void FileWatcher::unwatch(quint64 key) {
    const auto entry = m_keys.find(key);
    if (entry == m_keys.end())
        return;
    if (entry->second.file >= 0)
        dropKey(key, entry->second.file);
    dropKey(key, entry->second.folderWatch);
    m_keys.erase(entry);
}

int FileWatcher::addWatch(const QString &path, bool folder, quint64 key) {
    if (m_limit >= 0 && int(m_watches.size()) >= m_limit) {
        // Only a watch that exists already can be shared.
        for (auto &[wd, watch] : m_watches)
            if (watch.folder == folder && watch.path == path) {
                watch.keys.insert(key);
                return wd;
            }
        return -1;
    }
    const QByteArray name = QFile::encodeName(path);
    const int wd = inotify_add_watch(m_fd, name.constData(), folder ? FolderEvents : FileEvents);
    if (wd < 0)
        return -1;
    Watch &watch = m_watches[wd];
    watch.folder = folder;
    watch.path = path;
    watch.keys.insert(key);
    return wd;
}

void FileWatcher::dropKey(quint64 key, int wd) {
    const auto entry = m_watches.find(wd);
    if (entry == m_watches.end())
        return;
    entry->second.keys.erase(key);
    if (entry->second.keys.empty()) {
        inotify_rm_watch(m_fd, wd);
        m_watches.erase(entry);
    }
}

// Watches the file now under the key's name, if any; a watch of a file that left the name
// (moved away by a rotation, deleted) goes.
void FileWatcher::watchFile(quint64 key, Key &k) {
    const int wd = addWatch(k.folder + QLatin1Char('/') + k.name, false, key);
    if (wd == k.file)
        return;
    if (k.file >= 0)
        dropKey(key, k.file);
    k.file = wd;
}

void FileWatcher::readEvents() {
    std::set<quint64> touched;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got <= 0) {
            if (got < 0 && errno == EINTR)
                continue;
            break;
        }
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event)) + event->len;
            if (event->mask & IN_Q_OVERFLOW) {
                // Events were lost: every file may have changed, and may be another one now.
                for (auto &[key, k] : m_keys) {
                    watchFile(key, k);
                    touched.insert(key);
                }
                continue;
            }
            const auto entry = m_watches.find(event->wd);
            if (entry == m_watches.end())
                continue;
            if (event->mask & IN_IGNORED) {
                // The kernel dropped the watch (the file is gone): watch what the name holds now.
                const std::set<quint64> keys = entry->second.keys;
                m_watches.erase(entry);
                for (const quint64 key : keys) {
                    const auto k = m_keys.find(key);
                    if (k == m_keys.end() || k->second.file != event->wd)
                        continue;
                    k->second.file = -1;
                    watchFile(key, k->second);
                    touched.insert(key);
                }
                continue;
            }
            const std::vector<quint64> keys(entry->second.keys.begin(), entry->second.keys.end());
            if (entry->second.folder) {
                if (event->len == 0)
                    continue;
                const QString name = QFile::decodeName(event->name);
                for (const quint64 key : keys) {
                    const auto k = m_keys.find(key);
                    if (k == m_keys.end() || k->second.name != name)
                        continue;
                    watchFile(key, k->second);
                    touched.insert(key);
                }
            } else {
                for (const quint64 key : keys) {
                    touched.insert(key);
                    const auto k = m_keys.find(key);
                    if (k != m_keys.end() && (event->mask & (IN_MOVE_SELF | IN_DELETE_SELF)))
                        watchFile(key, k->second);
                }
            }
        }
    }
    for (const quint64 key : touched)
        if (m_keys.count(key))
            emit changed(key);
}

} // namespace Orvik
