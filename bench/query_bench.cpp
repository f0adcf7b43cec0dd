// Times the query engine on a select joining two generated tables of
// 100,000 rows each, written by the Jet writer into a temporary folder and
// read back through JetSource, as a query export would run it:
//   read   -- both tables read through JetSource alone, for comparison
//   load   -- translating the query and copying both tables into SQLite
//   query  -- stepping the join to its last row
// Prints both times, the rows and rows per second. Aim: under 2 s in all.
// Usage: query_bench [rows]

#include "host/jet/jetsource.h"
#include "host/query/queryengine.h"
#include "host/vb/errors.h"
#include "tests/query/writerbuilders.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {

JetWriterDatabase generated(int rows)
{
    JetWriterDatabase db;
    JetWriterTable customers;
    customers.name = QStringLiteral("Customers");
    customers.columns = {column(QStringLiteral("ID"), JetType::Long),
                         column(QStringLiteral("Name"), JetType::Text, 50),
                         column(QStringLiteral("City"), JetType::Text, 30)};
    customers.primaryKey = {QStringLiteral("ID")};
    JetWriterTable orders;
    orders.name = QStringLiteral("Orders");
    orders.columns = {column(QStringLiteral("OrderID"), JetType::Long),
                      column(QStringLiteral("CustomerID"), JetType::Long),
                      column(QStringLiteral("OrderDate"), JetType::DateTime),
                      column(QStringLiteral("Amount"), JetType::Currency)};
    orders.primaryKey = {QStringLiteral("OrderID")};
    for (int i = 0; i < rows; ++i) {
        customers.rows.append({Value::longInt(i), Value(QStringLiteral("Customer %1").arg(i)),
                               Value(QStringLiteral("City %1").arg(i % 97))});
        // Every customer has one order, in a shuffled order of customers.
        orders.rows.append({Value::longInt(i), Value::longInt(int((qint64(i) * 7919) % rows)),
                            Value::date(35000 + i % 1000),
                            Value::currency(qint64(i % 5000) * 125)});
    }
    db.tables = {customers, orders};
    JetWriterQuery join;
    join.name = QStringLiteral("Orders by customer");
    join.sources = {{QStringLiteral("Customers"), QString()},
                    {QStringLiteral("Orders"), QString()}};
    join.joins = {{QStringLiteral("Customers"), QStringLiteral("Orders"),
                   QStringLiteral("Customers.ID = Orders.CustomerID"), 1}};
    join.outputs = {
        output(QStringLiteral("Customers.Name")), output(QStringLiteral("Customers.City")),
        output(QStringLiteral("Orders.OrderID")), output(QStringLiteral("Orders.OrderDate")),
        output(QStringLiteral("Orders.Amount * 2"), QStringLiteral("Twice"))};
    db.queries = {join};
    return db;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    try {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("query_bench.mdb"));
        QElapsedTimer timer;
        timer.start();
        writeJetDatabase(generated(rows), path);
        std::printf("write    %8.3f s  (two tables of %d rows, not counted)\n",
                    timer.nsecsElapsed() / 1e9, rows);

        const Database db(JetSource::open(path));
        std::printf("sql      %s\n",
                    qPrintable(db.QueryDefs(QStringLiteral("Orders by customer")).SQL()));
        // The source alone, for what the copy into SQLite adds to it.
        timer.restart();
        qint64 read = 0;
        for (const QString &table : {QStringLiteral("Customers"), QStringLiteral("Orders")}) {
            std::unique_ptr<RowCursor> rows = db.openRows(table);
            while (rows->next())
                read += rows->row().size();
        }
        std::printf("read     %8.3f s  (both tables through JetSource alone, not counted)\n",
                    timer.nsecsElapsed() / 1e9);
        timer.restart();
        std::unique_ptr<RowCursor> cursor =
            runSavedQuery(db, QStringLiteral("Orders by customer"), ParameterPrompt());
        const double load = timer.nsecsElapsed() / 1e9;
        timer.restart();
        qint64 count = 0;
        while (cursor->next()) {
            if (cursor->row().size() != 5)
                return 1;
            ++count;
        }
        const double query = timer.nsecsElapsed() / 1e9;
        std::printf("load     %8.3f s\n", load);
        std::printf("query    %8.3f s  (%lld rows)\n", query, static_cast<long long>(count));
        std::printf("total    %8.3f s  %.0f rows/s\n", load + query, count / (load + query));
        return count == rows && read == qint64(rows) * 7 ? 0 : 1;
    } catch (const HostError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
