#include "settingsstore.h"

#include "core/text/iniformat.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

namespace Orvik {

namespace {
QString address(const QString &section, const QString &key) {
    return section + QLatin1Char('/') + key;
}
} // namespace

IniSettingsStore::IniSettingsStore(const QString &path)
    : m_settings(std::make_unique<QSettings>(path, orvikIniFormat())) {
    m_readable = m_settings->status() == QSettings::NoError;
}

IniSettingsStore::~IniSettingsStore() = default;

QString IniSettingsStore::defaultPath() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(base).filePath(QStringLiteral("Orvik/Orvik.conf"));
}

QString IniSettingsStore::path() const {
    return m_settings->fileName();
}

QString IniSettingsStore::read(const QString &section, const QString &key,
                               const QString &defaultValue) {
    if (!m_readable)
        return defaultValue;
    const QVariant value = m_settings->value(address(section, key));
    if (!value.isValid())
        return defaultValue;
    return value.toString();
}

void IniSettingsStore::write(const QString &section, const QString &key, const QString &value) {
    m_settings->setValue(address(section, key), value);
}

void IniSettingsStore::writeVerbatim(const QString &section, const QString &key,
                                     const QString &value) {
    // Bytes are what the file's writer takes as they are.
    m_settings->setValue(address(section, key), value.toUtf8());
}

void IniSettingsStore::removeSection(const QString &section) {
    m_settings->remove(section);
}

void IniSettingsStore::removeKey(const QString &section, const QString &key) {
    m_settings->remove(address(section, key));
}

bool IniSettingsStore::flush(QString *error) {
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError)
        return true;
    if (error) {
        *error =
            m_settings->status() == QSettings::AccessError
                ? QStringLiteral("cannot write %1").arg(m_settings->fileName())
                : QStringLiteral("cannot store the settings in %1").arg(m_settings->fileName());
    }
    return false;
}

} // namespace Orvik
