#pragma once

// The about box's figures of the target: the file's name, its drive and the
// drive's total and free space, and the file's size, each as the box shows
// it. What stands for a drive on Linux is the mount point of the volume
// holding the file; a Windows-style path keeps its drive-letter rules.

#include "host/vb/value.h"

#include <QString>

#include <optional>

// The program's name and version as the about box shows it.
QString aboutCaption();

// A volume as the platform reports it: cluster geometry and counts.
struct VolumeSpace
{
    qint64 sectorsPerCluster = 0;
    qint64 bytesPerSector = 0;
    qint64 freeClusters = 0;
    qint64 totalClusters = 0;
};

// What the box asks of the operating system.
class VolumePlatform
{
public:
    virtual ~VolumePlatform() = default;
    // The space of the volume at a root ("C:\" or a mount point); nothing
    // when it cannot be queried.
    virtual std::optional<VolumeSpace> volumeSpace(const QString &root) const = 0;
    // The mount point of the volume holding a local path; empty when none.
    virtual QString mountPointOf(const QString &path) const = 0;
    // The length of a file in bytes; nothing when it cannot be measured.
    virtual std::optional<qint64> fileSize(const QString &path) const = 0;
};

// The operating system's answers (statvfs, QStorageInfo, QFileInfo).
class SystemVolumePlatform : public VolumePlatform
{
public:
    std::optional<VolumeSpace> volumeSpace(const QString &root) const override;
    QString mountPointOf(const QString &path) const override;
    std::optional<qint64> fileSize(const QString &path) const override;
};

// DiskSpace(drive, which): the drive's total (which 1) or free space in
// megabytes brought to two decimals; -1 when drive is Null or the drive
// cannot be queried. A drive starting with "/" is a mount point; otherwise
// its first character is a drive letter ("c" queries "C:\").
double DiskSpace(const Value &drive, int which, const VolumePlatform &platform);

// FileNamePart(path): what follows the last backslash of a Windows-style
// path (the last separator of a local one); Empty when path is empty.
Value FileNamePart(const QString &path);

// The five labels' texts; all empty when no target is selected. A target
// that cannot be measured (gone since it was selected) shows its name only.
struct AboutFigures
{
    QString name;
    QString drive;
    QString total;
    QString free;
    QString objectSize;
};

AboutFigures aboutFigures(const QString &targetPath, const VolumePlatform &platform);

// "#0.00" followed directly by "MB".
QString megabytesText(double megabytes);
