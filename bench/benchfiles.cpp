#include "bench/benchfiles.h"

#include "host/jet/jetsource.h"
#include "host/vb/errors.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cstdio>

QStringList largestCorpusDatabases(int count)
{
    QString corpus = qEnvironmentVariable("QUILLMARK_CORPUS");
    if (corpus.isEmpty())
        corpus = QStringLiteral(QUILLMARK_CORPUS_DIR);
    QList<QFileInfo> files;
    QDirIterator it(corpus, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString suffix = info.suffix().toLower();
        if (suffix == QLatin1String("mdb") || suffix == QLatin1String("accdb"))
            files.append(info);
    }
    std::sort(files.begin(), files.end(),
              [](const QFileInfo &a, const QFileInfo &b) { return a.size() > b.size(); });
    QStringList out;
    for (const QFileInfo &f : files) {
        if (out.size() == count)
            break;
        try {
            JetSource::open(f.absoluteFilePath());
        } catch (const HostError &) {
            continue; // encrypted or damaged: not a timing subject
        }
        out.append(f.absoluteFilePath());
    }
    return out;
}

QString generatedBenchDatabase()
{
    const QString path = QStringLiteral(QUILLMARK_BENCH_DATABASE);
    if (QFileInfo::exists(path))
        return path;
    std::fprintf(stderr, "%s is missing: build the target bench_databases first\n",
                 qPrintable(path));
    return QString();
}

double peakMemoryMB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

QByteArray runTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(program, args);
    if (!p.waitForFinished(300000)) {
        p.kill();
        p.waitForFinished();
    }
    return p.readAllStandardOutput();
}
