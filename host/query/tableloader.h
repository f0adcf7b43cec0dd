#pragma once

// Copies the tables a query reads into the query's SQLite database: only
// those tables and only the fields the query reads, streamed from
// Database::openRows through one prepared INSERT per table, all in one
// transaction. Text columns compare with the Jet collation; values are
// stored as host/query/querytypes.h says.

#include "host/objects/database.h"
#include "host/query/querytranslator.h"

class SqliteDb;

// Raises what openRows raises (3011 for a table whose rows cannot be read,
// 3049 on damage).
void loadTables(SqliteDb &db, const Database &database, const QList<TableUse> &tables);
