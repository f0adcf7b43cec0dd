// Export of a large table, against mdb-export of the same table in the same
// run. Prints wall time, rows per second and peak resident memory of
//   read       -- the table's rows read through the row cursor, written nowhere
//   csv        -- the table as CP932 delimited text with the field names
//   xls        -- its first 65,535 rows as an Excel 97-2003 workbook (the sheet's limit)
//   xlsx       -- the whole table as an Excel 2007 workbook
//   mdb-export -- the whole table as CSV
// for Table0001 of the generated benchmark database (100,000 rows of 20
// fields) and for a table of 1,000,000 rows of 20 fields (its usage maps
// are reference maps) generated into a temporary folder. Each export runs
// in a process of its own, so each peak memory figure is that export's
// alone.
// Usage: export_bench [--no-million] [database table]

#include "bench/benchfiles.h"
#include "export/exportrows.h"
#include "host/jet/jetsource.h"
#include "host/vb/errors.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

namespace {

constexpr qint64 XlsRows = 65535;

// The first `limit` rows of a cursor.
class FirstRows : public RowCursor
{
public:
    FirstRows(std::unique_ptr<RowCursor> rows, qint64 limit)
        : m_rows(std::move(rows))
        , m_limit(limit)
    {
    }
    QStringList fieldNames() const override { return m_rows->fieldNames(); }
    bool next() override { return m_seen++ < m_limit && m_rows->next(); }
    QList<Value> row() const override { return m_rows->row(); }

private:
    std::unique_ptr<RowCursor> m_rows;
    qint64 m_limit;
    qint64 m_seen = 0;
};

// The child: one export, its row count on stdout.
int exportOnce(const QString &format, const QString &database, const QString &table,
               const QString &out)
{
    try {
        const std::shared_ptr<JetSource> source = JetSource::open(database);
        std::unique_ptr<RowCursor> rows = source->openRows(table);
        if (format == u"read") { // the reader alone, for the share the writers take
            qint64 count = 0;
            while (rows->next())
                count += rows->row().isEmpty() ? 0 : 1;
            std::printf("%lld\n", count);
            return 0;
        }
        ExportOptions options;
        options.fieldNames = true;
        ExportFormat kind = ExportFormat::DelimitedText;
        if (format == u"xls") {
            kind = ExportFormat::Excel97;
            rows = std::make_unique<FirstRows>(std::move(rows), XlsRows);
        } else if (format == u"xlsx") {
            kind = ExportFormat::Excel2007;
        } else if (format == u"rtf") {
            kind = ExportFormat::RichText;
        }
        std::printf("%lld\n", exportRows(*rows, table, kind, out, options));
        return 0;
    } catch (const HostError &error) {
        std::fprintf(stderr, "error %d: %s\n", error.code(), qPrintable(error.description()));
        return 1;
    }
}

struct Measured
{
    bool ok = false;
    double seconds = 0;
    double peakMB = 0;
};

// Runs a program, its standard output to `stdoutPath`; wall time and the
// child's own peak memory.
Measured measure(const QStringList &command, const QString &stdoutPath)
{
    QList<QByteArray> args;
    for (const QString &a : command)
        args << a.toLocal8Bit();
    QList<char *> argv;
    for (QByteArray &a : args)
        argv << a.data();
    argv << nullptr;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray out = QFile::encodeName(stdoutPath);
    posix_spawn_file_actions_addopen(&actions, 1, out.constData(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    Measured m;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return m;
    }
    int status = 0;
    struct rusage usage
    {
    };
    wait4(pid, &status, 0, &usage);
    posix_spawn_file_actions_destroy(&actions);
    m.seconds = timer.nsecsElapsed() / 1e9;
    m.peakMB = usage.ru_maxrss / 1024.0;
    m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return m;
}

qint64 firstNumber(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readLine().trimmed().toLongLong() : -1;
}

void benchTable(const QString &self, const QString &database, const QString &table,
                const QString &folder)
{
    std::printf("%s, table %s\n", qPrintable(QFileInfo(database).fileName()), qPrintable(table));
    const QString counts = folder + QStringLiteral("/rows.txt");
    double csvSeconds = 0;
    for (const char *format : {"read", "csv", "xls", "xlsx"}) {
        const QString out = folder + QStringLiteral("/out.") + QLatin1String(format);
        const Measured m = measure(
            {self, QStringLiteral("--child"), QLatin1String(format), database, table, out}, counts);
        const qint64 rows = firstNumber(counts);
        if (!m.ok) {
            std::printf("  %-10s failed\n", format);
            continue;
        }
        if (QLatin1String(format) == QLatin1String("csv"))
            csvSeconds = m.seconds;
        std::printf("  %-10s %8lld rows %8.2f s %10.0f rows/s  peak %6.1f MB  %8.1f MB written\n",
                    format, rows, m.seconds, rows / m.seconds, m.peakMB,
                    QFileInfo(out).size() / 1048576.0);
        QFile::remove(out);
    }
    const QString mdbOut = folder + QStringLiteral("/mdb.csv");
    const Measured mdb = measure({QStringLiteral("mdb-export"), database, table}, mdbOut);
    if (mdb.ok) {
        std::printf("  %-10s %8s      %8.2f s                   peak %6.1f MB  %8.1f MB written\n",
                    "mdb-export", "", mdb.seconds, mdb.peakMB,
                    QFileInfo(mdbOut).size() / 1048576.0);
        if (csvSeconds > 0)
            std::printf("  csv is %.1fx as fast as mdb-export\n", mdb.seconds / csvSeconds);
    } else {
        std::printf("  mdb-export failed\n");
    }
    QFile::remove(mdbOut);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.value(0) == u"--child")
        return exportOnce(args.value(1), args.value(2), args.value(3), args.value(4));
    const bool million = !args.removeAll(QStringLiteral("--no-million"));
    const QString database = args.value(0).isEmpty() ? generatedBenchDatabase() : args.value(0);
    if (database.isEmpty())
        return 2;
    const QString table = args.value(1, QStringLiteral("Table0001"));
    QTemporaryDir folder;
    const QString self = QCoreApplication::applicationFilePath();
    benchTable(self, database, table, folder.path());
    if (!million)
        return 0;

    const QString big = folder.filePath(QStringLiteral("million.mdb"));
    const Measured made =
        measure({QStringLiteral(QUILLMARK_MKDB), QStringLiteral("--generate"),
                 QStringLiteral("tables=1,fields=20,rows=0,bigrows=1000000,queries=0"), big},
                folder.filePath(QStringLiteral("mkdb.txt")));
    if (!made.ok) {
        std::printf("quillmark-mkdb could not generate the 1,000,000-row table\n");
        return 1;
    }
    std::printf("(generated the 1,000,000-row table in %.1f s, %.0f MB)\n", made.seconds,
                QFileInfo(big).size() / 1048576.0);
    benchTable(self, big, QStringLiteral("Table0001"), folder.path());
    return 0;
}
