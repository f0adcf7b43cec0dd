#include "host/io/atomicfile.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
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

bool AtomicFile::open()
{
    const QFileInfo info(m_path);
    // A regular file being replaced keeps its permissions.
    mode_t mode = 0666;
    struct stat old;
    if (::lstat(QFile::encodeName(m_path).constData(), &old) == 0 && S_ISREG(old.st_mode))
        mode = old.st_mode & 07777;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString temp =
            info.absolutePath() +
            QStringLiteral("/.%1.%2.tmp")
                .arg(info.fileName())
                .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(temp).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            m_error = systemError();
            return false;
        }
        m_tempPath = temp;
        if (mode != 0666)
            ::fchmod(fd, mode);
        if (!m_file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            m_error = m_file.errorString();
            return false;
        }
        return true;
    }
    m_error = QStringLiteral("no temporary file name is free");
    return false;
}

bool AtomicFile::commit()
{
    if (!m_file.isOpen())
        return false;
    bool ok = m_file.error() == QFileDevice::NoError && m_file.flush();
    if (!ok)
        m_error = m_file.errorString();
    if (ok && ::fsync(m_file.handle()) != 0) {
        m_error = systemError();
        ok = false;
    }
    m_file.close();
    if (ok && ::rename(QFile::encodeName(m_tempPath).constData(),
                       QFile::encodeName(m_path).constData()) != 0) {
        m_error = systemError();
        ok = false;
    }
    m_committed = ok;
    return ok;
}
