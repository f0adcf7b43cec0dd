#pragma once

// How the host reaches the rows of a saved query: the query engine
// (host/query) implements it, app/ wires it into the Application, so the
// object model never includes the engine.

#include "host/objects/source.h"

#include <functional>
#include <memory>

class Database;

// Asks for the value of one parameter of a query, as Access prompts for it:
// the parameter's name and its declared type ("Text", "Long", "DateTime",
// ...; empty when the query does not declare it). Raises 2501 when the
// user cancels.
using ParameterPrompt = std::function<Value(const QString &name, const QString &declaredType)>;

// Runs the saved select, crosstab or union query of the current database
// and streams its result rows. Raises HostError: 3011 no such query, 31005
// a query this build never runs (action, pass-through) or a construct it
// does not support, naming it.
using QueryRunner = std::function<std::unique_ptr<RowCursor>(
    const Database &database, const QString &query, const ParameterPrompt &prompt)>;

// Runs SQL text (a SELECT or UNION over the current database's tables and
// queries) as QueryRunner runs a saved query.
using SqlRunner = std::function<std::unique_ptr<RowCursor>(
    const Database &database, const QString &sql, const ParameterPrompt &prompt)>;
