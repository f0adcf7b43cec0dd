#include "export/exportfile.h"

#include "host/vb/errors.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ExportFile::ExportFile(const QString &target)
    : m_target(target)
{
    if (target.isEmpty())
        throw HostError(Err::InvalidPath, QStringLiteral("No file name was given to export to"));
    const QFileInfo info(target);
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir())
        throw HostError(Err::InvalidPath,
                        QStringLiteral("\"%1\" is not a valid path: the folder \"%2\" does not "
                                       "exist")
                            .arg(target, folder.filePath()));
    if (info.isDir())
        throw HostError(Err::PathFileAccess,
                        QStringLiteral("\"%1\" is a folder, not a file").arg(target));
    // A file nobody may write keeps its contents, even for root.
    const auto writeBits = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (info.exists() && (!info.isWritable() || !(info.permissions() & writeBits)))
        throw HostError(Err::PathFileAccess,
                        QStringLiteral("\"%1\" is read-only; it was left as it is").arg(target));
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString temp =
            info.absolutePath() +
            QStringLiteral("/.%1.%2.tmp")
                .arg(info.fileName())
                .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(temp).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            fail(QStringLiteral("cannot create a file in \"%1\"").arg(folder.filePath()), errno);
        m_temp = temp;
        if (!m_file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            fail(QStringLiteral("cannot write \"%1\"").arg(temp), EIO);
        }
        return;
    }
    fail(QStringLiteral("no temporary name is free beside \"%1\"").arg(target), EEXIST);
}

ExportFile::~ExportFile()
{
    if (m_file.isOpen())
        m_file.close();
    if (!m_committed && !m_temp.isEmpty())
        ::unlink(QFile::encodeName(m_temp).constData());
}

void ExportFile::fail(const QString &what, int error) const
{
    throw HostError(error == ENOSPC ? Err::DiskFull : Err::PathFileAccess,
                    QStringLiteral("Export to \"%1\" failed: %2 (%3)")
                        .arg(m_target, what, QString::fromLocal8Bit(std::strerror(error))));
}

void ExportFile::write(const char *data, qsizetype size)
{
    if (!m_file.isOpen())
        fail(QStringLiteral("the file is closed"), EBADF);
    if (m_file.write(data, size) != size)
        fail(QStringLiteral("writing failed"), errno ? errno : EIO);
}

void ExportFile::write(const QByteArray &bytes)
{
    write(bytes.constData(), bytes.size());
}

void ExportFile::commit()
{
    if (m_file.isOpen()) {
        if (!m_file.flush())
            fail(QStringLiteral("writing failed"), errno ? errno : EIO);
        if (::fsync(m_file.handle()) != 0)
            fail(QStringLiteral("syncing failed"), errno);
        m_file.close();
    }
    if (::rename(QFile::encodeName(m_temp).constData(), QFile::encodeName(m_target).constData()) !=
        0)
        fail(QStringLiteral("renaming the new file into place failed"), errno);
    m_committed = true;
}
