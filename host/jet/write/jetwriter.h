#pragma once

// Writes a new Jet 4 .mdb file (4 KB pages, UTF-16 text) or Jet 3 file (2 KB
// pages, text in a code page such as CP932) from a description held in
// memory: user tables with rows and properties, saved queries, linked
// tables, relationships, the catalog documents of forms, reports, macros and
// modules, and the VBA project holding module code (Jet 4: MSysAccessObjects,
// Jet 3: MSysModules2; host/jet/write/vbawriter.h names the compiled parts Access
// adds that are not written). The file holds what the readers we check
// against (our JetSource, mdbtools, mdb-reader) look for: the masked header,
// the catalog and the other system tables, usage maps, long-value pages,
// property blobs, query rows, and the design streams of forms and reports
// as given (host/jet/write/designstoragewriter.h). Not written: permissions
// rows (MSysACEs stays empty), indexes of system tables, and indexes on
// memo, OLE, binary, GUID or Decimal columns (Text ones only under the
// General sort order, host/jet/write/jetindextext.cpp). Whether Access opens
// these files was not tested.
//
//     JetWriterDatabase db;
//     db.tables.append(...);
//     writeJetDatabase(db, path); // raises HostError 3000 on a bad description

#include "host/vb/value.h"

#include <QList>
#include <QString>
#include <QStringList>

// Jet column type codes the writer stores.
namespace JetType {
inline constexpr int Boolean = 1, Byte = 2, Integer = 3, Long = 4, Currency = 5, Single = 6,
                     Double = 7, DateTime = 8, Binary = 9, Text = 10, Ole = 11, Memo = 12,
                     Guid = 0x0F, Decimal = 0x10; // Decimal: Jet 4 only
// Fixed-length binary of `size` bytes: MSysAccessObjects.Data only.
inline constexpr int FixedBinary = 0x11;
} // namespace JetType

// One property of an object or column. jetType 0 takes the type Access
// gives the name (Description Memo, Required Boolean, ...), else one derived
// from the value.
struct JetWriterProperty
{
    QString name;
    Value value;
    int jetType = 0;
};

struct JetWriterColumn
{
    QString name;
    int type = JetType::Text;
    int size = 0;            // Text and Binary: characters / bytes (default 255)
    bool autoNumber = false; // Long only
    int precision = 18;      // Decimal: digits in all, 1 to 28
    int scale = 0;           // Decimal: digits after the point, 0 to precision
    QList<JetWriterProperty> properties;
};

// An index besides the primary key, on Byte, Integer or Long columns.
struct JetWriterIndex
{
    QString name;
    QStringList columns;    // key order
    QList<bool> descending; // per column; missing entries are ascending
    bool unique = false;
    bool ignoreNulls = false; // rows whose key columns are all NULL stay out
    bool required = false;    // no key column may be NULL
};

struct JetWriterTable
{
    QString name;
    QList<JetWriterColumn> columns;
    QStringList primaryKey; // column names
    QList<JetWriterIndex> indexes;
    QList<QList<Value>> rows; // one Value per column; Null/Empty = NULL
    // Rows written as Access leaves a deleted row until the file is
    // compacted: its bytes in place among the live rows, its offset flagged
    // deleted, in no index and no row count. Long values must fit inline.
    QList<QList<Value>> deletedRows;
    QList<JetWriterProperty> properties;
};

// A table of another database, linked by name.
struct JetWriterLink
{
    QString name;
    QString database; // path of the other file
    QString foreignName;
    QString connect; // empty for Jet links
};

struct JetWriterRelationship
{
    QString name;
    QString table, column;                     // the "many" side
    QString referencedTable, referencedColumn; // the primary side
    int flags = 0;                             // MSysRelationships.grbit
};

// A saved query as its structure; the kinds DDL, pass-through and union
// keep their SQL text.
struct JetWriterQuery
{
    enum Kind {
        Select = 1,
        MakeTable,
        Append,
        Update,
        Delete,
        Crosstab,
        DataDefinition,
        PassThrough,
        Union
    };
    struct Source
    {
        QString name, alias;
    };
    struct Join
    {
        QString left, right, on;
        int type = 1; // 1 inner, 2 left, 3 right
    };
    struct Output
    {
        QString expression, alias;
        QString target;    // append: target column; update: field being set
        int crosstab = -1; // 0 value, 1 column heading, 2 row heading
    };
    struct Parameter
    {
        QString name;
        int jetType = 0; // 0 untyped
        int size = 0;    // text size
    };
    struct Order
    {
        QString expression;
        bool descending = false;
    };

    QString name;
    Kind kind = Select;
    QList<Parameter> parameters;
    bool distinct = false, allFields = false;
    QString top; // "10", with percent for "10 PERCENT"
    bool topPercent = false;
    QList<Source> sources;
    QList<Join> joins;
    QList<Output> outputs;
    QString where, having;
    QList<QString> groupBy; // crosstab: the row groups; the pivot goes to pivot
    QString pivot;
    QList<Order> orderBy;
    QString target;         // make-table / append: target table
    QString sql;            // data definition and pass-through
    QString connect;        // pass-through
    QStringList unionParts; // union: the SELECT texts, in order
    bool unionAll = false;
    QList<JetWriterProperty> properties;
};

// A form, report, macro or module known to the catalog. A module always
// enters the VBA project; a form or report enters it as Form_<name> /
// Report_<name> when it has code.
struct JetWriterDocument
{
    enum Kind { Form, Report, Macro, Module };
    QString name;
    Kind kind = Form;
    QList<JetWriterProperty> properties;
    QString code;             // the visible VBA lines, without Attribute lines
    bool hasCode = false;     // forms and reports: a module exists, even if empty
    bool classModule = false; // modules: a class rather than a standard module
    // Forms and reports: the design stream Access stores (Jet 4: Blob in
    // MSysAccessObjects' compound file; Jet 3: MSysObjects.LvExtra, or
    // MSysModules2.Form for one with code); empty: none. Initialised here
    // so that brace lists naming the fields before it stay complete.
    QByteArray design{};
};

struct JetWriterDatabase
{
    // 4: Access 2000 format, 4 KB pages, UTF-16 text, VBA in MSysAccessObjects.
    // 3: Access 97, 2 KB pages, text in `codePage`, VBA in MSysModules2.
    int version = 4;
    quint16 codePage = 1252;  // Jet 3 text: 1252, 932, ...
    int sortOrder = 0x0409;   // LCID of the text sort order (Japanese: 0x0411)
    double created = 45293.0; // OLE date of creation (and of every object)
    QList<JetWriterTable> tables;
    QList<JetWriterLink> links;
    QList<JetWriterRelationship> relationships;
    QList<JetWriterQuery> queries;
    QList<JetWriterDocument> documents;
    QList<JetWriterProperty> properties; // MSysDb; AccessVersion is added
    QList<JetWriterProperty> summary;    // SummaryInfo (Title, Author, ...)
    QString vbaProjectName = QStringLiteral("Database");
    // Of module names and source text; 0 takes a Jet 3 file's code page,
    // and for Jet 4 picks 1252 when all of it fits there, else 932.
    quint16 vbaCodePage = 0;
};

// Writes the database to path, replacing a file there. Raises HostError
// 3000 with a message naming the object when the description is not
// writable, 3044 when the file cannot be written.
void writeJetDatabase(const JetWriterDatabase &db, const QString &path);

// The bytes writeJetDatabase would write.
QByteArray buildJetDatabase(const JetWriterDatabase &db);
