// The catalog side of the Jet 4 writer: the system tables, the MSysObjects
// rows of every object, query rows, and the assembly of all pages.

#include "host/io/atomicfile.h"
#include "host/jet/write/designstoragewriter.h"
#include "host/jet/write/jetwriterpages.h"
#include "host/jet/write/vbawriter.h"
#include "host/vb/errors.h"

#include <QFile>
#include <QHash>

namespace jetw {
namespace {

constexpr qint32 rootId = 0x0F000000, tablesId = 0x0F000001, databasesId = 0x0F000002,
                 relationshipsId = 0x0F000003;
constexpr qint32 systemFlag = qint32(0x80000000u);
constexpr int accessObjectChunk = 3992; // the Data column's length in Access 2000-format files

JetWriterColumn col(const char *name, int type, int size = 0)
{
    JetWriterColumn c;
    c.name = QString::fromLatin1(name);
    c.type = type;
    c.size = size;
    return c;
}

enum CatalogColumn {
    Id,
    ParentId,
    Name,
    Owner,
    DateCreate,
    DateUpdate,
    Type,
    Flags,
    Database,
    Connect,
    ForeignName,
    RmtInfoShort,
    RmtInfoLong,
    Lv,
    LvProp,
    LvModule,
    LvExtra,
    CatalogColumns
};

QList<JetWriterColumn> catalogColumns()
{
    using namespace JetType;
    return {col("Id", Long),
            col("ParentId", Long),
            col("Name", Text, 255),
            col("Owner", Binary, 255),
            col("DateCreate", DateTime),
            col("DateUpdate", DateTime),
            col("Type", Integer),
            col("Flags", Long),
            col("Database", Memo),
            col("Connect", Memo),
            col("ForeignName", Text, 255),
            col("RmtInfoShort", Binary, 255),
            col("RmtInfoLong", Ole),
            col("Lv", Ole),
            col("LvProp", Ole),
            col("LvModule", Ole),
            col("LvExtra", Ole)};
}

QList<JetWriterColumn> queryColumns()
{
    using namespace JetType;
    QList<JetWriterColumn> columns{col("ObjectId", Long),     col("Attribute", Byte),
                                   col("Order", Binary, 255), col("Name1", Text, 255),
                                   col("Name2", Text, 255),   col("Expression", Memo),
                                   col("Flag", Integer),      col("LvExtra", Long)};
    if (fmt().jet3)
        columns.removeLast(); // LvExtra came with Jet 4
    return columns;
}

QList<JetWriterColumn> aceColumns()
{
    using namespace JetType;
    return {col("ACM", Long), col("FInheritable", Boolean), col("ObjectId", Long),
            col("SID", Binary, 255)};
}

QList<JetWriterColumn> accessObjectColumns()
{
    return {col("Data", JetType::FixedBinary, accessObjectChunk), col("ID", JetType::Long)};
}

// The modules of the VBA project: every module document, and the forms
// and reports that have code, as Access names their modules.
QList<VbaWriterModule> projectModules(const JetWriterDatabase &db)
{
    QList<VbaWriterModule> modules;
    for (const JetWriterDocument &d : db.documents) {
        if (d.kind == JetWriterDocument::Module)
            modules.append({d.name,
                            d.classModule ? ModuleText::Kind::Class : ModuleText::Kind::Standard,
                            d.code});
        else if ((d.kind == JetWriterDocument::Form || d.kind == JetWriterDocument::Report) &&
                 (d.hasCode || !d.code.isEmpty()))
            modules.append({(d.kind == JetWriterDocument::Form ? QStringLiteral("Form_")
                                                               : QStringLiteral("Report_")) +
                                d.name,
                            ModuleText::Kind::Document, d.code});
    }
    return modules;
}

quint16 projectCodePage(const JetWriterDatabase &db, const QList<VbaWriterModule> &modules)
{
    if (db.vbaCodePage != 0)
        return db.vbaCodePage;
    if (fmt().jet3)
        return db.codePage;
    try {
        encodeCodePage(db.vbaProjectName, 1252, {});
        for (const VbaWriterModule &m : modules)
            encodeCodePage(m.name + m.code, 1252, {});
    } catch (const HostError &) {
        return 932;
    }
    return 1252;
}

QList<JetWriterColumn> modules2Columns()
{
    using namespace JetType;
    return {col("Name", Text, 255), col("Type", Long),
            col("Version", Long),   col("ReplicationVersion", Long),
            col("Flags", Long),     col("Module", Ole),
            col("Form", Ole),       col("TypeInfo", Ole)};
}

// MSysModules2 rows: the project (MSysDb, Type 2), then one per module,
// typed as the catalog types forms, reports and modules, read unsigned. A
// form or report with code keeps its design in its module's Form column.
QList<QList<Value>> modules2Rows(const QList<VbaWriterModule> &modules,
                                 const Access97Project &project,
                                 const QHash<QString, QByteArray> &designs)
{
    const auto row = [](const QString &name, qint32 type, const QByteArray &blob,
                        const QByteArray &design = {}) {
        return QList<Value>{Value(name),
                            Value::longInt(type),
                            Value::longInt(1),
                            Value::null(),
                            Value::longInt(1),
                            Value::binary(blob),
                            design.isEmpty() ? Value::null() : Value::binary(design),
                            Value::null()};
    };
    QList<QList<Value>> rows{row(QStringLiteral("MSysDb"), 2, project.project)};
    for (qsizetype i = 0; i < modules.size(); ++i) {
        const VbaWriterModule &m = modules[i];
        qint32 type = 32775;
        if (m.kind == ModuleText::Kind::Document)
            type = m.name.startsWith(QLatin1String("Report_")) ? 32772 : 32768;
        rows.append(row(m.name, type, project.modules[i], designs.value(m.name)));
    }
    return rows;
}

// MSysAccessObjects rows: ID 0 holds the format number and the compound
// file's length, ID n holds its n-th chunk.
QList<QList<Value>> accessObjectRows(const QByteArray &file)
{
    QByteArray header(8, '\0');
    put32(header, 0, 5);
    put32(header, 4, quint32(file.size()));
    QList<QList<Value>> rows{{Value::binary(header), Value::longInt(0)}};
    for (qsizetype at = 0, n = 1; at < file.size(); at += accessObjectChunk, ++n)
        rows.append({Value::binary(file.mid(at, accessObjectChunk)), Value::longInt(qint32(n))});
    return rows;
}

QList<JetWriterColumn> relationshipColumns()
{
    using namespace JetType;
    return {col("ccolumn", Long),
            col("grbit", Long),
            col("icolumn", Long),
            col("szColumn", Text, 64),
            col("szObject", Text, 64),
            col("szReferencedColumn", Text, 64),
            col("szReferencedObject", Text, 64),
            col("szRelationship", Text, 64)};
}

class Catalog
{
public:
    explicit Catalog(double created)
        : m_created(created)
    {
    }

    void add(qint32 id, qint32 parent, const QString &name, qint16 type, qint32 flags,
             const QByteArray &lvProp = QByteArray())
    {
        QList<Value> row(CatalogColumns, Value::null());
        row[Id] = Value::longInt(id);
        row[ParentId] = Value::longInt(parent);
        row[Name] = Value(name);
        row[DateCreate] = Value::date(m_created);
        row[DateUpdate] = Value::date(m_created);
        row[Type] = Value::integer(type);
        row[Flags] = Value::longInt(flags);
        if (!lvProp.isEmpty())
            row[LvProp] = Value::binary(lvProp);
        rows.append(row);
    }

    QList<QList<Value>> rows;

private:
    double m_created;
};

QList<Value> queryRow(qint32 id, int attribute, const QString &name1, const QString &name2,
                      const QString &expression, const Value &flag, int extra = 0)
{
    const auto text = [](const QString &s) { return s.isEmpty() ? Value::null() : Value(s); };
    QList<Value> row{Value::longInt(id),
                     Value::integer(qint16(attribute)),
                     Value::null(),
                     text(name1),
                     text(name2),
                     text(expression),
                     flag,
                     extra ? Value::longInt(extra) : Value::null()};
    if (fmt().jet3)
        row.removeLast();
    return row;
}

int daoQueryType(JetWriterQuery::Kind kind)
{
    static const int types[] = {0, 0, 80, 64, 48, 32, 16, 96, 112, 128};
    return types[int(kind)];
}

void addQueryRows(QList<QList<Value>> &rows, qint32 id, const JetWriterQuery &q)
{
    const Value none = Value::null();
    const auto flag = [](int f) { return Value::integer(qint16(f)); };
    rows.append(queryRow(id, 0, {}, {}, {}, flag(0)));
    QString name1 = q.kind == JetWriterQuery::PassThrough ? q.connect : q.target;
    QString expression =
        q.kind == JetWriterQuery::DataDefinition || q.kind == JetWriterQuery::PassThrough
            ? q.sql
            : QString();
    rows.append(queryRow(id, 1, name1, {}, expression, flag(int(q.kind))));
    for (const JetWriterQuery::Parameter &p : q.parameters)
        rows.append(queryRow(id, 2, p.name, {}, {}, flag(p.jetType), p.size));
    int options = 0;
    if (q.kind == JetWriterQuery::Union) {
        options = q.unionAll ? 0 : 0x02;
    } else {
        options = (q.allFields ? 0x01 : 0) | (q.distinct ? 0x02 : 0) |
                  (q.top.isEmpty() ? 0 : 0x10) | (q.topPercent ? 0x20 : 0);
    }
    rows.append(queryRow(id, 3, q.top, {}, {}, flag(options)));
    if (q.kind == JetWriterQuery::Union) {
        if (q.unionParts.size() < 2)
            fail(QStringLiteral("query %1: a union needs two parts").arg(q.name));
        // More than two parts: the first half holds all but the last, joined.
        const QString glue =
            q.unionAll ? QStringLiteral("\r\nUNION ALL ") : QStringLiteral("\r\nUNION ");
        rows.append(queryRow(id, 5, {}, QStringLiteral("X7YZ_____1"),
                             q.unionParts.mid(0, q.unionParts.size() - 1).join(glue), none));
        rows.append(queryRow(id, 5, {}, QStringLiteral("X7YZ_____2"), q.unionParts.last(), none));
    }
    for (const JetWriterQuery::Source &s : q.sources)
        rows.append(queryRow(id, 5, s.name, s.alias, {}, none));
    for (const JetWriterQuery::Output &o : q.outputs)
        rows.append(
            queryRow(id, 6, o.alias, o.target, o.expression,
                     flag(q.kind == JetWriterQuery::Crosstab ? std::max(o.crosstab, 0) : 0)));
    if (q.kind == JetWriterQuery::Crosstab && !q.pivot.isEmpty())
        rows.append(queryRow(id, 6, {}, {}, q.pivot, flag(1)));
    for (const JetWriterQuery::Join &j : q.joins)
        rows.append(queryRow(id, 7, j.left, j.right, j.on, flag(j.type)));
    if (!q.where.isEmpty())
        rows.append(queryRow(id, 8, {}, {}, q.where, none));
    const bool crosstab = q.kind == JetWriterQuery::Crosstab;
    for (const QString &g : q.groupBy)
        rows.append(queryRow(id, 9, {}, {}, g, crosstab ? flag(2) : none));
    if (crosstab && !q.pivot.isEmpty())
        rows.append(queryRow(id, 9, {}, {}, q.pivot, flag(1)));
    if (!q.having.isEmpty())
        rows.append(queryRow(id, 10, {}, {}, q.having, none));
    for (const JetWriterQuery::Order &o : q.orderBy)
        rows.append(queryRow(id, 11, o.descending ? QStringLiteral("D") : QString(), {},
                             o.expression, none));
    rows.append(queryRow(id, 255, {}, {}, {}, none));
}

void checkName(const QString &name, const QString &what, QStringList &used)
{
    if (name.isEmpty() || name.size() > 64)
        fail(QStringLiteral("%1 \"%2\": a name must have 1 to 64 characters").arg(what, name));
    for (const QString &other : used)
        if (other.compare(name, Qt::CaseInsensitive) == 0)
            fail(QStringLiteral("%1 \"%2\": the name is used twice").arg(what, name));
    used.append(name);
}

// Writes a table's rows, long values, indexes and usage maps.
void writeTable(PageFile &file, TableLayout &t, RowPager &maps)
{
    RowPager data = RowPager::forOwner(file, t.tdefPage);
    QList<RowPager> longPagers;
    for (const ColumnLayout &c : t.columns)
        if (c.isLong())
            longPagers.append(RowPager::forLongValues(file)); // never shared between columns
    QList<quint32> pointers;
    // Deleted rows lie spread evenly among the live ones, as deletions leave them.
    qsizetype deleted = 0;
    const auto writeDeleted = [&](qsizetype upTo) {
        for (; deleted < upTo; ++deleted) {
            const QList<Value> &row = t.deletedRows[deleted];
            for (const ColumnLayout &c : t.columns)
                if (c.isLong() && !row[c.number].isNull() &&
                    (row[c.number].isText() ? row[c.number].asText().size() * 2
                                            : row[c.number].asBinary().size()) > inlineLongLimit)
                    fail(QStringLiteral("table %1: a deleted row's long value must fit inline")
                             .arg(t.name));
            data.markDeleted(data.add(packRow(t, row, longPagers)));
        }
    };
    for (qsizetype r = 0; r < t.rows.size(); ++r) {
        writeDeleted(t.rows.isEmpty() ? 0 : r * t.deletedRows.size() / t.rows.size());
        pointers.append(data.add(packRow(t, t.rows[r], longPagers)));
    }
    writeDeleted(t.deletedRows.size());

    for (IndexLayout &ix : t.indexes)
        ix.map = maps.add(usageMapRow(writeIndex(file, t, ix, pointers)));
    t.ownedMap = maps.add(usageMapRow(data.pages()));
    t.freeMap = maps.add(usageMapRow(data.pages()));
    for (const RowPager &p : longPagers) {
        t.longOwned.append(maps.add(usageMapRow(p.pages())));
        t.longFree.append(maps.add(usageMapRow(p.pages())));
    }
}

QList<JetWriterProperty> withoutEmpty(QList<JetWriterProperty> props)
{
    props.removeIf(
        [](const JetWriterProperty &p) { return p.value.isNull() || p.value.isEmpty(); });
    return props;
}

} // namespace
} // namespace jetw

using namespace jetw;

QByteArray buildJetDatabase(const JetWriterDatabase &db)
{
    JetFormat format;
    format.sortOrder = db.sortOrder; // text keys follow it
    if (db.version == 3) {
        format.jet3 = true;
        format.pageSize = 2048;
        format.dataPageHeader = 10;
        format.codePage = db.codePage;
        encodeCodePage(QString(), db.codePage, {}); // refuses an unknown code page
    } else if (db.version != 4) {
        fail(QStringLiteral("Jet version %1 is not written; 3 and 4 are").arg(db.version));
    }
    const FormatScope scope(format);
    QStringList names;
    QList<TableLayout> tables;
    tables.append(layoutTable(QStringLiteral("MSysObjects"), catalogColumns(), true));
    tables.append(layoutTable(QStringLiteral("MSysACEs"), aceColumns(), true));
    tables.append(layoutTable(QStringLiteral("MSysQueries"), queryColumns(), true));
    tables.append(layoutTable(QStringLiteral("MSysRelationships"), relationshipColumns(), true));
    for (const TableLayout &t : tables)
        names.append(t.name);
    for (const JetWriterTable &src : db.tables) {
        checkName(src.name, QStringLiteral("table"), names);
        TableLayout t = layoutTable(src.name, src.columns, false);
        // Deleted rows used their AutoNumbers too.
        normaliseRows(t, src.rows + src.deletedRows);
        t.deletedRows = t.rows.mid(src.rows.size());
        t.rows.resize(src.rows.size());
        if (!src.primaryKey.isEmpty()) {
            JetWriterIndex key;
            key.name = QStringLiteral("PrimaryKey"); // the name Access gives it
            key.columns = src.primaryKey;
            t.indexes.append(layoutIndex(t, key, true));
        }
        QStringList indexNames;
        for (const IndexLayout &ix : t.indexes)
            indexNames.append(ix.name);
        for (const JetWriterIndex &def : src.indexes) {
            checkName(def.name, QStringLiteral("index of table %1").arg(src.name), indexNames);
            t.indexes.append(layoutIndex(t, def, false));
        }
        if (t.indexes.size() > 32)
            fail(QStringLiteral("table %1: more than 32 indexes").arg(src.name));
        tables.append(t);
    }
    static const struct
    {
        const char *container;
        qint16 type;
    } kinds[] = {{"Forms", -32768}, {"Reports", -32764}, {"Scripts", -32766}, {"Modules", -32761}};
    QStringList documentNames[4];
    for (const JetWriterDocument &d : db.documents)
        checkName(d.name, QString::fromLatin1(kinds[d.kind].container).chopped(1).toLower(),
                  documentNames[d.kind]);
    const QList<VbaWriterModule> vbaModules = projectModules(db);
    if (!vbaModules.isEmpty() && format.jet3) {
        QHash<QString, QByteArray> designs;
        for (const JetWriterDocument &d : db.documents)
            if (d.kind == JetWriterDocument::Form || d.kind == JetWriterDocument::Report)
                designs.insert((d.kind == JetWriterDocument::Form ? QStringLiteral("Form_")
                                                                  : QStringLiteral("Report_")) +
                                   d.name,
                               d.design);
        checkName(QStringLiteral("MSysModules2"), QStringLiteral("table"), names);
        TableLayout t = layoutTable(QStringLiteral("MSysModules2"), modules2Columns(), true);
        normaliseRows(t, modules2Rows(vbaModules,
                                      buildAccess97Project(vbaModules, db.vbaProjectName,
                                                           projectCodePage(db, vbaModules)),
                                      designs));
        tables.append(t);
    }
    // Access 2000 format: the VBA project and the designs share one
    // compound file, which exists as soon as either does.
    QList<CompoundStream> accessObjects;
    if (!format.jet3) {
        if (!vbaModules.isEmpty())
            accessObjects =
                vbaProjectStreams(vbaModules, db.vbaProjectName, projectCodePage(db, vbaModules));
        accessObjects += designStorageStreams(db.documents);
    }
    if (!accessObjects.isEmpty()) {
        checkName(QStringLiteral("MSysAccessObjects"), QStringLiteral("table"), names);
        TableLayout t =
            layoutTable(QStringLiteral("MSysAccessObjects"), accessObjectColumns(), true);
        normaliseRows(t, accessObjectRows(buildCompoundFile(accessObjects)));
        tables.append(t);
    }
    for (const JetWriterLink &l : db.links)
        checkName(l.name, QStringLiteral("linked table"), names);
    for (const JetWriterQuery &q : db.queries)
        checkName(q.name, QStringLiteral("query"), names);

    PageFile file;
    file.add(headerPage(db));
    file.add(QByteArray(format.pageSize, '\0')); // page 1, the database-wide maps, written last
    for (TableLayout &t : tables)
        t.tdefPage = file.add(QByteArray(format.pageSize, '\0'));

    // Object ids: tables are their TDEF page; everything else counts up
    // from the high bit, as Access numbers its own objects.
    qint32 nextId = qint32(0x80000000u);
    Catalog catalog(db.created);
    catalog.add(tablesId, rootId, QStringLiteral("Tables"), 3, systemFlag);
    catalog.add(databasesId, rootId, QStringLiteral("Databases"), 3, systemFlag);
    catalog.add(relationshipsId, rootId, QStringLiteral("Relationships"), 3, systemFlag);
    const char *containerNames[] = {"Forms",   "Reports", "Scripts",
                                    "Modules", "SysRel",  "DataAccessPages"};
    QHash<QString, qint32> containerIds;
    for (const char *name : containerNames) {
        containerIds.insert(QString::fromLatin1(name), nextId);
        catalog.add(nextId++, rootId, QString::fromLatin1(name), 3, 0);
    }
    QList<JetWriterProperty> dbProps{
        {QStringLiteral("AccessVersion"), Value(format.jet3 ? "07.53" : "08.50")}};
    dbProps += withoutEmpty(db.properties);
    catalog.add(0x10000000, databasesId, QStringLiteral("MSysDb"), 2, 0, propertyBlob(dbProps, {}));
    if (!db.summary.isEmpty())
        catalog.add(nextId++, databasesId, QStringLiteral("SummaryInfo"), -32757, 0,
                    propertyBlob(withoutEmpty(db.summary), {}));
    for (int i = 0; i < tables.size(); ++i) {
        const TableLayout &t = tables[i];
        QByteArray blob;
        if (!t.system) {
            const JetWriterTable &src = db.tables[i - 4];
            QList<QPair<QString, QList<JetWriterProperty>>> columnProps;
            for (const JetWriterColumn &c : src.columns)
                columnProps.append({c.name, withoutEmpty(c.properties)});
            blob = propertyBlob(withoutEmpty(src.properties), columnProps);
        }
        catalog.add(qint32(t.tdefPage), tablesId, t.name, 1, t.system ? systemFlag : 0, blob);
    }
    for (const JetWriterLink &l : db.links) {
        catalog.add(nextId++, tablesId, l.name, 6, 0x00200000,
                    propertyBlob({}, {})); // flag as Access sets it
        QList<Value> &row = catalog.rows.last();
        row[Database] = Value(l.database);
        row[ForeignName] = Value(l.foreignName.isEmpty() ? l.name : l.foreignName);
        if (!l.connect.isEmpty())
            row[Connect] = Value(l.connect);
    }
    QList<QList<Value>> queryRows;
    for (const JetWriterQuery &q : db.queries) {
        const qint32 id = nextId++;
        catalog.add(id, tablesId, q.name, 5, daoQueryType(q.kind),
                    propertyBlob(withoutEmpty(q.properties), {}));
        addQueryRows(queryRows, id, q);
    }
    QList<QList<Value>> relationshipRows;
    for (const JetWriterRelationship &r : db.relationships) {
        checkName(r.name, QStringLiteral("relationship"), names);
        catalog.add(nextId++, relationshipsId, r.name, 8, 0);
        relationshipRows.append({Value::longInt(1), Value::longInt(r.flags), Value::longInt(0),
                                 Value(r.column), Value(r.table), Value(r.referencedColumn),
                                 Value(r.referencedTable), Value(r.name)});
    }
    for (const JetWriterDocument &d : db.documents) {
        catalog.add(nextId++, containerIds.value(QString::fromLatin1(kinds[d.kind].container)),
                    d.name, kinds[d.kind].type, 0, propertyBlob(withoutEmpty(d.properties), {}));
        // Access 97 marks forms and reports without a module as lightweight.
        const bool designKind =
            d.kind == JetWriterDocument::Form || d.kind == JetWriterDocument::Report;
        // Its design then sits in the catalog row itself (with a module, in
        // MSysModules2).
        if (format.jet3 && designKind && !d.hasCode && d.code.isEmpty()) {
            catalog.rows.last()[LvModule] = Value::binary(QByteArrayLiteral("LWF000"));
            if (!d.design.isEmpty())
                catalog.rows.last()[LvExtra] = Value::binary(d.design);
        }
    }

    normaliseRows(tables[0], catalog.rows);
    normaliseRows(tables[2], queryRows);
    normaliseRows(tables[3], relationshipRows);

    RowPager maps = RowPager::forOwner(file, 0); // usage-map rows live on pages owned by none
    for (TableLayout &t : tables)
        writeTable(file, t, maps);
    for (const TableLayout &t : tables)
        file[t.tdefPage] = tableDefinition(t);

    PageFile first;
    RowPager pageOne = RowPager::forOwner(first, 1);
    pageOne.add(usageMapRow({}, file.count(), true)); // no free pages
    pageOne.add(usageMapRow({}));
    file[1] = first[0];
    return file.join();
}

void writeJetDatabase(const JetWriterDatabase &db, const QString &path)
{
    const QByteArray bytes = buildJetDatabase(db);
    AtomicFile out(path);
    if (!out.open() || out.device()->write(bytes) != bytes.size() || !out.commit())
        throw HostError(Err::InvalidPath,
                        QStringLiteral("cannot write %1: %2").arg(path, out.errorString()));
}
