#include "systeminfotool.h"

#include "core/text/iniformat.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>

#include <memory>

namespace Orvik {

const QString SystemInfoTool::ProgramFileName = QStringLiteral("hardinfo");
const QString SystemInfoTool::UnavailableMessage =
    QStringLiteral("System Information Is Unavailable At This Time");

namespace {
const QString ApplicationTitle = QStringLiteral("Orvik");
}

SystemInfoTool::SystemInfoTool()
    : m_starter([](const QString &program) { return QProcess::startDetached(program, {}); })
    , m_messenger([](const QString &text, const QString &title) {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
        box.exec();
    }) {}

void SystemInfoTool::setStarter(std::function<bool(const QString &)> starter) {
    m_starter = std::move(starter);
}

void SystemInfoTool::setMessenger(std::function<void(const QString &, const QString &)> messenger) {
    m_messenger = std::move(messenger);
}

bool SystemInfoTool::GetKeyValue(QSettings &store, const QString &keyName, const QString &subKeyRef,
                                 QString &keyVal) {
    const QString key = keyName + QLatin1Char('/') + subKeyRef;
    if (!store.contains(key)) {
        keyVal.clear();
        return false;
    }
    const QVariant value = store.value(key);
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toString().toLocal8Bit();
        if (bytes.size() + 1 > ValueBufferBytes) {
            keyVal.clear();
            return false;
        }
        keyVal = QString::fromLocal8Bit(
            bytes.left(bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0')));
        return true;
    }
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        keyVal = QStringLiteral("&h") + QString::number(quint32(value.toLongLong()), 16).toUpper();
        return true;
    default:
        return true;
    }
}

QString SystemInfoTool::findTool(QSettings &store) const {
    QString path;
    if (GetKeyValue(store, QStringLiteral("SysInfo"), QStringLiteral("Path"), path))
        return path;
    if (GetKeyValue(store, QStringLiteral("SysInfoLocation"), QStringLiteral("Folder"), path)) {
        const QString program = path + QLatin1Char('/') + ProgramFileName;
        if (QFileInfo(program).isFile())
            return program;
    }
    return {};
}

void SystemInfoTool::StartSysInfo() {
    const std::unique_ptr<QSettings> store =
        m_storePath.isEmpty()
            ? std::make_unique<QSettings>(orvikIniFormat(), QSettings::SystemScope,
                                          ApplicationTitle, ApplicationTitle)
            : std::make_unique<QSettings>(m_storePath, orvikIniFormat());
    const QString program = findTool(*store);
    if (!program.isEmpty() && m_starter(program))
        return;
    m_messenger(UnavailableMessage, ApplicationTitle);
}

} // namespace Orvik
