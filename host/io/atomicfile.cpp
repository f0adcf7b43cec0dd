#include "host/io/atomicfile.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Syncs a file or folder by name; false with errno set when it cannot.
bool syncPath(const QString &path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return ok;
}

} // namespace

AtomicFile::AtomicFile(const QString &path)
    : m_path(path)
{
}

AtomicFile::~AtomicFile()
{
    if (m_file.isOpen())
        m_file.close();
    if (!m_committed && !m_tempPath.isEmpty())
        ::unlink(QFile::encodeName(m_tempPath).constData());
}

bool AtomicFile::fail(int error, const QString &what)
{
    m_errno = error;
    m_error = what;
    return false;
}

bool AtomicFile::failSystem(int error, const QString &what)
{
    return fail(error,
                what + QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(error)) + u')');
}

bool AtomicFile::failWriting()
{
    // Qt reports a full disk as a resource error; errno may have moved on.
    const int error = m_file.error() == QFileDevice::ResourceError ? ENOSPC : errno ? errno : EIO;
    return failSystem(error, QStringLiteral("writing failed"));
}

bool AtomicFile::open()
{
    if (m_path.isEmpty())
        return fail(ENOENT, QStringLiteral("no file name was given"));
    const QFileInfo info(m_path);
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir())
        return fail(ENOENT, QStringLiteral("the folder \"%1\" does not exist").arg(folder));
    mode_t mode = 0666;
    struct stat old;
    const QByteArray encoded = QFile::encodeName(m_path);
    if (::lstat(encoded.constData(), &old) == 0) {
        if (S_ISDIR(old.st_mode))
            return fail(EISDIR, QStringLiteral("\"%1\" is a folder, not a file").arg(m_path));
        if (S_ISREG(old.st_mode)) {
            // A file nobody may write keeps its contents, even for root,
            // whom access() lets write anything.
            if ((old.st_mode & 0222) == 0 || ::access(encoded.constData(), W_OK) != 0)
                return fail(
                    EACCES,
                    QStringLiteral("\"%1\" is read-only; it was left as it is").arg(m_path));
            // A regular file being replaced keeps its permissions.
            mode = old.st_mode & 07777;
        }
    }
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString temp =
            folder + QStringLiteral("/.%1.%2.tmp")
                         .arg(info.fileName())
                         .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(temp).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            const int error = errno;
            return failSystem(error, QStringLiteral("cannot create a file in \"%1\"").arg(folder));
        }
        m_tempPath = temp;
        if (mode != 0666)
            ::fchmod(fd, mode);
        if (!m_file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            return fail(EIO, m_file.errorString());
        }
        return true;
    }
    return fail(EEXIST, QStringLiteral("no temporary file name is free in \"%1\"").arg(folder));
}

bool AtomicFile::write(const char *data, qsizetype size)
{
    if (!m_file.isOpen())
        return fail(EBADF, QStringLiteral("the file is not open for writing"));
    return m_file.write(data, size) == size || failWriting();
}

void AtomicFile::releaseHandle()
{
    if (!m_file.isOpen())
        return;
    if (m_file.error() != QFileDevice::NoError || !m_file.flush())
        failWriting();
    m_file.close();
    m_released = true;
}

bool AtomicFile::commit()
{
    if (m_committed)
        return fail(EBADF, QStringLiteral("the file is in place already"));
    if (m_tempPath.isEmpty()) {
        if (m_error.isEmpty())
            fail(EBADF, QStringLiteral("the file was not opened"));
        return false;
    }
    if (m_errno != 0) // an earlier write failed
        return false;
    if (m_file.isOpen()) {
        if (m_file.error() != QFileDevice::NoError || !m_file.flush()) {
            failWriting();
            m_file.close();
            return false;
        }
        const bool synced = ::fsync(m_file.handle()) == 0;
        const int error = errno;
        m_file.close();
        if (!synced)
            return failSystem(error, QStringLiteral("syncing failed"));
    } else if (!m_released) {
        return fail(EBADF, QStringLiteral("the file was closed"));
    } else if (!syncPath(m_tempPath, O_RDONLY)) {
        const int error = errno;
        return failSystem(error, QStringLiteral("syncing failed"));
    }
    if (::rename(QFile::encodeName(m_tempPath).constData(),
                 QFile::encodeName(m_path).constData()) != 0) {
        const int error = errno;
        return failSystem(error, QStringLiteral("renaming the new file into place failed"));
    }
    m_committed = true;
    // So that the rename survives a crash too; the data is safe already.
    syncPath(QFileInfo(m_path).absolutePath(), O_RDONLY | O_DIRECTORY);
    return true;
}
