// Every select, crosstab, union and parameter query of the corpus's
// Northwind copies runs to its last row or is refused with 31005 naming
// what it cannot run; a few results are checked against what the tables
// themselves say, read directly through JetSource.

#include "host/jet/jetsource.h"
#include "host/query/queryengine.h"
#include "host/vb/errors.h"
#include "host/vb/vb.h"
#include "query/queryfixture.h"
#include "support/testsupport.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

const char *const northwindCopies[] = {"jet3/nwind.mdb", "jet3/Nwind_variant.mdb",
                                       "jet4/Northwind.mdb", "jet4/Northwind_ja.mdb"};

// Answers as a user of the sample would: a range of dates wide enough to
// hold every order, an order number otherwise.
Value answer(const QString &name, const QString &type)
{
    const bool end = name.contains(QLatin1String("End"), Qt::CaseInsensitive) ||
                     name.contains(QStringLiteral("終了"));
    if (type == QLatin1String("DateTime") || name.contains(QLatin1String("Date")) ||
        name.contains(QStringLiteral("日")))
        return Value(end ? "2030/12/31" : "1990/01/01");
    return Value::longInt(10248);
}

struct Outcome
{
    qsizetype rows = -1; // -1: refused
    QStringList names;
    QString refusal;
};

Outcome run(const Database &db, const QString &query)
{
    Outcome o;
    try {
        std::unique_ptr<RowCursor> cursor = runSavedQuery(db, query, answer);
        o.names = cursor->fieldNames();
        o.rows = 0;
        while (cursor->next())
            ++o.rows;
    } catch (const HostError &e) {
        o.refusal = QString::number(e.code()) + u' ' + e.description();
    }
    return o;
}

QList<QList<Value>> tableRows(const Database &db, const QString &table)
{
    QList<QList<Value>> rows;
    std::unique_ptr<RowCursor> cursor = db.openRows(table);
    while (cursor->next())
        rows.append(cursor->row());
    return rows;
}

qsizetype fieldIndex(const Database &db, const QString &table, const QString &field)
{
    return db.openRows(table)->fieldNames().indexOf(field);
}

} // namespace

TEST(QueryCorpus, EveryNorthwindQueryRunsOrIsRefusedByName)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    for (const char *file : northwindCopies) {
        const Database db(JetSource::open(corpusFile(QString::fromUtf8(file))));
        int ran = 0;
        for (const QueryDef &q : db.QueryDefs()) {
            if (q.Name.startsWith(u'~') || (q.Type != 0 && q.Type != 16 && q.Type != 128))
                continue;
            SCOPED_TRACE(std::string(file) + ": " + q.Name.toStdString());
            const Outcome o = run(db, q.Name);
            if (o.rows < 0) {
                EXPECT_TRUE(o.refusal.startsWith(QLatin1String("31005 ")) &&
                            o.refusal.contains(q.Name))
                    << o.refusal.toStdString();
            } else {
                ++ran;
                EXPECT_FALSE(o.names.isEmpty());
            }
        }
        EXPECT_GE(ran, 18) << file;
    }
}

TEST(QueryCorpus, NorthwindResultsMatchTheirTables)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    const Database db(JetSource::open(corpusFile(QStringLiteral("jet3/nwind.mdb"))));
    const QList<QList<Value>> products = tableRows(db, QStringLiteral("Products"));
    const qsizetype price = fieldIndex(db, QStringLiteral("Products"), QStringLiteral("UnitPrice"));
    const qsizetype name =
        fieldIndex(db, QStringLiteral("Products"), QStringLiteral("ProductName"));
    const qsizetype discontinued =
        fieldIndex(db, QStringLiteral("Products"), QStringLiteral("Discontinued"));
    ASSERT_GE(price, 0);

    // Current Product List: the products not discontinued, by name.
    qsizetype current = 0;
    for (const QList<Value> &p : products)
        current += p[discontinued].asBoolean() ? 0 : 1;
    const QueryResult list = runQuery(db, QStringLiteral("Current Product List"));
    EXPECT_EQ(list.rows.size(), current);
    for (qsizetype i = 1; i < list.rows.size(); ++i)
        EXPECT_LE(
            list.rows[i - 1][1].asText().compare(list.rows[i][1].asText(), Qt::CaseInsensitive), 0);

    // Ten Most Expensive Products: the highest price first.
    const QList<Value> *dearest = &products.first();
    for (const QList<Value> &p : products) {
        if (p[price].asCurrencyUnits() > (*dearest)[price].asCurrencyUnits())
            dearest = &p;
    }
    const QueryResult ten = runQuery(db, QStringLiteral("Ten Most Expensive Products"));
    EXPECT_EQ(ten.names, QStringList({"TenMostExpensiveProducts", "UnitPrice"}));
    ASSERT_GE(ten.rows.size(), 10);
    EXPECT_EQ(ten.rows[0], QList<Value>({(*dearest)[name], (*dearest)[price]}));

    // Order Subtotals: one row per order of Order Details, the first order's
    // subtotal summed here from its lines.
    const QList<QList<Value>> details = tableRows(db, QStringLiteral("Order Details"));
    const QString od = QStringLiteral("Order Details");
    const qsizetype orderId = fieldIndex(db, od, QStringLiteral("OrderID"));
    const qsizetype unit = fieldIndex(db, od, QStringLiteral("UnitPrice"));
    const qsizetype quantity = fieldIndex(db, od, QStringLiteral("Quantity"));
    const qsizetype discount = fieldIndex(db, od, QStringLiteral("Discount"));
    QSet<qint32> orders;
    qint64 firstSubtotal = 0; // ten-thousandths
    const qint32 firstOrder = details.first()[orderId].asLong();
    for (const QList<Value> &d : details) {
        orders.insert(d[orderId].asLong());
        if (d[orderId].asLong() != firstOrder)
            continue;
        const double line =
            vb::CDbl(d[unit]) * vb::CDbl(d[quantity]) * (1 - vb::CDbl(d[discount])) / 100;
        firstSubtotal += vb::CCur(Value::dbl(line)) * 100;
    }
    const QueryResult subtotals = runQuery(db, QStringLiteral("Order Subtotals"));
    EXPECT_EQ(subtotals.rows.size(), orders.size());
    bool found = false;
    for (const QList<Value> &row : subtotals.rows) {
        if (row[0] == lng(firstOrder)) {
            found = true;
            EXPECT_NEAR(vb::CDbl(row[1]), double(firstSubtotal) / 10000.0, 1e-6);
        }
    }
    EXPECT_TRUE(found);

    // Customers and Suppliers by City: both tables, one row each (no two
    // rows of the sample are alike).
    const qsizetype customers = tableRows(db, QStringLiteral("Customers")).size();
    const qsizetype suppliers = tableRows(db, QStringLiteral("Suppliers")).size();
    const QueryResult cities = runQuery(db, QStringLiteral("Customers and Suppliers by City"));
    EXPECT_EQ(cities.names, QStringList({"City", "CompanyName", "ContactName", "Relationship"}));
    EXPECT_EQ(cities.rows.size(), customers + suppliers);

    // Quarterly Orders: DISTINCTROW keeps one row per customer who ordered
    // in 1995; Employee Sales by Country, asked for 1990 to 2030, one row
    // per shipped order.
    const QList<QList<Value>> orderRows = tableRows(db, QStringLiteral("Orders"));
    const qsizetype customer =
        fieldIndex(db, QStringLiteral("Orders"), QStringLiteral("CustomerID"));
    const qsizetype ordered = fieldIndex(db, QStringLiteral("Orders"), QStringLiteral("OrderDate"));
    const qsizetype shipped =
        fieldIndex(db, QStringLiteral("Orders"), QStringLiteral("ShippedDate"));
    QSet<QString> customers1995;
    qsizetype shippedOrders = 0;
    for (const QList<Value> &o : orderRows) {
        const double day = o[ordered].isNull() ? 0 : o[ordered].asOleDate();
        if (day >= dateValue(1995, 1, 1).asOleDate() && day < dateValue(1996, 1, 1).asOleDate())
            customers1995.insert(o[customer].asText().toUpper());
        shippedOrders += o[shipped].isNull() ? 0 : 1;
    }
    EXPECT_EQ(runQuery(db, QStringLiteral("Quarterly Orders")).rows.size(), customers1995.size());
    EXPECT_EQ(runQuery(db, QStringLiteral("Employee Sales by Country"), answer).rows.size(),
              shippedOrders);

    // The crosstab: its row headings, then the four quarters of its IN list.
    const QueryResult quarters = runQuery(db, QStringLiteral("Quarterly Orders by Product"));
    EXPECT_EQ(quarters.names, QStringList({"ProductName", "CustomerID", "OrderYear", "Qtr 1",
                                           "Qtr 2", "Qtr 3", "Qtr 4"}));
    EXPECT_GT(quarters.rows.size(), 0);
}
