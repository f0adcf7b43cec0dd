// The table and query field listings over every readable corpus file, with
// mdbtools' command-line tools as the independent count of what they list.

#include "harvest/listingharness.h"
#include "harvest/queryfields.h"
#include "harvest/tablefields.h"
#include "host/jet/jetsource.h"
#include "host/vb/errors.h"
#include "jet/corpuscatalog.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

// The ui of the command line, keeping the trap's description for messages.
class DescribingUi : public HeadlessUi
{
public:
    QString described;
    void describeError(const QString &place, const HostError &error) override
    {
        described =
            QStringLiteral("%1: %2 %3").arg(place).arg(error.code()).arg(error.description());
    }
};

} // namespace

TEST(FieldListingsCorpus, CountsMatchMdbtoolsAndEveryQueryHasSql)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    registerStoreReports();
    int files = 0, tablesSeen = 0, queriesSeen = 0;
    for (const QString &path : corpusDatabases()) {
        if (!readable(path))
            continue;
        SCOPED_TRACE(path.toStdString());
        ++files;
        TextReportOutput output;
        CorpusTarget target(path, output);
        MainState &state = target.state;
        DescribingUi ui;

        cmdTableF_Click(state, ui);
        ASSERT_TRUE(ui.messages.isEmpty()) << ui.described.toStdString();
        const int tableGroups = int(output.lines.filter(QRegularExpression("^group ")).size());
        cmdQueryF_Click(state, ui);
        ASSERT_TRUE(ui.messages.isEmpty()) << ui.described.toStdString();
        const int queryGroups = int(output.lines.filter(QRegularExpression("^group ")).size());

        auto store = Store::open(state.storePath);
        const auto scalar = [&](const QString &sql) {
            QSqlQuery q(store->connection());
            q.exec(sql);
            q.next();
            return q.value(0).toInt();
        };

        // Tables: what the catalog lists as local or linked, minus the two
        // system values the listing skips.
        int expectedTables = 0;
        QStringList listedByCatalog;
        for (const CatalogEntry &e : catalogOf(path)) {
            const qint64 system = e.flags & 0x80000002LL;
            if ((e.type == 1 || e.type == 4 || e.type == 6) && system != 0x80000000LL &&
                system != 2) {
                ++expectedTables;
                listedByCatalog << e.name;
            }
        }
        EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM T_TableInfo")), expectedTables);
        EXPECT_EQ(tableGroups, expectedTables);
        tablesSeen += expectedTables;

        // Every user table mdb-tables names is listed, with as many field rows
        // as mdb-export shows columns.
        const bool namesDecode =
            !path.contains(QLatin1String("book-list")) && !path.contains(QLatin1String("GBK"));
        const QStringList userTables =
            run(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), path})
                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString &table : userTables) {
            if (!namesDecode)
                break;
            SCOPED_TRACE(table.toStdString());
            QSqlQuery q(store->connection());
            q.prepare(QStringLiteral("SELECT objectNo FROM T_TableInfo WHERE TableName = ?"));
            q.addBindValue(table);
            q.exec();
            ASSERT_TRUE(q.next()) << "not listed";
            const int objectNo = q.value(0).toInt();
            QProcess header;
            header.start(QStringLiteral("mdb-export"),
                         {QStringLiteral("-d"), QStringLiteral("\x01"), path, table});
            QByteArray out;
            while (!out.contains('\n') && header.waitForReadyRead(60000))
                out += header.readAllStandardOutput();
            header.kill();
            header.waitForFinished();
            const int columns = int(out.left(out.indexOf('\n')).count('\x01')) + 1;
            EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM T_TableItem WHERE objectNo = %1")
                                 .arg(objectNo)),
                      columns);
        }

        // Queries: every catalog query has a known type here, so all are listed.
        const int expectedQueries = int(
            run(QStringLiteral("mdb-queries"), {QStringLiteral("-L"), QStringLiteral("-1"), path})
                .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                .size());
        EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM T_QueryInfo")), expectedQueries);
        EXPECT_EQ(queryGroups, expectedQueries);
        EXPECT_EQ(scalar(QStringLiteral(
                      "SELECT COUNT(*) FROM T_QueryInfo WHERE QuerySQL IS NULL OR QuerySQL = ''")),
                  0);
        EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM T_QueryInfo WHERE QueryType = "
                                        "'System'")),
                  0);
        // Field rows hang off listed queries and are numbered from 1 without gaps.
        EXPECT_EQ(scalar(QStringLiteral(
                      "SELECT COUNT(*) FROM (SELECT objectNo, COUNT(*) AS n, MIN(FieldNo) AS lo, "
                      "MAX(FieldNo) AS hi FROM T_QueryItem GROUP BY objectNo) WHERE lo <> 1 OR "
                      "hi <> n OR objectNo NOT IN (SELECT objectNo FROM T_QueryInfo)")),
                  0);
        queriesSeen += expectedQueries;
    }
    EXPECT_GT(files, 50);
    EXPECT_GT(tablesSeen, 200);
    EXPECT_GT(queriesSeen, 50);
    std::printf("%d files, %d tables, %d queries listed\n", files, tablesSeen, queriesSeen);
}

TEST(FieldListingsDamage, ScrambledFilesEndThroughTheTrapOrList)
{
    const QString jet4 = corpusFile(QStringLiteral("jet4/queryTestV2000.mdb"));
    const QString jet3 = corpusFile(QStringLiteral("jet3/nwind.mdb"));
    if (jet4.isEmpty())
        GTEST_SKIP() << "no corpus";
    registerStoreReports();
    quint32 seed = 7;
    const auto random = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xFFFFFF;
    };
    int trapped = 0, listed = 0;
    for (const QString &path : {jet4, jet3}) {
        QFile in(path);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        const QByteArray original = in.readAll();
        for (int round = 0; round < 40; ++round) {
            SCOPED_TRACE(round);
            QTemporaryDir dir;
            QByteArray copy = original;
            for (int flips = 0; flips < 1 + round % 30; ++flips)
                copy[qsizetype(2048 + random() % (copy.size() - 2048))] = char(random());
            const QString file = writeFile(dir, QStringLiteral("flip.mdb"), copy);
            MainState state;
            state.storePath = dir.filePath(QStringLiteral("Analize.mdb"));
            state.opener = JetSource::opener();
            try {
                state.newTargetInstance().OpenCurrentDatabase(file);
            } catch (const HostError &) {
                continue; // refused at selection: the listings never run
            }
            state.targetPath = file;
            struct ListingRun
            {
                void (*command)(MainState &, Ui &);
                const char *place;
            };
            for (const ListingRun &listing : {ListingRun{cmdTableF_Click, "TableField"},
                                              ListingRun{cmdQueryF_Click, "QueryField"}}) {
                const QString place = QString::fromLatin1(listing.place);
                DescribingUi ui;
                listing.command(state, ui);
                if (ui.messages.isEmpty()) {
                    ++listed;
                    continue;
                }
                ++trapped;
                ASSERT_EQ(ui.messages.size(), 1);
                EXPECT_TRUE(ui.messages[0].text.startsWith(QStringLiteral("場所:") + place +
                                                           QStringLiteral("ｴﾗｰNo:")));
                EXPECT_FALSE(ui.described.isEmpty());
                EXPECT_TRUE(ui.windowEnabled());
            }
        }
    }
    EXPECT_GT(listed, 0);
    std::printf("%d listings completed, %d ended through the trap\n", listed, trapped);
}
