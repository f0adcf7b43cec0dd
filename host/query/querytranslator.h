#pragma once

// Turns the parsed Jet SQL of a saved query (host/query/sqlast.h) into
// SQLite SQL over the tables the loader copies (host/query/tableloader.h).
// Names are resolved here, as Jet resolves them: a field of one of the
// query's sources, then an output alias, then a field of an enclosing
// query; a name that is none of these is a parameter. Saved queries used as
// sources become nested subqueries (a cycle is refused); the expressions'
// types are followed so that results come back as the Variants Jet gives.
//
// Every SELECT is written with its output columns named c0, c1, ...; its
// Access names and types are in TranslatedSelect::columns.

#include "host/objects/database.h"
#include "host/query/querytypes.h"
#include "host/query/sqlast.h"

#include <QHash>
#include <QSet>

struct OutputColumn
{
    QString name; // as Access names it: alias, field name or Expr1000
    QType type = QType::Unknown;
};

struct TranslatedSelect
{
    QString sql;
    QList<OutputColumn> columns;
};

// A parameter of the run, asked once: declared ones first, then the others
// in the order they were met.
struct QueryParameterSlot
{
    QString name;
    QString declaredType; // empty when not declared
    QType type = QType::Unknown;
};

// A table the query reads, with the fields it reads (Field order of the table).
struct TableUse
{
    QString table;
    QList<Field> fields;
};

// A crosstab split in two: the pivot values are read first (unless an IN
// list gives them), then the rows with one column per value.
struct CrosstabPlan
{
    QString pivotValuesSql; // empty when the IN list gives the values
    QType pivotType = QType::Unknown;
    QList<Value> inValues;
};

class QueryTranslator
{
public:
    explicit QueryTranslator(const Database &database);

    // Select or union query by name. Raises 3011 (no such query), 31005.
    TranslatedSelect translate(const QString &queryName);
    // A SELECT that is no saved query (a domain function's lookup), named
    // `name` in errors.
    TranslatedSelect translateSql(const QString &sql, const QString &name);
    // A crosstab: the plan, then crosstabSelect() with the values read.
    CrosstabPlan planCrosstab(const QString &queryName);
    TranslatedSelect crosstabSelect(const QList<Value> &pivotValues);

    const QList<QueryParameterSlot> &parameters() const { return m_parameters; }
    QList<TableUse> tableUses() const;

private:
    struct Sql
    {
        QString text;
        QType type = QType::Unknown;
        bool predicate = false; // 1/0 from a comparison, not Jet's -1/0
        QString field;          // a plain field reference: the field's name
        QString source;         // and the name of its source
        QString chain;          // a flat chain of this operator ("AND", "+-", "&")
        QString bare;           // its terms without the enclosing parentheses
    };
    static Sql plainSql(const QString &text, QType type)
    {
        Sql s;
        s.text = text;
        s.type = type;
        return s;
    }
    struct Source
    {
        QString name;     // as the SQL refers to it: alias, table or query name
        QString sqlAlias; // s0, s1, ...
        QString table;    // the table's exact name; empty for a subquery
        QList<Field> tableFields;
        QList<OutputColumn> columns; // a subquery's columns c0, c1, ...
    };
    struct Scope
    {
        QList<Source> sources;
        Scope *outer = nullptr;
        // Output aliases visible to later expressions: name, translated SQL.
        QList<QPair<QString, Sql>> aliases;
        bool aggregatesAllowed = false;
        QSet<int> *contributions = nullptr; // sources the select list reads
    };

    // Queries.
    const QueryDef &queryDef(const QString &name) const;
    SqlQueryPtr parseSaved(const QueryDef &def);
    TranslatedSelect translateQuery(const SqlQuery &query, Scope *outer);
    TranslatedSelect translateSelect(const SqlSelect &select, Scope *outer);
    TranslatedSelect translateUnion(const SqlQuery &query, Scope *outer);
    void declareParameters(const SqlQuery &query);

    // Sources.
    QString translateSource(const SqlSource &source, Scope &scope);
    QString translateNamedSource(const SqlSource &source, Scope &scope);

    // Expressions (host/query/exprtranslator.cpp).
    Sql translateExpr(const SqlExpr &e, Scope &scope);
    Sql translateName(const SqlExpr &e, Scope &scope);
    Sql translateCall(const SqlExpr &e, Scope &scope);
    Sql translateBinary(const SqlExpr &e, Scope &scope);
    Sql translateAggregate(const SqlExpr &e, Scope &scope);
    Sql translateDomain(const SqlExpr &e, const QString &aggregate, Scope &scope);
    Sql coerced(const Sql &s, QType other);
    Sql comparison(const Sql &a, const QString &op, const Sql &b);
    Sql parameter(const QString &name);
    std::optional<Sql> fieldOf(Scope &scope, const QString &qualifier, const QString &field,
                               bool searchOuter);
    Sql columnRef(const Source &source, qsizetype index);
    static QString valueOf(const Sql &s);  // predicates become -1/0
    static QString tagged(const Sql &s);   // the value with its Variant type tag
    static QString collated(const Sql &s); // text compares with the Jet collation
    [[noreturn]] void unsupported(const QString &construct) const;

    const Database &m_database;
    QStringList m_queryStack; // saved queries being translated, for cycles
    QString m_currentQuery;
    QList<SqlParameter> m_declared; // PARAMETERS of every query met
    QList<QueryParameterSlot> m_parameters;
    QHash<QString, TableUse> m_tables; // key: lower-case table name
    int m_nextAlias = 0;
    int m_aggregates = 0; // aggregate calls translated so far
    // Crosstab state between planCrosstab and crosstabSelect.
    SqlQueryPtr m_crosstab;
    const QString *m_pivotFilter = nullptr;
};
