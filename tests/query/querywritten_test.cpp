// Queries saved in a .mdb file the Jet writer makes, read back through
// JetSource: the SQL the reader rebuilds from MSysQueries runs through the
// engine with the rows the file holds.

#include "host/jet/jetsource.h"
#include "host/query/queryengine.h"
#include "query/queryfixture.h"
#include "query/writerbuilders.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

JetWriterDatabase shop()
{
    JetWriterDatabase db;
    JetWriterTable items;
    items.name = QStringLiteral("Items");
    items.columns = {column(QStringLiteral("ItemID"), JetType::Long),
                     column(QStringLiteral("Title"), JetType::Text, 40),
                     column(QStringLiteral("Price"), JetType::Currency),
                     column(QStringLiteral("Added"), JetType::DateTime)};
    items.rows = {{lng(1), text("ペン"), currency(120), dateValue(2001, 4, 1)},
                  {lng(2), text("ノート"), currency(250.5), dateValue(2001, 5, 9)},
                  {lng(3), text("消しゴム"), currency(80), Value::null()}};
    JetWriterTable sales;
    sales.name = QStringLiteral("Sales");
    sales.columns = {column(QStringLiteral("SaleID"), JetType::Long),
                     column(QStringLiteral("ItemID"), JetType::Long),
                     column(QStringLiteral("Units"), JetType::Integer)};
    sales.rows = {{lng(100), lng(1), Value::integer(3)},
                  {lng(101), lng(2), Value::integer(1)},
                  {lng(102), lng(1), Value::integer(2)}};
    db.tables = {items, sales};

    JetWriterQuery totals;
    totals.name = QStringLiteral("Item totals");
    totals.sources = {{QStringLiteral("Items"), QString()}, {QStringLiteral("Sales"), QString()}};
    totals.joins = {{QStringLiteral("Items"), QStringLiteral("Sales"),
                     QStringLiteral("Items.ItemID = Sales.ItemID"), 2}};
    totals.outputs = {output(QStringLiteral("Items.Title")),
                      output(QStringLiteral("Sum([Units]*[Price])"), QStringLiteral("Takings"))};
    totals.groupBy = {QStringLiteral("Items.ItemID"), QStringLiteral("Items.Title")};
    totals.orderBy = {{QStringLiteral("Items.ItemID"), false}};

    JetWriterQuery since;
    since.name = QStringLiteral("Added since");
    since.parameters = {{QStringLiteral("From date"), JetType::DateTime, 0}};
    since.sources = {{QStringLiteral("Items"), QString()}};
    since.outputs = {output(QStringLiteral("Items.Title")), output(QStringLiteral("Items.Added"))};
    since.where = QStringLiteral("Items.Added >= [From date]");

    JetWriterQuery both;
    both.name = QStringLiteral("Both ids");
    both.kind = JetWriterQuery::Union;
    both.unionParts = {QStringLiteral("SELECT ItemID FROM Items"),
                       QStringLiteral("SELECT ItemID FROM Sales")};
    db.queries = {totals, since, both};
    return db;
}

} // namespace

TEST(QueryWrittenFile, SavedQueriesRunOverTheFilesRows)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shop.mdb"));
    writeJetDatabase(shop(), path);
    const Database db(JetSource::open(path));

    const QueryResult totals = runQuery(db, QStringLiteral("Item totals"));
    EXPECT_EQ(totals.names, QStringList({"Title", "Takings"}));
    // A LEFT JOIN keeps the item nobody bought.
    EXPECT_EQ(totals.rows, QList<QList<Value>>({{text("ペン"), currency(600)},
                                                {text("ノート"), currency(250.5)},
                                                {text("消しゴム"), Value::null()}}));

    QStringList asked;
    const QueryResult since =
        runQuery(db, QStringLiteral("Added since"), [&](const QString &name, const QString &type) {
            asked << name + u'/' + type;
            return Value("2001/05/01");
        });
    EXPECT_EQ(asked, QStringList({"From date/DateTime"}));
    EXPECT_EQ(since.rows, QList<QList<Value>>({{text("ノート"), dateValue(2001, 5, 9)}}));

    // UNION removes the repeated ids.
    EXPECT_EQ(runQuery(db, QStringLiteral("Both ids")).rows.size(), 3);
}
