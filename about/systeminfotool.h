#pragma once

#include <QString>

#include <functional>

class QSettings;

namespace Orvik {

// Finds and starts the platform's system information tool. Its place comes from the
// system-wide settings file (on Linux /etc/xdg/Orvik/Orvik.conf), read in the same INI
// dialect as the user's settings, so a value is the whole text after "=", commas included:
//   [SysInfo]          Path=<the tool's full path>          looked up first
//   [SysInfoLocation]  Folder=<a folder holding "hardinfo">  looked up when the first is absent
class SystemInfoTool {
public:
    static constexpr int ValueBufferBytes = 1024;
    static const QString ProgramFileName; // "hardinfo"
    static const QString UnavailableMessage;

    SystemInfoTool();

    // Reads the value `subKeyRef` of key `keyName` into keyVal: a text as it is (cut at a
    // zero character), an integer as "&h" and its hexadecimal digits; a value of another
    // kind leaves keyVal as it was. A missing value, or a text that with its terminating
    // zero needs more than ValueBufferBytes bytes, gives false and an empty keyVal.
    static bool GetKeyValue(QSettings &store, const QString &keyName, const QString &subKeyRef,
                            QString &keyVal);

    // Starts the tool as a program of its own, or shows UnavailableMessage.
    void StartSysInfo();

    // For tests: the settings file to read instead of the system-wide one, how to start a
    // program and how to tell the user.
    void setStorePath(const QString &path) { m_storePath = path; }
    void setStarter(std::function<bool(const QString &program)> starter);
    void setMessenger(std::function<void(const QString &text, const QString &title)> messenger);

private:
    QString findTool(QSettings &store) const;

    QString m_storePath;
    std::function<bool(const QString &)> m_starter;
    std::function<void(const QString &, const QString &)> m_messenger;
};

} // namespace Orvik
