#include "app/clirawnames.h"

#include <QByteArray>
#include <QFile>

#include <cstring>
#include <libgen.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool exists(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

// The folder a new file of that name would go in, when it exists.
bool parentExists(const QByteArray &path)
{
    QByteArray copy = path;
    return exists(QByteArray(::dirname(copy.data())));
}

QByteArray absolute(const QByteArray &path)
{
    if (path.startsWith('/'))
        return path;
    QByteArray cwd(4096, '\0');
    if (!::getcwd(cwd.data(), size_t(cwd.size())))
        return path;
    cwd.truncate(qsizetype(std::strlen(cwd.constData())));
    return cwd + '/' + path;
}

} // namespace

QStringList RawNameLinks::arguments(int argc, char **argv, QString &error)
{
    QStringList out;
    for (int i = 0; i < argc; ++i) {
        const QByteArray word(argv[i]);
        const QString text = QFile::decodeName(word);
        if (QFile::encodeName(text) == word) {
            out << text;
            continue;
        }
        if (!m_folder.isValid() || !(exists(word) || parentExists(word))) {
            error = QStringLiteral("Argument %1 is not valid text in this system's encoding "
                                   "(UTF-8) and names no file or folder")
                        .arg(i);
            return {};
        }
        // The link keeps the readable part of the name, for the messages.
        QByteArray copy = word;
        const QString base = QFile::decodeName(QByteArray(::basename(copy.data())));
        const QString link = m_folder.filePath(QStringLiteral("%1-%2").arg(i).arg(base));
        if (::symlink(absolute(word).constData(), QFile::encodeName(link).constData()) != 0) {
            error = QStringLiteral("Argument %1: no link to it could be made in %2")
                        .arg(i)
                        .arg(m_folder.path());
            return {};
        }
        out << link;
    }
    return out;
}
