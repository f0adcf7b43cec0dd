#pragma once

// The tree the Jet SQL parser builds (host/query/sqlparser.h) and the
// translator walks: expressions, sources of a FROM clause, SELECT
// statements and the three query shapes that run (select, union,
// crosstab). Nodes are shared, immutable once parsed.

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

struct SqlSelect;
struct SqlQuery;

struct SqlExpr
{
    enum class Kind {
        Number,   // number, integer
        Text,     // text
        Date,     // number: the OLE date of a #...# literal
        Boolean,  // number: -1 or 0 (True, False, Yes, No, On, Off)
        Null,     //
        Name,     // parts, separators: Orders.OrderID, Forms!F!C, [Beginning Date]
        Star,     // parts: the qualifier of Orders.*, empty for *
        Unary,    // op ("-", "+", "Not"), args[0]
        Binary,   // op, args[0], args[1]
        Call,     // op: the function name as written, args
        Between,  // args: value, low, high; negated
        InList,   // args: value, then the list; negated
        InSelect, // args[0] value, subquery; negated
        IsNull,   // args[0]; negated for Is Not Null
        Like,     // args: value, pattern; negated
        Subquery, // subquery: a scalar (SELECT ...)
        Exists,   // subquery; negated
    };
    Kind kind = Kind::Null;
    QString op;
    QString text;
    double number = 0;
    bool integer = false;
    bool negated = false;
    QStringList parts;
    QString separators; // one '.' or '!' between each pair of parts
    QList<std::shared_ptr<SqlExpr>> args;
    std::shared_ptr<SqlSelect> subquery;
    QString source; // the expression as written, for error texts
};
using SqlExprPtr = std::shared_ptr<SqlExpr>;

struct SqlSource
{
    enum class Kind { Table, Derived, Join };
    enum class JoinType { Inner, Left, Right };
    Kind kind = Kind::Table;
    QString name;     // Table: the table or saved query as written
    QString alias;    // Table, Derived: AS name (may be empty for Table)
    QString external; // Table: IN 'other.mdb' (not run)
    std::shared_ptr<SqlQuery> derived;
    JoinType joinType = JoinType::Inner;
    std::shared_ptr<SqlSource> left, right;
    SqlExprPtr on;
};
using SqlSourcePtr = std::shared_ptr<SqlSource>;

struct SqlSelectItem
{
    SqlExprPtr expr;
    QString alias;
};

struct SqlOrder
{
    SqlExprPtr expr;
    bool descending = false;
};

struct SqlSelect
{
    bool distinct = false;
    bool distinctRow = false;
    std::optional<double> top;
    bool topPercent = false;
    QList<SqlSelectItem> items;
    QList<SqlSourcePtr> from; // comma-separated: a cross product
    SqlExprPtr where;
    QList<SqlExprPtr> groupBy;
    SqlExprPtr having;
    QList<SqlOrder> orderBy;
    QString intoTable; // SELECT ... INTO: a make-table query
};
using SqlSelectPtr = std::shared_ptr<SqlSelect>;

struct SqlParameter
{
    QString name; // as Access prompts for it: Forms!F!C, Beginning Date
    QString type; // "DateTime", "Text", ... as written; empty when untyped
};

struct SqlQuery
{
    enum class Kind { Select, Union, Crosstab };
    Kind kind = Kind::Select;
    QList<SqlParameter> parameters;
    // Select and Crosstab: the statement. Union: its parts, in order.
    QList<SqlSelectPtr> parts;
    QList<bool> unionAll;       // between parts[i] and parts[i+1]
    QList<SqlOrder> unionOrder; // ORDER BY of the whole union
    // Crosstab.
    SqlExprPtr transform;
    QString transformAlias;
    SqlExprPtr pivot;
    QList<SqlExprPtr> pivotIn;
};
using SqlQueryPtr = std::shared_ptr<SqlQuery>;
