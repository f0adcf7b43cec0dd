#include "host/store/recordset.h"

#include "host/store/store.h"
#include "host/store/storedates.h"
#include "host/vb/errors.h"
#include "host/vb/vb.h"

#include <QSqlDriver>
#include <sqlite3.h>

namespace {

sqlite3 *handleOf(QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

QString messageOf(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// As Qt's SQLite driver binds them, so that a row reads back the same.
int bind(sqlite3_stmt *statement, int position, const QVariant &value)
{
    if (value.isNull())
        return sqlite3_bind_null(statement, position);
    switch (value.typeId()) {
    case QMetaType::Int:
        return sqlite3_bind_int(statement, position, value.toInt());
    case QMetaType::LongLong:
        return sqlite3_bind_int64(statement, position, value.toLongLong());
    case QMetaType::Double:
        return sqlite3_bind_double(statement, position, value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray &bytes = *static_cast<const QByteArray *>(value.constData());
        return sqlite3_bind_blob(statement, position, bytes.constData(), int(bytes.size()),
                                 SQLITE_STATIC);
    }
    case QMetaType::QString: {
        // The pending value outlives the step, so SQLite need not copy it.
        const QString &text = *static_cast<const QString *>(value.constData());
        return sqlite3_bind_text16(statement, position, text.utf16(),
                                   int(text.size() * sizeof(QChar)), SQLITE_STATIC);
    }
    default: {
        const QString text = value.toString();
        return sqlite3_bind_text16(statement, position, text.utf16(),
                                   int(text.size() * sizeof(QChar)), SQLITE_TRANSIENT);
    }
    }
}

} // namespace

void Recordset::Finalize::operator()(sqlite3_stmt *statement) const
{
    sqlite3_finalize(statement);
}

Recordset::Recordset(Store &store, QString table, QList<Column> columns)
    : m_store(store)
    , m_table(std::move(table))
    , m_columns(std::move(columns))
    , m_pending(m_columns.size())
{
    if (m_columns.size() > 255)
        throw HostError(Err::Unexpected,
                        QStringLiteral("The store table %1 has more than 255 fields").arg(m_table));
}

int Recordset::columnIndex(const QString &field) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].name == field)
            return i;
    }
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].name.compare(field, Qt::CaseInsensitive) == 0) // Jet ignores case
            return i;
    }
    throw HostError::itemNotFound(QStringLiteral("%1.Fields").arg(m_table), field);
}

void Recordset::AddNew()
{
    clearRow();
    m_adding = true;
}

void Recordset::clearRow()
{
    for (char i : std::as_const(m_assignedOrder))
        m_pending[quint8(i)] = QVariant();
    m_assignedOrder.clear();
    m_adding = false;
}

void Recordset::setField(const QString &field, const Value &value)
{
    const int index = columnIndex(field);
    if (!m_adding)
        throw HostError(
            Err::UpdateWithoutAddNew,
            QStringLiteral("Update or CancelUpdate without AddNew or Edit on %1").arg(m_table));
    QVariant stored = toStored(m_columns[index], value);
    if (!m_assignedOrder.contains(char(index)))
        m_assignedOrder.append(char(index));
    m_pending[index] = std::move(stored);
}

Value Recordset::field(const QString &field) const
{
    const int index = columnIndex(field);
    const Column &c = m_columns[index];
    return toValue(c.type,
                   m_assignedOrder.contains(char(index)) ? m_pending[index] : c.defaultValue);
}

void Recordset::Update(int /*updateType*/, bool /*force*/)
{
    if (!m_adding)
        throw HostError(
            Err::UpdateWithoutAddNew,
            QStringLiteral("Update or CancelUpdate without AddNew or Edit on %1").arg(m_table));
    m_store.beginWrite();
    // Qt's binding looks every value up by a formatted name, which cost more
    // than the insert itself on a large harvest: rows go to SQLite directly.
    sqlite3_stmt *insert = insertFor(m_assignedOrder);
    int result = SQLITE_OK;
    for (int i = 0; i < m_assignedOrder.size() && result == SQLITE_OK; ++i)
        result = bind(insert, i + 1, m_pending[quint8(m_assignedOrder[i])]);
    if (result == SQLITE_OK)
        result = sqlite3_step(insert);
    sqlite3_reset(insert);
    if (result != SQLITE_DONE)
        m_store.raise(QStringLiteral("add a row to %1").arg(m_table),
                      messageOf(sqlite3_db_handle(insert)));
    clearRow();
}

sqlite3_stmt *Recordset::insertFor(const QByteArray &columns)
{
    auto it = m_inserts.find(columns);
    if (it != m_inserts.end())
        return it->second.get();
    QString sql;
    if (columns.isEmpty()) {
        sql = QStringLiteral("INSERT INTO \"%1\" DEFAULT VALUES").arg(m_table);
    } else {
        QStringList names, marks;
        for (char i : columns) {
            names << QLatin1Char('"') + m_columns[quint8(i)].name + QLatin1Char('"');
            marks << QStringLiteral("?");
        }
        sql = QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                  .arg(m_table, names.join(u','), marks.join(u','));
    }
    sqlite3 *db = handleOf(m_store.connection());
    if (!db)
        m_store.raise(QStringLiteral("prepare a row of %1").arg(m_table),
                      QStringLiteral("the connection is not SQLite's"));
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        m_store.raise(QStringLiteral("prepare a row of %1").arg(m_table), messageOf(db));
    }
    m_inserts[columns].reset(statement);
    return statement;
}

QVariant Recordset::toStored(const Column &c, const Value &value) const
{
    if (value.isNull())
        return QVariant();
    switch (c.type) {
    case ColumnType::SmallInt:
        return int(vb::CInt(value));
    case ColumnType::Integer:
        return int(vb::CLng(value));
    case ColumnType::Double:
        return vb::CDbl(value);
    case ColumnType::Boolean:
        if (value.isText()) {
            const QString t = value.asText().trimmed();
            if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
                return -1;
            if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
                return 0;
        }
        return vb::CDbl(value) != 0 ? -1 : 0;
    case ColumnType::DateTime:
        if (value.isText())
            throw HostError(Err::TypeMismatch,
                            QStringLiteral("Type mismatch: text assigned to the date field %1.%2")
                                .arg(m_table, c.name));
        return storedDateText(vb::CDbl(value));
    case ColumnType::Text: {
        // An empty text stays a text: only Null is NULL.
        const QString text = vb::CStr(value);
        return text.isNull() ? QString(QLatin1String("")) : text;
    }
    case ColumnType::Untyped:
        break;
    }
    // A field kept "as returned": numbers stay numbers, the rest is its text.
    switch (value.type()) {
    case Value::Type::Integer:
    case Value::Type::Long:
        return qlonglong(vb::CLng(value));
    case Value::Type::Single:
    case Value::Type::Double:
    case Value::Type::Currency:
        return vb::CDbl(value);
    case Value::Type::Binary:
        return value.asBinary();
    default:
        return vb::CStr(value);
    }
}

Value Recordset::toValue(ColumnType type, const QVariant &stored)
{
    if (stored.isNull() || !stored.isValid())
        return Value::null();
    switch (type) {
    case ColumnType::SmallInt:
        return Value::integer(qint16(stored.toInt()));
    case ColumnType::Integer:
        return Value::longInt(stored.toInt());
    case ColumnType::Double:
        return Value::dbl(stored.toDouble());
    case ColumnType::Boolean:
        return Value::boolean(stored.toInt() != 0);
    case ColumnType::DateTime:
        if (const auto ole = oleDateOfStored(stored.toString()))
            return Value::date(*ole);
        return Value::date(stored.toDouble()); // a default given as a number
    case ColumnType::Text:
        return Value(stored.toString());
    case ColumnType::Untyped:
        break;
    }
    switch (stored.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
        return Value::longInt(stored.toInt());
    case QMetaType::Double:
        return Value::dbl(stored.toDouble());
    case QMetaType::QByteArray:
        return Value::binary(stored.toByteArray());
    default:
        return Value(stored.toString());
    }
}
