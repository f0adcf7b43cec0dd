#pragma once

// vb_domain(aggregate, field, domain, criteria): DLookUp, DCount, DSum and
// the other domain functions, run per row on the query's own connection
// (the translator has copied the domain's tables with all their fields).
// Each distinct lookup is read, translated and prepared once per run.
// Criteria that name something that is no field raise 31005: there is
// nobody to ask for a parameter in the middle of a run.

class Database;
class SqliteDb;

// The database must outlive the connection.
void registerDomainFunctions(SqliteDb &db, const Database &database);
