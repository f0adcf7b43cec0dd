#pragma once

// Jet keeps a saved query as rows of MSysQueries (its structure: tables,
// joins, output columns, clauses), not as SQL text, except for union,
// pass-through and data-definition queries. buildQuerySql puts the text back
// together the way the SQL view shows it: one clause per line, lines joined
// by CR LF as DAO's QueryDef.SQL returns them, ";" at the end.

#include <QList>
#include <QString>
#include <QStringList>

// One MSysQueries row.
struct JetQueryRow
{
    int attribute = 0;
    QString name1;
    QString name2;
    QString expression;
    int flag = 0;
    int extra = 0; // Jet 4 LvExtra: a text parameter's size
};

// The query kinds as the Attribute-1 row's Flag stores them.
namespace JetQueryKind {
inline constexpr int Select = 1, MakeTable = 2, Append = 3, Update = 4, Delete = 5, Crosstab = 6,
                     DataDefinition = 7, PassThrough = 8, Union = 9;
}

// The kind stored in the rows, else the one implied by the DAO type.
int queryKind(const QList<JetQueryRow> &rows, int daoType);
// DAO QueryDef.Type for a kind.
int daoQueryType(int kind);

// The SQL text of one query; rows in storage order. Jet 3 stores no size
// for text parameters; Jet 4 and later show "Text ( 255 )" by default.
QString buildQuerySql(const QList<JetQueryRow> &rows, int daoType, bool jet3 = false);

// The connect string of a pass-through query ("ODBC;..."), else empty.
QString queryConnect(const QList<JetQueryRow> &rows);

// One output column of a select-like query, for typing its Field.
struct JetQueryOutput
{
    QString name;       // alias, or the column name of a plain reference
    QString expression; // as stored
    QString table;      // for a plain column reference: the table or query name
    QString column;     // ... and the column; "*" for Table.* and SELECT *
};

// Output columns of select, make-table and crosstab queries (crosstab: the
// row headings; the pivoted columns depend on the data). Action, union,
// pass-through and data-definition queries have none.
QList<JetQueryOutput> queryOutputs(const QList<JetQueryRow> &rows, int daoType);

// Brackets a name when it is not a plain identifier ("Order Details" ->
// "[Order Details]"); names already in brackets stay as they are.
QString bracketName(const QString &name);
