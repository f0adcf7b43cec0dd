// Reads every row of a table through JetSource's row cursor, as the
// datasheet and the exports do, and has mdb-export read the same table.
// Prints rows, wall times and this program's peak memory.
// Usage: rows_bench [database [table]]
// Default: the generated benchmark database and its largest table.

#include "bench/benchfiles.h"
#include "host/jet/jetsource.h"
#include "host/vb/errors.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {

QString largestTable(JetSource &source)
{
    QString best;
    qint64 most = -1;
    for (const TableDef &t : source.tableDefs())
        if (t.RecordCount() > most) {
            most = t.RecordCount();
            best = t.Name;
        }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString database = args.value(0).isEmpty() ? generatedBenchDatabase() : args.value(0);
    if (database.isEmpty())
        return 2;
    try {
        QElapsedTimer timer;
        timer.start();
        const std::shared_ptr<JetSource> source = JetSource::open(database);
        const QString table = args.size() > 1 ? args[1] : largestTable(*source);
        const qint64 openMs = timer.restart();

        qint64 rows = 0, values = 0;
        const std::unique_ptr<RowCursor> cursor = source->openRows(table);
        while (cursor->next()) {
            ++rows;
            for (const Value &v : cursor->row())
                values += v.isNull() ? 0 : 1;
        }
        const qint64 ourMs = timer.restart();
        const qint64 exportedBytes =
            runTool(QStringLiteral("mdb-export"), {database, table}).size();
        const qint64 theirMs = timer.elapsed();

        std::printf("%s, table %s\n  open and catalog %lld ms\n"
                    "  ours: %lld rows (%lld non-null values) in %lld ms, peak memory %.1f MB\n"
                    "  mdb-export: %lld bytes of CSV in %lld ms\n",
                    qPrintable(database), qPrintable(table), static_cast<long long>(openMs),
                    static_cast<long long>(rows), static_cast<long long>(values),
                    static_cast<long long>(ourMs), peakMemoryMB(),
                    static_cast<long long>(exportedBytes), static_cast<long long>(theirMs));
    } catch (const HostError &e) {
        std::fprintf(stderr, "rows_bench: error %d: %s\n", e.code(), e.what());
        return 1;
    }
    return 0;
}
