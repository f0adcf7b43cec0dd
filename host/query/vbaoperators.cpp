// The operators of Jet SQL that SQLite has no twin for, with VBA's
// semantics, and the tags that keep a Variant type on a function argument.

#include "host/query/jetlike.h"
#include "host/query/sqlitefunctions.h"
#include "host/vb/vb.h"

#include <cmath>
#include <limits>

namespace {

double number(const Value &v)
{
    return vb::CDbl(v);
}
qint64 whole(const Value &v)
{
    return vb::CLng(v);
}
Value longValue(qint64 n)
{
    if (n >= std::numeric_limits<qint32>::min() && n <= std::numeric_limits<qint32>::max())
        return Value::longInt(qint32(n));
    return Value::dbl(double(n));
}

// Operators.
// Null only when every part is Null: Null & "a" is "a".
Value concatenate(const QList<Value> &a)
{
    QString out;
    bool allNull = true;
    for (const Value &v : a) {
        allNull = allNull && v.isNull();
        out += vb::textOrEmpty(v);
    }
    return allNull ? Value::null() : Value(out);
}

// A value read as a number for arithmetic; Null stays Null.
Value toNumber(const QList<Value> &a)
{
    return a[0].isNull() ? Value::null() : Value::dbl(number(a[0]));
}

Value add(const QList<Value> &a)
{
    if (a[0].isNull() || a[1].isNull())
        return Value::null();
    if (a[0].isText() && a[1].isText())
        return Value(a[0].asText() + a[1].asText());
    const bool dated = a[0].type() == Value::Type::Date || a[1].type() == Value::Type::Date;
    if (a[0].type() == Value::Type::Currency && a[1].type() == Value::Type::Currency)
        return Value::currency(a[0].asCurrencyUnits() + a[1].asCurrencyUnits());
    const double sum = number(a[0]) + number(a[1]);
    if (dated)
        return Value::date(sum);
    if ((a[0].type() == Value::Type::Long || a[0].type() == Value::Type::Integer) &&
        (a[1].type() == Value::Type::Long || a[1].type() == Value::Type::Integer))
        return longValue(qint64(sum));
    return Value::dbl(sum);
}

[[noreturn]] void divisionByZero()
{
    throw HostError(Err::DivisionByZero, QStringLiteral("Division by zero"));
}

Value divide(const QList<Value> &a)
{
    if (a[0].isNull() || a[1].isNull())
        return Value::null();
    const double d = number(a[1]);
    if (d == 0)
        divisionByZero();
    return Value::dbl(number(a[0]) / d);
}

Value integerDivide(const QList<Value> &a)
{
    if (a[0].isNull() || a[1].isNull())
        return Value::null();
    const qint64 d = whole(a[1]);
    if (d == 0)
        divisionByZero();
    return longValue(whole(a[0]) / d);
}

Value modulo(const QList<Value> &a)
{
    if (a[0].isNull() || a[1].isNull())
        return Value::null();
    const qint64 d = whole(a[1]);
    if (d == 0)
        divisionByZero();
    return longValue(whole(a[0]) % d);
}

Value power(const QList<Value> &a)
{
    if (a[0].isNull() || a[1].isNull())
        return Value::null();
    const double x = number(a[0]), y = number(a[1]);
    if (x < 0 && y != std::trunc(y))
        throw HostError::invalidCall(QStringLiteral("^"));
    return Value::dbl(std::pow(x, y));
}

Value like(const QList<Value> &a)
{
    if (a[0].isNull() || a[1].isNull())
        return Value::null();
    return Value::longInt(jetLike(vb::CStr(a[0]), vb::CStr(a[1])) ? 1 : 0);
}

struct Operator
{
    const char *sqlName;
    int args;
    Value (*call)(const QList<Value> &);
};
const Operator operators[] = {
    {"vb_cat", -1, concatenate}, {"vb_num", 1, toNumber},       {"vb_add", 2, add},
    {"vb_div", 2, divide},       {"vb_idiv", 2, integerDivide}, {"vb_mod", 2, modulo},
    {"vb_pow", 2, power},        {"vb_like", 2, like},
};

void callOperator(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    guardedCall(context, [&] {
        const auto *op = static_cast<const Operator *>(sqlite3_user_data(context));
        sqliteResult(context, op->call(argumentsOf(argc, argv)));
    });
}

void tagDate(sqlite3_context *context, int, sqlite3_value **argv)
{
    sqlite3_result_value(context, argv[0]);
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL)
        sqlite3_result_subtype(context, 'D');
}

void tagCurrency(sqlite3_context *context, int, sqlite3_value **argv)
{
    sqlite3_result_value(context, argv[0]);
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL)
        sqlite3_result_subtype(context, 'C');
}

void tagBoolean(sqlite3_context *context, int, sqlite3_value **argv)
{
    sqlite3_result_value(context, argv[0]);
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL)
        sqlite3_result_subtype(context, 'B');
}

} // namespace

void registerVbaOperators(sqlite3 *h)
{
    for (const Operator &op : operators)
        sqlite3_create_function_v2(h, op.sqlName, op.args, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                   const_cast<Operator *>(&op), callOperator, nullptr, nullptr,
                                   nullptr);
    const int tagFlags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(h, "vb_tag_date", 1, tagFlags, nullptr, tagDate, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(h, "vb_tag_currency", 1, tagFlags, nullptr, tagCurrency, nullptr,
                               nullptr, nullptr);
    sqlite3_create_function_v2(h, "vb_tag_boolean", 1, tagFlags, nullptr, tagBoolean, nullptr,
                               nullptr, nullptr);
}
