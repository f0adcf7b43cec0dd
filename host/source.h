#pragma once

// DatabaseSource fills the DAO side of one opened target. JetSource
// (host/jet) reads real files; FixtureSource builds a database in code for
// tests and benchmarks. Each call is made once per opened target and its
// result kept by Database; sources may fill Lazy parts to load later.
// Every method may raise HostError (3049 for damage found while reading).

#include "host/dao.h"

#include <memory>

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
};

// Opens a path as a new source, or raises (3024 missing, 3343 not a
// database, 3049 damaged, 3051/3356 locked, 31002 encrypted).
using SourceOpener = std::function<std::shared_ptr<DatabaseSource>(const QString &path)>;
