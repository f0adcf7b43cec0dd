#include "maintenance/fileinuse.h"

#include "host/vb/errors.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Another process holds a POSIX record lock or a flock() lock on the file.
bool lockedByAnother(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock probe = {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    bool locked = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    if (!locked) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::flock(fd, LOCK_UN);
        else
            locked = errno == EWOULDBLOCK;
    }
    ::close(fd);
    return locked;
}

} // namespace

QString lockFilePath(const QString &path)
{
    const QFileInfo info(path);
    const QString base = info.path() + u'/' + info.completeBaseName();
    return info.suffix().compare(u"accdb", Qt::CaseInsensitive) == 0
               ? base + QStringLiteral(".laccdb")
               : base + QStringLiteral(".ldb");
}

void ensureNotInUse(const QString &path, const QString &openTarget)
{
    const QFileInfo info(path);
    if (!openTarget.isEmpty() && info.exists() &&
        info.canonicalFilePath() == QFileInfo(openTarget).canonicalFilePath())
        throw HostError(Err::TableLocked,
                        QStringLiteral("The database '%1' is already opened exclusively: it is "
                                       "the target open in the main window.")
                            .arg(path));
    const QString lock = lockFilePath(path);
    if (QFileInfo::exists(lock) && lockedByAnother(lock))
        throw HostError(Err::FileInUse,
                        QStringLiteral("The database '%1' is already in use by another person or "
                                       "process (its lock file '%2' is held).")
                            .arg(path, lock));
    if (info.exists() && lockedByAnother(path))
        throw HostError(Err::TableLocked,
                        QStringLiteral("The database '%1' is opened exclusively by another "
                                       "process.")
                            .arg(path));
}
