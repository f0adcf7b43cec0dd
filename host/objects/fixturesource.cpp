#include "host/objects/fixturesource.h"

#include "host/vb/errors.h"

namespace {
// 2024-04-01 09:30:00 as an OLE date, the fixtures' default time stamp.
const Value defaultDate = Value::date(45383.3958333333);

Field makeField(const QString &name, qint16 type, qint32 size)
{
    Field f;
    f.Name = name;
    f.Type = type;
    f.Size = size;
    f.DataUpdatable = false;
    f.properties = Properties(Properties::Owner::Dao, name);
    return f;
}
} // namespace

FixtureTable::FixtureTable(const QString &name)
{
    def.Name = name;
    def.DateCreated = defaultDate;
    def.LastUpdated = defaultDate;
    detail.properties = Properties(Properties::Owner::Dao, name);
}

FixtureTable &FixtureTable::field(const QString &name, qint16 type, qint32 size)
{
    return field(makeField(name, type, size));
}

FixtureTable &FixtureTable::field(const Field &field)
{
    detail.fields.append(field);
    return *this;
}

FixtureTable &FixtureTable::fieldProperty(const QString &name, const Value &value)
{
    detail.fields.last().properties.put(name, value);
    return *this;
}

FixtureTable &FixtureTable::index(const QString &name, const QStringList &fields, bool primary)
{
    detail.indexes.append(Index{name, primary, primary, fields});
    return *this;
}

FixtureTable &FixtureTable::property(const QString &name, const Value &value)
{
    detail.properties.put(name, value);
    return *this;
}

FixtureTable &FixtureTable::linked(const QString &connect, const QString &sourceTable)
{
    def.Connect = connect;
    def.SourceTableName = sourceTable;
    def.Attributes |= DaoTableAttr::AttachedTable;
    return *this;
}

FixtureTable &FixtureTable::attributes(qint32 attributes)
{
    def.Attributes = attributes;
    return *this;
}

FixtureTable &FixtureTable::records(qint32 count)
{
    detail.RecordCount = count;
    return *this;
}

FixtureTable &FixtureTable::row(const QList<Value> &values)
{
    rows.append(values);
    return *this;
}

FixtureTable &FixtureTable::dates(const Value &created, const Value &updated)
{
    def.DateCreated = created;
    def.LastUpdated = updated;
    return *this;
}

FixtureQuery::FixtureQuery(const QString &name, qint16 type, const QString &sql)
{
    def.Name = name;
    def.Type = type;
    def.DateCreated = defaultDate;
    def.LastUpdated = defaultDate;
    detail.SQL = sql;
    detail.properties = Properties(Properties::Owner::Dao, name);
}

FixtureQuery &FixtureQuery::field(const QString &name, qint16 type, qint32 size)
{
    detail.fields.append(makeField(name, type, size));
    return *this;
}

FixtureQuery &FixtureQuery::property(const QString &name, const Value &value)
{
    detail.properties.put(name, value);
    return *this;
}

FixtureQuery &FixtureQuery::connect(const QString &connect)
{
    def.Connect = connect;
    return *this;
}

FixtureSource::FixtureSource(const QString &path)
{
    m_summary.Name = path;
    m_summary.Version = QStringLiteral("4.0");
    m_summary.properties = Properties(Properties::Owner::Dao, path);
    // Jet's own containers; those of Access's objects appear with their first document.
    for (const char *name : {"Databases", "Relationships", "SysRel", "Tables"})
        m_containers.append(Container{QString::fromLatin1(name), {}});
}

FixtureSource &FixtureSource::add(const FixtureTable &table)
{
    TableDef def = table.def;
    const TableDetail detail = table.detail;
    def.detail = Lazy<TableDetail>::deferred([this, detail] {
        countRead();
        return detail;
    });
    m_tables.append(def);
    QStringList names;
    for (const Field &field : detail.fields)
        names << field.Name;
    m_rows.insert(def.Name, {names, table.rows});
    return *this;
}

FixtureSource &FixtureSource::add(const FixtureQuery &query)
{
    QueryDef def = query.def;
    const QueryDetail detail = query.detail;
    def.detail = Lazy<QueryDetail>::deferred([this, detail] {
        countRead();
        return detail;
    });
    m_queries.append(def);
    return *this;
}

Document &FixtureSource::document(const QString &container, const QString &name,
                                  const QString &description)
{
    Container *target = nullptr;
    for (Container &c : m_containers) {
        if (c.Name == container)
            target = &c;
    }
    if (!target) {
        m_containers.append(Container{container, {}});
        target = &m_containers.last();
    }
    Properties props(Properties::Owner::Dao, name);
    if (!description.isNull())
        props.append(QStringLiteral("Description"), description);
    target->Documents.append(Document{name, defaultDate, defaultDate, Lazy<Properties>(props)});
    return target->Documents.last();
}

SourceOpener FixtureSource::opener()
{
    return [this](const QString &) {
        // The caller owns a handle that shares this fixture's lifetime.
        return std::shared_ptr<DatabaseSource>(std::shared_ptr<DatabaseSource>(), this);
    };
}

void FixtureSource::countRead()
{
    ++m_reads;
    if (m_failAfter >= 0 && m_reads > m_failAfter)
        throw HostError(Err::DamagedDatabase,
                        QStringLiteral("Injected failure at read %1").arg(m_reads));
}

DatabaseSummary FixtureSource::summary()
{
    countRead();
    return m_summary;
}

QList<TableDef> FixtureSource::tableDefs()
{
    countRead();
    return m_tables;
}

QList<QueryDef> FixtureSource::queryDefs()
{
    countRead();
    return m_queries;
}

QList<Container> FixtureSource::containers()
{
    countRead();
    return m_containers;
}

namespace {
class FixtureRows : public RowCursor
{
public:
    FixtureRows(QStringList names, QList<QList<Value>> rows)
        : m_names(std::move(names))
        , m_rows(std::move(rows))
    {
    }
    QStringList fieldNames() const override { return m_names; }
    bool next() override { return ++m_at < m_rows.size(); }
    QList<Value> row() const override { return m_rows.value(m_at); }

private:
    QStringList m_names;
    QList<QList<Value>> m_rows;
    qsizetype m_at = -1;
};
} // namespace

std::unique_ptr<RowCursor> FixtureSource::openRows(const QString &table)
{
    countRead();
    const auto it = m_rows.constFind(table);
    if (it == m_rows.constEnd())
        throw HostError(Err::ObjectNotFound,
                        QStringLiteral("The table '%1' does not exist").arg(table));
    return std::make_unique<FixtureRows>(it->first, it->second);
}
