// Union, crosstab, parameter and nested queries, and the queries the
// engine refuses, each refusal naming what it could not run.

#include "host/query/queryengine.h"
#include "host/vb/errors.h"
#include "query/queryfixture.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

namespace {

Database withQueries(const QList<FixtureQuery> &queries)
{
    auto fx = salesFixture();
    for (const FixtureQuery &q : queries)
        fx->add(q);
    return Database(fx);
}

FixtureQuery select(const QString &name, const QString &sql)
{
    return FixtureQuery(name, 0, sql);
}

std::string failure(const Database &db, const QString &query)
{
    try {
        runQuery(db, query, [](const QString &, const QString &) { return Value::longInt(1); });
    } catch (const HostError &e) {
        return (QString::number(e.code()) + u' ' + e.description()).toStdString();
    }
    return "no error";
}

} // namespace

TEST(QueryShapes, UnionAndUnionAll)
{
    const Database db = withQueries({
        FixtureQuery("Places", 128,
                     "SELECT Name, City, 'Customer' AS [Kind] FROM Customers WHERE ID <= 2\n"
                     "UNION SELECT Name, 'Nowhere', \"Other\" FROM Customers WHERE ID = 5\n"
                     "ORDER BY Name DESC;"),
        FixtureQuery("Ids", 128,
                     "SELECT CustomerID FROM Orders UNION ALL SELECT ID FROM Customers;"),
        FixtureQuery("Deduplicated", 128,
                     "SELECT Name FROM Customers UNION SELECT Name FROM Customers;"),
    });
    const QueryResult places = runQuery(db, "Places");
    EXPECT_EQ(places.names, QStringList({"Name", "City", "Kind"}));
    ASSERT_EQ(places.rows.size(), 3);
    EXPECT_EQ(places.rows[0], QList<Value>({text("berglunds"), text("Luleå"), text("Customer")}));
    // Alfreds and ALFREDS sort as equals, in either order.
    QStringList rest;
    for (int i : {1, 2})
        rest << places.rows[i][0].asText() + u'/' + places.rows[i][2].asText();
    rest.sort();
    EXPECT_EQ(rest, QStringList({"ALFREDS/Other", "Alfreds/Customer"}));
    EXPECT_EQ(runQuery(db, "Ids").rows.size(), 12);
    // Alfreds and ALFREDS are one text to Jet.
    EXPECT_EQ(runQuery(db, "Deduplicated").rows.size(), 4);
}

TEST(QueryShapes, CrosstabWithAndWithoutInList)
{
    const Database db = withQueries({
        FixtureQuery("By year", 16,
                     "TRANSFORM Sum(Orders.Qty) AS SumOfQty SELECT Orders.CustomerID "
                     "FROM Orders GROUP BY Orders.CustomerID PIVOT Year(Orders.OrderDate);"),
        FixtureQuery("By quarter", 16,
                     "TRANSFORM Count(*) AS N SELECT Customers.Name, Count(*) AS Total "
                     "FROM Customers INNER JOIN Orders ON Customers.ID = Orders.CustomerID "
                     "GROUP BY Customers.ID, Customers.Name "
                     "PIVOT 'Q' & DatePart('q', [OrderDate]) In ('Q1', 'Q2', 'Q3', 'Q4');"),
        FixtureQuery("By case", 16,
                     "TRANSFORM Count(*) AS N SELECT Words.ID FROM Words GROUP BY Words.ID "
                     "PIVOT IIf(ID = 1, 'K', 'k');"),
    });
    const QueryResult years = runQuery(db, "By year");
    EXPECT_EQ(years.names, QStringList({"CustomerID", "1995", "1996"}));
    const Value none = Value::null();
    EXPECT_EQ(years.rows, QList<QList<Value>>({{lng(1), lng(4), none},
                                               {lng(2), lng(15), none},
                                               {lng(3), none, lng(2)},
                                               {lng(5), lng(4), none},
                                               {lng(9), lng(1), none}}));
    // Pivot values equal but for case make one column.
    const QueryResult byCase = runQuery(db, "By case");
    EXPECT_EQ(byCase.names.size(), 2);
    EXPECT_EQ(byCase.column(1), QList<Value>({lng(1), lng(1), lng(1)}));
    const QueryResult quarters = runQuery(db, "By quarter");
    EXPECT_EQ(quarters.names, QStringList({"Name", "Total", "Q1", "Q2", "Q3", "Q4"}));
    // Empty cells stay empty even for Count.
    EXPECT_EQ(quarters.rows,
              QList<QList<Value>>({{text("Alfreds"), lng(2), lng(2), none, none, none},
                                   {text("berglunds"), lng(2), none, none, lng(1), lng(1)},
                                   {text("Chop-suey"), lng(1), lng(1), none, none, none},
                                   {text("ALFREDS"), lng(1), none, none, none, lng(1)}}));
}

TEST(QueryShapes, ParametersAskedOnceInOrderAndConverted)
{
    const Database db = withQueries({
        select("Since", "PARAMETERS [Start] DateTime, [Min Amount] Currency;\n"
                        "SELECT OrderID FROM Orders WHERE OrderDate >= [Start] AND Amount >= "
                        "[Min Amount] AND CustomerID = [Which customer] AND OrderDate >= [start] "
                        "ORDER BY OrderID;"),
        select("Form", "SELECT ID FROM Customers WHERE ID = Forms!Picker!CustomerID;"),
    });
    QStringList asked;
    const ParameterPrompt prompt = [&](const QString &name, const QString &type) {
        asked << name + u'/' + type;
        if (name == QLatin1String("Start"))
            return Value("1995/06/01");
        if (name == QLatin1String("Min Amount"))
            return Value("50");
        return Value::longInt(2);
    };
    EXPECT_EQ(runQuery(db, "Since", prompt).column(0), QList<Value>({lng(12), lng(14)}));
    EXPECT_EQ(asked, QStringList({"Start/DateTime", "Min Amount/Currency", "Which customer/"}));
    QList<QueryParameter> listed = queryParameters(db, "Since");
    ASSERT_EQ(listed.size(), 3);
    EXPECT_EQ(listed[2].name, QStringLiteral("Which customer"));

    asked.clear();
    EXPECT_EQ(runQuery(db, "Form", prompt).column(0), QList<Value>({lng(2)}));
    EXPECT_EQ(asked, QStringList({"Forms!Picker!CustomerID/"}));

    // Cancelling the prompt cancels the run.
    EXPECT_EQ(errorOf([&] {
                  runQuery(db, "Since", [](const QString &, const QString &) -> Value {
                      throw HostError(Err::ActionCancelled, QStringLiteral("cancelled"));
                  });
              }),
              int(Err::ActionCancelled));
}

TEST(QueryShapes, NestedSavedQueriesAndCycles)
{
    const Database db = withQueries({
        select("Big orders", "SELECT OrderID, CustomerID, Amount, Amount * 2 FROM Orders "
                             "WHERE Amount > 50;"),
        select("Big by customer",
               "SELECT Customers.Name, Sum([Big orders].Amount) AS Total, Max(Expr1000) AS Twice "
               "FROM Customers INNER JOIN [Big orders] ON Customers.ID = [Big orders].CustomerID "
               "GROUP BY Customers.Name ORDER BY Customers.Name;"),
        select("Above average", "SELECT OrderID FROM Orders WHERE Amount > "
                                "(SELECT Avg(Amount) FROM Orders) ORDER BY OrderID;"),
        select("With big", "SELECT ID FROM Customers WHERE ID In (SELECT CustomerID FROM "
                           "[Big orders]) AND Exists (SELECT * FROM Orders WHERE "
                           "Orders.CustomerID = Customers.ID AND Qty > 4);"),
        select("Loop A", "SELECT * FROM [Loop B];"),
        select("Loop B", "SELECT * FROM [Loop A];"),
    });
    const QueryResult nested = runQuery(db, "Big by customer");
    // Alfreds and ALFREDS group together, as Jet groups text.
    EXPECT_EQ(nested.rows,
              QList<QList<Value>>({{text("Alfreds"), currency(155.5), currency(201)},
                                   {text("berglunds"), currency(380), currency(600)}}));
    // Average amount 611.25 / 7 = 87.32...
    EXPECT_EQ(runQuery(db, "Above average").column(0), QList<Value>({lng(10), lng(12)}));
    EXPECT_EQ(runQuery(db, "With big").column(0), QList<Value>({lng(2)}));
    const std::string loop = failure(db, "Loop A");
    EXPECT_EQ(loop.rfind("31005 ", 0), 0u) << loop;
    EXPECT_NE(loop.find("circular"), std::string::npos) << loop;
}

TEST(QueryShapes, DomainFunctionsLookUpPerRow)
{
    const Database db = withQueries({
        select("Lookups",
               "SELECT OrderID, DLookUp(\"Name\", \"Customers\", \"ID=\" & [CustomerID]) AS Who, "
               "DCount(\"*\", \"Orders\", \"CustomerID=\" & [CustomerID]) AS Mine, "
               "DSum(\"Amount\", \"Orders\") AS AllAmount, "
               "DMax(\"OrderDate\", \"Orders\", \"Shipped = False\") AS LastUnshipped "
               "FROM Orders WHERE OrderID In (10, 15) ORDER BY OrderID;"),
    });
    const QueryResult r = runQuery(db, "Lookups");
    EXPECT_EQ(r.rows,
              QList<QList<Value>>(
                  {{lng(10), text("Alfreds"), lng(2), currency(611.25), dateValue(1995, 11, 30)},
                   {lng(15), Value::null(), lng(1), currency(611.25), dateValue(1995, 11, 30)}}));
}

TEST(QueryShapes, RefusalsNameWhatTheyRefuse)
{
    const Database db = withQueries({
        FixtureQuery("Purge", 32, "DELETE * FROM Orders;"),
        FixtureQuery("Raise", 48, "UPDATE Orders SET Qty = Qty + 1;"),
        FixtureQuery("Copy", 64, "INSERT INTO Orders SELECT * FROM Orders;"),
        FixtureQuery("Make", 80, "SELECT * INTO Backup FROM Orders;"),
        FixtureQuery("Ddl", 96, "CREATE TABLE T (A TEXT);"),
        FixtureQuery("Remote", 112, "SELECT * FROM dbo.Orders"),
        select("Outside", "SELECT * FROM Orders IN 'other.mdb';"),
        select("Custom", "SELECT MyTotal(Amount) FROM Orders;"),
        select("Lookup", "SELECT DLookUp(City, 'Customers', 'ID=1') FROM Customers;"),
        select("Lookup criteria", "SELECT DLookUp('Name', 'Customers', 'Nope = 1') FROM Orders;"),
        select("Missing", "SELECT * FROM NoSuchTable;"),
        select("Bad", "SELECT FROM WHERE;"),
        FixtureQuery("Cross", 16,
                     "TRANSFORM Count(*) SELECT ID FROM Customers GROUP BY ID PIVOT City;"),
        select("Over crosstab", "SELECT * FROM Cross;"),
        select("Over custom", "SELECT * FROM Custom;"),
        select("Ambiguous", "SELECT ID FROM Customers, Words;"),
        select("Linked", "SELECT Remote.ID FROM Remote;"),
        select("Sum in where", "SELECT ID FROM Customers WHERE Sum(ID) > 1;"),
    });
    const struct
    {
        const char *query, *expected;
    } cases[] = {
        {"Purge", "31005 the query \"Purge\" is a delete query, which this build does not run"},
        {"Raise", "31005 the query \"Raise\" is an update query, which this build does not run"},
        {"Copy", "31005 the query \"Copy\" is an append query, which this build does not run"},
        {"Make", "31005 the query \"Make\" is a make-table query, which this build does not run"},
        {"Ddl",
         "31005 the query \"Ddl\" is a data-definition query, which this build does not run"},
        {"Remote",
         "31005 the query \"Remote\" is a pass-through query, which this build does not run"},
        {"Outside", "31005 the query \"Outside\" uses the construct \"IN 'other.mdb'\", which this "
                    "build does not run"},
        {"Custom", "31005 the query \"Custom\" uses the construct \"the function MyTotal\", which "
                   "this build does not run"},
        {"Lookup", "31005 the query \"Lookup\" uses the construct \"DLookUp with a field or domain "
                   "that is not written as text\", which this build does not run"},
        {"Lookup criteria",
         "31005 the query \"SELECT First(Name) FROM [Customers] WHERE Nope = 1\" "
         "uses the construct \"[Nope] in the criteria of a domain function\", "
         "which this build does not run"},
        {"Missing", "3011 The database engine cannot find the input table or query 'NoSuchTable'."},
        {"Bad", "31005 the SQL of the query \"Bad\" cannot be read near \"FROM WHERE;\""},
        {"Over crosstab", "31005 the query \"Over crosstab\" uses the construct \"crosstab query "
                          "Cross used as a source\", which this build does not run"},
        {"Over custom",
         "31005 the query \"Custom\" uses the construct \"the function MyTotal\", which "
         "this build does not run, used by the query \"Over custom\""},
        {"Ambiguous", "31005 the field \"ID\" of the query \"Ambiguous\" could refer to more than "
                      "one table"},
        {"Linked", "31005 the query \"Linked\" uses the construct \"linked table Remote\", which "
                   "this build does not run"},
        {"Sum in where", "31005 the query \"Sum in where\" uses the construct \"Sum(ID)\", which "
                         "this build does not run"},
        {"Nothing", "3011 The database engine cannot find the input table or query 'Nothing'."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.query);
        EXPECT_EQ(failure(db, QString::fromUtf8(c.query)), std::string(c.expected));
    }
}
