#pragma once

// The platform layer: what the program asks of the operating system. The
// rest of the program sees only this interface, so tests inject a fake and
// the Linux build answers honestly where a Windows facility has no twin.

#include <QString>

// The operating system's version record (platform id, major, minor).
struct VersionRecord
{
    quint32 platformId = 0;
    quint32 major = 0;
    quint32 minor = 0;
};

// "Win95" (platform 1, 4.0), "Win98" (platform 1, 4.10), otherwise "ERROR".
QString WindowsVersionName(const VersionRecord &record);

// The folder with exactly one trailing separator added when it has none
// ("/" on Linux; "\" for a Windows-style path such as "C:\" or "C:\app").
QString withTrailingSeparator(const QString &folder);

class Platform
{
public:
    virtual ~Platform() = default;
    // The folder of the running program, with its trailing separator.
    virtual QString programFolder() const = 0;
    virtual VersionRecord versionRecord() const = 0;
    // Switches the screen saver on or off; false when the desktop offers no
    // way to (nothing was changed).
    virtual bool setScreenSaverActive(bool active) = 0;
    // Makes a folder the current directory; false when it cannot.
    virtual bool setCurrentDirectory(const QString &folder) = 0;
};

// The real platform of this build.
class DesktopPlatform : public Platform
{
public:
    // programFolderOverride: an installed layout passes a writable folder.
    explicit DesktopPlatform(QString programFolderOverride = QString());
    QString programFolder() const override;
    VersionRecord versionRecord() const override;
    bool setScreenSaverActive(bool active) override;
    bool setCurrentDirectory(const QString &folder) override;

private:
    QString m_programFolder;
};
