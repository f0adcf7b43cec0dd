#include "about/aboutfigures.h"

#include "host/vb/vb.h"

#include <QFileInfo>
#include <QStorageInfo>

#include <limits>
#include <sys/statvfs.h>

namespace {

// "C:\..." and "\\server\..." follow the designed drive-letter rules; any
// other path is a local path of this system.
bool isWindowsStyle(const QString &path)
{
    return path.startsWith(u'\\') || (path.size() >= 2 && path[1] == u':' && path[0].isLetter());
}

double toTwoDecimals(double megabytes)
{
    return vb::CDbl(Value(vb::Format(Value::dbl(megabytes), u"#0.00")));
}

} // namespace

QString aboutCaption()
{
    return QStringLiteral("Quillmark Ver%1").arg(QStringLiteral(QUILLMARK_VERSION));
}

std::optional<VolumeSpace> SystemVolumePlatform::volumeSpace(const QString &root) const
{
    // Drive letters do not exist here: "C:\" is never a volume of this system.
    if (root.isEmpty() || isWindowsStyle(root))
        return std::nullopt;
    struct statvfs figures = {};
    if (statvfs(QFile::encodeName(root).constData(), &figures) != 0)
        return std::nullopt;
    return VolumeSpace{1, qint64(figures.f_frsize), qint64(figures.f_bfree),
                       qint64(figures.f_blocks)};
}

QString SystemVolumePlatform::mountPointOf(const QString &path) const
{
    const QStorageInfo volume(path);
    return volume.isValid() ? volume.rootPath() : QString();
}

std::optional<qint64> SystemVolumePlatform::fileSize(const QString &path) const
{
    const QFileInfo file(path);
    if (!file.exists() || !file.isFile())
        return std::nullopt;
    return file.size();
}

double DiskSpace(const Value &drive, int which, const VolumePlatform &platform)
{
    if (drive.isNull())
        return -1;
    const QString text = vb::CStr(drive);
    const QString root =
        text.startsWith(u'/') ? text : text.left(1).toUpper() + QStringLiteral(":\\");
    const std::optional<VolumeSpace> space = platform.volumeSpace(root);
    if (!space)
        return -1;
    // The designed product is a 32-bit one; a geometry past it is not a
    // volume the box can describe.
    const qint64 bytesPerCluster = space->bytesPerSector * space->sectorsPerCluster;
    if (bytesPerCluster <= 0 || bytesPerCluster > std::numeric_limits<qint32>::max())
        return -1;
    const double mb = 1024.0 * 1024.0;
    const double free = toTwoDecimals(double(space->freeClusters) * double(bytesPerCluster) / mb);
    const double total = toTwoDecimals(double(space->totalClusters) * double(bytesPerCluster) / mb);
    return which == 1 ? total : free;
}

Value FileNamePart(const QString &path)
{
    if (path.isEmpty())
        return Value();
    const qsizetype cut = isWindowsStyle(path) ? path.lastIndexOf(u'\\') : path.lastIndexOf(u'/');
    return Value(path.mid(cut + 1));
}

QString megabytesText(double megabytes)
{
    return vb::Format(Value::dbl(megabytes), u"#0.00") + QStringLiteral("MB");
}

AboutFigures aboutFigures(const QString &targetPath, const VolumePlatform &platform)
{
    AboutFigures figures;
    if (targetPath.isEmpty())
        return figures;
    figures.name = vb::CStr(FileNamePart(targetPath));
    const std::optional<qint64> size = platform.fileSize(targetPath);
    if (!size)
        return figures;
    const QString drive =
        isWindowsStyle(targetPath) ? targetPath.left(1) : platform.mountPointOf(targetPath);
    figures.drive = drive;
    figures.total = megabytesText(DiskSpace(Value(drive), 1, platform));
    figures.free = megabytesText(DiskSpace(Value(drive), 2, platform));
    figures.objectSize = megabytesText(double(*size) / 1024 / 1024);
    return figures;
}
