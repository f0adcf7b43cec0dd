#include "query/queryfixture.h"

#include "host/query/queryengine.h"
#include "host/query/vbadates.h"

QList<Value> QueryResult::column(qsizetype i) const
{
    QList<Value> values;
    for (const QList<Value> &row : rows)
        values.append(row.value(i));
    return values;
}

QueryResult runQuery(const Database &db, const QString &query, const ParameterPrompt &prompt)
{
    QueryResult result;
    std::unique_ptr<RowCursor> cursor = runSavedQuery(db, query, prompt);
    result.names = cursor->fieldNames();
    while (cursor->next())
        result.rows.append(cursor->row());
    return result;
}

Value dateValue(int y, int m, int d, int seconds)
{
    return Value::date(vbdates::toOle(QDate(y, m, d), seconds));
}

Value currency(double amount)
{
    return Value::currency(qint64(amount * 10000.0 + (amount < 0 ? -0.5 : 0.5)));
}

std::shared_ptr<FixtureSource> salesFixture()
{
    auto fx = std::make_shared<FixtureSource>();
    FixtureTable customers(QStringLiteral("Customers"));
    customers.field(QStringLiteral("ID"), DaoType::Long)
        .field(QStringLiteral("Name"), DaoType::Text, 50)
        .field(QStringLiteral("City"), DaoType::Text, 50);
    customers.row({lng(1), text("Alfreds"), text("Berlin")});
    customers.row({lng(2), text("berglunds"), text("Luleå")});
    customers.row({lng(3), text("Chop-suey"), text("Bern")});
    customers.row({lng(4), text("Du monde"), Value::null()});
    customers.row({lng(5), text("ALFREDS"), text("Paris")});
    fx->add(customers);

    FixtureTable orders(QStringLiteral("Orders"));
    orders.field(QStringLiteral("OrderID"), DaoType::Long)
        .field(QStringLiteral("CustomerID"), DaoType::Long)
        .field(QStringLiteral("OrderDate"), DaoType::Date)
        .field(QStringLiteral("Amount"), DaoType::Currency)
        .field(QStringLiteral("Shipped"), DaoType::Boolean)
        .field(QStringLiteral("Qty"), DaoType::Integer);
    auto order = [&](int id, int customer, Value date, double amount, bool shipped, qint16 qty) {
        orders.row({lng(id), lng(customer), date, currency(amount), Value::boolean(shipped),
                    Value::integer(qty)});
    };
    order(10, 1, dateValue(1995, 1, 15), 100.5, true, 3);
    order(11, 1, dateValue(1995, 3, 2, 3600 * 14), 20.25, false, 1);
    order(12, 2, dateValue(1995, 7, 20), 300, true, 10);
    order(13, 3, dateValue(1996, 2, 10), 45.5, true, 2);
    order(14, 2, dateValue(1995, 11, 30), 80, false, 5);
    order(15, 9, dateValue(1995, 5, 5), 10, true, 1);
    order(16, 5, dateValue(1995, 12, 24), 55, true, 4);
    fx->add(orders);

    FixtureTable words(QStringLiteral("Words"));
    words.field(QStringLiteral("ID"), DaoType::Long).field(QStringLiteral("W"), DaoType::Text, 50);
    words.row({lng(1), text("ｶﾞｷﾞ abc")});
    words.row({lng(2), text("ＡＢＣ　ガパ")});
    words.row({lng(3), Value::null()});
    fx->add(words);

    FixtureTable remote(QStringLiteral("Remote"));
    remote.field(QStringLiteral("ID"), DaoType::Long)
        .linked(QStringLiteral(";DATABASE=C:\\data\\other.mdb"), QStringLiteral("Stock"));
    fx->add(remote);
    return fx;
}
