// Every readable Jet file of the corpus, compacted in a temporary folder and
// read back: by our reader and libmdb (the engine's own verification), by
// mdbtools' command-line tools, by mdb-reader (when it is installed), by the
// module and design readers, and by the page account again.

#include "host/design/storeddesignsource.h"
#include "host/jet/jetsource.h"
#include "host/jet/vbasource.h"
#include "host/vb/errors.h"
#include "host/vb/vb.h"
#include "maintenance/integritycheck.h"
#include "maintenance/maintenanceengine.h"
#include "maintenance/pageaccount.h"
#include "support/testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList jetCorpusFiles()
{
    QStringList files;
    for (const QString &folder : {QStringLiteral("jet3"), QStringLiteral("jet4")}) {
        QDir dir(corpusFile(folder));
        for (const QString &name :
             dir.entryList({QStringLiteral("*.mdb")}, QDir::Files, QDir::Name))
            files << dir.filePath(name);
    }
    return files;
}

bool readable(const QString &path)
{
    try {
        JetSource::open(path)->tableDefs();
        return true;
    } catch (const HostError &) {
        return false;
    }
}

// mdb-export of every table, with the schema, as one text.
QString mdbtoolsView(const QString &path)
{
    QString out = runTool(QStringLiteral("mdb-schema"), {path});
    const QStringList tables =
        runTool(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), QStringLiteral("-S"), path})
            .split(u'\n', Qt::SkipEmptyParts);
    for (const QString &table : tables)
        out += runTool(QStringLiteral("mdb-export"),
                       {QStringLiteral("-b"), QStringLiteral("hex"), path, table});
    return out;
}

// What the npm package mdb-reader, a reader written independently of ours
// and of libmdb, sees: every table with its columns and row count, system
// tables included, and every row of the user tables. Null when node or
// mdb-reader is not here ($QUILLMARK_MDB_READER, as
// scripts/check-mdb-reader.sh sets it).
QString mdbReaderView(const QString &path)
{
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    const QString prefix = qEnvironmentVariable("QUILLMARK_MDB_READER");
    if (node.isEmpty() || prefix.isEmpty())
        return QString();
    const QString scripts = QStringLiteral(QUILLMARK_SOURCE_DIR "/tests/jet/mdbreader/");
    // A file or table it cannot read must fail the same way for both.
    auto run = [&](const QStringList &args) {
        QProcess p;
        p.start(node, args);
        p.waitForFinished(300000);
        return QString::fromUtf8(p.readAllStandardOutput()) +
               QStringLiteral("\nexit %1\n").arg(p.exitCode());
    };
    const QString described = run({scripts + QStringLiteral("compare.js"), prefix, path});
    const QJsonObject tables = QJsonDocument::fromJson(described.section(u'\n', 0, 0).toUtf8())
                                   .object()
                                   .value(path)
                                   .toObject();
    return QString::fromUtf8(QJsonDocument(tables).toJson()) +
           run({scripts + QStringLiteral("rows.js"), prefix, QStringLiteral("-"), path});
}

// What the module and design listings read: every module's source, and
// every stored form and report with each property of it and its controls.
QString modulesAndDesigns(const QString &path)
{
    QString out;
    try {
        for (const ModuleText &m : JetModuleSource(path).modules())
            out += m.name + u'\n' + m.source + m.error + u'\n';
    } catch (const HostError &e) {
        out += e.description() + u'\n';
    }
    auto properties = [&out](const Properties &list) {
        for (int i = 0; i < list.Count(); ++i) {
            const Value v = list.item(i).Value();
            out += list.item(i).Name() + u'=' +
                   (v.type() == Value::Type::Binary ? QString::fromLatin1(v.asBinary().toHex())
                                                    : vb::textOrEmpty(v)) +
                   u'\n';
        }
    };
    try {
        StoredDesignSource designs(path);
        for (const bool report : {false, true})
            for (const QString &name : report ? designs.reportNames() : designs.formNames()) {
                const AccessObject object = report ? designs.report(name) : designs.form(name);
                out += name + u'\n';
                properties(object.Properties());
                for (const Control &control : object.controls)
                    properties(control.Properties());
            }
    } catch (const HostError &e) {
        out += e.description() + u'\n';
    }
    return out;
}

} // namespace

TEST(CompactionCorpus, EveryReadableFileCompactsToACopyThatReadsTheSame)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    QTemporaryDir dir;
    JetMaintenanceEngine engine;
    int compacted = 0, tried = 0, readByMdbReader = 0;
    qint64 before = 0, after = 0;
    for (const QString &path : jetCorpusFiles()) {
        if (!readable(path))
            continue;
        SCOPED_TRACE(path.toStdString());
        const QString source = dir.filePath(QStringLiteral("src%1.mdb").arg(tried));
        const QString copy = dir.filePath(QStringLiteral("out%1.mdb").arg(tried++));
        ASSERT_TRUE(QFile::copy(path, source));
        QFile original(source);
        ASSERT_TRUE(original.open(QIODevice::ReadOnly));
        const QByteArray sourceBytes = original.readAll();
        original.close();
        try {
            engine.CompactDatabase(source, copy);
        } catch (const HostError &e) {
            ADD_FAILURE() << e.code() << " " << e.description().toStdString();
            continue;
        }
        ++compacted;
        const CompactionFigures &f = engine.lastCompaction();
        before += f.bytesBefore;
        after += f.bytesAfter;
        std::printf("%-40s %8lld -> %8lld bytes, %u pages dropped, %u kept in place, %lld "
                    "deleted rows dropped\n",
                    qPrintable(QFileInfo(path).fileName()), (long long)f.bytesBefore,
                    (long long)f.bytesAfter, f.pagesDropped, f.pagesKeptInPlace,
                    (long long)f.deletedRowsDropped);
        EXPECT_EQ(QFileInfo(copy).size(), f.bytesAfter);
        EXPECT_LE(f.bytesAfter, f.bytesBefore);
        // The source is never written.
        QFile again(source);
        ASSERT_TRUE(again.open(QIODevice::ReadOnly));
        EXPECT_EQ(again.readAll(), sourceBytes);
        // mdbtools' own tools read the copy as the source.
        EXPECT_EQ(mdbtoolsView(copy), mdbtoolsView(source));
        // So does mdb-reader, where it is here.
        if (const QString theirs = mdbReaderView(copy); !theirs.isNull()) {
            EXPECT_EQ(theirs, mdbReaderView(source));
            ++readByMdbReader;
        }
        // So do the module and design readers.
        EXPECT_EQ(modulesAndDesigns(copy).replace(QFileInfo(copy).fileName(),
                                                  QFileInfo(source).fileName()),
                  modulesAndDesigns(source));
        // The copy accounts for itself with no problem, and has no dead page left.
        const PageAccount account = PageAccount::read(copy);
        EXPECT_TRUE(account.problems.isEmpty()) << account.problems.join(u'\n').toStdString();
        // Neither the source nor the copy shows damage to the integrity check.
        EXPECT_EQ(checkIntegrity(PageAccount::read(source)).damage, QStringList());
        EXPECT_EQ(checkIntegrity(account).damage, QStringList());
    }
    std::printf("compacted %d files: %lld -> %lld bytes; %d also compared through mdb-reader\n",
                compacted, (long long)before, (long long)after, readByMdbReader);
    EXPECT_GT(compacted, 40);
    EXPECT_LT(after, before);
}
