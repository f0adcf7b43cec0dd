#pragma once

// The RowCursor over a query's result: it owns the query's SQLite
// database and the prepared statement, and turns each column back into
// the Variant type the translator found (a REAL in a Date column is a
// Date again). Rows are read one at a time from SQLite.

#include "host/objects/source.h"
#include "host/query/querytranslator.h"

#include <memory>

class SqliteDb;
class SqliteStatement;

class QueryResultCursor : public RowCursor
{
public:
    // The statement must belong to db; the cursor keeps both alive.
    QueryResultCursor(std::shared_ptr<SqliteDb> db, std::unique_ptr<SqliteStatement> statement,
                      QList<OutputColumn> columns);
    ~QueryResultCursor() override;

    QStringList fieldNames() const override;
    bool next() override;
    QList<Value> row() const override;
    // The column types, for callers that want to know them before the first row.
    const QList<OutputColumn> &columns() const { return m_columns; }

private:
    std::shared_ptr<SqliteDb> m_db;
    std::unique_ptr<SqliteStatement> m_statement;
    QList<OutputColumn> m_columns;
    QList<Value> m_row;
};
