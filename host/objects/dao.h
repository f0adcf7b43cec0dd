#pragma once

// The DAO objects of a target database, with the members the logic reads and
// the host's own collection order. They are plain values filled by a
// DatabaseSource (host/objects/source.h); the parts that cost a read of the file
// (a table's fields, indexes, properties and record count; a query's SQL and
// fields; a document's properties) are Lazy and loaded on first use.

#include "host/objects/lazy.h"
#include "host/objects/properties.h"
#include "host/vb/value.h"

#include <QList>
#include <QString>
#include <QStringList>

// DAO field type codes (Field.Type).
namespace DaoType {
inline constexpr qint16 Boolean = 1, Byte = 2, Integer = 3, Long = 4, Currency = 5, Single = 6,
                        Double = 7, Date = 8, Binary = 9, Text = 10, LongBinary = 11, Memo = 12,
                        Guid = 15, BigInt = 16, VarBinary = 17, Char = 18, Numeric = 19,
                        Decimal = 20, Float = 21, Time = 22, TimeStamp = 23, Attachment = 101,
                        ComplexText = 109;
}

// DAO TableDef.Attributes bits.
namespace DaoTableAttr {
inline constexpr qint32 SystemObject = qint32(0x80000002u), HiddenObject = 0x1,
                        AttachedTable = 0x40000000, AttachedODBC = 0x20000000,
                        AttachExclusive = 0x10000;
}

struct Field
{
    QString Name;
    qint16 Type = DaoType::Text;
    qint32 Size = 0;
    bool AllowZeroLength = false;
    Value DefaultValue = Value(QString());
    QString SourceField;
    QString SourceTable;
    QString ValidationRule;
    QString ValidationText;
    bool Required = false;
    bool DataUpdatable = false;
    ::Properties properties;

    const ::Properties &Properties() const { return properties; }
};

struct Index
{
    QString Name;
    bool Primary = false;
    bool Unique = false;
    QStringList Fields; // the index's field names, in key order
};

// What reading a table's definition costs: loaded on first use.
struct TableDetail
{
    qint32 RecordCount = 0;
    QList<Field> fields;
    QList<Index> indexes;
    ::Properties properties;
};

struct TableDef
{
    QString Name;
    Value DateCreated;
    Value LastUpdated;
    qint32 Attributes = 0;
    QString Connect;
    QString SourceTableName;
    bool Updatable = true;
    Lazy<TableDetail> detail;

    qint32 RecordCount() const { return detail.get().RecordCount; }
    const QList<Field> &Fields() const { return detail.get().fields; }
    const QList<Index> &Indexes() const { return detail.get().indexes; }
    const ::Properties &Properties() const { return detail.get().properties; }
};

struct QueryDetail
{
    QString SQL;
    QList<Field> fields;
    ::Properties properties;
};

struct QueryDef
{
    QString Name;
    qint16 Type = 0;
    Value DateCreated;
    Value LastUpdated;
    QString Connect;
    qint16 ODBCTimeout = 60;
    qint32 MaxRecords = 0;
    bool Updatable = true;
    qint32 RecordsAffected = 0;
    Lazy<QueryDetail> detail;

    const QString &SQL() const { return detail.get().SQL; }
    const QList<Field> &Fields() const { return detail.get().fields; }
    const ::Properties &Properties() const { return detail.get().properties; }
};

struct Document
{
    QString Name;
    Value DateCreated;
    Value LastUpdated;
    Lazy<::Properties> properties;

    const ::Properties &Properties() const { return properties.get(); }
};

struct Container
{
    QString Name;
    QList<Document> Documents;
};

// The database-level facts a source gives without walking its objects.
struct DatabaseSummary
{
    QString Name;    // full path
    QString Version; // "3.0" Jet 3, "4.0" Jet 4, ...
    qint16 QueryTimeout = 60;
    bool Updatable = true;
    ::Properties properties;
};
