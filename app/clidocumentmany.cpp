#include "app/clidocumentmany.h"

#include "app/consoleui.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

namespace {

// The folder under --out for each database: its file name without the
// ending, numbered when two databases share a name.
QStringList folderNames(const QStringList &databases)
{
    QStringList names;
    for (const QString &database : databases) {
        const QString stem = QFileInfo(database).completeBaseName();
        QString name = stem;
        for (int n = 2; names.contains(name, Qt::CaseInsensitive); ++n)
            name = QStringLiteral("%1-%2").arg(stem).arg(n);
        names << name;
    }
    return names;
}

// The options given, minus those each process gets its own of.
QStringList passedOn(const CliArgs &args, const QList<CliOption> &options)
{
    QStringList words;
    for (const CliOption &option : options) {
        const QString name = QString::fromLatin1(option.name);
        if (name == QLatin1String("--out") || name == QLatin1String("--store") ||
            name == QLatin1String("--jobs") || !args.has(option.name))
            continue;
        if (option.kind == CliOption::Kind::Flag) {
            words << name;
            continue;
        }
        for (const QString &value : args.values(option.name))
            words << name << value;
    }
    return words;
}

struct Run
{
    qsizetype index;
    QString database;
    QString folder;
    std::unique_ptr<QProcess> process;
};

// A file's lines, each handed on.
void forEachLine(const QString &path, const std::function<void(const QString &)> &print)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (!line.isEmpty())
            print(QString::fromUtf8(line));
}

} // namespace

int documentSeveral(const CliArgs &args, const QList<CliOption> &options)
{
    if (args.has("--store")) {
        printErr(QStringLiteral("--store: with several databases each gets its own store under "
                                "--out"));
        return 2;
    }
    bool ok = false;
    const int jobs = args.value("--jobs", QStringLiteral("1")).toInt(&ok);
    if (!ok || jobs < 1 || jobs > 64) {
        printErr(QStringLiteral("--jobs: a number from 1 to 64"));
        return 2;
    }
    const QString out = QFileInfo(args.value("--out", QStringLiteral("."))).absoluteFilePath();
    if (!QFileInfo(out).isDir()) {
        printErr(QStringLiteral("--out: %1 is not a folder").arg(out));
        return 2;
    }

    const QStringList databases = args.positional();
    const QStringList folders = folderNames(databases);
    const QStringList common = passedOn(args, options);
    std::vector<Run> runs;
    for (qsizetype i = 0; i < databases.size(); ++i)
        runs.push_back({i, databases[i], QDir(out).filePath(folders[i]), nullptr});

    // Each process writes into files, never into a pipe that could fill
    // while another one is being waited for.
    QTemporaryDir captured;
    if (!captured.isValid()) {
        printErr(QStringLiteral("document: cannot create a temporary folder"));
        return 1;
    }
    auto capture = [&](const Run &run, const char *channel) {
        return captured.filePath(
            QStringLiteral("%1.%2").arg(run.index).arg(QLatin1String(channel)));
    };
    QStringList succeeded, failed;
    int status = 0;
    size_t next = 0;
    int running = 0;
    auto start = [&](Run &run) {
        if (!QDir().mkpath(run.folder)) {
            printErr(
                QStringLiteral("%1: cannot create the folder %2").arg(run.database, run.folder));
            failed << run.database;
            status = std::max(status, 1);
            return;
        }
        run.process = std::make_unique<QProcess>();
        run.process->setStandardOutputFile(capture(run, "out"));
        run.process->setStandardErrorFile(capture(run, "err"));
        run.process->start(QCoreApplication::applicationFilePath(),
                           QStringList{QStringLiteral("document"), run.database,
                                       QStringLiteral("--out"), run.folder,
                                       QStringLiteral("--store"),
                                       QDir(run.folder).filePath(QStringLiteral("Analize.mdb"))} +
                               common);
        ++running;
    };
    auto finish = [&](Run &run) {
        run.process->waitForFinished(-1);
        --running;
        const QString name = QFileInfo(run.database).fileName();
        forEachLine(capture(run, "out"), printOut);
        forEachLine(capture(run, "err"),
                    [&](const QString &line) { printErr(name + QStringLiteral(": ") + line); });
        const int code =
            run.process->exitStatus() == QProcess::NormalExit ? run.process->exitCode() : 1;
        (code == 0 ? succeeded : failed) << name;
        QDir().rmdir(run.folder); // only when nothing was written into it
        status = std::max(status, code);
        run.process.reset();
    };
    // Finished processes are collected in order, so the output reads in
    // the order the databases were named.
    size_t collected = 0;
    while (collected < runs.size()) {
        while (next < runs.size() && running < jobs)
            start(runs[next++]);
        if (runs[collected].process)
            finish(runs[collected]);
        ++collected;
    }
    const auto names = [](const QStringList &list) {
        return list.isEmpty() ? QStringLiteral("none") : list.join(QLatin1String(", "));
    };
    printErr(QStringLiteral("document: %1 databases: succeeded: %2; failed: %3")
                 .arg(databases.size())
                 .arg(names(succeeded), names(failed)));
    return status;
}
