#pragma once

#include <QObject>
#include <QString>

#include <map>
#include <memory>
#include <set>

class QSocketNotifier;

namespace Orvik {

// Tells at once when a watched file may have changed, from the kernel's inotify events: a
// write or truncation of the file, its move away or deletion, and a file created or moved in
// under its name (a rotation's new log). Each key watches one path through two kernel
// watches at the most: one on the file itself and one on its folder, shared by every key in
// that folder. Nothing is opened: a watch does not hold the file.
//
// Events are read as the event loop brings them, all that are waiting at once, and each key
// that one of them concerns is told once. A path that cannot be watched (no inotify, the
// user's watch limit reached, a file system that sends no events) is refused: its document
// keeps to the refresh timer alone.
class FileWatcher : public QObject {
    Q_OBJECT

public:
    explicit FileWatcher(QObject *parent = nullptr);
    ~FileWatcher() override;
    FileWatcher(const FileWatcher &) = delete;
    FileWatcher &operator=(const FileWatcher &) = delete;

    // Watches `path` for `key`, in place of what the key watched before. False when not even
    // its folder could be watched; the key then watches nothing.
    bool watch(quint64 key, const QString &path);
    void unwatch(quint64 key);
    bool isWatching(quint64 key) const { return m_keys.count(key) != 0; }
    // Kernel watches held now.
    int watchCount() const { return int(m_watches.size()); }

    // At most this many kernel watches, as a lowered per-user limit would allow (tests).
    void setWatchLimit(int watches) { m_limit = watches; }

signals:
    // The file of `key` was written, truncated, moved, deleted or created anew.
    void changed(quint64 key);

private:
    struct Key {
        QString folder;
        QString name;
        int folderWatch = -1;
        int file = -1; // the file's watch, while it exists
    };
    struct Watch {
        bool folder = false;
        QString path;
        std::set<quint64> keys;
    };

    int addWatch(const QString &path, bool folder, quint64 key);
    void dropKey(quint64 key, int wd);
    void watchFile(quint64 key, Key &k);
    void readEvents();

    int m_fd = -1;
    int m_limit = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::map<quint64, Key> m_keys;
    std::map<int, Watch> m_watches; // by watch descriptor
};

} // namespace Orvik
