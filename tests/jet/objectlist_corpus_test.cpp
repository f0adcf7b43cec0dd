// The object list over every corpus file: one T_Object row per object the
// catalog holds (by mdbtools' reading of it), or a clear error from the
// command line for files that cannot be documented.

#include "harvest/objectlist.h"
#include "host/command/headlessui.h"
#include "host/jet/jetsource.h"
#include "host/reports/reportoutput.h"
#include "host/reports/storereports.h"
#include "jet/corpuscatalog.h"

#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class NoOutput : public ReportOutput
{
public:
    void show(const QString &, const StoreReport &, QSqlDatabase &) override {}
};

// Query types the listing names (the rest are "System" and skipped).
bool knownQueryType(qint64 flags)
{
    const qint64 type = flags & 0xF0;
    return type <= 0x80 || flags == 144 || flags == 160 || flags == 224 || flags == 240;
}

} // namespace

TEST(ObjectListCorpus, OneRowPerCatalogObject)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    registerStoreReports();
    int files = 0;
    for (const QString &path : corpusDatabases()) {
        if (!readable(path))
            continue;
        SCOPED_TRACE(path.toStdString());
        ++files;
        NoOutput output;
        CorpusTarget target(path, output);
        MainState &state = target.state;
        HeadlessUi ui;
        cmdObject_Click(state, ui);
        ASSERT_TRUE(ui.messages.isEmpty()) << ui.messages.value(0).text.toStdString();

        int expected = 0;
        for (const CatalogEntry &e : catalogOf(path)) {
            const bool table = (e.type == 1 || e.type == 4 || e.type == 6) &&
                               !e.name.startsWith(QLatin1String("MSys"));
            const bool query = e.type == 5 && knownQueryType(e.flags);
            const bool document =
                e.type == -32768 || e.type == -32764 || e.type == -32766 || e.type == -32761;
            expected += table || query || document;
        }
        QSqlQuery count(state.store->connection());
        count.exec(QStringLiteral("SELECT COUNT(*), MAX(objectNo) FROM T_Object"));
        ASSERT_TRUE(count.next());
        EXPECT_EQ(count.value(0).toInt(), expected);
        EXPECT_EQ(count.value(1).toInt(), expected); // numbered 1..n without gaps
    }
    EXPECT_GT(files, 50);
}

TEST(ObjectListCorpus, CommandLineDocumentsOrExplains)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    QTemporaryDir dir;
    auto document = [&](const QString &file, QString *errors) {
        QProcess cli;
        cli.start(QStringLiteral(QUILLMARK_CLI),
                  {QStringLiteral("document"), corpusFile(file), QStringLiteral("--store"),
                   dir.filePath(QStringLiteral("Analize.mdb")), QStringLiteral("--out"),
                   dir.path()});
        cli.waitForFinished(120000);
        *errors = QString::fromUtf8(cli.readAllStandardError());
        return cli.exitCode();
    };
    QString errors;
    EXPECT_EQ(document(QStringLiteral("jet4/DateTestDatabase.mdb"), &errors), 0)
        << errors.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("R_Object.pdf"))));
    EXPECT_EQ(document(QStringLiteral("invalid/outputto_transfertext_examples.mdb"), &errors), 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("SelectFile: error 3343"))) << errors.toStdString();
    EXPECT_EQ(document(QStringLiteral("ace/office-agile-4.4.accdb"), &errors), 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("error 31002"))) << errors.toStdString();
}
