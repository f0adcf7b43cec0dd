#pragma once

// The in-memory SQLite connection a query runs on, and its prepared
// statements, with Values bound and read back by QType. A SQLite failure
// becomes a HostError; a HostError raised inside one of our SQL functions
// (host/query/vbafunctions.h) is kept and raised again unchanged by the
// statement that ran it, so CLng(Null) still raises 94.

#include "host/query/querytypes.h"
#include "host/vb/errors.h"
#include "host/vb/value.h"

#include <memory>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_value;
struct sqlite3_context;

class SqliteDb
{
public:
    // Opens a private in-memory database with the Jet collation and the
    // VBA functions registered.
    SqliteDb();
    ~SqliteDb();
    SqliteDb(const SqliteDb &) = delete;
    SqliteDb &operator=(const SqliteDb &) = delete;

    sqlite3 *handle() const { return m_db; }
    void exec(const QString &sql);
    // Raises the kept function error if any, else 31009 with SQLite's text.
    [[noreturn]] void raise(const QString &what);
    // Keeps the first error a function raised on this thread until the
    // statement running it fails and raise() throws it.
    static void keepFunctionError(const HostError &error);
    // Keeps an object a registered function uses (and the statements it
    // prepares) until the connection closes; released first when it does.
    void attach(std::shared_ptr<void> object) { m_attached.push_back(std::move(object)); }

private:
    sqlite3 *m_db = nullptr;
    std::vector<std::shared_ptr<void>> m_attached;
};

class SqliteStatement
{
public:
    SqliteStatement(SqliteDb &db, const QString &sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    // 1-based as SQLite counts.
    void bind(int index, const Value &value);
    // The highest ?N the statement uses.
    int parameterCount() const;
    // Moves to the next row; false after the last.
    bool step();
    void reset();
    int columnCount() const;
    // The column as a Value of `type` (Unknown: as SQLite holds it).
    Value column(int index, QType type) const;

private:
    SqliteDb &m_db;
    sqlite3_stmt *m_stmt = nullptr;
    QString m_sql;
};

// Function arguments and results: Date, Currency and Boolean travel with a
// SQLite subtype so that a nested call still sees the Variant type.
Value sqliteArgument(sqlite3_value *value);
void sqliteResult(sqlite3_context *context, const Value &value);
// Value to the representation a column holds (see querytypes.h).
Value valueOfType(const Value &v, QType type);
