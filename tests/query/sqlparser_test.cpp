// The Jet SQL parser: VBA's operator precedence, checked by running the
// expressions, and damaged SQL (every prefix and byte flips of the kinds of
// statement Access writes) that must give 31005 or a tree, never a crash.

#include "host/query/queryengine.h"
#include "host/query/sqlparser.h"
#include "host/vb/errors.h"
#include "query/queryfixture.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

namespace {

QList<Value> evaluate(const QString &list)
{
    auto fx = salesFixture();
    fx->add(FixtureQuery(QStringLiteral("E"), 0,
                         QStringLiteral("SELECT %1 FROM Customers WHERE ID = 1;").arg(list)));
    const Database db(fx);
    return runQuery(db, QStringLiteral("E")).rows.value(0);
}

const char *const statements[] = {
    "PARAMETERS [Beginning Date] DateTime, [Ending Date] DateTime;\n"
    "SELECT DISTINCTROW Employees.Country, [Order Subtotals].Subtotal AS SaleAmount\n"
    "FROM Employees INNER JOIN (Orders INNER JOIN [Order Subtotals] ON Orders.OrderID = "
    "[Order Subtotals].OrderID) ON Employees.EmployeeID = Orders.EmployeeID\n"
    "WHERE (((Orders.ShippedDate) Between [Beginning Date] And [Ending Date]));",
    "TRANSFORM Sum(CCur([Order Details].[UnitPrice]*[Quantity]*(1-[Discount])/100)*100) AS A\n"
    "SELECT Products.ProductName, Year([OrderDate]) AS OrderYear FROM Products\n"
    "GROUP BY Products.ProductName, Year([OrderDate])\n"
    "PIVOT \"Qtr \" & DatePart(\"q\",[OrderDate],1,0) In (\"Qtr 1\",\"Qtr 2\");",
    "SELECT City, CompanyName, \"Customers\" AS [Relationship] FROM Customers\n"
    "UNION SELECT City, CompanyName, 'Suppliers' FROM Suppliers ORDER BY City, CompanyName;",
    "SELECT TOP 10 PERCENT Products.* FROM Products WHERE UnitPrice > (SELECT Avg([UnitPrice]) "
    "FROM Products) AND ProductName Like '[!a-c]*' AND Discontinued = No AND Added > #1/31/95# "
    "ORDER BY Products.UnitPrice DESC;",
};

} // namespace

TEST(SqlParser, OperatorPrecedenceIsVbas)
{
    EXPECT_EQ(evaluate("1 + 2 * 3 ^ 2, -2 ^ 2, 2 & 3 + 4, Not 1 = 2, 10 - 2 - 3, 7 + 5 Mod 3, "
                       "2 * 3 \\ 4, 1 < 2 And 3 < 2 Or 1 = 1"),
              QList<Value>({Value::dbl(19), Value::dbl(-4), text("27"), Value::boolean(true),
                            lng(5), lng(9), lng(1), Value::boolean(true)}));
}

TEST(SqlParser, HexAndOctalLiteralsAreVbas)
{
    // Up to &HFFFF an Integer (so negative from &H8000), beyond or with the
    // & suffix a Long; &Hour(...) is a concatenation, its "o" no hex digit.
    EXPECT_EQ(evaluate("&H1F, &h1f + 1, &O17, &o17 * 2, &HFFFF, &HFFFF&, &H8000, &H10000, "
                       "&HFFFFFFFF, &O177777, -&H10, &H7FFFFFFF, &O37777777777, "
                       "'a'&Hour(#3:00:00#), 'b' & &HA"),
              QList<Value>({lng(31), lng(32), lng(15), lng(30), lng(-1), lng(65535), lng(-32768),
                            lng(65536), lng(-1), lng(-1), lng(-16), lng(2147483647), lng(-1),
                            text("a3"), text("b10")}));
    // A digit outside the radix, or more than 32 bits: the engine's syntax error.
    for (const char *malformed : {"&H1G", "&O18", "&H100000000", "1 + &O7x", "&HFFFF&&"}) {
        SCOPED_TRACE(malformed);
        EXPECT_EQ(errorOf([&] { evaluate(QString::fromUtf8(malformed)); }),
                  int(Err::QueryNotRunnable));
        try {
            parseJetSql(QStringLiteral("SELECT %1;").arg(QString::fromUtf8(malformed)),
                        QStringLiteral("Q"));
            ADD_FAILURE() << "parsed";
        } catch (const HostError &e) {
            EXPECT_TRUE(e.description().contains(QStringLiteral("cannot be read near")))
                << e.description().toStdString();
        }
    }
}

TEST(SqlParser, DamagedStatementsFailCleanly)
{
    for (const char *statement : statements) {
        const QString sql = QString::fromUtf8(statement);
        QList<QString> cases;
        for (qsizetype n = 0; n < sql.size(); ++n)
            cases << sql.left(n);
        for (qsizetype at = 0; at < sql.size(); at += 3) {
            QString flipped = sql;
            flipped[at] = QChar(u"()[]\"'#,.!;"[at % 11]);
            cases << flipped;
        }
        for (const QString &c : cases) {
            SqlQueryPtr parsed;
            try {
                parsed = parseJetSql(c, QStringLiteral("Q"));
                EXPECT_FALSE(parsed->parts.isEmpty());
            } catch (const HostError &e) {
                EXPECT_EQ(e.number(), Err::QueryNotRunnable) << c.toStdString();
            }
            if (!parsed)
                continue;
            // What parses must translate or fail with a HostError too.
            auto fx = salesFixture();
            fx->add(FixtureQuery(QStringLiteral("Q"), 0, c));
            const Database db(fx);
            try {
                queryParameters(db, QStringLiteral("Q"));
            } catch (const HostError &) {
            }
        }
    }
}

// Access writes sums of forty fields and long criteria; SQLite's parser
// has a bounded stack.
TEST(SqlParser, LongChainsOfOneOperatorRun)
{
    QStringList terms, letters, conditions;
    for (int i = 0; i < 120; ++i) {
        terms << (i % 2 ? QStringLiteral("ID") : QStringLiteral("[Customers]![ID]"));
        letters << QStringLiteral("'a'");
        conditions << QStringLiteral("ID > %1").arg(-i);
    }
    EXPECT_EQ(evaluate(terms.join(u" + ") + QStringLiteral(", ") + letters.join(u" & ") +
                       QStringLiteral(", (") + conditions.join(u" And ") + u')'),
              QList<Value>({lng(120), Value(QString(120, u'a')), Value::boolean(true)}));
}
