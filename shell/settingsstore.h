#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace Orvik {

// The per-user store of text values, addressed by section and key under the application
// "Orvik". Nothing is written before flush().
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or `defaultValue` when nothing is stored there. A value stored as the
    // empty text reads as the empty text.
    virtual QString read(const QString &section, const QString &key,
                         const QString &defaultValue) = 0;
    virtual void write(const QString &section, const QString &key, const QString &value) = 0;
    // Writes a value that holds quotes as it is, without the quotes and escapes the file
    // would put around it; it must neither begin nor end with a blank nor hold a line break.
    virtual void writeVerbatim(const QString &section, const QString &key, const QString &value) {
        write(section, key, value);
    }
    // Removes a section with every key in it.
    virtual void removeSection(const QString &section) { Q_UNUSED(section); }
    // Removes one key; nothing happens when it is not stored.
    virtual void removeKey(const QString &section, const QString &key) {
        Q_UNUSED(section);
        Q_UNUSED(key);
    }
    // Puts the writes on disk; false and a description when the store cannot be written.
    virtual bool flush(QString *error) = 0;
};

// The store as an INI file, by default ~/.config/Orvik/Orvik.conf (XDG_CONFIG_HOME). A file
// that cannot be read at all reads as empty, so every key takes its default.
class IniSettingsStore : public SettingsStore {
public:
    explicit IniSettingsStore(const QString &path = defaultPath());
    ~IniSettingsStore() override;

    static QString defaultPath();
    QString path() const;

    QString read(const QString &section, const QString &key, const QString &defaultValue) override;
    void write(const QString &section, const QString &key, const QString &value) override;
    void writeVerbatim(const QString &section, const QString &key, const QString &value) override;
    void removeSection(const QString &section) override;
    void removeKey(const QString &section, const QString &key) override;
    bool flush(QString *error) override;

private:
    std::unique_ptr<QSettings> m_settings;
    bool m_readable = true;
};

} // namespace Orvik
