#include "host/query/sqlitedb.h"

#include "host/query/jetcollation.h"
#include "host/query/vbafunctions.h"
#include "host/vb/vb.h"

#include <cmath>
#include <limits>
#include <sqlite3.h>

namespace {

thread_local std::optional<HostError> functionError;

constexpr unsigned subtypeDate = 'D', subtypeCurrency = 'C', subtypeBoolean = 'B';

Value integerValue(sqlite3_int64 i)
{
    if (i >= std::numeric_limits<qint32>::min() && i <= std::numeric_limits<qint32>::max())
        return Value::longInt(qint32(i));
    return Value::dbl(double(i));
}

Value textValue(const unsigned char *text, int bytes)
{
    return Value(QString::fromUtf8(reinterpret_cast<const char *>(text), bytes));
}

double numberOf(const Value &v)
{
    return v.type() == Value::Type::Currency ? double(v.asCurrencyUnits()) / 10000.0 : v.toDouble();
}

} // namespace

SqliteDb::SqliteDb()
{
    if (sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
        raise(QStringLiteral("opening the query database"));
    registerJetCollation(m_db);
    registerVbaFunctions(*this);
}

SqliteDb::~SqliteDb()
{
    m_attached.clear(); // their statements are finalized before the close
    sqlite3_close_v2(m_db);
}

void SqliteDb::exec(const QString &sql)
{
    char *message = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        sqlite3_free(message);
        raise(sql);
    }
}

void SqliteDb::raise(const QString &what)
{
    if (functionError) {
        const HostError error = *functionError;
        functionError.reset();
        throw error;
    }
    throw HostError(Err::Unexpected, QStringLiteral("the query engine failed (%1) running: %2")
                                         .arg(QString::fromUtf8(sqlite3_errmsg(m_db)), what));
}

void SqliteDb::keepFunctionError(const HostError &error)
{
    if (!functionError)
        functionError = error;
}

SqliteStatement::SqliteStatement(SqliteDb &db, const QString &sql)
    : m_db(db)
    , m_sql(sql)
{
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db.handle(), utf8.constData(), int(utf8.size()), &m_stmt, nullptr) !=
        SQLITE_OK)
        db.raise(sql);
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

void SqliteStatement::bind(int index, const Value &value)
{
    int rc = SQLITE_OK;
    switch (value.type()) {
    case Value::Type::Empty:
    case Value::Type::Null:
        rc = sqlite3_bind_null(m_stmt, index);
        break;
    case Value::Type::Boolean:
        rc = sqlite3_bind_int(m_stmt, index, value.asBoolean() ? -1 : 0);
        break;
    case Value::Type::Integer:
        rc = sqlite3_bind_int(m_stmt, index, value.asInteger());
        break;
    case Value::Type::Long:
        rc = sqlite3_bind_int(m_stmt, index, value.asLong());
        break;
    case Value::Type::Single:
    case Value::Type::Double:
    case Value::Type::Date:
    case Value::Type::Currency:
        rc = sqlite3_bind_double(m_stmt, index, numberOf(value));
        break;
    case Value::Type::Text: {
        const QByteArray utf8 = value.asText().toUtf8();
        rc = sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        break;
    }
    case Value::Type::Binary: {
        const QByteArray &bytes = value.asBinary();
        rc = sqlite3_bind_blob(m_stmt, index, bytes.constData(), int(bytes.size()),
                               SQLITE_TRANSIENT);
        break;
    }
    }
    if (rc != SQLITE_OK)
        m_db.raise(m_sql);
}

int SqliteStatement::parameterCount() const
{
    return sqlite3_bind_parameter_count(m_stmt);
}

bool SqliteStatement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    m_db.raise(m_sql);
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_stmt);
}

int SqliteStatement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

Value SqliteStatement::column(int index, QType type) const
{
    Value raw;
    switch (sqlite3_column_type(m_stmt, index)) {
    case SQLITE_NULL:
        return Value::null();
    case SQLITE_INTEGER:
        raw = integerValue(sqlite3_column_int64(m_stmt, index));
        if (type == QType::Long || type == QType::Integer || type == QType::Unknown)
            return valueOfType(raw, type);
        raw = Value::dbl(double(sqlite3_column_int64(m_stmt, index)));
        break;
    case SQLITE_FLOAT:
        raw = Value::dbl(sqlite3_column_double(m_stmt, index));
        break;
    case SQLITE_TEXT:
        raw = textValue(sqlite3_column_text(m_stmt, index), sqlite3_column_bytes(m_stmt, index));
        break;
    default: {
        const char *bytes = static_cast<const char *>(sqlite3_column_blob(m_stmt, index));
        raw = Value::binary(QByteArray(bytes, sqlite3_column_bytes(m_stmt, index)));
        break;
    }
    }
    return valueOfType(raw, type);
}

Value valueOfType(const Value &v, QType type)
{
    if (v.isNull() || v.isEmpty())
        return v;
    const bool numeric = v.isNumeric();
    switch (type) {
    case QType::Unknown:
        return v;
    case QType::Boolean:
        return numeric ? Value::boolean(numberOf(v) != 0) : v;
    case QType::Integer: {
        if (!numeric)
            return v;
        const double d = numberOf(v);
        if (d == std::trunc(d) && std::fabs(d) <= 32767)
            return Value::integer(qint16(d));
        return valueOfType(v, QType::Long);
    }
    case QType::Long: {
        if (!numeric)
            return v;
        const double d = numberOf(v);
        if (d == std::trunc(d) && std::fabs(d) <= 2147483647.0)
            return Value::longInt(qint32(d));
        return Value::dbl(d);
    }
    case QType::Single:
        return numeric ? Value::single(float(numberOf(v))) : v;
    case QType::Double:
        return numeric ? Value::dbl(numberOf(v)) : v;
    case QType::Currency:
        if (!numeric)
            return v;
        if (v.type() == Value::Type::Currency)
            return v;
        return Value::currency(qint64(vb::roundHalfEven(numberOf(v) * 10000.0)));
    case QType::Date:
        return numeric ? Value::date(numberOf(v)) : v;
    case QType::Text:
        return v.isText() ? v : Value(vb::CStr(v));
    case QType::Binary:
        return v;
    }
    return v;
}

Value sqliteArgument(sqlite3_value *value)
{
    const unsigned subtype = sqlite3_value_subtype(value);
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        return Value::null();
    case SQLITE_INTEGER: {
        const sqlite3_int64 i = sqlite3_value_int64(value);
        if (subtype == subtypeBoolean)
            return Value::boolean(i != 0);
        if (subtype == subtypeDate)
            return Value::date(double(i));
        if (subtype == subtypeCurrency)
            return Value::currency(i * 10000);
        return integerValue(i);
    }
    case SQLITE_FLOAT: {
        const double d = sqlite3_value_double(value);
        if (subtype == subtypeDate)
            return Value::date(d);
        if (subtype == subtypeCurrency)
            return Value::currency(qint64(vb::roundHalfEven(d * 10000.0)));
        return Value::dbl(d);
    }
    case SQLITE_TEXT:
        return textValue(sqlite3_value_text(value), sqlite3_value_bytes(value));
    default: {
        const char *bytes = static_cast<const char *>(sqlite3_value_blob(value));
        return Value::binary(QByteArray(bytes, sqlite3_value_bytes(value)));
    }
    }
}

void sqliteResult(sqlite3_context *context, const Value &value)
{
    switch (value.type()) {
    case Value::Type::Empty:
        sqlite3_result_text(context, "", 0, SQLITE_STATIC);
        return;
    case Value::Type::Null:
        sqlite3_result_null(context);
        return;
    case Value::Type::Boolean:
        sqlite3_result_int(context, value.asBoolean() ? -1 : 0);
        sqlite3_result_subtype(context, subtypeBoolean);
        return;
    case Value::Type::Integer:
        sqlite3_result_int(context, value.asInteger());
        return;
    case Value::Type::Long:
        sqlite3_result_int(context, value.asLong());
        return;
    case Value::Type::Single:
    case Value::Type::Double:
        sqlite3_result_double(context, value.toDouble());
        return;
    case Value::Type::Currency:
        sqlite3_result_double(context, numberOf(value));
        sqlite3_result_subtype(context, subtypeCurrency);
        return;
    case Value::Type::Date:
        sqlite3_result_double(context, value.asOleDate());
        sqlite3_result_subtype(context, subtypeDate);
        return;
    case Value::Type::Text: {
        const QByteArray utf8 = value.asText().toUtf8();
        sqlite3_result_text(context, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return;
    }
    case Value::Type::Binary: {
        const QByteArray &bytes = value.asBinary();
        sqlite3_result_blob(context, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        return;
    }
    }
}
