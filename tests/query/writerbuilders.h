#pragma once

// Short builders of the Jet writer's columns and query outputs, for the
// query tests and the query benchmark that write their databases in code.

#include "host/jet/write/jetwriter.h"

inline JetWriterColumn column(const QString &name, int type, int size = 0)
{
    JetWriterColumn c;
    c.name = name;
    c.type = type;
    c.size = size;
    return c;
}

inline JetWriterQuery::Output output(const QString &expression, const QString &alias = QString())
{
    JetWriterQuery::Output o;
    o.expression = expression;
    o.alias = alias;
    return o;
}
