#include "jet/corpuscatalog.h"

#include "host/jet/jetsource.h"
#include "host/vb/errors.h"

#include <QDir>
#include <QProcess>

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QList<CatalogEntry> catalogOf(const QString &path)
{
    const QStringList rows =
        run(QStringLiteral("mdb-export"),
            {QStringLiteral("-Q"), QStringLiteral("-b"), QStringLiteral("strip"),
             QStringLiteral("-d"), QStringLiteral("\x01"), QStringLiteral("-R"),
             QStringLiteral("\x02"), path, QStringLiteral("MSysObjects")})
            .split(QChar(2), Qt::SkipEmptyParts);
    QList<CatalogEntry> entries;
    if (rows.isEmpty())
        return entries;
    const QStringList header = rows[0].split(QChar(1));
    const qsizetype type = header.indexOf(QStringLiteral("Type"));
    const qsizetype flags = header.indexOf(QStringLiteral("Flags"));
    const qsizetype name = header.indexOf(QStringLiteral("Name"));
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const QStringList cells = rows[i].split(QChar(1));
        if (cells.size() == header.size())
            entries.append({cells[type].toInt(), cells[flags].toLongLong(), cells[name]});
    }
    return entries;
}

bool readable(const QString &path)
{
    try {
        JetSource::open(path);
        return true;
    } catch (const HostError &) {
        return false;
    }
}

CorpusTarget::CorpusTarget(const QString &path, ReportOutput &output)
{
    state.storePath = dir.filePath(QStringLiteral("Analize.mdb"));
    state.opener = JetSource::opener();
    state.reportOutput = &output;
    state.newTargetInstance().OpenCurrentDatabase(path);
    state.targetPath = path;
}
