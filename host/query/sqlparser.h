#pragma once

// A recursive-descent parser of the Jet SQL Access stores for saved
// queries: PARAMETERS, SELECT (DISTINCT, DISTINCTROW, TOP n [PERCENT]),
// FROM with nested INNER/LEFT/RIGHT JOINs as Access writes them, WHERE,
// GROUP BY, HAVING, ORDER BY, UNION [ALL], TRANSFORM ... PIVOT [IN (...)],
// and expressions with VBA's operator precedence.
//
//     SqlQueryPtr q = parseJetSql(def.SQL(), def.Name);
//
// Raises 31005 naming the query: syntax it cannot read, and statements that
// are not queries to run (INSERT, UPDATE, DELETE, SELECT ... INTO, DDL).

#include "host/query/sqlast.h"

SqlQueryPtr parseJetSql(const QString &sql, const QString &queryName);

// The name Access prompts with for a parameter reference: the parts joined
// by their separators, brackets dropped ("Forms!Sales Dialog!BeginningDate").
QString parameterName(const SqlExpr &name);
