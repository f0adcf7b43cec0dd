#pragma once

// JetSource is the DatabaseSource of a real Jet 3, Jet 4 or ACE file, read
// directly (libmdb for pages and rows, the rest decoded here). Opening reads
// the header and the catalog (MSysObjects); table definitions, query SQL and
// property collections are read on first use.
//
//     Application target(JetSource::opener());
//
// The file is opened read-only and never written.

#include "host/jet/jetoptions.h"
#include "host/objects/source.h"

#include <memory>

class JetFile;
class JetTable;
struct JetCatalog;

// Reads the rows of one local table in storage order as typed Values: memo
// as text and OLE as raw bytes (both read whole, not cut at a buffer size),
// Currency as exact ten-thousandths, dates as OLE dates, Yes/No as Boolean,
// Byte as Integer, GUIDs as "{...}" text, Decimal as the nearest Double
// (text() gives its exact digits).
class JetTableReader
{
public:
    explicit JetTableReader(std::shared_ptr<JetTable> table);

    QStringList fieldNames() const;
    // Moves to the next row; false after the last. Raises 3049 on damage.
    bool next();
    Value value(int field) const;
    // The value as text (empty when null); Decimal with all its digits.
    QString text(int field) const;
    QList<Value> row() const;

private:
    std::shared_ptr<JetTable> m_table;
};

class JetSource : public DatabaseSource
{
public:
    // Raises 3024 (missing), 3051 (cannot be read), 3343 (not a database),
    // 3049 (damaged) or 31002 (Office-encrypted).
    static std::shared_ptr<JetSource> open(const QString &path,
                                           const JetOptions &options = JetOptions());
    static SourceOpener opener(const JetOptions &options = JetOptions());

    DatabaseSummary summary() override;
    QList<TableDef> tableDefs() override;
    QList<QueryDef> queryDefs() override;
    QList<Container> containers() override;
    std::unique_ptr<RowCursor> openRows(const QString &table) override;

    // The rows of a local table; raises 3011 when there is no such table.
    JetTableReader readTable(const QString &name) const;

private:
    JetSource() = default;

    std::shared_ptr<JetFile> m_file;
    std::shared_ptr<JetCatalog> m_catalog;
};
