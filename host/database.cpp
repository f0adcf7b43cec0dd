#include "host/database.h"

#include "host/errors.h"

Database::Database(std::shared_ptr<DatabaseSource> source)
    : m_source(std::move(source))
{
    DatabaseSource *s = m_source.get();
    m_summary = Lazy<DatabaseSummary>::deferred([s] { return s->summary(); });
    m_tableDefs = Lazy<QList<TableDef>>::deferred([s] { return s->tableDefs(); });
    m_queryDefs = Lazy<QList<QueryDef>>::deferred([s] { return s->queryDefs(); });
    m_containers = Lazy<QList<Container>>::deferred([s] { return s->containers(); });
}

namespace {
template <typename T>
const T &byName(const QList<T> &items, QStringView name, QStringView collection)
{
    for (const T &item : items) {
        if (item.Name == name)
            return item;
    }
    throw HostError::itemNotFound(collection, name);
}
} // namespace

const Container &Database::Containers(QStringView name) const
{
    return byName(Containers(), name, u"Containers");
}

const TableDef &Database::TableDefs(QStringView name) const
{
    return byName(TableDefs(), name, u"TableDefs");
}

const QueryDef &Database::QueryDefs(QStringView name) const
{
    return byName(QueryDefs(), name, u"QueryDefs");
}
