#pragma once

// The VBA functions Jet queries call, registered on the query connection
// as SQLite functions named "vb_" plus the lower-case VBA name, each with
// VBA's semantics: Null in an argument marked in `nullArgs` gives Null,
// errors are VBA's (CLng("x") raises 13, Left("a", -1) raises 5) and end
// the query with that number. IIf, Nz, Switch, Choose and IsNull are not
// here: the translator writes them as CASE and COALESCE so that only the
// branch taken is evaluated, as Jet does.
//
// Also registered: the operators that have no SQLite twin (vb_cat for &,
// vb_num for text in arithmetic, vb_add for + of unknown types, vb_div, vb_idiv, vb_mod, vb_pow,
// vb_like), the type tags vb_tag_date/vb_tag_currency/vb_tag_boolean (see host/query/sqlitedb.h)
// and the aggregates vb_first, vb_last, vb_stdev, vb_stdevp, vb_var, vb_varp.

#include "host/query/querytypes.h"
#include "host/vb/value.h"

#include <QList>
#include <QStringView>

class SqliteDb;

struct VbaFunction
{
    const char *name; // as VBA spells it
    int minArgs, maxArgs;
    QType result;       // Unknown with sameAsArg: the type of that argument
    int sameAsArg;      // -1 when result says it all
    unsigned nullArgs;  // bit i: Null in argument i gives Null
    bool deterministic; // false for Now, Date, Time
    Value (*call)(const QList<Value> &args);
};

// The function of that name (case-insensitive), or nullptr.
const VbaFunction *findVbaFunction(QStringView name);
// Sum, Avg, Count, Min, Max, First, Last, StDev, StDevP, Var, VarP.
bool isAggregateFunction(QStringView name);

void registerVbaFunctions(SqliteDb &db);
