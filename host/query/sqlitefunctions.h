#pragma once

// What the SQL functions of the query connection share: the guard that
// turns a HostError into a SQLite error (kept for SqliteDb::raise), the
// arguments as Values, and the registration of the operators and
// aggregates beside the VBA functions.

#include "host/query/sqlitedb.h"

#include <QList>
#include <sqlite3.h>

template <typename F> void guardedCall(sqlite3_context *context, F &&f)
{
    try {
        f();
    } catch (const HostError &e) {
        SqliteDb::keepFunctionError(e);
        const QByteArray message = e.description().toUtf8();
        sqlite3_result_error(context, message.constData(), int(message.size()));
    }
}

inline QList<Value> argumentsOf(int argc, sqlite3_value **argv)
{
    QList<Value> args;
    args.reserve(argc);
    for (int i = 0; i < argc; ++i)
        args.append(sqliteArgument(argv[i]));
    return args;
}

// vb_cat, vb_num, vb_add, vb_div, vb_idiv, vb_mod, vb_pow, vb_like and the type tags.
void registerVbaOperators(sqlite3 *db);
// vb_first, vb_last, vb_stdev, vb_stdevp, vb_var, vb_varp.
void registerVbaAggregates(sqlite3 *db);
