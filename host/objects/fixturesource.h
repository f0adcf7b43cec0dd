#pragma once

// FixtureSource is a database built in code, for tests and benchmarks:
//
//     FixtureSource fx("C:\\db\\sales.mdb");
//     fx.add(FixtureTable("Orders").field("ID", DaoType::Long).field("Note", DaoType::Text, 80)
//                .primaryKey({"ID"}).description("Orders taken"));
//     fx.add(FixtureQuery("Big orders", 0, "SELECT * FROM Orders;"));
//     fx.document("Forms", "Main");
//     Application target(fx.opener());
//
// Tables, queries and documents keep the order they were added in. Jet's
// own containers always exist; "Forms", "Reports", "Scripts" and "Modules"
// appear with their first document. failAfterReads(n) makes the n-th read after it raise 3049, to
// test that every command survives a failure at any point.

#include "host/objects/source.h"

#include <QDateTime>
#include <QHash>
#include <memory>

class FixtureTable
{
public:
    explicit FixtureTable(const QString &name);

    FixtureTable &field(const QString &name, qint16 type, qint32 size = 0);
    FixtureTable &field(const Field &field);
    // Sets a property (Description, ...) on the field added last.
    FixtureTable &fieldProperty(const QString &name, const Value &value);
    FixtureTable &index(const QString &name, const QStringList &fields, bool primary = false);
    FixtureTable &primaryKey(const QStringList &fields)
    {
        return index("PrimaryKey", fields, true);
    }
    FixtureTable &description(const QString &text) { return property("Description", text); }
    FixtureTable &property(const QString &name, const Value &value);
    FixtureTable &linked(const QString &connect, const QString &sourceTable);
    FixtureTable &attributes(qint32 attributes);
    FixtureTable &records(qint32 count);
    FixtureTable &dates(const Value &created, const Value &updated);
    // Appends a data row, one value per field in field order.
    FixtureTable &row(const QList<Value> &values);

    TableDef def;
    TableDetail detail;
    QList<QList<Value>> rows;
};

class FixtureQuery
{
public:
    FixtureQuery(const QString &name, qint16 type, const QString &sql);

    FixtureQuery &field(const QString &name, qint16 type, qint32 size = 0);
    FixtureQuery &description(const QString &text) { return property("Description", text); }
    FixtureQuery &property(const QString &name, const Value &value);
    FixtureQuery &connect(const QString &connect);

    QueryDef def;
    QueryDetail detail;
};

class FixtureSource : public DatabaseSource
{
public:
    explicit FixtureSource(const QString &path = QStringLiteral("C:\\fixture.mdb"));

    FixtureSource &add(const FixtureTable &table);
    FixtureSource &add(const FixtureQuery &query);
    // Adds a document to a container (created when new); returns it for
    // further properties.
    Document &document(const QString &container, const QString &name,
                       const QString &description = QString());
    DatabaseSummary &database() { return m_summary; }
    void failAfterReads(int reads) { m_failAfter = reads; }
    int reads() const { return m_reads; }

    // Opens a fresh view of this fixture whatever path is asked for.
    SourceOpener opener();

    DatabaseSummary summary() override;
    QList<TableDef> tableDefs() override;
    QList<QueryDef> queryDefs() override;
    QList<Container> containers() override;
    std::unique_ptr<RowCursor> openRows(const QString &table) override;

private:
    void countRead();

    DatabaseSummary m_summary;
    QList<TableDef> m_tables;
    QList<QueryDef> m_queries;
    QHash<QString, QPair<QStringList, QList<QList<Value>>>> m_rows;
    QList<Container> m_containers;
    int m_reads = 0;
    int m_failAfter = -1;
};
