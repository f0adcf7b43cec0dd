#include "host/query/resultcursor.h"

#include "host/query/sqlitedb.h"

QueryResultCursor::QueryResultCursor(std::shared_ptr<SqliteDb> db,
                                     std::unique_ptr<SqliteStatement> statement,
                                     QList<OutputColumn> columns)
    : m_db(std::move(db))
    , m_statement(std::move(statement))
    , m_columns(std::move(columns))
{
}

QueryResultCursor::~QueryResultCursor()
{
    m_statement.reset(); // finalized before its connection closes
}

QStringList QueryResultCursor::fieldNames() const
{
    QStringList names;
    for (const OutputColumn &c : m_columns)
        names << c.name;
    return names;
}

bool QueryResultCursor::next()
{
    if (!m_statement->step()) {
        m_row.clear();
        return false;
    }
    m_row.clear();
    m_row.reserve(m_columns.size());
    for (qsizetype i = 0; i < m_columns.size(); ++i)
        m_row.append(m_statement->column(int(i), m_columns[i].type));
    return true;
}

QList<Value> QueryResultCursor::row() const
{
    return m_row;
}
