#pragma once

// DatabaseSource fills the DAO side of one opened target. JetSource
// (host/jet) reads real files; FixtureSource builds a database in code for
// tests and benchmarks. Each call is made once per opened target and its
// result kept by Database; sources may fill Lazy parts to load later.
// Every method may raise HostError (3049 for damage found while reading).

#include "host/objects/dao.h"

#include <memory>

// The rows of one table, read one at a time so that a table of any size
// streams. Values are typed as DAO hands them out.
class RowCursor
{
public:
    virtual ~RowCursor() = default;
    virtual QStringList fieldNames() const = 0;
    // Moves to the next row; false after the last. Raises 3049 on damage.
    virtual bool next() = 0;
    virtual QList<Value> row() const = 0;
};

class DatabaseSource
{
public:
    virtual ~DatabaseSource() = default;

    virtual DatabaseSummary summary() = 0;
    // Catalog order, system tables included.
    virtual QList<TableDef> tableDefs() = 0;
    virtual QList<QueryDef> queryDefs() = 0;
    // "Forms", "Reports", "Scripts", "Modules", "Tables", ... with documents
    // in the catalog's order.
    virtual QList<Container> containers() = 0;
    // The rows of a local table; a table whose rows this source cannot give
    // (a linked table, no such table) raises 3011.
    virtual std::unique_ptr<RowCursor> openRows(const QString &table) = 0;
};

// Opens a path as a new source, or raises (3024 missing, 3343 not a
// database, 3049 damaged, 3051/3356 locked, 31002 encrypted).
using SourceOpener = std::function<std::shared_ptr<DatabaseSource>(const QString &path)>;
