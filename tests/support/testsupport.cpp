#include "support/testsupport.h"

#include "host/errors.h"

#include <QDir>
#include <QFile>

QString corpusDir()
{
    const QString dir = QStringLiteral(QUILLMARK_CORPUS_DIR);
    return QDir(dir).exists() ? QDir(dir).absolutePath() : QString();
}

QString corpusFile(const QString &relativePath)
{
    const QString dir = corpusDir();
    return dir.isEmpty() ? QString() : dir + QLatin1Char('/') + relativePath;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

int errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const HostError &e) {
        return e.code();
    }
    return 0;
}
