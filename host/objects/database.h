#pragma once

// Database is the DAO Database of an opened target: the source's summary,
// catalog and containers, each read once on first use and kept while the
// target stays open. Collections keep the source's order.

#include "host/objects/source.h"

#include <memory>
#include <optional>

class Database
{
public:
    explicit Database(std::shared_ptr<DatabaseSource> source);

    const QString &Name() const { return summary().Name; }
    const QString &Version() const { return summary().Version; }
    qint16 QueryTimeout() const { return summary().QueryTimeout; }
    bool Updatable() const { return summary().Updatable; }
    const ::Properties &Properties() const { return summary().properties; }
    // The one property this program writes, and only in the opened object:
    // the target file itself is never written.
    ::Properties &mutableProperties() { return m_summary.mutableGet().properties; }

    const QList<TableDef> &TableDefs() const { return m_tableDefs.get(); }
    const QList<QueryDef> &QueryDefs() const { return m_queryDefs.get(); }
    const QList<Container> &Containers() const { return m_containers.get(); }
    // Container by name; a missing one raises 3265.
    const Container &Containers(QStringView name) const;
    // Table by exact name; missing raises 3265.
    const TableDef &TableDefs(QStringView name) const;
    const QueryDef &QueryDefs(QStringView name) const;
    // The rows of a local table, streamed; see DatabaseSource::openRows.
    std::unique_ptr<RowCursor> openRows(const QString &table) const
    {
        return m_source->openRows(table);
    }

private:
    const DatabaseSummary &summary() const { return m_summary.get(); }

    std::shared_ptr<DatabaseSource> m_source;
    Lazy<DatabaseSummary> m_summary;
    Lazy<QList<TableDef>> m_tableDefs;
    Lazy<QList<QueryDef>> m_queryDefs;
    Lazy<QList<Container>> m_containers;
};
