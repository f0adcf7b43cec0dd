#include "host/query/tableloader.h"

#include "host/query/sqlitedb.h"

namespace {

QString quoted(const QString &name)
{
    QString escaped = name;
    escaped.replace(u'"', QLatin1String("\"\""));
    return u'"' + escaped + u'"';
}

QString declaredType(QType type)
{
    switch (type) {
    case QType::Boolean:
    case QType::Integer:
    case QType::Long:
        return QStringLiteral("INTEGER");
    case QType::Single:
    case QType::Double:
    case QType::Currency:
    case QType::Date:
        return QStringLiteral("REAL");
    case QType::Text:
        return QStringLiteral("TEXT COLLATE JET");
    default:
        return QStringLiteral("BLOB");
    }
}

void loadTable(SqliteDb &db, const Database &database, const TableUse &use)
{
    QStringList columns, marks;
    for (const Field &f : use.fields) {
        columns << quoted(f.Name) + u' ' + declaredType(typeOfDao(f.Type));
        marks << QStringLiteral("?");
    }
    if (columns.isEmpty()) // Count(*) reads rows but no field
        columns << QStringLiteral("_ INTEGER");
    db.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(use.table), columns.join(u", ")));

    std::unique_ptr<RowCursor> rows = database.openRows(use.table);
    const QStringList names = rows->fieldNames();
    QList<qsizetype> positions;
    QList<QType> types;
    for (const Field &f : use.fields) {
        qsizetype at = -1;
        for (qsizetype i = 0; i < names.size() && at < 0; ++i) {
            if (names[i].compare(f.Name, Qt::CaseInsensitive) == 0)
                at = i;
        }
        if (at < 0)
            throw HostError(
                Err::ItemNotFound,
                QStringLiteral("Item not found in this collection: %1.%2").arg(use.table, f.Name));
        positions.append(at);
        types.append(typeOfDao(f.Type));
    }
    const QString insert =
        positions.isEmpty() ? QStringLiteral("INSERT INTO %1 VALUES (NULL)").arg(quoted(use.table))
                            : QStringLiteral("INSERT INTO %1 VALUES (%2)")
                                  .arg(quoted(use.table), marks.join(u", "));
    SqliteStatement statement(db, insert);
    while (rows->next()) {
        const QList<Value> row = rows->row();
        for (qsizetype i = 0; i < positions.size(); ++i)
            statement.bind(int(i) + 1,
                           valueOfType(row.value(positions[i], Value::null()), types[i]));
        statement.step();
        statement.reset();
    }
}

} // namespace

void loadTables(SqliteDb &db, const Database &database, const QList<TableUse> &tables)
{
    db.exec(QStringLiteral("BEGIN"));
    for (const TableUse &use : tables)
        loadTable(db, database, use);
    db.exec(QStringLiteral("COMMIT"));
}
