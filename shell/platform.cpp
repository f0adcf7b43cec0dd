#include "shell/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>

QString WindowsVersionName(const VersionRecord &record)
{
    if (record.platformId == 1 && record.major == 4 && record.minor == 0)
        return QStringLiteral("Win95");
    if (record.platformId == 1 && record.major == 4 && record.minor == 10)
        return QStringLiteral("Win98");
    return QStringLiteral("ERROR");
}

QString withTrailingSeparator(const QString &folder)
{
    const bool windowsStyle = folder.contains(u'\\') || (folder.size() >= 2 && folder[1] == u':');
    const QChar separator = windowsStyle ? u'\\' : u'/';
    return folder.endsWith(separator) ? folder : folder + separator;
}

DesktopPlatform::DesktopPlatform(QString programFolderOverride)
    : m_programFolder(std::move(programFolderOverride))
{
}

QString DesktopPlatform::programFolder() const
{
    const QString folder = m_programFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                                     : QDir(m_programFolder).absolutePath();
    return withTrailingSeparator(QDir::toNativeSeparators(folder));
}

VersionRecord DesktopPlatform::versionRecord() const
{
    // Not a Windows family: platform id 0 with the kernel's version numbers.
    const QStringList parts = QSysInfo::kernelVersion().split(u'.');
    VersionRecord record;
    record.major = parts.value(0).toUInt();
    record.minor = parts.value(1).toUInt();
    return record;
}

bool DesktopPlatform::setScreenSaverActive(bool active)
{
    // X11 desktops: the server's own screen-saver switch. Elsewhere there is
    // no portable switch, and we say so by returning false.
    if (qEnvironmentVariableIsEmpty("DISPLAY") ||
        QStandardPaths::findExecutable(QStringLiteral("xset")).isEmpty())
        return false;
    return QProcess::execute(
               QStringLiteral("xset"),
               {QStringLiteral("s"), active ? QStringLiteral("on") : QStringLiteral("off")}) == 0;
}

bool DesktopPlatform::setCurrentDirectory(const QString &folder)
{
    return QDir::setCurrent(folder);
}
