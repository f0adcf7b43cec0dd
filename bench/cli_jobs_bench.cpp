// Times documenting many databases with the command line: the corpus's Jet
// files (.mdb) each in a call of its own, one after the other, against all
// of them in one call with --jobs 1 and --jobs 2. Every listing, PDF reports.
// Usage: cli_jobs_bench [count=50]

#include "bench/benchfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

int run(const QStringList &args)
{
    QProcess cli;
    cli.setStandardErrorFile(QProcess::nullDevice());
    cli.setStandardOutputFile(QProcess::nullDevice());
    cli.start(QStringLiteral(QUILLMARK_CLI), args);
    cli.waitForFinished(-1);
    return cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 50;
    QStringList databases;
    for (const QString &path : largestCorpusDatabases(1000)) {
        if (path.endsWith(QLatin1String(".mdb"), Qt::CaseInsensitive) && databases.size() < count)
            databases << path;
    }
    if (databases.isEmpty()) {
        std::fprintf(stderr, "no corpus: nothing to time\n");
        return 0;
    }
    const QStringList listing{QStringLiteral("--listing"), QStringLiteral("all"),
                              QStringLiteral("--keep-going")};

    QTemporaryDir apart;
    QElapsedTimer timer;
    timer.start();
    int failed = 0;
    for (int i = 0; i < databases.size(); ++i) {
        const QString folder = apart.filePath(QString::number(i));
        QDir().mkpath(folder);
        failed += run(QStringList{QStringLiteral("document"), databases[i], QStringLiteral("--out"),
                                  folder, QStringLiteral("--store"),
                                  QDir(folder).filePath(QStringLiteral("Analize.mdb"))} +
                      listing) != 0;
    }
    std::printf("%lld databases, one call each:      %7.2f s  (%d with a failed listing)\n",
                qlonglong(databases.size()), timer.elapsed() / 1000.0, failed);

    for (const char *jobs : {"1", "2"}) {
        QTemporaryDir together;
        timer.restart();
        const int status = run(QStringList{QStringLiteral("document")} + databases +
                               QStringList{QStringLiteral("--out"), together.path(),
                                           QStringLiteral("--jobs"), QLatin1String(jobs)} +
                               listing);
        std::printf("%lld databases, one call, --jobs %s: %7.2f s  (exit status %d)\n",
                    qlonglong(databases.size()), jobs, timer.elapsed() / 1000.0, status);
    }
    return 0;
}
