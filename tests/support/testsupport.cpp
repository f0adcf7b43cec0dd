#include "support/testsupport.h"

#include "host/vb/errors.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

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

QStringList corpusDatabases()
{
    QStringList files;
    for (const char *folder : {"jet3", "jet4", "ace"}) {
        const QDir dir(corpusFile(QString::fromLatin1(folder)));
        for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
            files.append(dir.filePath(name));
    }
    return files;
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

QString failureOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const HostError &e) {
        return QString::number(e.code()) + u' ' + e.description();
    }
    return QString();
}

QString runTool(const QString &program, const QStringList &args, const QString &jet3Charset)
{
    QProcess p;
    if (!jet3Charset.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MDB_JET3_CHARSET"), jet3Charset);
        p.setProcessEnvironment(env);
    }
    p.start(program, args);
    p.waitForFinished(120000);
    EXPECT_EQ(p.exitCode(), 0) << program.toStdString() << ": "
                               << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}
