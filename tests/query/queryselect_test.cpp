// Select queries over the sales fixture: joins, WHERE, ORDER BY, DISTINCT,
// DISTINCTROW, TOP, grouping and Jet's case-insensitive text comparison,
// each result worked out by hand from the rows in queryfixture.cpp.

#include "host/query/queryengine.h"
#include "host/vb/errors.h"
#include "query/queryfixture.h"

#include <gtest/gtest.h>

namespace {

Database withQueries(const QList<QPair<QString, QString>> &queries)
{
    auto fx = salesFixture();
    for (const auto &[name, sql] : queries)
        fx->add(FixtureQuery(name, 0, sql));
    return Database(fx);
}

} // namespace

TEST(QuerySelect, JoinsWhereAndOrder)
{
    const Database db = withQueries({
        {"Shipped", "SELECT Customers.Name, Orders.OrderID, Orders.Amount\n"
                    "FROM Customers INNER JOIN Orders ON Customers.ID = Orders.CustomerID\n"
                    "WHERE (((Orders.Shipped)=Yes)) ORDER BY Orders.Amount DESC;"},
        {"Per customer", "SELECT Customers.Name, Count(Orders.OrderID) AS N FROM Customers "
                         "LEFT JOIN Orders ON Customers.ID = Orders.CustomerID "
                         "GROUP BY Customers.ID, Customers.Name ORDER BY Customers.ID;"},
        {"Orphans", "SELECT Orders.OrderID, [Customers].[Name] FROM Customers RIGHT JOIN Orders "
                    "ON Customers.ID = Orders.CustomerID WHERE Customers.ID Is Null;"},
        {"Nested", "SELECT c.Name, o.OrderID FROM Customers AS c INNER JOIN (Orders AS o INNER "
                   "JOIN Orders AS o2 ON o.OrderID = o2.OrderID) ON c.ID = o.CustomerID "
                   "WHERE o.Qty > 4 ORDER BY o.OrderID;"},
    });
    const QueryResult shipped = runQuery(db, "Shipped");
    EXPECT_EQ(shipped.names, QStringList({"Name", "OrderID", "Amount"}));
    ASSERT_EQ(shipped.rows.size(), 4);
    EXPECT_EQ(shipped.rows[0], QList<Value>({text("berglunds"), lng(12), currency(300)}));
    EXPECT_EQ(shipped.rows[1], QList<Value>({text("Alfreds"), lng(10), currency(100.5)}));
    EXPECT_EQ(shipped.rows[2], QList<Value>({text("ALFREDS"), lng(16), currency(55)}));
    EXPECT_EQ(shipped.rows[3], QList<Value>({text("Chop-suey"), lng(13), currency(45.5)}));

    const QueryResult counts = runQuery(db, "Per customer");
    EXPECT_EQ(counts.column(1), QList<Value>({lng(2), lng(2), lng(1), lng(0), lng(1)}));

    const QueryResult orphans = runQuery(db, "Orphans");
    ASSERT_EQ(orphans.rows.size(), 1);
    EXPECT_EQ(orphans.rows[0], QList<Value>({lng(15), Value::null()}));

    const QueryResult nested = runQuery(db, "Nested");
    EXPECT_EQ(nested.column(1), QList<Value>({lng(12), lng(14)}));
}

TEST(QuerySelect, DistinctDistinctRowAndTextCase)
{
    const Database db = withQueries({
        {"Distinct names", "SELECT DISTINCT Customers.Name FROM Customers INNER JOIN Orders ON "
                           "Customers.ID = Orders.CustomerID ORDER BY Customers.Name;"},
        {"Distinctrow names", "SELECT DISTINCTROW Customers.Name FROM Customers INNER JOIN Orders "
                              "ON Customers.ID = Orders.CustomerID ORDER BY Customers.Name;"},
        {"All names", "SELECT Customers.Name FROM Customers INNER JOIN Orders "
                      "ON Customers.ID = Orders.CustomerID;"},
        {"Equal", "SELECT ID FROM Customers WHERE Name = 'alfreds' ORDER BY ID;"},
        {"Sorted", "SELECT Name FROM Customers WHERE ID < 5 ORDER BY Name;"},
        {"Grouped", "SELECT Name, Count(*) AS N FROM Customers GROUP BY Name ORDER BY Name;"},
        {"Below", "SELECT ID FROM Customers WHERE Name < 'C' ORDER BY ID;"},
    });
    // DISTINCT folds Alfreds and ALFREDS, as Jet compares text.
    EXPECT_EQ(runQuery(db, "Distinct names").rows.size(), 3);
    // DISTINCTROW keeps one row per customer: customers 1 and 5 both stay.
    EXPECT_EQ(runQuery(db, "Distinctrow names").rows.size(), 4);
    EXPECT_EQ(runQuery(db, "All names").rows.size(), 6);
    EXPECT_EQ(runQuery(db, "Equal").column(0), QList<Value>({lng(1), lng(5)}));
    EXPECT_EQ(
        runQuery(db, "Sorted").column(0),
        QList<Value>({text("Alfreds"), text("berglunds"), text("Chop-suey"), text("Du monde")}));
    const QueryResult grouped = runQuery(db, "Grouped");
    ASSERT_EQ(grouped.rows.size(), 4);
    EXPECT_EQ(grouped.rows[0][1], lng(2));
    EXPECT_EQ(runQuery(db, "Below").column(0), QList<Value>({lng(1), lng(2), lng(5)}));
}

TEST(QuerySelect, TopWithTiesAndPercent)
{
    const Database db = withQueries({
        {"Top 2", "SELECT TOP 2 Orders.OrderID, Orders.Qty FROM Orders ORDER BY Orders.Qty DESC;"},
        {"Top 6", "SELECT TOP 6 OrderID FROM Orders ORDER BY Qty DESC;"},
        {"Top 30 percent", "SELECT TOP 30 PERCENT OrderID FROM Orders ORDER BY Amount DESC;"},
        {"Top unordered", "SELECT TOP 3 OrderID FROM Orders;"},
    });
    const QueryResult top2 = runQuery(db, "Top 2");
    EXPECT_EQ(top2.rows,
              QList<QList<Value>>({{lng(12), Value::integer(10)}, {lng(14), Value::integer(5)}}));
    // Orders 11 and 15 tie for sixth place: both come.
    EXPECT_EQ(runQuery(db, "Top 6").rows.size(), 7);
    // 30 percent of 7 rows, rounded up, is 3.
    EXPECT_EQ(runQuery(db, "Top 30 percent").column(0), QList<Value>({lng(12), lng(10), lng(14)}));
    EXPECT_EQ(runQuery(db, "Top unordered").rows.size(), 3);
}

TEST(QuerySelect, GroupByWithFirstLastStDevVar)
{
    const Database db = withQueries({
        {"Stats", "SELECT Orders.CustomerID, First(Orders.Amount) AS F, Last(Orders.Amount) AS L, "
                  "Sum(Orders.Qty) AS S, StDev(Orders.Qty) AS SD, Var([Qty]) AS V, "
                  "Avg(Orders.Amount) AS A, Min(OrderDate) AS Earliest, Count(*) AS N "
                  "FROM Orders GROUP BY Orders.CustomerID HAVING Sum(Orders.Qty) > 1 "
                  "ORDER BY Orders.CustomerID;"},
    });
    const QueryResult stats = runQuery(db, "Stats");
    EXPECT_EQ(stats.names,
              QStringList({"CustomerID", "F", "L", "S", "SD", "V", "A", "Earliest", "N"}));
    ASSERT_EQ(stats.rows.size(), 4); // customer 9 has Qty 1 only
    const QList<Value> &c1 = stats.rows[0];
    EXPECT_EQ(c1[0], lng(1));
    EXPECT_EQ(c1[1], currency(100.5));
    EXPECT_EQ(c1[2], currency(20.25));
    EXPECT_EQ(c1[3], lng(4));
    EXPECT_DOUBLE_EQ(c1[4].asDouble(), std::sqrt(2.0));
    EXPECT_DOUBLE_EQ(c1[5].asDouble(), 2.0);
    EXPECT_EQ(c1[6], currency(60.375));
    EXPECT_EQ(c1[7], dateValue(1995, 1, 15));
    EXPECT_EQ(c1[8], lng(2));
    const QList<Value> &c2 = stats.rows[1];
    EXPECT_EQ(c2[1], currency(300));
    EXPECT_EQ(c2[2], currency(80));
    EXPECT_DOUBLE_EQ(c2[5].asDouble(), 12.5);
    // One row: no sample deviation.
    EXPECT_TRUE(stats.rows[2][4].isNull());
    EXPECT_TRUE(stats.rows[2][5].isNull());
}

TEST(QuerySelect, SqlTextRunsAsASavedQueryWould)
{
    const Database db = withQueries({{"Big", "SELECT OrderID FROM Orders WHERE Amount > 100;"}});
    // A list's row source: SQL text over a table and a saved query.
    std::unique_ptr<RowCursor> rows =
        runSqlText(db,
                   "SELECT Customers.Name FROM Customers INNER JOIN Orders ON Customers.ID = "
                   "Orders.CustomerID WHERE Orders.OrderID IN (SELECT OrderID FROM Big) "
                   "ORDER BY Customers.Name;",
                   ParameterPrompt());
    EXPECT_EQ(rows->fieldNames(), QStringList{"Name"});
    QList<Value> names;
    while (rows->next())
        names << rows->row().value(0);
    const QueryResult big = runQuery(db, "Big");
    EXPECT_EQ(names.size(), big.rows.size());
    EXPECT_FALSE(names.isEmpty());
    // Parameters are asked as for a saved query; an action statement is refused.
    int asked = 0;
    rows = runSqlText(db, "SELECT OrderID FROM Orders WHERE OrderID = [Which order?];",
                      [&](const QString &name, const QString &) {
                          ++asked;
                          EXPECT_EQ(name, "Which order?");
                          return Value::longInt(12);
                      });
    EXPECT_EQ(asked, 1);
    ASSERT_TRUE(rows->next());
    EXPECT_EQ(rows->row().value(0), lng(12));
    EXPECT_FALSE(rows->next());
    try {
        runSqlText(db, "DELETE * FROM Orders;", ParameterPrompt());
        ADD_FAILURE() << "a DELETE ran";
    } catch (const HostError &error) {
        EXPECT_EQ(error.number(), Err::QueryNotRunnable) << qPrintable(error.description());
    }
}
