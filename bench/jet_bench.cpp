// Loads all metadata of database files through JetSource (tables with
// fields, indexes, properties and record counts; queries with SQL and fields;
// containers with documents and their properties) and, in the same run, has
// mdbtools do the comparable work: mdb-schema, mdb-queries -1 -L, and
// mdb-queries for every query. Prints both wall times per file.
// Usage: jet_bench [--repeat N] [file ...]
// Default files: the three largest databases of the corpus and the generated
// benchmark database.

#include "bench/benchfiles.h"
#include "host/jet/jetsource.h"
#include "host/vb/errors.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace {

struct Counts
{
    qint64 tables = 0, fields = 0, indexes = 0, properties = 0, rows = 0;
    qint64 queries = 0, sqlChars = 0, documents = 0;
};

Counts loadEverything(const QString &path)
{
    Counts c;
    const std::shared_ptr<JetSource> source = JetSource::open(path);
    c.properties += source->summary().properties.Count();
    for (const TableDef &t : source->tableDefs()) {
        ++c.tables;
        c.rows += t.RecordCount();
        c.properties += t.Properties().Count();
        for (const Field &f : t.Fields())
            c.properties += f.Properties().Count();
        c.fields += t.Fields().size();
        c.indexes += t.Indexes().size();
    }
    for (const QueryDef &q : source->queryDefs()) {
        ++c.queries;
        c.sqlChars += q.SQL().size();
        c.fields += q.Fields().size();
        c.properties += q.Properties().Count();
    }
    for (const Container &k : source->containers())
        for (const Document &d : k.Documents) {
            ++c.documents;
            c.properties += d.Properties().Count();
        }
    return c;
}

// What mdbtools needs for the same ground: the schema, the query list and
// each query's SQL. Returns the number of queries it listed.
int mdbtoolsEverything(const QString &path)
{
    runTool(QStringLiteral("mdb-schema"), {path});
    const QByteArray list =
        runTool(QStringLiteral("mdb-queries"), {QStringLiteral("-1"), QStringLiteral("-L"), path});
    int count = 0;
    for (const QByteArray &line : list.split('\n')) {
        const QString name = QString::fromUtf8(line).trimmed();
        if (name.isEmpty())
            continue;
        runTool(QStringLiteral("mdb-queries"), {path, name});
        ++count;
    }
    return count;
}

// The shortest of `repeat` runs of work, in microseconds.
template <typename Work> qint64 bestMicroseconds(int repeat, Work work)
{
    qint64 best = -1;
    for (int i = 0; i < repeat; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        const qint64 us = t.nsecsElapsed() / 1000;
        best = best < 0 ? us : std::min(best, us);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int repeat = 3;
    if (args.size() >= 2 && args.first() == QLatin1String("--repeat")) {
        repeat = std::max(1, args.at(1).toInt());
        args = args.mid(2);
    }
    if (args.isEmpty()) {
        args = largestCorpusDatabases(3);
        const QString generated = generatedBenchDatabase();
        if (!generated.isEmpty())
            args.append(generated);
    }
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: jet_bench [--repeat N] FILE...  (no corpus found)\n");
        return 2;
    }

    std::printf("%-58s %10s %10s %10s %7s\n", "file (best of runs)", "ours ms", "mdbtools", "ratio",
                "queries");
    int failures = 0;
    for (const QString &path : args) {
        const QString shown = QFileInfo(path).fileName();
        qint64 ours = -1;
        Counts counts;
        int theirQueries = 0;
        try {
            ours = bestMicroseconds(repeat, [&] { counts = loadEverything(path); });
        } catch (const HostError &e) {
            std::printf("%s: error %d: %s\n", qPrintable(shown), e.code(), e.what());
            ++failures;
            continue;
        }
        const qint64 theirs =
            bestMicroseconds(repeat, [&] { theirQueries = mdbtoolsEverything(path); });
        std::printf("%-58s %10.1f %10.1f %10.3f %7lld\n", qPrintable(shown), ours / 1000.0,
                    theirs / 1000.0, theirs > 0 ? double(ours) / double(theirs) : 0.0,
                    counts.queries);
        std::printf("    tables %lld, fields %lld, indexes %lld, properties %lld, rows counted "
                    "%lld, SQL chars %lld, documents %lld; mdbtools listed %d queries\n",
                    counts.tables, counts.fields, counts.indexes, counts.properties, counts.rows,
                    counts.sqlChars, counts.documents, theirQueries);
    }
    return failures == 0 ? 0 : 1;
}
