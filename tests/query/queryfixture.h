#pragma once

// Fixtures and helpers of the query engine's tests: a small sales database
// built in code whose every expected result can be worked out by hand, and
// a runner that collects a query's rows.

#include "host/objects/database.h"
#include "host/objects/fixturesource.h"
#include "host/objects/queryrunner.h"

#include <QDate>
#include <memory>
#include <ostream>

inline void PrintTo(const Value &v, std::ostream *os)
{
    *os << Value::typeName(v.type());
    if (!v.isNull() && !v.isEmpty() && v.type() != Value::Type::Binary) {
        if (v.type() == Value::Type::Double || v.type() == Value::Type::Date)
            *os << "(" << QString::number(v.toDouble(), 'g', 17).toStdString() << ")";
        else if (v.type() == Value::Type::Currency)
            *os << "(" << v.asCurrencyUnits() << "/10000)";
        else if (v.isText())
            *os << "(\"" << v.asText().toStdString() << "\")";
        else
            *os << "(" << v.toDouble() << ")";
    }
}

struct QueryResult
{
    QStringList names;
    QList<QList<Value>> rows;
    // One column of every row.
    QList<Value> column(qsizetype i) const;
};

QueryResult runQuery(const Database &db, const QString &query,
                     const ParameterPrompt &prompt = ParameterPrompt());

Value dateValue(int y, int m, int d, int seconds = 0);
Value currency(double amount);
inline Value text(const char *s)
{
    return Value(QString::fromUtf8(s));
}
inline Value lng(qint32 n)
{
    return Value::longInt(n);
}

// Customers(ID, Name, City), Orders(OrderID, CustomerID, OrderDate,
// Amount, Shipped, Qty) and Words(ID, W) with the rows listed in
// queryfixture.cpp, and Remote, a linked table; queries are added by each
// test.
std::shared_ptr<FixtureSource> salesFixture();
