// The Query Field listing over fixture databases: unknown types skipped with
// their fields, SQL whole, Connect for every query, field rows, the second
// press, failures at any read, and the R_Query report.

#include "harvest/queryfields.h"
#include "listingharness.h"

#include <gtest/gtest.h>

namespace {

QString col(const QVariantMap &row, const char *name)
{
    return row.value(QString::fromLatin1(name)).toString();
}

} // namespace

TEST(QueryFields, ListsKnownQueriesWithTheirFieldsAndWholeSql)
{
    ListingHarness h;
    const QString longSql = QStringLiteral("SELECT ") +
                            QString(1000, u'c').replace(QLatin1String("cccc"), "c,\r\n") +
                            QStringLiteral(" FROM T;");
    h.fixture.add(FixtureQuery(QStringLiteral("~sq_cForm1~sq_cList"), 8, QStringLiteral("x"))
                      .field(QStringLiteral("hidden"), DaoType::Long));
    FixtureQuery select(QStringLiteral("Orders by date"), 0, longSql);
    select.field(QStringLiteral("OrderID"), DaoType::Long, 4)
        .field(QStringLiteral("Blob"), 9, 10)
        .description(QStringLiteral("受注　一覧"));
    select.detail.fields[0].SourceTable = QStringLiteral("Orders");
    select.detail.fields[0].SourceField = QStringLiteral("OrderID");
    select.detail.fields[0].DefaultValue = QString(60, u'd');
    select.detail.fields[0].properties.append(QStringLiteral("Description"), QStringLiteral("x"));
    h.fixture.add(select);
    h.fixture.add(FixtureQuery(QStringLiteral("Remote"), 112, QStringLiteral("EXEC sp;"))
                      .connect(QStringLiteral("ODBC;DSN=") + QString(300, u'n')));
    h.fixture.add(FixtureQuery(QStringLiteral("Odd"), -1, QStringLiteral("?")));
    h.fixture.add(
        FixtureQuery(QStringLiteral("Both"), 128, QStringLiteral("SELECT 1 UNION SELECT 2;"))
            .field(QStringLiteral("Expr1"), DaoType::Integer, 2));
    h.open();

    cmdQueryF_Click(h.state, h.ui);
    ASSERT_TRUE(h.ui.messages.isEmpty()) << h.firstMessage().toStdString();

    const auto queries = h.rows(QStringLiteral("T_QueryInfo"));
    QStringList numbered;
    for (const QVariantMap &q : queries)
        numbered << col(q, "objectNo") + QLatin1Char(' ') + col(q, "QueryName") + QLatin1Char(' ') +
                        col(q, "QueryType");
    EXPECT_EQ(numbered,
              (QStringList{"1 Orders by date 選択ｸｴﾘｰ", "2 Remote ﾊﾟｽｽﾙｰｸｴﾘｰ", "3 Both ﾕﾆｵﾝｸｴﾘｰ"}));
    EXPECT_GT(longSql.size(), 255);
    EXPECT_EQ(col(queries[0], "QuerySQL"), longSql);
    EXPECT_EQ(col(queries[0], "Description"), QStringLiteral("受注　一覧"));
    EXPECT_TRUE(queries[1][QStringLiteral("Description")].isNull());
    // Connect is written for every query: empty text for local ones.
    EXPECT_FALSE(queries[0][QStringLiteral("Connect")].isNull());
    EXPECT_EQ(col(queries[0], "Connect"), QString());
    EXPECT_EQ(col(queries[1], "Connect"), QStringLiteral("ODBC;DSN=") + QString(246, u'n'));
    EXPECT_EQ(queries[1][QStringLiteral("ODBCTimeout")].toInt(), 60);
    EXPECT_FALSE(queries[0][QStringLiteral("Updatable")].isNull());
    EXPECT_FALSE(h.ui.statusHistory.contains(QStringLiteral("~sq_cForm1~sq_cList　取得中")));
    EXPECT_TRUE(h.ui.statusHistory.contains(QStringLiteral("Orders by date　取得中")));

    const auto fields = h.rows(QStringLiteral("T_QueryItem"));
    ASSERT_EQ(fields.size(), 3); // the skipped query's field is not written
    EXPECT_FALSE(fields[0].contains(QStringLiteral("PrimaryKey")));
    EXPECT_FALSE(fields[0].contains(QStringLiteral("Description")));
    EXPECT_EQ(col(fields[0], "objectNo") + col(fields[0], "FieldNo"), QStringLiteral("11"));
    EXPECT_EQ(col(fields[1], "objectNo") + col(fields[1], "FieldNo"), QStringLiteral("12"));
    EXPECT_EQ(col(fields[2], "objectNo") + col(fields[2], "FieldNo"), QStringLiteral("31"));
    EXPECT_EQ(col(fields[0], "FieldType"), QStringLiteral("Long"));
    EXPECT_EQ(col(fields[0], "SourceTable"), QStringLiteral("Orders"));
    EXPECT_EQ(col(fields[0], "DefaultValue"), QString(50, u'd'));
    EXPECT_EQ(col(fields[1], "FieldType"), QStringLiteral("?"));
    EXPECT_EQ(col(fields[2], "FieldName"), QStringLiteral("Expr1"));

    const QStringList &report = h.output.lines;
    EXPECT_EQ(report.value(0), QStringLiteral("begin クエリ定義書"));
    const qsizetype first = report.indexOf(
        QStringLiteral("group 1. Orders by date|種類=選択ｸｴﾘｰ|作成日=2024/04/01 9:30:00|"
                       "更新日=2024/04/01 9:30:00|説明=受注　一覧"));
    ASSERT_GE(first, 0) << report.join('\n').toStdString();
    EXPECT_EQ(report.value(first + 1), QStringLiteral("mono ") + longSql);
    EXPECT_EQ(report.value(first + 2),
              QStringLiteral("columns No|フィールド名|型|サイズ|元テーブル|元フィールド"));
    EXPECT_EQ(report.value(first + 3), QStringLiteral("row 1|OrderID|Long|4|Orders|OrderID"));
    EXPECT_EQ(report.value(first + 4), QStringLiteral("row 2|Blob|?|10||"));
    // A query without fields has no table after its SQL.
    EXPECT_TRUE(report.value(first + 5).startsWith(QLatin1String("group 2. Remote|")));
    EXPECT_TRUE(report.value(first + 5).contains(QStringLiteral("|接続=ODBC;DSN=nnn")));
    EXPECT_EQ(report.value(first + 6), QStringLiteral("mono EXEC sp;"));
    EXPECT_TRUE(report.value(first + 7).startsWith(QLatin1String("group 3. Both|")));
    EXPECT_EQ(report.value(first + 10), QStringLiteral("row 1|Expr1|Integer|2||"));
    EXPECT_EQ(report.value(first + 11), QStringLiteral("end"));
}

TEST(QueryFields, NoQueriesGiveEmptyTablesAndSecondPressOnlyPreviews)
{
    ListingHarness h;
    h.fixture.add(FixtureQuery(QStringLiteral("~sys"), 3, QStringLiteral("x")));
    h.open();

    cmdQueryF_Click(h.state, h.ui);
    ASSERT_TRUE(h.ui.messages.isEmpty()) << h.firstMessage().toStdString();
    EXPECT_TRUE(h.rows(QStringLiteral("T_QueryInfo")).isEmpty());
    EXPECT_EQ(h.ui.text(Ctl::txtMesege), QStringLiteral("終了しました"));
    EXPECT_EQ(h.output.shown, QStringList{QStringLiteral("R_Query")});
    EXPECT_TRUE(h.output.lines.contains(QStringLiteral("text クエリはありません。")));
    EXPECT_EQ(h.state.listingState(Listing::QueryFields), ListingProduced);
    EXPECT_TRUE(h.ui.isEnabled(optPrint(2)));
    EXPECT_FALSE(h.ui.isEnabled(optPrint(1)));

    const int reads = h.fixture.reads();
    h.fixture.add(FixtureQuery(QStringLiteral("Later"), 0, QStringLiteral("SELECT 1;")));
    cmdQueryF_Click(h.state, h.ui);
    EXPECT_EQ(h.fixture.reads(), reads);
    EXPECT_EQ(h.output.shown.size(), 2);
    EXPECT_TRUE(h.rows(QStringLiteral("T_QueryInfo")).isEmpty());
}

TEST(QueryFields, FailureAtAnyReadKeepsTheRowsBeforeIt)
{
    for (int failAt = 0;; ++failAt) {
        SCOPED_TRACE(failAt);
        ListingHarness h;
        for (int i = 0; i < 3; ++i)
            h.fixture.add(FixtureQuery(QStringLiteral("Q%1").arg(i), 0, QStringLiteral("SELECT 1;"))
                              .field(QStringLiteral("a"), DaoType::Long));
        h.open();
        h.fixture.failAfterReads(h.fixture.reads() + failAt);
        cmdQueryF_Click(h.state, h.ui);
        if (h.ui.messages.isEmpty()) {
            EXPECT_EQ(failAt, 4);
            EXPECT_EQ(h.rows(QStringLiteral("T_QueryItem")).size(), 3);
            break;
        }
        ASSERT_EQ(h.ui.messages.size(), 1);
        EXPECT_TRUE(h.firstMessage().startsWith(QStringLiteral("場所:QueryFieldｴﾗｰNo:3049")));
        const int complete = std::max(0, failAt - 1);
        EXPECT_EQ(h.rows(QStringLiteral("T_QueryInfo")).size(), complete);
        EXPECT_EQ(h.rows(QStringLiteral("T_QueryItem")).size(), complete);
        EXPECT_EQ(h.state.listingState(Listing::QueryFields), ListingNotProduced);
        EXPECT_FALSE(h.ui.isEnabled(optPrint(2)));
        EXPECT_TRUE(h.ui.windowEnabled());
        EXPECT_TRUE(h.output.shown.isEmpty());
        ASSERT_LT(failAt, 10);
    }
}
