#include "host/objects/database.h"

#include "host/vb/errors.h"

#include <algorithm>

Database::Database(std::shared_ptr<DatabaseSource> source)
    : m_source(std::move(source))
{
    DatabaseSource *s = m_source.get();
    m_summary = Lazy<DatabaseSummary>::deferred([s] { return s->summary(); });
    m_tableDefs = Lazy<QList<TableDef>>::deferred([s] { return s->tableDefs(); });
    m_queryDefs = Lazy<QList<QueryDef>>::deferred([s] { return s->queryDefs(); });
    m_containers = Lazy<QList<Container>>::deferred([s] {
        // A file Access never opened (written by DAO or another tool) lacks
        // the containers of Access's objects; Access adds them on opening,
        // so here they read as empty rather than failing every listing.
        QList<Container> containers = s->containers();
        for (const char *name : {"Forms", "Reports", "Scripts", "Modules"}) {
            const QString wanted = QString::fromLatin1(name);
            if (std::none_of(containers.cbegin(), containers.cend(),
                             [&](const Container &c) { return c.Name == wanted; }))
                containers.append(Container{wanted, {}});
        }
        return containers;
    });
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
