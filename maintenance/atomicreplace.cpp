#include "maintenance/atomicreplace.h"

#include "host/vb/errors.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

void replaceAtomically(const QString &from, const QString &to)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw HostError(Err::PathFileAccess,
                        QStringLiteral("Path/File access error: '%1' could not replace '%2' (%3).")
                            .arg(from, to, QString::fromLocal8Bit(std::strerror(errno))));
    const int dir = ::open(QFile::encodeName(QFileInfo(to).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}
