// Reports written on a second thread while the store is written: each reads
// the store as it was when shown, outcomes come in order, failures are kept.

#include "reports/teststore.h"

#include "host/reports/backgroundreportoutput.h"
#include "host/reports/reportregistry.h"

#include <QFile>
#include <QSqlQuery>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A test store whose writer does not wait for the reports reading it.
struct BackgroundStore : TestStore
{
    BackgroundStore()
    {
        QSqlQuery query(db());
        query.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        registerReport(QStringLiteral("R_Background"),
                       [] { return std::make_unique<ListReport>(); });
        registerReport(QStringLiteral("R_BackgroundFails"),
                       [] { return std::make_unique<ListReport>(5); });
    }
};

} // namespace

TEST(BackgroundReportOutput, EachReportIsTheStoreAsItWasWhenShown)
{
    BackgroundStore store;
    store.addRows(QStringLiteral("T_顧客"), 400);
    QSqlDatabase db = store.db();
    const QString folder = store.dir().filePath(QStringLiteral("out"));

    FileReportOutput reference(store.dir().filePath(QStringLiteral("reference")),
                               FileReportOutput::Format::Html);
    reference.show(QStringLiteral("R_Background"), ListReport(), db);

    BackgroundReportOutput output(folder, FileReportOutput::Format::Html);
    output.show(QStringLiteral("R_Background"), ListReport(), db);
    // Written over while the report is being written, as the next listing does.
    store.exec(QStringLiteral("DELETE FROM T_Rows"));
    store.addRows(QStringLiteral("T_受注"), 3);
    output.setNameSuffix(QStringLiteral("_2"));
    output.show(QStringLiteral("R_Background"), ListReport(), db);
    EXPECT_EQ(output.launched(), 2);

    const QList<BackgroundReportOutput::Outcome> outcomes = output.takeFinished(true);
    ASSERT_EQ(outcomes.size(), 2);
    EXPECT_FALSE(outcomes[0].error);
    EXPECT_FALSE(outcomes[1].error);
    EXPECT_EQ(outcomes[0].path, folder + QStringLiteral("/R_Background.html"));
    EXPECT_EQ(outcomes[1].path, folder + QStringLiteral("/R_Background_2.html"));
    EXPECT_LE(outcomes[0].finished, outcomes[1].finished);
    EXPECT_EQ(readAll(outcomes[0].path), readAll(reference.lastPath()))
        << "the first report has every row the store had when it was shown";
    const QString second = QString::fromUtf8(readAll(outcomes[1].path));
    EXPECT_TRUE(second.contains(QStringLiteral("T_受注")));
    EXPECT_FALSE(second.contains(QStringLiteral("T_顧客")));
    EXPECT_TRUE(output.takeFinished(true).isEmpty()) << "each outcome is taken once";

    // PDF: the page count comes with the outcome.
    BackgroundReportOutput pdf(folder, FileReportOutput::Format::Pdf);
    pdf.show(QStringLiteral("R_Background"), ListReport(), db);
    const auto written = pdf.takeFinished(true);
    ASSERT_EQ(written.size(), 1);
    EXPECT_GE(written[0].pageCount, 1);
    EXPECT_TRUE(readAll(written[0].path).startsWith("%PDF-"));
}

TEST(BackgroundReportOutput, FailuresComeAsOutcomesOrAtOnce)
{
    BackgroundStore store;
    store.addRows(QStringLiteral("T_顧客"), 50);
    QSqlDatabase db = store.db();
    const QString folder = store.dir().filePath(QStringLiteral("out"));
    BackgroundReportOutput output(folder, FileReportOutput::Format::Pdf);

    // Breaking midway: an outcome with the error, and no file.
    output.show(QStringLiteral("R_BackgroundFails"), ListReport(), db);
    output.show(QStringLiteral("R_Background"), ListReport(), db);
    const auto outcomes = output.takeFinished(true);
    ASSERT_EQ(outcomes.size(), 2);
    ASSERT_TRUE(outcomes[0].error);
    EXPECT_EQ(outcomes[0].error->number(), Err::StoreUnusable);
    EXPECT_FALSE(QFile::exists(outcomes[0].path));
    EXPECT_FALSE(outcomes[1].error) << "the next report is not hurt";
    EXPECT_TRUE(QFile::exists(outcomes[1].path));

    // What cannot start is raised by show() itself.
    try {
        output.show(QStringLiteral("R_NoSuchReport"), ListReport(), db);
        ADD_FAILURE() << "an unknown report was started";
    } catch (const HostError &e) {
        EXPECT_EQ(e.code(), 2103);
    }
    QSqlDatabase gone =
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("gone"));
    gone.setDatabaseName(store.dir().filePath(QStringLiteral("missing.sqlite")));
    try {
        output.show(QStringLiteral("R_Background"), ListReport(), gone);
        ADD_FAILURE() << "a report on a missing store was started";
    } catch (const HostError &e) {
        EXPECT_EQ(e.code(), 3024);
    }
    gone = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("gone"));
    EXPECT_EQ(output.launched(), 2);
    EXPECT_TRUE(output.takeFinished(true).isEmpty());
}
