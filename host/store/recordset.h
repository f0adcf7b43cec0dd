#pragma once

// Recordset is a dynaset on one store table, as a harvester uses it: AddNew,
// assignment of fields by name, reading back a field of the row being added,
// Update. Rows are appended inside the store's open transaction. Values are
// converted by the column's declared type (see schema.sql) when assigned, so
// a value that does not fit raises at the assignment, as DAO does.

#include "host/vb/value.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <map>
#include <memory>

class Store;
struct sqlite3_stmt;

class Recordset
{
public:
    enum class ColumnType { Untyped, SmallInt, Integer, Double, Boolean, DateTime, Text };
    struct Column
    {
        QString name;
        ColumnType type;
        QVariant defaultValue;
    };

    // Opened by Store::OpenRecordset; the store outlives its recordsets.
    Recordset(Store &store, QString table, QList<Column> columns);

    const QString &name() const { return m_table; }

    // Starts a new row with every field at the table's default; a row being
    // added and not yet updated is dropped, as DAO does.
    void AddNew();
    // Assigns a field of the row being added. An unknown field raises 3265;
    // no row being added raises 3020; a value the column cannot hold raises
    // 6 (overflow) or 13 (type mismatch).
    void setField(const QString &field, const Value &value);
    // Value of a field of the row being added: what was assigned or the
    // table's default.
    Value field(const QString &field) const;
    // Appends the row (update type 1, force False as designed); without
    // AddNew raises 3020.
    void Update(int updateType = 1, bool force = false);

private:
    void clearRow();
    // The column's position; an unknown field raises 3265.
    int columnIndex(const QString &field) const;
    QVariant toStored(const Column &column, const Value &value) const;
    static Value toValue(ColumnType type, const QVariant &stored);
    sqlite3_stmt *insertFor(const QByteArray &columns);

    Store &m_store;
    QString m_table;
    QList<Column> m_columns;
    bool m_adding = false;
    // The row being added: the columns assigned, in the order of their first
    // assignment (one byte each: the column's position), and their values.
    QByteArray m_assignedOrder;
    QList<QVariant> m_pending; // by column position
    struct Finalize
    {
        void operator()(sqlite3_stmt *statement) const;
    };
    // One prepared statement per set of fields.
    std::map<QByteArray, std::unique_ptr<sqlite3_stmt, Finalize>> m_inserts;
};
