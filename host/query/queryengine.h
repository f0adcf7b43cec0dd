#pragma once

// The query engine: runs a saved select, union, crosstab or parameter
// query of a target and streams its rows. Each run loads the tables the
// query reads into a private in-memory SQLite database (nothing is
// written back) and runs the query translated to SQLite SQL there.
//
//     auto rows = runSavedQuery(db, "Invoices", prompt);
//     while (rows->next()) sink.row(rows->row());
//
// Raises HostError: 3011 when there is no such query or a table it reads
// is missing; 31005 for an action, pass-through or data-definition query
// and for a construct this build does not run, naming it; 2501 (from the
// prompt) when the user cancels a parameter; and the VBA error a function
// raises on a row (94, 13, 6, 11, ...). Never a partial or wrong result
// without an error.

#include "host/objects/database.h"
#include "host/objects/queryrunner.h"

#include <memory>

struct QueryParameter
{
    QString name;
    QString declaredType; // as PARAMETERS gives it; empty when undeclared
};

// Matches QueryRunner. The prompt is asked once per parameter, declared
// ones first in declaration order, then the others in the order they are
// used; each answer is converted to the declared type. The cursor owns the
// run's SQLite database; it must not outlive `database` (domain functions
// read it while rows are stepped).
std::unique_ptr<RowCursor> runSavedQuery(const Database &database, const QString &query,
                                         const ParameterPrompt &prompt);

// A SELECT or UNION written as SQL text, as a form's record source or a
// list's row source holds it; run as a saved query would be. Matches
// SqlRunner.
std::unique_ptr<RowCursor> runSqlText(const Database &database, const QString &sql,
                                      const ParameterPrompt &prompt);

// The parameters runSavedQuery would ask for, in the same order, without
// reading any table.
QList<QueryParameter> queryParameters(const Database &database, const QString &query);
