// Compaction with its verification of the generated benchmark database and
// of its copy with half the rows deleted (or of the files given), against
// the time our reader takes to read every row of every table of the same
// file once.
//
//     compact_bench [DB...]

#include "bench/benchfiles.h"
#include "host/jet/jetfile.h"
#include "host/jet/jetsource.h"
#include "host/vb/errors.h"
#include "maintenance/compactor.h"
#include "maintenance/copyverifier.h"
#include "maintenance/pageaccount.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Every value of every row of every local table, read once.
qint64 readEveryRow(const QString &path)
{
    const std::shared_ptr<JetFile> file = JetFile::open(path, JetOptions());
    JetTable objects(file, 2, QStringLiteral("MSysObjects"));
    const int id = objects.columnIndex(u"Id"), type = objects.columnIndex(u"Type"),
              name = objects.columnIndex(u"Name");
    QList<QPair<QString, quint32>> tables{{QStringLiteral("MSysObjects"), 2}};
    while (objects.next())
        if (objects.text(type).toInt() == 1 && objects.text(id).toLongLong() != 2)
            tables.append({objects.text(name), quint32(objects.text(id).toLongLong())});
    qint64 values = 0;
    for (const auto &[table, tdef] : tables) {
        JetTable t(file, tdef, table);
        while (t.next())
            for (int c = 0; c < t.columns().size(); ++c) {
                const int kind = t.columns()[c].type;
                values += (kind == 0x0B || kind == 0x0C ? t.longValue(c) : t.bytes(c)).size() > 0;
            }
    }
    return values;
}

int benchCompaction(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    const qint64 values = readEveryRow(path);
    const double readMs = timer.nsecsElapsed() / 1e6;

    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("copy.mdb"));
    timer.restart();
    const PageAccount account = PageAccount::read(path);
    const double accountMs = timer.nsecsElapsed() / 1e6;
    timer.restart();
    const CompactionFigures f = writeCompactedCopy(account, copy);
    const double writeMs = timer.nsecsElapsed() / 1e6;
    timer.restart();
    const QString difference = compactedCopyDifference(account, copy);
    const double verifyMs = timer.nsecsElapsed() / 1e6;
    if (!difference.isEmpty()) {
        std::fprintf(stderr, "the copy differs: %s\n", qPrintable(difference));
        return 1;
    }
    const double total = accountMs + writeMs + verifyMs;
    std::printf("%s\n", qPrintable(path));
    std::printf("  size: %lld -> %lld bytes (%u -> %u pages, %u dropped; %lld deleted rows "
                "dropped)\n",
                (long long)f.bytesBefore, (long long)f.bytesAfter, f.pagesBefore, f.pagesAfter,
                f.pagesDropped, (long long)f.deletedRowsDropped);
    std::printf("  one full read:  %9.1f ms (%lld values)\n", readMs, (long long)values);
    std::printf("  page account:   %9.1f ms\n", accountMs);
    std::printf("  copy written:   %9.1f ms\n", writeMs);
    std::printf("  verification:   %9.1f ms\n", verifyMs);
    std::printf("  compaction + verification: %.1f ms = %.2f x one full read (aim: 3)\n", total,
                total / readMs);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList paths;
    for (int i = 1; i < argc; ++i)
        paths << QString::fromLocal8Bit(argv[i]);
    if (paths.isEmpty()) {
        const QString generated = generatedBenchDatabase();
        if (generated.isEmpty())
            return 1;
        paths << generated;
        if (QFileInfo::exists(QStringLiteral(QUILLMARK_BENCH_HALF_DELETED)))
            paths << QStringLiteral(QUILLMARK_BENCH_HALF_DELETED);
    }
    int status = 0;
    try {
        for (const QString &path : paths)
            status |= benchCompaction(path);
    } catch (const HostError &e) {
        std::fprintf(stderr, "%d: %s\n", e.code(), qPrintable(e.description()));
        return 1;
    }
    std::printf("peak memory: %.0f MB\n", peakMemoryMB());
    return status;
}
